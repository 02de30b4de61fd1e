// GIFT import: questions read as a learning platform's own GIFT reader
// reads them, and taken when they fit a card.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

#include "bank/HtmlText.h"
#include "bank/Interchange.h"
#include "bank/InterchangeParts.h"

namespace qd {

namespace {

using namespace interchange;

// The bytes of a line without the blanks at its ends.
std::string_view TrimmedLine(std::string_view text)
{
    const std::size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string_view::npos)
        return {};
    return text.substr(begin, text.find_last_not_of(" \t") + 1 - begin);
}

bool IsCommentLine(std::string_view text)
{
    return TrimmedLine(text).substr(0, 2) == "//";
}

// The text of a block: its lines joined by real line breaks, the escapes
// taken as the characters they stand for, and which bytes they are. A
// backslash before any other character is a backslash. Every character the
// reader looks for is one byte, which is never part of another character.
struct GiftText {
    Text text;
    std::vector<std::size_t> escaped;  // ascending

    const std::string& bytes() const { return text.utf8(); }
    bool isEscaped(std::size_t pos) const { return std::binary_search(escaped.begin(), escaped.end(), pos); }
    bool isPlain(std::size_t pos, char c) const { return bytes()[pos] == c && !isEscaped(pos); }
    int lineAt(std::size_t pos) const { return text.lineAt(pos); }
};

// Bytes [begin, end) of a GiftText.
struct Span {
    std::size_t begin;
    std::size_t end;

    bool empty() const { return begin >= end; }
};

std::string_view BytesOf(const GiftText& source, Span span)
{
    return std::string_view(source.bytes()).substr(span.begin, span.end - span.begin);
}

Text TextOfSpan(const GiftText& source, Span span)
{
    Text text;
    text.append(source.text, span.begin, span.end);
    return text;
}

// Blanks at the ends dropped, and with `layout` real line breaks too.
Span Trim(const GiftText& source, Span span, bool layout)
{
    const auto space = [&](std::size_t pos) {
        const char c = source.bytes()[pos];
        return c == ' ' || c == '\t' || (layout && c == '\n' && !source.isEscaped(pos));
    };
    while (span.begin < span.end && space(span.begin))
        ++span.begin;
    while (span.end > span.begin && space(span.end - 1))
        --span.end;
    return span;
}

constexpr std::string_view kGiftEscapes = "~=#{}:\\";

void AppendUnescaped(GiftText& text, std::string_view line, int number)
{
    std::size_t pos = 0;
    for (std::size_t slash = line.find('\\'); slash != std::string_view::npos; slash = line.find('\\', pos)) {
        const char next = slash + 1 < line.size() ? line[slash + 1] : '\0';
        if (next != 'n' && (next == '\0' || kGiftEscapes.find(next) == std::string_view::npos)) {
            text.text.append(line.substr(pos, slash + 1 - pos), number);
            pos = slash + 1;
            continue;
        }
        text.text.append(line.substr(pos, slash - pos), number);
        text.escaped.push_back(text.text.size());
        text.text.append(next == 'n' ? "\n" : line.substr(slash + 1, 1), number);
        pos = slash + 2;
    }
    text.text.append(line.substr(pos), number);
}

// One question's lines, no blank lines and no comment lines, as its text.
struct GiftBlock {
    int firstLine = 0;
    std::string_view firstText;
    int secondLine = 0;  // 0: a block of one line
    GiftText text;
    std::vector<int> invalidLines;  // not valid UTF-8

