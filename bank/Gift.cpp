// GIFT import: questions read as a learning platform's own GIFT reader
// reads them, and taken when they fit a card.
#include <algorithm>
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

// The lines of one question: no blank lines, no comment lines.
struct GiftBlock {
    int firstLine = 0;
    std::vector<TextLine> lines;
};

// Calls `take` with each block of a text, one at a time.
template <typename Take>
void ForEachGiftBlock(std::string_view text, LineBreaks breaks, Take take)
{
    GiftBlock block;
    LineReader lines(text, breaks);
    for (TextLine line {}; lines.next(line);) {
        if (TrimmedLine(line.text).empty()) {
            if (!block.lines.empty())
                take(block);
            block.lines.clear();
        } else if (!IsCommentLine(line.text)) {
            if (block.lines.empty())
                block.firstLine = line.number;
            block.lines.push_back(line);
        }
    }
    if (!block.lines.empty())
        take(block);
}

// A block that names a category: the reader ignores the whole block, so a
// question right under the category line is lost with it.
bool IsCategory(const GiftBlock& block)
{
    return TrimmedLine(block.lines.front().text).substr(0, 10) == "$CATEGORY:";
}

constexpr std::string_view kUnderCategory =
    "a question right under the \"$CATEGORY:\" line is ignored with it; put a blank line between them";

// The escaped character that a backslash followed by `next` stands for.
std::optional<Char> Escaped(char32_t next, int line)
{
    if (next == U'n')
        return Char {U'\n', line, true};
    if (kGiftEscaped.find(next) != std::u32string_view::npos)
        return Char {next, line, true};
    return std::nullopt;
}

// A backslash before any other character is a backslash.
void AppendUnescaped(Chars& chars, const DecodedLine& line)
{
    const std::u32string& text = line.text;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto escaped = text[i] == U'\\' && i + 1 < text.size() ? Escaped(text[i + 1], line.number) : std::nullopt;
        chars.push_back(escaped.value_or(Char {text[i], line.number, false}));
        if (escaped)
            ++i;
    }
}

// The characters of a block, its lines joined by real line breaks.
Chars GiftChars(const std::vector<DecodedLine>& lines)
{
    Chars chars;
    std::size_t size = lines.size();
    for (const DecodedLine& line : lines)
        size += line.text.size();
    chars.reserve(size);
    for (const DecodedLine& line : lines) {
        if (&line != &lines.front())
            chars.push_back({U'\n', line.number, false});
        AppendUnescaped(chars, line);
    }
    return Trimmed(chars, IsLayout);
}

// The first unescaped `code` in [from, to), or `to`.
std::size_t Find(const Chars& text, char32_t code, std::size_t from, std::size_t to)
{
    for (std::size_t i = from; i < to; ++i) {
        if (IsPlain(text[i], code))
            return i;
    }
    return to;
}

bool IsDoubleColon(const Chars& text, std::size_t pos)
{
    return pos + 1 < text.size() && IsPlain(text[pos], U':') && IsPlain(text[pos + 1], U':');
}

// Where the question text starts: after "::title::", which is dropped. A
// title without its closing "::" is no title: the text follows the "::".
std::size_t AfterTitle(const Chars& text)
{
    if (!IsDoubleColon(text, 0))
        return 0;
    for (std::size_t i = 2; i < text.size(); ++i) {
        if (IsDoubleColon(text, i))
            return i + 2;
    }
    return 2;
}

// The last of four unescaped "#" in a row, or text.size().
std::size_t FindGeneralFeedback(const Chars& text)
{
    for (std::size_t i = text.size(); i >= 4; --i) {
        if (std::all_of(text.begin() + static_cast<std::ptrdiff_t>(i - 4),
                        text.begin() + static_cast<std::ptrdiff_t>(i), [](const Char& c) { return IsPlain(c, U'#'); }))
            return i - 4;
    }
    return text.size();
}

int LineOf(const Chars& text, int otherwise)
{
    return text.empty() ? otherwise : text.front().line;
}

// A text with its format mark, if any, taken off; the format of a text
// without one is `otherwise`.
struct FormattedText {
    GiftFormat format;
    Chars text;
};

FormattedText WithoutMark(const Chars& text, GiftFormat otherwise)
{
    const Chars trimmed = Trimmed(text, IsLayout);
    if (const auto mark = FormatMarkAt(trimmed, 0))
        return {mark->format, Trimmed(Slice(trimmed, mark->end, trimmed.size()), IsLayout)};
    return {otherwise, trimmed};
}

