// import and export: GIFT, Aiken and Moodle XML questions in and out of data files.
#include <algorithm>
#include <cstdint>
#include <optional>
#include <ostream>
#include <utility>

#include "bank/FormatGuess.h"
#include "bank/Interchange.h"
#include "bank/LoadRecorder.h"
#include "bank/MoodleXml.h"
#include "bank/QuestionSource.h"
#include "bank/StoredQuestions.h"
#include "shell/Failure.h"
#include "tools/BankTool.h"
#include "tools/CommandLine.h"
#include "tools/Commands.h"
#include "tools/Messages.h"
#include "tools/ToolFiles.h"

namespace qd::tool {

namespace {

std::string FormatName(InterchangeFormat format)
{
    if (format == InterchangeFormat::Xml)
        return "Moodle XML";
    return format == InterchangeFormat::Gift ? "GIFT" : "Aiken";
}

std::string FormatOption(InterchangeFormat format)
{
    if (format == InterchangeFormat::Xml)
        return "xml";
    return format == InterchangeFormat::Gift ? "gift" : "aiken";
}

// The messages an import shows after the hint that the source looks like
// the other format: the rest would only repeat that hint.
constexpr std::size_t kMessagesAfterHint = 5;

// An error or a note of an import.
struct ImportMessage {
    const SourceError* message;
    bool note;
};

// The notes and errors of an import in line order.
std::vector<ImportMessage> InLineOrder(const ImportResult& result)
{
    std::vector<ImportMessage> messages;
    messages.reserve(result.notes.size() + result.errors.size());
    for (const SourceError& note : result.notes)
        messages.push_back({&note, true});
    for (const SourceError& error : result.errors)
        messages.push_back({&error, false});
    std::stable_sort(messages.begin(), messages.end(),
                     [](const ImportMessage& a, const ImportMessage& b) { return a.message->line < b.message->line; });
    return messages;
}

// Prints each message of an import as it comes, SOURCE:LINE: [note: ]message,
// capped by kind and at most `most` of them; keeps none.
class PrintedMessages : public ImportMessages {
public:
    PrintedMessages(std::ostream& err, const std::string& name, std::size_t most)
        : err_(err), name_(name), most_(most), cap_(err)
    {
    }

    void error(const SourceError& error) override { print(error, false); }
    void note(const SourceError& note) override { print(note, true); }

    // The counts of what the caps left out.
    void finish()
    {
        cap_.finish();
        if (count_ > most_)
            err_ << "quizdeck-bank: ... " << Counted(count_ - most_, "more message", "more messages") << " left out\n";
    }

private:
    void print(const SourceError& message, bool note)
    {
        if (count_++ < most_)
            cap_.report(name_ + ':' + std::to_string(message.line) + ": " + (note ? "note: " : ""), message.message);
    }

    std::ostream& err_;
    const std::string& name_;
    const std::size_t most_;
    MessageCap cap_;
    std::size_t count_ = 0;
};

// The format a source that did not import cleanly looks like, when it is the other one.
std::optional<InterchangeFormat> OtherFormat(InterchangeFormat format, std::string_view text)
{
    const auto guess = GuessInterchangeFormat(text);
    if (!guess || *guess == format)
        return std::nullopt;
    return guess;
}

// The line of every question's NumLines in the data file, in question order.
std::vector<int> QuestionLines(const LoadRecorder& load)
{
    std::vector<int> lines;
    for (const ReadLine& line : load.lines()) {
        if (line.role == LineRole::NumLines)
            lines.push_back(line.line);
    }
    return lines;
}

void PrintExportProblems(std::ostream& err, const std::string& name, const std::vector<ExportProblem>& problems,
                         const std::vector<int>& questionLines, InterchangeFormat format)
{
    MessageCap messages(err);
    for (const ExportProblem& problem : problems) {
        const int line = problem.question < questionLines.size() ? questionLines[problem.question] : 1;
        messages.report(name + ':' + std::to_string(line) + ": question " + std::to_string(problem.question + 1)
                            + " cannot be written in " + FormatName(format) + ": ",
                        problem.message);
    }
    messages.finish();
}

// The source's questions; a Moodle XML file that cannot be read at all is a
// FileError naming its line and column.
ImportResult ImportSource(InterchangeFormat format, const std::string& name, std::string_view text)
{
    if (format != InterchangeFormat::Xml)
        return ImportQuestions(format, text);
    XmlImport imported = ImportMoodleXml(text);
    if (!imported.fault)
        return std::move(imported.result);
    const auto other = OtherFormat(format, text);
    throw FileError(name + ':' + std::to_string(imported.fault->line) + ':' + std::to_string(imported.fault->column)
                    + ": " + imported.fault->message
                    + (other ? "\nquizdeck-bank: " + name + " looks like " + FormatName(*other) + "; try --format "
                               + FormatOption(*other)
                             : ""));
}

// The messages of a GIFT or Aiken import, printed as they come unless the
// source looks like the other format: then the hint to use it comes first,
// when the import has errors or takes nothing, which only its end tells. The
// guess is made at the first message (or at the end); when it names the other
// format, this import only counts, and a second one prints.
class FirstPassMessages : public ImportMessages {
public:
    FirstPassMessages(std::ostream& err, const std::string& name, InterchangeFormat format, std::string_view text)
        : printed_(err, name, SIZE_MAX), format_(format), text_(text)
    {
    }