    bool empty() const { return firstLine == 0; }
    void add(const TextLine& line)
    {
        if (firstLine == 0) {
            firstLine = line.number;
            firstText = line.text;
        } else {
            secondLine = secondLine == 0 ? line.number : secondLine;
            text.text.append("\n", line.number);
        }
        if (!IsValidUtf8(line.text))
            invalidLines.push_back(line.number);
        AppendUnescaped(text, line.text, line.number);
    }
};

// Calls `take` with each block of a text, one at a time.
template <typename Take>
void ForEachGiftBlock(std::string_view text, LineBreaks breaks, Take take)
{
    GiftBlock block;
    LineReader lines(text, breaks);
    for (TextLine line {}; lines.next(line);) {
        if (TrimmedLine(line.text).empty()) {
            if (!block.empty())
                take(std::move(block));
            block = GiftBlock();
        } else if (!IsCommentLine(line.text)) {
            block.add(line);
        }
    }
    if (!block.empty())
        take(std::move(block));
}

// A block that names a category: the reader ignores the whole block, so a
// question right under the category line is lost with it.
bool IsCategory(const GiftBlock& block)
{
    return TrimmedLine(block.firstText).substr(0, 10) == "$CATEGORY:";
}

constexpr std::string_view kUnderCategory =
    "a question right under the \"$CATEGORY:\" line is ignored with it; put a blank line between them";

// The first unescaped `c` in [from, to), or `to`.
std::size_t Find(const GiftText& source, char c, std::size_t from, std::size_t to)
{
    const std::string& bytes = source.bytes();
    while (from < to) {
        const void* found = std::memchr(bytes.data() + from, c, to - from);
        if (!found)
            return to;
        from = static_cast<std::size_t>(static_cast<const char*>(found) - bytes.data());
        if (!source.isEscaped(from))
            return from;
        ++from;
    }
    return to;
}

bool IsDoubleColon(const GiftText& source, Span text, std::size_t pos)
{
    return pos + 1 < text.end && source.isPlain(pos, ':') && source.isPlain(pos + 1, ':');
}

// Where the question text starts: after "::title::", which is dropped. A
// title without its closing "::" is no title: the text follows the "::".
std::size_t AfterTitle(const GiftText& source, Span text)
{
    if (!IsDoubleColon(source, text, text.begin))
        return text.begin;
    for (std::size_t i = text.begin + 2; i < text.end; ++i) {
        if (IsDoubleColon(source, text, i))
            return i + 2;
    }
    return text.begin + 2;
}

// The last of four unescaped "#" in a row, or text.end.
std::size_t FindGeneralFeedback(const GiftText& source, Span text)
{
    const std::string_view bytes = source.bytes();
    if (text.end - text.begin < 4)
        return text.end;
    for (std::size_t pos = text.end - 4;;) {
        const std::size_t found = bytes.rfind("####", pos);
        if (found == std::string_view::npos || found < text.begin)
            return text.end;
        if (!source.isEscaped(found) && !source.isEscaped(found + 1) && !source.isEscaped(found + 2)
            && !source.isEscaped(found + 3))
            return found;
        if (found == 0)
            return text.end;
        pos = found - 1;
    }
}

int LineOf(const GiftText& source, Span text, int otherwise)
{
    return text.empty() ? otherwise : source.lineAt(text.begin);
}

// A text with its format mark, if any, taken off; the format of a text
// without one is `otherwise`.
struct FormattedText {
    GiftFormat format;
    const GiftText* source;
    Span text;
};

FormattedText WithoutMark(const GiftText& source, Span text, GiftFormat otherwise)
{
    const Span trimmed = Trim(source, text, true);
    if (const auto mark = FormatMarkAt(BytesOf(source, trimmed)))
        return {mark->format, &source, Trim(source, {trimmed.begin + mark->end, trimmed.end}, true)};
    return {otherwise, &source, trimmed};
}

// The lines a reader sees in a text: HTML rendered, or the text cut at each
// line break. Empty lines are left out; images in HTML are noted as dropped.
// More lines than a question may have: the question is skipped for that alone.
constexpr std::size_t kMostLines = static_cast<std::size_t>(kMaxQuestionLines) + 1;

std::vector<Text> SeenLines(const FormattedText& formatted, int line, std::string_view what,
                            std::vector<SourceError>& notes, std::size_t most = SIZE_MAX)
{
    const GiftText& source = *formatted.source;
    const Span text = formatted.text;
    std::vector<Text> lines;
    if (formatted.format == GiftFormat::Html) {
        const int at = LineOf(source, text, line);
        HtmlUtf8Text html = HtmlLinesOf(BytesOf(source, text), most);
        if (html.cut)
            throw Reject {at, "the HTML of " + std::string(what) + " is nested too deeply to be read whole"};
        for (std::string& seen : html.lines)
            lines.emplace_back(std::exchange(seen, std::string()), at);
        if (html.images > 0)
            notes.push_back({at,
                             (html.images == 1 ? "an image in " : "images in ") + std::string(what)
                                 + " dropped; a card shows text only"});
        return lines;
    }
    for (std::size_t from = text.begin; from <= text.end;) {
        const std::size_t end = std::min(source.bytes().find('\n', from), text.end);
        if (const Span piece = Trim(source, {from, end}, false); !piece.empty())
            lines.push_back(TextOfSpan(source, piece));
        from = end + 1;
    }
    return lines;
}

// The same lines joined by a blank.
Text SeenText(const FormattedText& formatted, int line, std::string_view what, std::vector<SourceError>& notes)
{
    if (formatted.format == GiftFormat::Html)
        return JoinedTexts(SeenLines(formatted, line, what, notes));
    const GiftText& source = *formatted.source;
    Text joined;
    for (std::size_t from = formatted.text.begin; from <= formatted.text.end;) {
        const std::size_t end = std::min(source.bytes().find('\n', from), formatted.text.end);
        if (const Span piece = Trim(source, {from, end}, false); !piece.empty()) {
            if (!joined.empty())
                joined.append(" ", source.lineAt(piece.begin));
            joined.append(source.text, piece.begin, piece.end);
        }
        from = end + 1;
    }
    return joined;
}

struct GiftAnswer {
    bool right;
    int line;  // of its "=" or "~"
    Span text;
};

std::string AnswerList(const std::vector<std::size_t>& numbers)
{
    std::string list;
    for (std::size_t i = 0; i < numbers.size(); ++i)
        list += (i == 0 ? "" : i + 1 == numbers.size() ? " and " : ", ") + std::to_string(numbers[i]);
    return (numbers.size() == 1 ? "answer " : "answers ") + list;
}

// Reads the one question of a block; throws Reject for anything that does
// not fit a card.
class GiftQuestionReader {
public:
    GiftQuestionReader(const GiftText& source, int firstLine) : source_(source), firstLine_(firstLine) { }

