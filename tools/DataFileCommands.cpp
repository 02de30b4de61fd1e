// pack, unpack and check: a data file and its source form.
#include <algorithm>
#include <ostream>

#include "bank/DataFileCheck.h"
#include "bank/LoadRecorder.h"
#include "bank/QuestionSource.h"
#include "bank/StoredQuestions.h"
#include "tools/BankTool.h"
#include "tools/CommandLine.h"
#include "tools/Commands.h"
#include "tools/Messages.h"
#include "tools/ToolFiles.h"

namespace qd::tool {

void PrintProblems(std::ostream& stream, const std::string& name, const std::vector<DataFileProblem>& problems)
{
    MessageCap messages(stream);
    for (const DataFileProblem& problem : problems)
        messages.report(name + ':' + std::to_string(problem.line) + ": ", problem.message);
    messages.finish();
}

namespace {

int CheckOne(const std::string& name, std::ostream& out, std::ostream& err)
{
    try {
        const LoadedFile loaded = LoadDataFile(name);
        const auto problems = FindDataFileProblems(loaded.load, loaded.bytes);
        out << name << ": "
            << Counted(static_cast<std::size_t>(std::max(loaded.questionCount, 0)), "question", "questions") << '\n';
        PrintProblems(out, name, problems);
        return problems.empty() ? kToolDone : kToolProblems;
    } catch (const FileError& error) {
        err << "quizdeck-bank: " << error.what() << '\n';
        return kToolUsage;
    }
}

}  // namespace

int RunPack(const Args& args, std::ostream& err)
{
    const Options options = ParseOptions(args, {false, true, false});
    ExpectOperands(options, 1, "pack takes one source file");
    if (!options.output)
        throw UsageError("pack needs -o FILE.drv");
    const std::string& sourceName = options.operands.front();
    RefuseSameFile(sourceName, *options.output);
    const PackResult result = PackSource(ReadFileBytes(sourceName));
    if (!result.errors.empty()) {
        MessageCap messages(err);
        for (const SourceError& error : result.errors)
            messages.report(sourceName + ':' + std::to_string(error.line) + ": ", error.message);
        messages.finish();
        return kToolProblems;
    }
    WriteFileWhole(*options.output, result.bytes);
    return kToolDone;
}

int RunUnpack(const Args& args, std::ostream& out, std::ostream& err)
{
    const Options options = ParseOptions(args, {});
    ExpectOperands(options, 1, "unpack takes one data file");
    const std::string& name = options.operands.front();
    const LoadedFile loaded = LoadDataFile(name);
    LoadedQuestions questions(loaded.load, loaded.bytes);
    TextOut source(out);
    WriteSource(questions, source);
    const auto problems = FindDataFileProblems(loaded.load, loaded.bytes);
    PrintProblems(err, name, problems);
    return problems.empty() ? kToolDone : kToolProblems;
}

int RunCheck(const Args& args, std::ostream& out, std::ostream& err)
{
    const Options options = ParseOptions(args, {});
    if (options.operands.empty())
        throw UsageError("check needs at least one data file");
    int status = kToolDone;
    for (const std::string& name : options.operands)
        status = std::max(status, CheckOne(name, out, err));
    return status;
}

}  // namespace qd::tool
