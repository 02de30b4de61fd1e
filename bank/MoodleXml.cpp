// Moodle XML import: each question the reader hands over becomes a card, or
// is skipped with the reason the card cannot hold it.
#include "bank/MoodleXml.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <deque>
#include <future>
#include <utility>

#include "bank/InterchangeParts.h"
#include "bank/MoodleXmlParts.h"

namespace qd {

namespace {

using namespace interchange;
using namespace moodlexml;

// The question types the platform knows, as a reader would name them.
struct TypeName {
    std::string_view type;
    std::string_view kind;
};

constexpr std::array<TypeName, 17> kTypeNames = {{
    {"truefalse", "true/false"},
    {"shortanswer", "short-answer"},
    {"numerical", "numerical"},
    {"essay", "essay"},
    {"matching", "matching"},
    {"match", "matching"},
    {"cloze", "cloze (embedded answers)"},
    {"multianswer", "cloze (embedded answers)"},
    {"description", "description"},
    {"calculated", "calculated"},
    {"calculatedsimple", "calculated"},
    {"calculatedmulti", "calculated multiple-choice"},
    {"randomsamatch", "random short-answer matching"},
    {"ddwtos", "drag-and-drop into text"},
    {"ddimageortext", "drag-and-drop onto image"},
    {"ddmarker", "drag-and-drop markers"},
    {"gapselect", "select missing words"},
}};

std::string TypeReason(const std::optional<std::string>& type)
{
    if (!type)
        return "a question without a type is not supported";
    const auto* known =
        std::find_if(kTypeNames.begin(), kTypeNames.end(), [&](const TypeName& name) { return name.type == *type; });
    if (known != kTypeNames.end())
        return "a " + std::string(known->kind) + " question (type " + Quoted(*type) + ") is not supported";
    return "a question of type " + Quoted(*type) + " is not supported";
}

// What PHP's trim() removes from both ends of a text.
bool IsTrimmed(char32_t code)
{
    return code == U' ' || code == U'\t' || code == U'\n' || code == U'\r' || code == U'\v' || code == 0;
}

// A setting or an attribute without what PHP's trim() removes at its ends.
std::string_view TrimmedSetting(std::string_view value)
{
    while (!value.empty() && IsTrimmed(static_cast<unsigned char>(value.front())))
        value.remove_prefix(1);
    while (!value.empty() && IsTrimmed(static_cast<unsigned char>(value.back())))
        value.remove_suffix(1);
    return value;
}

// The platform's reading of a "true"/"false" setting.
bool IsTrue(std::string_view value)
{
    value = TrimmedSetting(value);
    return !value.empty() && value != "false" && value != "0";
}

enum class TextFormat { Html, Plain };

// Each format name the platform knows; any other is HTML, and so is none.
struct NamedFormat {
    std::string_view name;
    TextFormat format;
};

constexpr std::array<NamedFormat, 5> kFormatNames = {{
    {"html", TextFormat::Html},
    {"moodle_auto_format", TextFormat::Plain},
    {"plain_text", TextFormat::Plain},
    {"markdown", TextFormat::Plain},
    {"wiki_like", TextFormat::Plain},
}};

// The format a text is in: its own, or `otherwise` when it names none.
std::string FormatName(const XmlText& text, const std::string& otherwise)
{
    if (!text.format)
        return otherwise;
    const std::string trimmed(TrimmedSetting(*text.format));
    const auto* known = std::find_if(kFormatNames.begin(), kFormatNames.end(),
                                     [&](const NamedFormat& format) { return format.name == trimmed; });
    return known != kFormatNames.end() ? trimmed : "html";
}

TextFormat FormatOf(const std::string& name)
{
    const auto* known = std::find_if(kFormatNames.begin(), kFormatNames.end(),
                                     [&](const NamedFormat& format) { return format.name == name; });
    return known != kFormatNames.end() ? known->format : TextFormat::Html;
}

// A fraction as the platform reads it: a decimal number, blanks around it allowed.
std::optional<double> FractionValue(std::string_view text)
{
    text = TrimmedSetting(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value != value)
        return std::nullopt;
    return value;
}

std::string AnswerList(const std::vector<std::size_t>& numbers)
{
    std::string list;
    for (std::size_t i = 0; i < numbers.size(); ++i)
        list += (i == 0 ? "" : i + 1 == numbers.size() ? " and " : ", ") + std::to_string(numbers[i]);
    return (numbers.size() == 1 ? "answer " : "answers ") + list;
}

// Reads one multiple-choice question; throws Reject for what a card cannot hold.
class QuestionReader {
public:
    explicit QuestionReader(const XmlQuestion& question) : question_(question) { }