    Draft read()
    {
        const Span whole = Trim(source_, {0, source_.bytes().size()}, true);
        const std::size_t end = whole.end;
        const std::size_t start = AfterTitle(source_, whole);
        const std::size_t open = Find(source_, '{', start, end);
        const std::size_t close = Find(source_, '}', start, end);
        if (open == end && close == end)
            reject(firstLine_, "no answers in braces: a description, or a question whose braces are missing");
        if (open == end || close < open)
            reject(source_.lineAt(close), "a \"}\" before the answer braces open");
        if (close == end)
            reject(source_.lineAt(open), "the answer braces are not closed");
        if (const std::size_t second = Find(source_, '{', open + 1, close); second != close)
            reject(source_.lineAt(second), "a second \"{\" before the answer braces are closed");
        for (const char brace : {'{', '}'}) {
            if (const std::size_t next = Find(source_, brace, close + 1, end); next != end)
                reject(source_.lineAt(next),
                       "a second pair of braces after the answers: is a blank line missing between two questions?");
        }
        // Text after the braces makes a missing-word question, the braces
        // shown as "_____".
        if (!Trim(source_, {close + 1, end}, true).empty()) {
            const GiftText question = MissingWordText(start, open, close, end);
            readQuestion(question, {0, question.bytes().size()});
        } else {
            readQuestion(source_, {start, open});
        }
        readAnswers(Trim(source_, {open + 1, close}, true));
        return std::move(draft_);
    }

private:
    [[noreturn]] static void reject(int line, std::string message) { throw Reject {line, std::move(message)}; }

    GiftText MissingWordText(std::size_t start, std::size_t open, std::size_t close, std::size_t end) const
    {
        GiftText text;
        text.text.append(source_.text, start, open);
        text.text.append("_____", source_.lineAt(open));
        const std::size_t after = text.text.size();
        text.text.append(source_.text, close + 1, end);
        for (const std::size_t pos : source_.escaped) {
            if (pos >= start && pos < open)
                text.escaped.push_back(pos - start);
            else if (pos > close && pos < end)
                text.escaped.push_back(pos - (close + 1) + after);
        }
        return text;
    }

    void readQuestion(const GiftText& source, Span text)
    {
        const FormattedText question = WithoutMark(source, text, GiftFormat::Moodle);
        format_ = question.format;
        draft_.questionLines = questionLines(question);
    }

    // Every line break, real or escaped, starts a new question line. The
    // layout of the source leaves empty pieces, which are dropped; an empty
    // piece next to an escaped break is an empty line the text asks for.
    std::vector<Text> questionLines(const FormattedText& question)
    {
        if (question.format == GiftFormat::Html)
            return SeenLines(question, firstLine_, "the question text", draft_.notes, kMostLines);
        const GiftText& source = *question.source;
        std::vector<Text> lines;
        std::optional<int> escapedBefore;  // the line of an escaped break before the piece
        for (std::size_t from = question.text.begin;;) {
            const std::size_t end = std::min(source.bytes().find('\n', from), question.text.end);
            if (end == question.text.end) {
                addQuestionLine(lines, source, {from, end}, escapedBefore);
                return lines;
            }
            const std::optional<int> escapedHere =
                source.isEscaped(end) ? std::optional<int>(source.lineAt(end)) : std::nullopt;
            addQuestionLine(lines, source, {from, end}, escapedBefore ? escapedBefore : escapedHere);
            escapedBefore = escapedHere;
            from = end + 1;
        }
    }

