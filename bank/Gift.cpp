// GIFT import: questions read as a learning platform's own GIFT reader
// reads them, and taken when they fit a card.
#include <algorithm>
#include <utility>

#include "bank/GiftParts.h"
#include "bank/Interchange.h"
#include "bank/InterchangeParts.h"

namespace qd {

namespace {

using namespace interchange;
using namespace interchange::gift;

constexpr std::string_view kUnderCategory =
    "a question right under the \"$CATEGORY:\" line is ignored with it; put a blank line between them";

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

// Reads the one question of a block into a draft; throws Reject for anything
// that does not fit a card.
class GiftQuestionReader {
public:
    GiftQuestionReader(const GiftText& source, int firstLine, Draft& draft)
        : source_(source), firstLine_(firstLine), draft_(draft)
    {
    }

    void read()
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
        std::size_t count = 0;
        int secondLine = 0;
        for (const GiftAnswer& answer : answers) {
            if (answer.right && ++count == 2)
                secondLine = answer.line;
        }
        if (count == 0)
            reject(firstLine_, "no right answer (\"=\"); a card has exactly one");
        if (count > 1)
            reject(secondLine, std::to_string(count) + " right answers (\"=\"); a card has exactly one");
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
        split.reserve(kAnswerCount + 1);
        const std::string_view bytes = source_.bytes();
        const auto isMarkByte = [](char c) { return c == '~' || c == '='; };
        if (!isMarkByte(bytes[answers.begin]) || source_.isEscaped(answers.begin))
            split.push_back({false, source_.lineAt(answers.begin), {answers.begin, answers.end}});
        const auto end = bytes.begin() + static_cast<std::ptrdiff_t>(answers.end);
        for (auto mark = std::find_if(bytes.begin() + static_cast<std::ptrdiff_t>(answers.begin), end, isMarkByte);
             mark != end; mark = std::find_if(mark + 1, end, isMarkByte)) {
            const auto pos = static_cast<std::size_t>(mark - bytes.begin());
            if (source_.isEscaped(pos))
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
                const std::string_view written = BytesOf(source_, answer.text).substr(0, weight->end);
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
    Draft& draft_;
};

Outcome ReadGiftQuestion(GiftBlock& block)
{
    if (!block.invalidLines.empty()) {
        Outcome invalid;
        for (const int line : block.invalidLines)
            invalid.errors.push_back(InvalidUtf8(line));
        return invalid;
    }
    Draft draft;
    try {
        GiftQuestionReader(block.text, block.firstLine, draft).read();
    } catch (const Reject& reject) {
        return Rejected(reject);
    }
    const int firstLine = block.firstLine;
    block.clear();  // the question's texts are in the draft
    return Converted(std::move(draft), firstLine);
}

ImportResult ReadGift(std::string_view utf8, BankBuilder& builder)
{
    builder.expect(utf8.size());
    // A file with no LF at all but CRs has CR line ends; elsewhere a lone CR is
    // part of its line.
    const bool crOnly = utf8.find('\n') == std::string_view::npos && utf8.find('\r') != std::string_view::npos;
    ForEachGiftBlock(WithoutByteOrderMark(utf8), crOnly ? LineBreaks::Any : LineBreaks::Lf,
                     [&builder](GiftBlock& block) {
                         const int firstLine = block.firstLine;
                         if (!IsCategory(block))
                             builder.add(ReadGiftQuestion(block), firstLine);
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
