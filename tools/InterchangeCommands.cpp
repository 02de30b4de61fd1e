// import and export: GIFT, Aiken and Moodle XML questions in and out of data files.
#include <ostream>
#include <utility>

#include "bank/FormatGuess.h"
#include "bank/Interchange.h"
#include "bank/LoadRecorder.h"
#include "bank/MoodleXml.h"
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

// Each problem as SOURCE:LINE: [kind]message; notes say "note: ".
void PrintSourceErrors(std::ostream& err, const std::string& name, const std::vector<SourceError>& errors,
                       std::string_view kind = {})
{
    MessageCap messages(err);
    for (const SourceError& error : errors)
        messages.report(name + ':' + std::to_string(error.line) + ": " + std::string(kind), error.message);
    messages.finish();
}

// Says so when a source that did not import cleanly looks like the other format.
void PrintFormatHint(std::ostream& err, const std::string& name, InterchangeFormat format, std::string_view text)
{
    const auto guess = GuessInterchangeFormat(text);
    if (!guess || *guess == format)
        return;
    err << "quizdeck-bank: " << name << " looks like " << FormatName(*guess) << ", not " << FormatName(format)
        << "; try --format " << FormatOption(*guess) << '\n';
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
    const auto guess = GuessInterchangeFormat(text);
    throw FileError(name + ':' + std::to_string(imported.fault->line) + ':' + std::to_string(imported.fault->column)
                    + ": " + imported.fault->message
                    + (guess && *guess != format ? "\nquizdeck-bank: " + name + " looks like " + FormatName(*guess)
                               + "; try --format " + FormatOption(*guess)
                                                 : ""));
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
    const ImportResult result = ImportSource(format, sourceName, text);
    PrintSourceErrors(err, sourceName, result.notes, "note: ");
    PrintSourceErrors(err, sourceName, result.errors);
    if (!result.errors.empty() || result.bank.questions.empty())
        PrintFormatHint(err, sourceName, format, text);
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
    if (result.errors.empty())
        return kToolDone;
    err << "quizdeck-bank: " << sourceName << ": " << Counted(result.bank.questions.size(), "question", "questions")
        << " imported, " << result.skipped << " skipped\n";
    return kToolProblems;
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