    static void addQuestionLine(std::vector<Text>& lines, const GiftText& source, Span piece,
                                std::optional<int> escapedBreak)
    {
        // Lines past the most a question has are not kept: the count alone
        // skips the question, once the rest of it has been checked.
        const Span text = Trim(source, piece, false);
        if (!text.empty()) {
            if (lines.size() < kMostLines)
                lines.push_back(TextOfSpan(source, text));
        } else if (escapedBreak) {
            reject(*escapedBreak, "an empty line in the question text; a data file cannot hold an empty line");
        }
    }

    void readAnswers(Span answers)
    {
        const std::size_t feedback = FindGeneralFeedback(source_, answers);
        if (feedback != answers.end) {
            draft_.reference = SeenText(WithoutMark(source_, {feedback + 4, answers.end}, format_), firstLine_,
                                        "the reference", draft_.notes);
            answers = Trim(source_, {answers.begin, feedback}, true);
        }
        checkType(answers);
        const std::vector<GiftAnswer> split = splitAnswers(answers);
        if (split.size() != 4)
            checkEmpty(split);
        if (split.size() > 4)
            reject(split[4].line, Counted(split.size(), "answer", "answers") + "; a card holds exactly four");
        if (split.size() < 4)
            reject(firstLine_, Counted(split.size(), "answer", "answers") + "; a card holds exactly four");
        checkRight(split);
        std::vector<std::size_t> withFeedback;
        int feedbackLine = 0;
        for (std::size_t i = 0; i < split.size(); ++i) {
            const GiftAnswer& answer = split[i];
            const std::size_t hash = Find(source_, '#', answer.text.begin, answer.text.end);
            if (!Trim(source_, {std::min(hash + 1, answer.text.end), answer.text.end}, true).empty()) {
                feedbackLine = withFeedback.empty() ? source_.lineAt(hash) : feedbackLine;
                withFeedback.push_back(i + 1);
            }
            draft_.answers[i] =
                answerText(WithoutMark(source_, {answer.text.begin, hash}, format_), answer.line, i + 1);
            if (answer.right)
                draft_.right = i;
        }
        if (!withFeedback.empty())
            draft_.notes.push_back(
                {feedbackLine, "feedback on " + AnswerList(withFeedback) + " dropped; a card has no place for it"});
    }

    // Exactly one right answer; a second one is named on its line.
    void checkRight(const std::vector<GiftAnswer>& answers) const
    {
        std::vector<int> lines;
        for (const GiftAnswer& answer : answers) {
            if (answer.right)
                lines.push_back(answer.line);
        }
        if (lines.empty())
            reject(firstLine_, "no right answer (\"=\"); a card has exactly one");
        if (lines.size() > 1)
            reject(lines[1], std::to_string(lines.size()) + " right answers (\"=\"); a card has exactly one");
    }

    // Only a multiple-choice question ("~" answers) can become a card.
    void checkType(Span answers) const
    {
        if (answers.empty())
            reject(firstLine_, "an essay question (no answers in the braces) is not supported");
        if (source_.isPlain(answers.begin, '#'))
            reject(firstLine_, "a numerical question is not supported");
        if (Find(source_, '~', answers.begin, answers.end) != answers.end)
            return;
        const bool right = Find(source_, '=', answers.begin, answers.end) != answers.end;
        if (right && BytesOf(source_, answers).find("->") != std::string_view::npos)
            reject(firstLine_, "a matching question is not supported");
        const std::string_view word =
            BytesOf(source_, Trim(source_, {answers.begin, Find(source_, '#', answers.begin, answers.end)}, true));
        if (word == "T" || word == "F" || word == "TRUE" || word == "FALSE")
            reject(firstLine_, "a true/false question is not supported");
        reject(firstLine_,
               right ? "a short-answer question (\"=\" answers only) is not supported"
                     : "no \"=\" or \"~\" answers in the braces");
    }

