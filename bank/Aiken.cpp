// Aiken import and export, as a learning platform's own Aiken reader reads
// the format: a question is one line of text, then its choices "A. text" or
// "A) text", then "ANSWER: X".
#include <algorithm>
#include <utility>

#include "bank/ExportChecks.h"
#include "bank/Interchange.h"
#include "bank/InterchangeParts.h"

namespace qd {

namespace {

using namespace interchange;

// The reader's tests of a line, on its UTF-8 bytes: every character they
// look at is ASCII, one byte.
constexpr std::string_view kAikenAnswerBytes = "ANSWER:";

// A capital letter, then "." or ")": the reader takes any such line as a choice.
bool IsChoiceLine(std::string_view text)
{
    return text.size() >= 2 && text[0] >= 'A' && text[0] <= 'Z' && (text[1] == '.' || text[1] == ')');
}

bool IsAnswerLine(std::string_view text)
{
    return text.substr(0, kAikenAnswerBytes.size()) == kAikenAnswerBytes;
}

// "Answer: A", "answer : a": meant as the answer line, and no answer line.
bool IsMiswrittenAnswerLine(std::string_view text)
{
    constexpr std::string_view kWord = "answer";
    if (text.size() <= kWord.size() || IsAnswerLine(text))
        return false;
    for (std::size_t i = 0; i < kWord.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) | 0x20) != static_cast<unsigned char>(kWord[i]))
            return false;
    }
    return TrimmedBlankBytes(text.substr(kWord.size())).substr(0, 1) == ":";
}

// ---------------------------------------------------------------------------
// Import

enum class AikenKind { Blank, OneCharacter, Choice, Answer, MiswrittenAnswer, Text };

// A line of the source; its texts point into it, or into the line with
// U+FFFD for each ill-formed sequence when it is not valid UTF-8.
struct AikenLine {
    AikenKind kind;
    int number;
    bool valid;
    std::string_view whole;  // the line without blanks at its ends
    std::string_view value;  // the text of a choice, or what follows "ANSWER:"
};

AikenLine ClassifyAikenLine(std::string_view line, int number, bool valid)
{
    const std::string_view text = TrimmedBlankBytes(line);
    AikenLine aiken {AikenKind::Text, number, valid, text, {}};
    if (text.empty()) {
        aiken.kind = AikenKind::Blank;
    } else if (text.size() == 1) {  // one character below U+0080: other characters take more bytes
        aiken.kind = AikenKind::OneCharacter;
    } else if (IsAnswerLine(text)) {
        aiken.kind = AikenKind::Answer;
        aiken.value = TrimmedBlankBytes(text.substr(kAikenAnswerBytes.size()));
    } else if (IsChoiceLine(text)) {
        aiken.kind = AikenKind::Choice;
        aiken.value = TrimmedBlankBytes(text.substr(2));
    } else if (IsMiswrittenAnswerLine(text)) {
        aiken.kind = AikenKind::MiswrittenAnswer;
    }
    return aiken;
}

struct AikenChoice {
    char letter;
    int number;
    Text value;
};

constexpr std::string_view kNoQuestion =
    "a choice with no question text before it; a question cannot begin like a choice (\"A.\" to \"Z.\")";

struct AikenQuestion {
    int firstLine = 0;
    Text text;  // empty: choices with no question before them
    std::vector<AikenChoice> choices;
    std::vector<int> invalidLines;
};

// The place of the right answer that "ANSWER:" names: its first character.
std::size_t RightPlace(const AikenLine& answer)
{
    const std::string_view value = answer.value;
    if (value.empty())
        throw Reject {answer.number, "\"ANSWER:\" names no choice letter"};
    const char letter = value.front();
    if (letter >= 'a' && letter <= 'z')
        throw Reject {answer.number,
                      "\"ANSWER: " + std::string(1, letter) + "\" names no choice; the letter must be a capital"};
    if (letter < 'A' || letter > 'Z')
        throw Reject {answer.number, "\"ANSWER:\" must name a choice letter, not " + Quoted(value)};
    if (letter - 'A' >= 4)
        throw Reject {answer.number, "\"ANSWER: " + std::string(1, letter) + "\" names no choice"};
    return static_cast<std::size_t>(letter - 'A');
}