// The lines a reader sees in a text: HTML rendered, or the text cut at each
// line break. Empty lines are left out; images in HTML are noted as dropped.
std::vector<Chars> SeenLines(const FormattedText& text, int line, std::string_view what,
                             std::vector<SourceError>& notes)
{
    std::vector<Chars> lines;
    if (text.format == GiftFormat::Html) {
        const HtmlText html = HtmlLines(CodesOf(text.text));
        if (html.cut)
            throw Reject {LineOf(text.text, line),
                          "the HTML of " + std::string(what) + " is nested too deeply to be read whole"};
        for (const std::u32string& seen : html.lines)
            lines.push_back(CharsOf(seen, LineOf(text.text, line)));
        if (html.images > 0)
            notes.push_back({LineOf(text.text, line),
                             (html.images == 1 ? "an image in " : "images in ") + std::string(what)
                                 + " dropped; a card shows text only"});
        return lines;
    }
    Chars piece;
    for (const Char& c : text.text) {
        if (!IsBreak(c)) {
            piece.push_back(c);
            continue;
        }
        if (Chars trimmed = Trimmed(piece, IsBlankChar); !trimmed.empty())
            lines.push_back(std::move(trimmed));
        piece.clear();
    }
    if (Chars trimmed = Trimmed(piece, IsBlankChar); !trimmed.empty())
        lines.push_back(std::move(trimmed));
    return lines;
}

struct GiftAnswer {
    bool right;
    int line;  // of its "=" or "~"
    Chars text;
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
    GiftQuestionReader(Chars chars, int firstLine) : chars_(std::move(chars)), firstLine_(firstLine) { }

    Draft read()
    {
        const std::size_t end = chars_.size();
        const std::size_t start = AfterTitle(chars_);
        const std::size_t open = Find(chars_, U'{', start, end);
        const std::size_t close = Find(chars_, U'}', start, end);
        if (open == end && close == end)
            reject(firstLine_, "no answers in braces: a description, or a question whose braces are missing");
        if (open == end || close < open)
            reject(chars_[close].line, "a \"}\" before the answer braces open");
        if (close == end)
            reject(chars_[open].line, "the answer braces are not closed");
        if (const std::size_t second = Find(chars_, U'{', open + 1, close); second != close)
            reject(chars_[second].line, "a second \"{\" before the answer braces are closed");
        for (const char32_t brace : {U'{', U'}'}) {
            if (const std::size_t next = Find(chars_, brace, close + 1, end); next != end)
                reject(chars_[next].line,
                       "a second pair of braces after the answers: is a blank line missing between two questions?");
        }
        const FormattedText question = WithoutMark(questionText(start, open, close), GiftFormat::Moodle);
        format_ = question.format;
        draft_.questionLines = questionLines(question);
        readAnswers(Trimmed(Slice(chars_, open + 1, close), IsLayout));
        return std::move(draft_);
    }

private:
    [[noreturn]] static void reject(int line, std::string message) { throw Reject {line, std::move(message)}; }

    // The text around the braces; text after them makes a missing-word
    // question, the braces shown as "_____".
    Chars questionText(std::size_t start, std::size_t open, std::size_t close) const
    {
        Chars text = Slice(chars_, start, open);
        const Chars after = Slice(chars_, close + 1, chars_.size());
        if (!Trimmed(after, IsLayout).empty()) {
            const Chars blank = CharsOf(U"_____", chars_[open].line);
            text.insert(text.end(), blank.begin(), blank.end());
            text.insert(text.end(), after.begin(), after.end());
        }
        return text;
    }

    // Every line break, real or escaped, starts a new question line. The
    // layout of the source leaves empty pieces, which are dropped; an empty
    // piece next to an escaped break is an empty line the text asks for.
    std::vector<Chars> questionLines(const FormattedText& question)
    {
        if (question.format == GiftFormat::Html)
            return SeenLines(question, firstLine_, "the question text", draft_.notes);
        std::vector<Chars> lines;
        Chars piece;
        std::optional<int> escapedBefore;  // the line of an escaped break before the piece
        for (const Char& c : question.text) {
            if (!IsBreak(c)) {
                piece.push_back(c);
                continue;
            }
            const std::optional<int> escapedHere = c.escaped ? std::optional<int>(c.line) : std::nullopt;
            addQuestionLine(lines, piece, escapedBefore ? escapedBefore : escapedHere);
            escapedBefore = escapedHere;
            piece.clear();
        }
        addQuestionLine(lines, piece, escapedBefore);
        return lines;
    }

    static void addQuestionLine(std::vector<Chars>& lines, const Chars& piece, std::optional<int> escapedBreak)
    {
        Chars text = Trimmed(piece, IsBlankChar);
        if (!text.empty())
            lines.push_back(std::move(text));
        else if (escapedBreak)
            reject(*escapedBreak, "an empty line in the question text; a data file cannot hold an empty line");
    }