    // Cut at every "~" and "="; text before the first one is a wrong answer too.
    std::vector<GiftAnswer> splitAnswers(Span answers)
    {
        std::vector<GiftAnswer> split;
        const auto isMark = [&](std::size_t pos) { return source_.isPlain(pos, '~') || source_.isPlain(pos, '='); };
        if (!isMark(answers.begin))
            split.push_back({false, source_.lineAt(answers.begin), {answers.begin, answers.end}});
        for (std::size_t pos = answers.begin; pos < answers.end; ++pos) {
            if (!isMark(pos))
                continue;
            if (!split.empty())
                split.back().text.end = pos;
            split.push_back({source_.isPlain(pos, '='), source_.lineAt(pos), {pos + 1, answers.end}});
        }
        for (std::size_t i = 0; i < split.size(); ++i) {
            GiftAnswer& answer = split[i];
            answer.text = Trim(source_, answer.text, true);
            if (answer.right)
                continue;
            if (const auto weight = WeightAt(BytesOf(source_, answer.text))) {
                const std::string written(BytesOf(source_, answer.text).substr(0, weight->end));
                if (!weight->zero && !weight->negative)
                    reject(answer.line, "answer weights (" + Quoted(written) + ") are not supported");
                if (weight->negative)
                    draft_.notes.push_back({answer.line,
                                            "the penalty " + Quoted(written) + " on answer " + std::to_string(i + 1)
                                                + " dropped; a wrong answer scores nothing on a card"});
                answer.text.begin += weight->end;
            }
        }
        return split;
    }

    // An empty answer among more or fewer than four, named before the count:
    // "~=" is a common slip for "=".
    static void checkEmpty(const std::vector<GiftAnswer>& answers)
    {
        for (std::size_t i = 0; i < answers.size(); ++i) {
            if (!answers[i].text.empty())
                continue;
            const bool slip = !answers[i].right && i + 1 < answers.size() && answers[i + 1].right;
            reject(answers[i].line,
                   "answer " + std::to_string(i + 1) + " is empty" + (slip ? "; is \"~=\" meant as \"=\"?" : ""));
        }
    }

    Text answerText(const FormattedText& answer, int line, std::size_t number)
    {
        const bool html = answer.format == GiftFormat::Html;
        if (!html && BytesOf(source_, answer.text).find('\n') != std::string_view::npos)
            reject(line, "a line break inside answer " + std::to_string(number));
        // Plain text of one line is its one seen line, blanks at its ends dropped.
        Text text = html ? JoinedTexts(SeenLines(answer, line, "answer " + std::to_string(number), draft_.notes))
                         : TextOfSpan(source_, Trim(source_, answer.text, false));
        if (text.empty())
            reject(line, "answer " + std::to_string(number) + " is empty");
        return text;
    }

    const GiftText& source_;
    const int firstLine_;
    GiftFormat format_ = GiftFormat::Moodle;
    Draft draft_;
};

Outcome ReadGiftQuestion(GiftBlock block)
{
    if (!block.invalidLines.empty()) {
        Outcome invalid;
        for (const int line : block.invalidLines)
            invalid.errors.push_back(InvalidUtf8(line));
        return invalid;
    }
    Draft draft;
    try {
        draft = GiftQuestionReader(block.text, block.firstLine).read();
    } catch (const Reject& reject) {
        return Rejected(reject);
    }
    const int firstLine = block.firstLine;
    block = GiftBlock();  // the question's texts are in the draft
    return Converted(std::move(draft), firstLine);
}

ImportResult ReadGift(std::string_view utf8, BankBuilder& builder)
{
    builder.expect(utf8.size());
    // A file with no LF at all but CRs has CR line ends; elsewhere a lone CR is
    // part of its line.
    const bool crOnly = utf8.find('\n') == std::string_view::npos && utf8.find('\r') != std::string_view::npos;
    ForEachGiftBlock(WithoutByteOrderMark(utf8), crOnly ? LineBreaks::Any : LineBreaks::Lf,
                     [&builder](GiftBlock&& block) {
                         const int firstLine = block.firstLine;
                         if (!IsCategory(block))
                             builder.add(ReadGiftQuestion(std::move(block)), firstLine);
                         else if (block.secondLine != 0)
                             builder.add(Rejected({block.secondLine, std::string(kUnderCategory)}), firstLine);
                     });
    return builder.finish();
}

}  // namespace

ImportResult ImportGift(std::string_view utf8)
{
    BankBuilder builder;
    return ReadGift(utf8, builder);
}

ImportResult ImportGift(std::string_view utf8, ImportMessages& messages)
{
    BankBuilder builder(messages);
    return ReadGift(utf8, builder);
}

}  // namespace qd