    // The checks that need no text, then the texts trimmed; throws Reject.
    QuestionTexts& prepare()
    {
        if (question_.single && !IsTrue(*question_.single))
            reject(question_.line,
                   "a multiple-choice question with several right answers (<single> is " + Quoted(*question_.single)
                       + ") is not supported");
        checkAnswers();
        const std::string format = FormatName(question_.questionText, "html");
        std::vector<TextPart> parts = {
            {&question_.questionText, FormatOf(format) == TextFormat::Html, "the question text"}};
        for (std::size_t i = 0; i < 4; ++i)
            parts.push_back({&question_.answers[i].text,
                             FormatOf(FormatName(question_.answers[i].text, format)) == TextFormat::Html,
                             "answer " + std::to_string(i + 1)});
        parts.push_back({&question_.generalFeedback,
                         FormatOf(FormatName(question_.generalFeedback, format)) == TextFormat::Html, "the reference"});
        texts_ = TrimmedTexts(std::move(parts));
        return texts_;
    }

    // The question from its texts as a reader sees them (SeeTexts); throws Reject.
    Draft finish()
    {
        std::vector<SeenText>& seen = texts_.seen;
        draft_.questionLines = TextsOf(seen[0].lines);
        if (seen[0].pictures || question_.oldImage)
            pictures_.emplace_back("the question text");
        for (std::size_t i = 0; i < 4; ++i)
            draft_.answers[i] = TextOf(answer(i, texts_.parts[i + 1], seen[i + 1]));
        draft_.reference = TextOf(Joined(seen[5].lines));
        if (seen[5].pictures)
            pictures_.emplace_back("the reference");
        addNotes();
        return std::move(draft_);
    }

private:
    [[noreturn]] static void reject(int line, std::string message) { throw Reject {line, std::move(message)}; }

    void checkAnswers()
    {
        const auto& answers = question_.answers;
        if (question_.answerCount != 4)
            reject(question_.answerCount > 4 ? answers[4].line : question_.line,
                   Counted(question_.answerCount, "answer", "answers") + "; a card holds exactly four");
        std::vector<std::size_t> right;
        for (std::size_t i = 0; i < 4; ++i) {
            const std::string written = answers[i].fraction.value_or("0");
            const auto fraction = FractionValue(written);
            if (!fraction)
                reject(answers[i].line,
                       "the fraction " + Quoted(written) + " of answer " + std::to_string(i + 1) + " is not a number");
            if (*fraction == 100)
                right.push_back(i);
            else if (*fraction > 0)
                reject(answers[i].line,
                       "answer " + std::to_string(i + 1) + " gives part of the marks (fraction " + Quoted(written)
                           + "); a card has one right answer and three wrong");
            else if (*fraction < 0)
                penalties_.push_back(i + 1);
        }
        if (right.empty())
            reject(question_.line, "no right answer (fraction 100); a card has exactly one");
        if (right.size() > 1)
            reject(answers[right[1]].line,
                   std::to_string(right.size()) + " right answers (fraction 100); a card has exactly one");
        draft_.right = right.front();
    }

    Chars answer(std::size_t i, const TextPart& part, const SeenText& seen)
    {
        const XmlAnswer& answer = question_.answers[i];
        const std::string number = std::to_string(i + 1);
        if (!part.html && seen.lines.size() > 1)
            reject(seen.lines[1].front().line, "a line break inside answer " + number);
        if (seen.pictures)
            pictures_.push_back("answer " + number);
        if (answer.feedback)
            feedback_.push_back(i + 1);
        Chars text = Joined(seen.lines);
        if (text.empty())
            reject(answer.line, "answer " + number + " is empty");
        return text;
    }

    void addNotes()
    {
        const int line = question_.line;
        if (!pictures_.empty()) {
            std::string places;
            for (std::size_t i = 0; i < pictures_.size(); ++i)
                places += (i == 0 ? "" : i + 1 == pictures_.size() ? " and " : ", ") + pictures_[i];
            const std::u32string name = DecodeUtf8(question_.name);
            const std::u32string_view shown = TrimmedBlanks(name);
            const std::string which = shown.empty() ? "" : " of question " + Quoted(EncodeUtf8(shown));
            draft_.notes.push_back({line, "pictures in " + places + which + " left out; a card shows text only"});
        }
        if (!feedback_.empty())
            draft_.notes.push_back({question_.answers[feedback_.front() - 1].line,
                                    "feedback on " + AnswerList(feedback_) + " dropped; a card has no place for it"});
        if (!penalties_.empty())
            draft_.notes.push_back({question_.answers[penalties_.front() - 1].line,
                                    "the penalty (negative fraction) on " + AnswerList(penalties_)
                                        + " dropped; a wrong answer on a card costs nothing"});
        if (question_.shuffleAnswers && IsTrue(*question_.shuffleAnswers))
            draft_.notes.push_back({line, "<shuffleanswers> is on; the card keeps the answers in the file's order"});
        if (question_.hints)
            draft_.notes.push_back({line, "hints dropped; a card has no place for them"});
    }