    void readAnswers(Chars answers)
    {
        const std::size_t feedback = FindGeneralFeedback(answers);
        if (feedback != answers.size()) {
            draft_.reference = Joined(SeenLines(WithoutMark(Slice(answers, feedback + 4, answers.size()), format_),
                                                firstLine_, "the reference", draft_.notes));
            answers = Trimmed(Slice(answers, 0, feedback), IsLayout);
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
            const std::size_t hash = Find(answer.text, U'#', 0, answer.text.size());
            if (!Trimmed(Slice(answer.text, hash + 1, answer.text.size()), IsLayout).empty()) {
                feedbackLine = withFeedback.empty() ? answer.text[hash].line : feedbackLine;
                withFeedback.push_back(i + 1);
            }
            draft_.answers[i] = answerText(WithoutMark(Slice(answer.text, 0, hash), format_), answer.line, i + 1);
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
    void checkType(const Chars& answers) const
    {
        if (answers.empty())
            reject(firstLine_, "an essay question (no answers in the braces) is not supported");
        if (IsPlain(answers.front(), U'#'))
            reject(firstLine_, "a numerical question is not supported");
        if (Find(answers, U'~', 0, answers.size()) != answers.size())
            return;
        const bool right = Find(answers, U'=', 0, answers.size()) != answers.size();
        const std::u32string codes = CodesOf(answers);
        if (right && codes.find(U"->") != std::u32string::npos)
            reject(firstLine_, "a matching question is not supported");
        const std::u32string word =
            CodesOf(Trimmed(Slice(answers, 0, Find(answers, U'#', 0, answers.size())), IsLayout));
        if (word == U"T" || word == U"F" || word == U"TRUE" || word == U"FALSE")
            reject(firstLine_, "a true/false question is not supported");
        reject(firstLine_,
               right ? "a short-answer question (\"=\" answers only) is not supported"
                     : "no \"=\" or \"~\" answers in the braces");
    }

    // Cut at every "~" and "="; text before the first one is a wrong answer too.
    std::vector<GiftAnswer> splitAnswers(const Chars& answers)
    {
        std::vector<GiftAnswer> split;
        const bool leading = !IsPlain(answers.front(), U'~') && !IsPlain(answers.front(), U'=');
        if (leading)
            split.push_back({false, answers.front().line, {}});
        for (const Char& c : answers) {
            if (IsPlain(c, U'~') || IsPlain(c, U'='))
                split.push_back({IsPlain(c, U'='), c.line, {}});
            else
                split.back().text.push_back(c);
        }
        for (std::size_t i = 0; i < split.size(); ++i) {
            GiftAnswer& answer = split[i];
            answer.text = Trimmed(answer.text, IsLayout);
            if (answer.right)
                continue;
            if (const auto weight = WeightAt(answer.text)) {
                const std::string written = Utf8Of(Slice(answer.text, 0, weight->end));
                if (!weight->zero && !weight->negative)
                    reject(answer.line, "answer weights (" + Quoted(written) + ") are not supported");
                if (weight->negative)
                    draft_.notes.push_back({answer.line,
                                            "the penalty " + Quoted(written) + " on answer " + std::to_string(i + 1)
                                                + " dropped; a wrong answer scores nothing on a card"});
                answer.text = Slice(answer.text, weight->end, answer.text.size());
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

    Chars answerText(const FormattedText& answer, int line, std::size_t number)
    {
        if (answer.format != GiftFormat::Html && std::any_of(answer.text.begin(), answer.text.end(), IsBreak))
            reject(line, "a line break inside answer " + std::to_string(number));
        Chars text = Joined(SeenLines(answer, line, "answer " + std::to_string(number), draft_.notes));
        if (text.empty())
            reject(line, "answer " + std::to_string(number) + " is empty");
        return text;
    }

    const Chars chars_;
    const int firstLine_;
    GiftFormat format_ = GiftFormat::Moodle;
    Draft draft_;
};

Outcome ReadGiftQuestion(const GiftBlock& block)
{
    Outcome invalid;
    std::vector<DecodedLine> lines;
    lines.reserve(block.lines.size());
    for (const TextLine& line : block.lines) {
        lines.push_back(DecodeLine(line));
        if (!lines.back().valid)
            invalid.errors.push_back(InvalidUtf8(line.number));
    }
    if (!invalid.errors.empty())
        return invalid;
    try {
        return Converted(GiftQuestionReader(GiftChars(lines), block.firstLine).read(), block.firstLine);
    } catch (const Reject& reject) {
        return Rejected(reject);
    }
}

}  // namespace

ImportResult ImportGift(std::string_view utf8)
{
    // A file with no LF at all but CRs has CR line ends; elsewhere a lone CR is
    // part of its line.
    const bool crOnly = utf8.find('\n') == std::string_view::npos && utf8.find('\r') != std::string_view::npos;
    BankBuilder builder;
    ForEachGiftBlock(
        WithoutByteOrderMark(utf8), crOnly ? LineBreaks::Any : LineBreaks::Lf, [&builder](const GiftBlock& block) {
            if (!IsCategory(block))
                builder.add(ReadGiftQuestion(block), block.firstLine);
            else if (block.lines.size() > 1)
                builder.add(Rejected({block.lines[1].number, std::string(kUnderCategory)}), block.firstLine);
        });
    return builder.finish();
}

}  // namespace qd