Draft AikenDraft(AikenQuestion& question, const AikenLine& answer)
{
    if (question.text.empty())
        throw Reject {question.firstLine, std::string(kNoQuestion)};
    if (question.choices.empty())
        throw Reject {question.firstLine,
                      "no choices before \"ANSWER:\"; only questions with four choices can be imported"};
    for (std::size_t i = 0; i < question.choices.size(); ++i) {
        const char letter = question.choices[i].letter;
        const char expected = static_cast<char>('A' + i);
        if (letter != expected)
            throw Reject {question.choices[i].number,
                          "choice " + std::string(1, letter) + " where " + std::string(1, expected) + " was expected"};
    }
    if (question.choices.size() != 4)
        throw Reject {question.choices.size() > 4 ? question.choices[4].number : answer.number,
                      Counted(question.choices.size(), "choice", "choices") + "; a card holds exactly four"};
    Draft draft;
    draft.right = RightPlace(answer);
    if (answer.value.size() > 1)
        draft.notes.push_back(
            {answer.number,
             Quoted("ANSWER: " + std::string(answer.value)) + ": only its first letter counts, the rest is ignored"});
    for (std::size_t i = 0; i < 4; ++i) {
        if (question.choices[i].value.empty())
            throw Reject {question.choices[i].number,
                          "choice " + std::string(1, static_cast<char>('A' + i)) + " is empty"};
        draft.answers[i] = std::move(question.choices[i].value);
    }
    draft.questionLines.push_back(std::move(question.text));
    return draft;
}

Outcome ReadAikenQuestion(AikenQuestion& question, const AikenLine& answer)
{
    if (!answer.valid)
        question.invalidLines.push_back(answer.number);
    if (!question.invalidLines.empty()) {
        Outcome invalid;
        for (const int line : question.invalidLines)
            invalid.errors.push_back(InvalidUtf8(line));
        return invalid;
    }
    try {
        return Converted(AikenDraft(question, answer), question.firstLine);
    } catch (const Reject& reject) {
        return Rejected(reject);
    }
}

// Takes an Aiken source line by line. A question ends at its "ANSWER:" line;
// a text line after a question's text starts the next question, and the one
// before it is reported.
class AikenReader {
public:
    explicit AikenReader(BankBuilder& builder) : builder_(builder) { }

    void take(const AikenLine& line)
    {
        switch (line.kind) {
        case AikenKind::Blank:
            break;
        case AikenKind::OneCharacter:
            oneCharacter(line);
            break;
        case AikenKind::Text:
            text(line);
            break;
        case AikenKind::MiswrittenAnswer:
            miswrittenAnswer(line);
            break;
        case AikenKind::Choice:
            choice(line);
            break;
        case AikenKind::Answer:
            answer(line);
            break;
        }
    }

    ImportResult finish()
    {
        if (open_)
            abandon(open_->firstLine,
                    open_->text.empty()          ? kNoQuestion
                        : open_->choices.empty() ? "question text without choices or an \"ANSWER:\" line"
                                                 : "no \"ANSWER:\" line after the choices");
        return builder_.finish();
    }

private:
    // The open question is skipped: its text, with or without choices, is a
    // question the source did not finish.
    void abandon(int line, std::string_view message)
    {
        builder_.add(Rejected({line, std::string(message)}), open_->firstLine, &held_);
        open_.reset();
    }

    // Inside a question, the note waits for the question's own messages,
    // which may name earlier lines.
    void oneCharacter(const AikenLine& line)
    {
        if (open_)
            held_.lines.push_back(line.number);
        else
            builder_.note(line.number, std::string(held_.message));
    }

    void start(const AikenLine& line, std::string_view text)
    {
        open_.emplace();
        open_->choices.reserve(kAnswerCount);
        open_->firstLine = line.number;
        open_->text = Text(text, line.number);
        if (!line.valid)
            open_->invalidLines.push_back(line.number);
    }

    void text(const AikenLine& line)
    {
        if (open_ && open_->text.empty())
            abandon(open_->firstLine, kNoQuestion);
        else if (open_ && open_->choices.empty())
            abandon(open_->firstLine,
                    "text with no choices after it: a question is one line of text, then its "
                    "choices (the next question starts on line "
                        + std::to_string(line.number) + ")");
        else if (open_)
            abandon(line.number,
                    "no \"ANSWER:\" line after the choices of the question on line "
                        + std::to_string(open_->firstLine));
        start(line, line.whole);
    }