    const XmlQuestion& question_;
    QuestionTexts texts_;
    Draft draft_;
    std::vector<std::size_t> penalties_;
    std::vector<std::size_t> feedback_;
    std::vector<std::string> pictures_;
};

// A batch of questions read: each one's outcome, and the line it is reported on.
struct ReadBatch {
    std::vector<Outcome> outcomes;
    std::vector<int> lines;
};

// Reads a batch of questions, their HTML in one parse where the markup allows.
ReadBatch ReadQuestions(const std::vector<XmlQuestion>& batch)
{
    ReadBatch read {std::vector<Outcome>(batch.size()), {}};
    std::vector<std::optional<QuestionReader>> readers(batch.size());
    std::vector<QuestionTexts*> texts;
    for (std::size_t i = 0; i < batch.size(); ++i) {
        read.lines.push_back(batch[i].line);
        if (batch[i].type != "multichoice") {
            read.outcomes[i] = Rejected({batch[i].line, TypeReason(batch[i].type)});
            continue;
        }
        try {
            texts.push_back(&readers[i].emplace(batch[i]).prepare());
        } catch (const Reject& reject) {
            read.outcomes[i] = Rejected(reject);
            readers[i].reset();
        }
    }
    SeeTexts(texts);
    for (std::size_t i = 0; i < batch.size(); ++i) {
        try {
            if (readers[i])
                read.outcomes[i] = Converted(readers[i]->finish(), batch[i].line);
        } catch (const Reject& reject) {
            read.outcomes[i] = Rejected(reject);
        }
    }
    return read;
}

// Questions read in batches on a second thread while the parser goes on,
// and added to the bank in file order.
class BatchReader {
public:
    explicit BatchReader(BankBuilder& builder) : builder_(builder) { batch_.reserve(kBatch); }

    void take(XmlQuestion&& question)
    {
        batch_.push_back(std::move(question));
        if (batch_.size() == kBatch)
            send();
    }

    // Every question taken is in the bank.
    void finish()
    {
        send();
        while (!reading_.empty())
            receive();
    }

private:
    static constexpr std::size_t kBatch = 64;
    static constexpr std::size_t kReading = 2;  // batches read at once, besides the parse

    void send()
    {
        if (batch_.empty())
            return;
        reading_.push_back(
            std::async(std::launch::async, [batch = std::move(batch_)] { return ReadQuestions(batch); }));
        batch_ = {};
        batch_.reserve(kBatch);
        while (reading_.size() > kReading)
            receive();
    }

    void receive()
    {
        ReadBatch read = reading_.front().get();
        reading_.pop_front();
        for (std::size_t i = 0; i < read.outcomes.size(); ++i)
            builder_.add(std::move(read.outcomes[i]), read.lines[i]);
    }

    BankBuilder& builder_;
    std::vector<XmlQuestion> batch_;
    std::deque<std::future<ReadBatch>> reading_;
};

}  // namespace

XmlImport ImportMoodleXml(std::string_view bytes)
{
    BankBuilder builder;
    BatchReader reader(builder);
    XmlSink sink;
    sink.question = [&](XmlQuestion&& question) {
        if (question.type != "category")
            reader.take(std::move(question));
    };
    sink.wrongRoot = [&](int line, const std::string& root) {
        builder.error(line, "the root element is <" + root + ">, not <quiz>: this is not Moodle XML");
    };
    XmlImport imported;
    imported.fault = ReadMoodleXml(bytes, sink);
    reader.finish();
    if (!imported.fault)
        imported.result = builder.finish();
    return imported;
}

ImportResult ImportXmlQuestions(std::string_view bytes)
{
    XmlImport imported = ImportMoodleXml(bytes);
    if (imported.fault)
        imported.result.errors.push_back({imported.fault->line, imported.fault->message});
    return std::move(imported.result);
}

}  // namespace qd
