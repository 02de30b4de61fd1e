// Moodle XML import: each question the reader hands over becomes a card, or
// is skipped with the reason the card cannot hold it.
#include "bank/MoodleXml.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>
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
    XmlDraft finish()
    {
        std::vector<SeenText>& seen = texts_.seen;
        draft_.questionLines = std::move(seen[0].lines);
        if (seen[0].pictures || question_.oldImage)
            pictures_.emplace_back("the question text");
        for (std::size_t i = 0; i < 4; ++i)
            draft_.answers[i] = answer(i, texts_.parts[i + 1], seen[i + 1]);
        draft_.reference = std::move(seen[5].lines);
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

    std::vector<SeenLine> answer(std::size_t i, const TextPart& part, SeenText& seen)
    {
        const XmlAnswer& answer = question_.answers[i];
        const std::string number = std::to_string(i + 1);
        if (!part.html && seen.lines.size() > 1)
            reject(seen.lines[1].line, "a line break inside answer " + number);
        if (seen.pictures)
            pictures_.push_back("answer " + number);
        if (answer.feedback)
            feedback_.push_back(i + 1);
        if (seen.lines.empty())
            reject(answer.line, "answer " + number + " is empty");
        return std::move(seen.lines);
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
    XmlDraft draft_;
    std::vector<std::size_t> penalties_;
    std::vector<std::size_t> feedback_;
    std::vector<std::string> pictures_;
};

// Reads batches of questions into the bank, their HTML in one parse where
// the markup allows; its room is kept from one batch to the next.
class QuestionsReader {
public:
    explicit QuestionsReader(BankBuilder& builder) : builder_(builder) { }

    void read(const std::vector<XmlQuestion>& batch)
    {
        outcomes_.clear();
        outcomes_.resize(batch.size());
        readers_.clear();
        readers_.resize(batch.size());
        texts_.clear();
        for (std::size_t i = 0; i < batch.size(); ++i) {
            if (batch[i].type != "multichoice") {
                outcomes_[i] = Rejected({batch[i].line, TypeReason(batch[i].type)});
                continue;
            }
            try {
                texts_.push_back(&readers_[i].emplace(batch[i]).prepare());
            } catch (const Reject& reject) {
                outcomes_[i] = Rejected(reject);
                readers_[i].reset();
            }
        }
        SeeTexts(texts_);
        for (std::size_t i = 0; i < batch.size(); ++i) {
            try {
                if (readers_[i])
                    outcomes_[i] = moodlexml::Converted(readers_[i]->finish(), batch[i].line);
            } catch (const Reject& reject) {
                outcomes_[i] = Rejected(reject);
            }
        }
        for (std::size_t i = 0; i < batch.size(); ++i)
            builder_.add(std::move(outcomes_[i]), batch[i].line);
    }

private:
    BankBuilder& builder_;
    std::vector<Outcome> outcomes_;
    std::vector<std::optional<QuestionReader>> readers_;
    std::vector<QuestionTexts*> texts_;
};

// Questions read in batches on a second thread while the parser goes on,
// and added to the bank in file order by that thread. A source of one batch
// is read on the calling thread alone.
class BatchReader {
public:
    explicit BatchReader(BankBuilder& builder) : questions_(builder) { batch_.reserve(kBatch); }
    BatchReader(const BatchReader&) = delete;
    BatchReader& operator=(const BatchReader&) = delete;
    ~BatchReader() { stop(); }

    void take(XmlQuestion&& question)
    {
        batch_.push_back(std::move(question));
        if (batch_.size() == kBatch)
            send();
    }

    // Every question taken is in the bank; what the second thread threw is
    // thrown here.
    void finish()
    {
        if (!worker_.joinable()) {
            questions_.read(batch_);
            batch_.clear();
            return;
        }
        send();
        stop();
        if (failure_)
            std::rethrow_exception(failure_);
    }

private:
    static constexpr std::size_t kBatch = 64;
    static constexpr std::size_t kQueued = 2;  // batches waiting for the second thread

    void send()
    {
        if (batch_.empty())
            return;
        if (!worker_.joinable())
            worker_ = std::thread([this] { work(); });
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return queue_.size() < kQueued; });
        queue_.push_back(std::move(batch_));
        batch_ = {};
        if (!read_.empty()) {
            batch_ = std::move(read_.back());
            read_.pop_back();
        }
        lock.unlock();
        changed_.notify_all();
        // The questions are freed by the thread that made them, and the room kept.
        batch_.clear();
        batch_.reserve(kBatch);
    }

    // Lets the second thread read what is queued, and waits for it to end.
    void stop()
    {
        if (!worker_.joinable())
            return;
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            done_ = true;
        }
        changed_.notify_all();
        worker_.join();
    }

    void work()
    {
        for (;;) {
            std::vector<XmlQuestion> batch;
            {
                std::unique_lock<std::mutex> lock(mutex_);
                changed_.wait(lock, [this] { return !queue_.empty() || done_; });
                if (queue_.empty())
                    return;
                batch = std::move(queue_.front());
                queue_.pop_front();
            }
            changed_.notify_all();
            try {
                if (!failure_)
                    questions_.read(batch);
            } catch (...) {
                failure_ = std::current_exception();
            }
            const std::lock_guard<std::mutex> lock(mutex_);
            read_.push_back(std::move(batch));
        }
    }

    QuestionsReader questions_;  // used by the second thread once it runs
    std::vector<XmlQuestion> batch_;
    std::thread worker_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::vector<XmlQuestion>> queue_;
    std::vector<std::vector<XmlQuestion>> read_;  // batches read, handed back to be freed and filled again
    bool done_ = false;
    std::exception_ptr failure_;  // read only once the second thread has ended
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
    std::optional<SourceError> wrongRoot;  // added once the second thread is done with the bank
    sink.wrongRoot = [&](int line, const std::string& root) {
        wrongRoot = SourceError {line, "the root element is <" + root + ">, not <quiz>: this is not Moodle XML"};
    };
    XmlImport imported;
    imported.fault = ReadMoodleXml(bytes, sink);
    reader.finish();
    if (wrongRoot)
        builder.error(wrongRoot->line, std::move(wrongRoot->message));
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
