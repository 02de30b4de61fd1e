// import and export: GIFT and Aiken questions in and out of data files.
#include <algorithm>
#include <cstdint>
#include <optional>
#include <ostream>

#include "bank/FormatGuess.h"
#include "bank/Interchange.h"
#include "bank/LoadRecorder.h"
#include "bank/QuestionSource.h"
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
    return format == InterchangeFormat::Gift ? "GIFT" : "Aiken";
}

std::string FormatOption(InterchangeFormat format)
{
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

// Each message as SOURCE:LINE: [note: ]message, at most `most` of them.
void PrintImportMessages(std::ostream& err, const std::string& name, const ImportResult& result, std::size_t most)
{
    const std::vector<ImportMessage> messages = InLineOrder(result);
    MessageCap cap(err);
    for (std::size_t i = 0; i < messages.size() && i < most; ++i) {
        const ImportMessage& message = messages[i];
        cap.report(name + ':' + std::to_string(message.message->line) + ": " + (message.note ? "note: " : ""),
                   message.message->message);
    }
    cap.finish();
    if (messages.size() > most)
        err << "quizdeck-bank: ... " << Counted(messages.size() - most, "more message", "more messages")
            << " left out\n";
}

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
    const std::string text = ReadFileBytes(sourceName);
    const ImportResult result = ImportQuestions(format, text);
    const auto other =
        result.errors.empty() && !result.bank.questions.empty() ? std::nullopt : OtherFormat(format, text);
    if (other)
        err << "quizdeck-bank: " << sourceName << " looks like " << FormatName(*other) << ", not " << FormatName(format)
            << "; try --format " << FormatOption(*other) << '\n';
    PrintImportMessages(err, sourceName, result, other ? kMessagesAfterHint : SIZE_MAX);
    err << "quizdeck-bank: " << sourceName << ": " << Counted(result.bank.questions.size(), "question", "questions")
        << " imported, " << result.skipped << " skipped, " << Counted(result.notes.size(), "note", "notes") << '\n';
    if (result.bank.questions.empty()) {
        err << "quizdeck-bank: " << sourceName << ": no question could be imported; " << *options.output
            << " is not written\n";
        return kToolProblems;
    }
    try {
        WriteFileWhole(*options.output, WriteDataFile(result.bank));
    } catch (const Failure& failure) {
        throw FileError(*options.output + ": cannot be written: " + failure.detail());
    }
    return result.errors.empty() ? kToolDone : kToolProblems;
}

int RunExport(const Args& args, std::ostream& out, std::ostream& err)
{
    const Options options = ParseOptions(args, {false, false, true});
    const InterchangeFormat format = FormatOf(options, "export");
    ExpectOperands(options, 1, "export takes one data file");
    const std::string& name = options.operands.front();
    const LoadedFile loaded = LoadDataFile(name);
    const ExportResult result = ExportQuestions(format, StoredBankFromLoad(loaded.load, loaded.bytes));
    out << result.text;
    const auto problems = FindDataFileProblems(loaded.load, loaded.bytes);
    PrintProblems(err, name, problems);
    PrintExportProblems(err, name, result.problems, QuestionLines(loaded.load), format);
    if (result.referencesDropped > 0)
        err << "quizdeck-bank: Aiken has no place for references: "
            << Counted(result.referencesDropped, "reference", "references") << " left out\n";
    return problems.empty() && result.problems.empty() ? kToolDone : kToolProblems;
}

}  // namespace qd::tool