    // "Answer: A" where the choices expect "ANSWER: A"; anywhere else it is text.
    void miswrittenAnswer(const AikenLine& line)
    {
        if (!open_ || open_->choices.empty())
            return text(line);
        abandon(line.number, Quoted(line.whole) + " is no answer line: write \"ANSWER:\" in capitals");
    }

    void choice(const AikenLine& line)
    {
        if (!open_)
            start(line, {});
        else if (!line.valid)
            open_->invalidLines.push_back(line.number);
        open_->choices.push_back({line.whole.front(), line.number, Text(line.value, line.number)});
    }

    void answer(const AikenLine& line)
    {
        if (!open_)
            return builder_.error(line.number, "\"ANSWER:\" without a question before it");
        AikenQuestion question = std::move(*open_);
        open_.reset();
        builder_.add(ReadAikenQuestion(question, line), question.firstLine, &held_);
    }

    BankBuilder& builder_;
    std::optional<AikenQuestion> open_;
    HeldNotes held_ {"a line of one character is ignored", {}};
};

// ---------------------------------------------------------------------------
// Export

// The question lines as the one line the reader takes, joined by a blank.
void AppendAikenQuestionLine(std::string& aiken, const QuestionRecord& question)
{
    const std::size_t start = aiken.size();
    for (const std::string_view text : QuestionLineViews(question)) {
        if (aiken.size() != start)
            aiken += ' ';
        AppendUtf8Text(aiken, text);
    }
}

// The start of the question line the reader takes: its first bytes, enough
// for the reader's tests, which look at no more than the first eight.
std::string AikenQuestionLineStart(const QuestionRecord& question)
{
    constexpr std::size_t kTested = kAikenAnswerBytes.size() + 1;
    std::string start;
    for (const std::string_view text : QuestionLineViews(question)) {
        if (start.size() >= kTested)
            break;
        if (!start.empty())
            start += ' ';
        AppendUtf8Text(start, text.substr(0, kTested));
    }
    return start;
}

Problem AikenProblem(const QuestionRecord& question)
{
    if (Problem problem = RecordProblem(question))
        return problem;
    const std::string text = AikenQuestionLineStart(question);
    if (text.empty())
        return std::string("it has no question text, which Aiken needs");
    // The reader ignores a line of less than two bytes.
    if (text.size() == 1)
        return "its question text " + Quoted(text) + " is one character, which Aiken ignores";
    if (IsChoiceLine(text))
        return "its question text would be read as a choice (" + Quoted(text.substr(0, 2)) + ")";
    if (IsAnswerLine(text))
        return std::string("its question text would be read as the \"ANSWER:\" line");
    return std::nullopt;
}

void AppendAikenQuestion(std::string& aiken, const QuestionRecord& question, std::size_t)
{
    AppendAikenQuestionLine(aiken, question);
    aiken += '\n';
    for (std::size_t i = 0; i < kAnswerCount; ++i) {
        aiken += static_cast<char>('A' + i);
        aiken += ". ";
        AppendUtf8Text(aiken, question.answer(i));
        aiken += '\n';
    }
    aiken += "ANSWER: ";
    aiken += static_cast<char>('A' + RightIndex(question));
    aiken += '\n';
}

ImportResult ReadAiken(std::string_view utf8, BankBuilder& builder)
{
    builder.expect(utf8.size());
    AikenReader reader(builder);
    std::string repaired;
    const std::string_view text = WithoutByteOrderMark(utf8);
    const bool allValid = IsValidUtf8(text);  // then no line needs a check of its own
    LineReader lines(text, LineBreaks::Any);
    for (TextLine line {}; lines.next(line);) {
        const bool valid = allValid || IsValidUtf8(line.text);
        if (!valid)
            repaired = EncodeUtf8(DecodeUtf8(line.text));
        reader.take(ClassifyAikenLine(valid ? line.text : repaired, line.number, valid));
    }
    return reader.finish();
}

}  // namespace

ImportResult ImportAiken(std::string_view utf8)
{
    BankBuilder builder;
    return ReadAiken(utf8, builder);
}

ImportResult ImportAiken(std::string_view utf8, ImportMessages& messages)
{
    BankBuilder builder(messages);
    return ReadAiken(utf8, builder);
}

ExportResult ExportAiken(StoredQuestions& questions, TextOut& out)
{
    return Export(questions, out, {AikenProblem, AppendAikenQuestion, false, {}, {}});
}

}  // namespace qd