    void error(const SourceError& error) override
    {
        if (!other())
            printed_.error(error);
    }
    void note(const SourceError& note) override
    {
        if (!other())
            printed_.note(note);
    }

    // The other format, when the source looks like it.
    std::optional<InterchangeFormat> other()
    {
        if (!guessed_) {
            other_ = OtherFormat(format_, text_);
            guessed_ = true;
        }
        return other_;
    }
    // Every message so far was printed.
    bool printing() const { return !guessed_ || !other_; }
    void finish() { printed_.finish(); }

private:
    PrintedMessages printed_;
    const InterchangeFormat format_;
    const std::string_view text_;
    bool guessed_ = false;
    std::optional<InterchangeFormat> other_;
};

void PrintOtherFormat(std::ostream& err, const std::string& name, InterchangeFormat format, InterchangeFormat other)
{
    err << "quizdeck-bank: " << name << " looks like " << FormatName(other) << ", not " << FormatName(format)
        << "; try --format " << FormatOption(other) << '\n';
}

ImportResult ImportInterchange(InterchangeFormat format, std::string_view text, ImportMessages& messages)
{
    return format == InterchangeFormat::Gift ? ImportGift(text, messages) : ImportAiken(text, messages);
}

// Imports a source, printing its messages in line order: the hint that it
// looks like the other format first where it applies, then only a few.
ImportResult ImportPrinting(std::ostream& err, const std::string& name, InterchangeFormat format, std::string_view text)
{
    if (format == InterchangeFormat::Xml) {
        ImportResult result = ImportSource(format, name, text);
        const auto other = result.errors.empty() && result.imported > 0 ? std::nullopt : OtherFormat(format, text);
        if (other)
            PrintOtherFormat(err, name, format, *other);
        PrintedMessages printed(err, name, other ? kMessagesAfterHint : SIZE_MAX);
        for (const ImportMessage& message : InLineOrder(result))
            message.note ? printed.note(*message.message) : printed.error(*message.message);
        printed.finish();
        return result;
    }
    FirstPassMessages first(err, name, format, text);
    ImportResult result = ImportInterchange(format, text, first);
    const bool problems = result.errorCount > 0 || result.imported == 0;
    const auto other = problems ? first.other() : std::nullopt;
    if (other)
        PrintOtherFormat(err, name, format, *other);
    if (first.printing()) {
        first.finish();
        return result;
    }
    PrintedMessages printed(err, name, other ? kMessagesAfterHint : SIZE_MAX);
    result = ImportInterchange(format, text, printed);
    printed.finish();
    return result;
}

}  // namespace

int RunImport(const Args& args, std::ostream& err)
{
    const Options options = ParseOptions(args, {false, true, true});
    ExpectOperands(options, 1, "import takes one source file");
    const std::string& sourceName = options.operands.front();
    const InterchangeFormat format = FormatOf(options, "import", sourceName);
    if (!options.output)
        throw UsageError("import needs -o FILE.drv");
    RefuseSameFile(sourceName, *options.output);
    const std::string text =
        ReadFileBytes(sourceName, format == InterchangeFormat::Xml ? kMaxXmlSourceBytes : kMaxFileBytes);
    ImportResult result = ImportPrinting(err, sourceName, format, text);
    err << "quizdeck-bank: " << sourceName << ": " << Counted(result.imported, "question", "questions") << " imported, "
        << result.skipped << " skipped, " << Counted(result.noteCount, "note", "notes") << '\n';
    if (result.imported == 0) {
        err << "quizdeck-bank: " << sourceName << ": no question could be imported; " << *options.output
            << " is not written\n";
        return kToolProblems;
    }
    // GIFT and Aiken imports write their data file as they go; Moodle XML
    // keeps its questions.
    try {
        if (format == InterchangeFormat::Xml)
            result.dataFile = WriteDataFile(result.bank);
    } catch (const Failure& failure) {
        result.writeFailure = failure.detail();
    }
    if (result.writeFailure)
        throw FileError(*options.output + ": cannot be written: " + *result.writeFailure);
    WriteFileWhole(*options.output, result.dataFile);
    return result.errorCount == 0 ? kToolDone : kToolProblems;
}

int RunExport(const Args& args, std::ostream& out, std::ostream& err)
{
    const Options options = ParseOptions(args, {false, false, true});
    const InterchangeFormat format = FormatOf(options, "export");
    ExpectOperands(options, 1, "export takes one data file");
    const std::string& name = options.operands.front();
    const LoadedFile loaded = LoadDataFile(name);
    LoadedQuestions questions(loaded.load, loaded.bytes);
    TextOut text(out);
    const ExportResult result = ExportQuestions(format, questions, text);
    const auto problems = FindDataFileProblems(loaded.load, loaded.bytes);
    PrintProblems(err, name, problems);
    PrintExportProblems(err, name, result.problems, QuestionLines(loaded.load), format);
    if (result.referencesDropped > 0)
        err << "quizdeck-bank: Aiken has no place for references: "
            << Counted(result.referencesDropped, "reference", "references") << " left out\n";
    return problems.empty() && result.problems.empty() ? kToolDone : kToolProblems;
}

}  // namespace qd::tool
