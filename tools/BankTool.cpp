#include "tools/BankTool.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <istream>
#include <iterator>
#include <map>
#include <optional>
#include <ostream>
#include <set>
#include <stdexcept>
#include <utility>

#include <QByteArray>
#include <QFile>

#include "bank/Convert.h"
#include "bank/Descrambler.h"
#include "bank/Interchange.h"
#include "bank/QuestionFile.h"
#include "bank/QuestionSource.h"
#include "shell/ErrorLog.h"
#include "shell/Failure.h"
#include "shell/Program.h"
#include "shell/platform/Files.h"
#include "shell/platform/MessageBoxes.h"
#include "shell/platform/ProgramEnd.h"

namespace qd {

namespace {

constexpr std::string_view kUsage =
    "usage: quizdeck-bank scramble [--key KEY]     < plain lines      > scrambled lines\n"
    "       quizdeck-bank descramble [--key KEY]   < scrambled lines  > plain lines\n"
    "       quizdeck-bank pack SOURCE -o FILE.drv\n"
    "       quizdeck-bank unpack FILE.drv          > source\n"
    "       quizdeck-bank check FILE.drv...\n"
    "       quizdeck-bank import --format gift|aiken SOURCE -o FILE.drv\n"
    "       quizdeck-bank export --format gift|aiken FILE.drv  > GIFT or Aiken text\n"
    "       quizdeck-bank --help\n"
    "\n"
    "scramble and descramble filter lines byte for byte; KEY defaults to the\n"
    "program's key. pack and unpack convert between a data file and its source\n"
    "form (data/README.md). check loads data files as the program does and\n"
    "reports every problem as FILE:LINE: problem.\n"
    "\n"
    "import reads multiple-choice questions in GIFT or Aiken (UTF-8) into a data\n"
    "file; a question that does not fit a card (four answers, one right) or has\n"
    "a character outside windows-1252 is reported as SOURCE:LINE: reason and\n"
    "skipped, and the others are still written. A question without a reference\n"
    "gets \"No reference text was given for this question.\" export writes a data\n"
    "file's questions in GIFT or Aiken to standard output; Aiken has no place\n"
    "for the references.\n"
    "\n"
    "Exit status: 0 done and clean, 1 problems found, 2 usage error or a file\n"
    "that cannot be read or written.\n";

// A command line the tool cannot run; the usage text follows the message.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A file that cannot be read or written.
class FileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// --help or -h, wherever an option may stand.
struct HelpRequest { };

std::string Quoted(std::string_view text)
{
    return "\"" + std::string(text) + "\"";
}

std::string Plural(std::size_t count, std::string_view noun)
{
    return std::to_string(count) + " " + std::string(noun) + (count == 1 ? "" : "s");
}

// ---------------------------------------------------------------------------
// The command line

struct Options {
    std::vector<std::string> operands;
    std::optional<std::string> key;
    std::optional<std::string> output;
    std::optional<std::string> format;
};

struct AllowedOptions {
    bool key = false;
    bool output = false;
    bool format = false;
};

const std::string& OptionValue(const std::vector<std::string>& args, std::size_t index, const std::string& option)
{
    if (index >= args.size())
        throw UsageError(option + " needs a value");
    return args[index];
}

void SetOnce(std::optional<std::string>& slot, const std::string& value, const std::string& option)
{
    if (slot)
        throw UsageError(option + " given twice");
    slot = value;
}

// The arguments after the command.
Options ParseOptions(const std::vector<std::string>& args, AllowedOptions allowed)
{
    Options options;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h")
            throw HelpRequest {};
        if (allowed.key && arg == "--key")
            SetOnce(options.key, OptionValue(args, ++i, arg), "--key");
        else if (allowed.key && arg.rfind("--key=", 0) == 0)
            SetOnce(options.key, arg.substr(6), "--key");
        else if (allowed.output && arg == "-o")
            SetOnce(options.output, OptionValue(args, ++i, arg), "-o");
        else if (allowed.format && arg == "--format")
            SetOnce(options.format, OptionValue(args, ++i, arg), "--format");
        else if (allowed.format && arg.rfind("--format=", 0) == 0)
            SetOnce(options.format, arg.substr(9), "--format");
        else if (arg.size() > 1 && arg.front() == '-')
            throw UsageError("unknown option " + Quoted(arg) + " for " + args.front());
        else
            options.operands.push_back(arg);
    }
    return options;
}

void ExpectOperands(const Options& options, std::size_t count, const std::string& what)
{
    if (options.operands.size() != count)
        throw UsageError(what);
}

// ---------------------------------------------------------------------------
// Files

std::string ReadAll(std::istream& in)
{
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The bytes of a regular, readable file of at most kMaxFileBytes.
std::string ReadFileBytes(const std::string& name)
{
    try {
        return ReadRegularFile(name);
    } catch (const Failure& failure) {
        if (failure.number() == failure::kFileNotFound)
            throw FileError(name + ": no such file");
        throw FileError(name + ": " + failure.detail());
    }
}

// Writes the whole file or, on any failure, leaves whatever was there.
void WriteFileWhole(const std::string& name, const std::string& bytes)
{
    try {
        WriteFileAtomically(name, bytes);
    } catch (const Failure& failure) {
        throw FileError(name + ": " + failure.detail());
    }
}

// Writing the output over the source would lose the source.
void RefuseSameFile(const std::string& source, const std::string& output)
{
    if (IsSameFile(source, output))
        throw FileError(output + ": is the same file as " + source + "; it is not replaced");
}

// ---------------------------------------------------------------------------
// scramble and descramble

// Lines end at LF; a CR just before the LF belongs to the end.
std::vector<std::string_view> InputLines(std::string_view input)
{
    std::vector<std::string_view> lines;
    std::size_t pos = 0;
    while (pos < input.size()) {
        const std::size_t lf = input.find('\n', pos);
        const std::size_t end = std::min(lf, input.size());
        std::string_view line = input.substr(pos, end - pos);
        if (lf != std::string_view::npos && !line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        pos = end + 1;
    }
    return lines;
}

std::string KeyOf(const Options& options)
{
    std::string key = options.key.value_or(std::string(kQuestionKey));
    if (key.empty() || key.size() > kMaxKeyLength)
        throw UsageError("the key must be 1 to 255 bytes long");
    return key;
}

using LineConverter = std::function<std::string(std::string_view key, std::string_view line)>;

// Converts every input line; a line that cannot be converted is reported by
// its number and left out, and the others are still written.
int RunFilter(const std::vector<std::string>& args, const LineConverter& convert, std::string_view lineEnd,
              std::istream& in, std::ostream& out, std::ostream& err)
{
    const Options options = ParseOptions(args, {true, false, false});
    ExpectOperands(options, 0, args.front() + " reads standard input and takes no file");
    const std::string key = KeyOf(options);
    const std::string input = ReadAll(in);
    int status = kToolDone;
    int number = 0;
    for (const std::string_view line : InputLines(input)) {
        ++number;
        try {
            out << convert(key, line) << lineEnd;
        } catch (const Failure& failure) {
            err << "line " << number << ": " << failure.detail() << '\n';
            status = kToolProblems;
        }
    }
    return status;
}

// ---------------------------------------------------------------------------
// Loading data files as the program does

// Keeps the entries the loader logs: the tool reports problems itself and
// never writes a log file beside the files it reads.
class CollectingErrorLog final : public ErrorLogWriter {
public:
    void write(std::int16_t number, std::string_view code) override { entries_.emplace_back(number, code); }

private:
    std::vector<std::pair<std::int16_t, std::string>> entries_;
};

class StreamMessageBoxes final : public MessageBoxes {
public:
    explicit StreamMessageBoxes(std::ostream& err) : err_(err) { }

    MsgAnswer show(const MsgBoxRequest& request) override
    {
        err_ << "quizdeck-bank: " << request.prompt.toStdString() << '\n';
        return request.buttons == MsgButtons::YesNo ? MsgAnswer::No : MsgAnswer::Ok;
    }

private:
    std::ostream& err_;
};

// Lets EndProgram raise ProgramEnded instead of ending the process.
class ReturningEnder final : public ProgramEnder {
public:
    void end(int /*status*/) override { }
};

// The tool's seams in the program-wide state for as long as it loads files.
class ToolSession {
public:
    explicit ToolSession(std::ostream& err)
    {
        Program& program = TheProgram();
        program.setErrorLog(std::make_unique<CollectingErrorLog>());
        program.setMessageBoxes(std::make_unique<StreamMessageBoxes>(err));
        program.setEnder(std::make_unique<ReturningEnder>());
    }
    ~ToolSession() { ResetProgram(); }
    ToolSession(const ToolSession&) = delete;
    ToolSession& operator=(const ToolSession&) = delete;
};

struct LoadedFile {
    std::string bytes;
    LoadRecorder load;
    int questionCount = 0;
};

LoadedFile LoadDataFile(const std::string& name)
{
    LoadedFile loaded;
    loaded.bytes = ReadFileBytes(name);
    const auto path = std::filesystem::absolute(std::filesystem::path(name));
    TheProgram().programFolder = path.parent_path();
    try {
        LoadQuestionFile(path.filename().string(), &loaded.load);
    } catch (const ProgramEnded&) {
        throw FileError(name + ": cannot be read");
    }
    const auto& failures = loaded.load.failures();
    if (std::any_of(failures.begin(), failures.end(), [](const LoadFailure& f) { return f.line == 0; }))
        throw FileError(name + ": cannot be read");
    loaded.questionCount = QuestionCount();
    return loaded;
}

// ---------------------------------------------------------------------------
// Problems of a data file

struct Problem {
    int line;
    std::string message;
};

std::string RoleName(LineRole role)
{
    switch (role) {
    case LineRole::NumLines:
        return "NumLines";
    case LineRole::Question:
        return "question";
    case LineRole::Answer1:
        return "answer 1";
    case LineRole::Answer2:
        return "answer 2";
    case LineRole::Answer3:
        return "answer 3";
    case LineRole::Answer4:
        return "answer 4";
    case LineRole::AnsNum:
        return "AnsNum";
    case LineRole::Ref:
        return "reference";
    }
    return "unknown";
}

bool IsAnswerRole(LineRole role)
{
    return role == LineRole::Answer1 || role == LineRole::Answer2 || role == LineRole::Answer3
        || role == LineRole::Answer4;
}

bool IsAnswerNumber(std::string_view text)
{
    try {
        const std::int16_t value = ToInteger16(text);
        return value >= 1 && value <= 4;
    } catch (const Failure&) {
        return false;
    }
}

// Everything in a loaded file that the program trips over, and everything
// that pack would not write back byte for byte.
class ProblemFinder {
public:
    ProblemFinder(const LoadRecorder& load, std::string_view bytes)
        : load_(load), lines_(SplitDataLines(bytes)), stop_(load.stoppedAt())
    {
        const auto index = static_cast<std::size_t>(stop_.value_or(0) - 1);
        endLineStop_ = stop_ && *stop_ >= 1 && index < lines_.size() && IsEndLine(lines_[index].text);
    }

    std::vector<Problem> find()
    {
        for (const ReadLine& line : load_.lines())
            readLine(line);
        failures();
        lineEnds();
        unread();
        std::stable_sort(problems_.begin(), problems_.end(),
                         [](const Problem& a, const Problem& b) { return a.line < b.line; });
        return std::move(problems_);
    }

private:
    void add(int line, std::string message) { problems_.push_back({line, std::move(message)}); }

    void readLine(const ReadLine& line)
    {
        plainTexts_[line.line] = line.plain;
        std::string plain;
        try {
            plain = DescrambleText(kQuestionKey, line.raw);
        } catch (const Failure& failure) {
            add(line.line, "cannot descramble the " + RoleName(line.role) + " line: " + failure.detail());
            undescramblable_.insert(line.line);
            return;
        }
        if (plain.empty())
            emptyText(line);
        else if (ScrambleText(kQuestionKey, plain) != line.raw)
            add(line.line,
                "the " + RoleName(line.role) + " line " + Quoted(EscapeValue(plain))
                    + " is not scrambled as the scrambler writes it; pack would write it differently");
        if (line.role == LineRole::AnsNum && !IsAnswerNumber(plain))
            add(line.line, "AnsNum " + Quoted(EscapeValue(plain)) + " is not a number from 1 to 4");
    }

    // Empty numbers are reported as numbers; other texts are simply empty,
    // which the scrambler never writes.
    void emptyText(const ReadLine& line)
    {
        if (IsAnswerRole(line.role))
            add(line.line, "empty " + RoleName(line.role));
        else if (line.role == LineRole::Question || line.role == LineRole::Ref)
            add(line.line, "empty " + RoleName(line.role) + " line; pack cannot write an empty line");
    }

    void failures()
    {
        const auto& all = load_.failures();
        const auto missing = static_cast<std::size_t>(std::count_if(
            all.begin(), all.end(), [](const LoadFailure& f) { return f.number == failure::kInputPastEndOfFile; }));
        bool cutReported = false;
        for (const LoadFailure& f : all) {
            if (f.number == failure::kInputPastEndOfFile) {
                if (!cutReported)
                    add(f.line,
                        "record cut short: the file ends where its " + RoleName(f.role) + " line should stand ("
                            + Plural(missing, "line") + " missing)");
                cutReported = true;
            } else {
                failure(f);
            }
        }
    }

    void failure(const LoadFailure& f)
    {
        const bool number = f.number == failure::kTypeMismatch || f.number == failure::kOverflow;
        if (f.role == LineRole::NumLines && f.number == failure::kOverflow && stop_ == f.line)
            add(f.line, "more than 32767 questions: the program reads no further");
        else if (f.role == LineRole::NumLines && number && undescramblable_.count(f.line) == 0)
            add(f.line, "NumLines " + Quoted(EscapeValue(plainTexts_[f.line])) + " is not a number from 0 to 255");
        else if (f.role != LineRole::NumLines || !number)
            add(f.line, "failure " + std::to_string(f.number) + " while reading the " + RoleName(f.role) + " line");
    }

    // The lines the program reads, and the end line, must end with CR LF.
    void lineEnds()
    {
        std::size_t last = lines_.size();
        if (stop_)
            last = std::min(last, static_cast<std::size_t>(endLineStop_ ? *stop_ : *stop_ - 1));
        for (std::size_t i = 0; i < last; ++i) {
            const int line = static_cast<int>(i) + 1;
            switch (lines_[i].end) {
            case LineEnd::CrLf:
                break;
            case LineEnd::Lf:
                add(line, "line ends with LF only, not CR LF");
                break;
            case LineEnd::Cr:
                add(line, "line ends with CR only, not CR LF");
                break;
            case LineEnd::None:
                add(line, "last line has no CR LF at its end");
                break;
            }
        }
    }

    void unread()
    {
        if (!endLineStop_ || lines_.size() <= static_cast<std::size_t>(*stop_))
            return;
        add(*stop_ + 1,
            "never read: the program stops at the end line " + std::to_string(*stop_) + " ("
                + Plural(lines_.size() - static_cast<std::size_t>(*stop_), "line") + " after it)");
    }

    const LoadRecorder& load_;
    const std::vector<DataLine> lines_;
    const std::optional<int> stop_;
    bool endLineStop_ = false;
    std::vector<Problem> problems_;
    std::set<int> undescramblable_;
    std::map<int, std::string> plainTexts_;
};

void PrintProblems(std::ostream& stream, const std::string& name, const std::vector<Problem>& problems)
{
    for (const Problem& problem : problems)
        stream << name << ':' << problem.line << ": " << problem.message << '\n';
}

// ---------------------------------------------------------------------------
// The commands

int RunScramble(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err)
{
    return RunFilter(args, ScrambleText, "\r\n", in, out, err);
}

int RunDescramble(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err)
{
    return RunFilter(args, DescrambleText, "\n", in, out, err);
}

int RunPack(const std::vector<std::string>& args, std::ostream& err)
{
    const Options options = ParseOptions(args, {false, true, false});
    ExpectOperands(options, 1, "pack takes one source file");
    if (!options.output)
        throw UsageError("pack needs -o FILE.drv");
    const std::string& sourceName = options.operands.front();
    RefuseSameFile(sourceName, *options.output);
    const PackResult result = PackSource(ReadFileBytes(sourceName));
    if (!result.errors.empty()) {
        for (const SourceError& error : result.errors)
            err << sourceName << ':' << error.line << ": " << error.message << '\n';
        return kToolProblems;
    }
    WriteFileWhole(*options.output, result.bytes);
    return kToolDone;
}

int RunUnpack(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    const Options options = ParseOptions(args, {});
    ExpectOperands(options, 1, "unpack takes one data file");
    const std::string& name = options.operands.front();
    const ToolSession session(err);
    const LoadedFile loaded = LoadDataFile(name);
    out << UnpackSource(StoredBankFromLoad(loaded.load, loaded.bytes));
    const auto problems = ProblemFinder(loaded.load, loaded.bytes).find();
    PrintProblems(err, name, problems);
    return problems.empty() ? kToolDone : kToolProblems;
}

int CheckOne(const std::string& name, std::ostream& out, std::ostream& err)
{
    try {
        const LoadedFile loaded = LoadDataFile(name);
        const auto problems = ProblemFinder(loaded.load, loaded.bytes).find();
        out << name << ": " << loaded.questionCount << " questions\n";
        PrintProblems(out, name, problems);
        return problems.empty() ? kToolDone : kToolProblems;
    } catch (const FileError& error) {
        err << "quizdeck-bank: " << error.what() << '\n';
        return kToolUsage;
    }
}

int RunCheck(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    const Options options = ParseOptions(args, {});
    if (options.operands.empty())
        throw UsageError("check needs at least one data file");
    const ToolSession session(err);
    int status = kToolDone;
    for (const std::string& name : options.operands)
        status = std::max(status, CheckOne(name, out, err));
    return status;
}

// ---------------------------------------------------------------------------
// import and export

InterchangeFormat FormatOf(const Options& options, const std::string& command)
{
    if (!options.format)
        throw UsageError(command + " needs --format gift or --format aiken");
    if (*options.format == "gift")
        return InterchangeFormat::Gift;
    if (*options.format == "aiken")
        return InterchangeFormat::Aiken;
    throw UsageError("unknown format " + Quoted(*options.format) + "; use gift or aiken");
}

std::string FormatName(InterchangeFormat format)
{
    return format == InterchangeFormat::Gift ? "GIFT" : "Aiken";
}

int RunImport(const std::vector<std::string>& args, std::ostream& err)
{
    const Options options = ParseOptions(args, {false, true, true});
    const InterchangeFormat format = FormatOf(options, "import");
    ExpectOperands(options, 1, "import takes one source file");
    if (!options.output)
        throw UsageError("import needs -o FILE.drv");
    const std::string& sourceName = options.operands.front();
    RefuseSameFile(sourceName, *options.output);
    const ImportResult result = ImportQuestions(format, ReadFileBytes(sourceName));
    for (const SourceError& error : result.errors)
        err << sourceName << ':' << error.line << ": " << error.message << '\n';
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
    err << "quizdeck-bank: " << sourceName << ": " << Plural(result.bank.questions.size(), "question") << " imported, "
        << result.skipped << " skipped\n";
    return kToolProblems;
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
    for (const ExportProblem& problem : problems) {
        const int line = problem.question < questionLines.size() ? questionLines[problem.question] : 1;
        err << name << ':' << line << ": question " << problem.question + 1 << " cannot be written in "
            << FormatName(format) << ": " << problem.message << '\n';
    }
}

int RunExport(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    const Options options = ParseOptions(args, {false, false, true});
    const InterchangeFormat format = FormatOf(options, "export");
    ExpectOperands(options, 1, "export takes one data file");
    const std::string& name = options.operands.front();
    const ToolSession session(err);
    const LoadedFile loaded = LoadDataFile(name);
    const ExportResult result = ExportQuestions(format, StoredBankFromLoad(loaded.load, loaded.bytes));
    out << result.text;
    const auto problems = ProblemFinder(loaded.load, loaded.bytes).find();
    PrintProblems(err, name, problems);
    PrintExportProblems(err, name, result.problems, QuestionLines(loaded.load), format);
    if (result.referencesDropped > 0)
        err << "quizdeck-bank: Aiken has no place for references: " << Plural(result.referencesDropped, "reference")
            << " left out\n";
    return problems.empty() && result.problems.empty() ? kToolDone : kToolProblems;
}

int RunCommand(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err)
{
    if (args.empty())
        throw UsageError("no command");
    const std::string& command = args.front();
    if (command == "--help" || command == "-h")
        throw HelpRequest {};
    if (command == "scramble")
        return RunScramble(args, in, out, err);
    if (command == "descramble")
        return RunDescramble(args, in, out, err);
    if (command == "pack")
        return RunPack(args, err);
    if (command == "unpack")
        return RunUnpack(args, out, err);
    if (command == "check")
        return RunCheck(args, out, err);
    if (command == "import")
        return RunImport(args, err);
    if (command == "export")
        return RunExport(args, out, err);
    throw UsageError("unknown command " + Quoted(command));
}

}  // namespace

int RunBankTool(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err)
{
    int status = kToolDone;
    try {
        status = RunCommand(args, in, out, err);
    } catch (const HelpRequest&) {
        out << kUsage;
    } catch (const UsageError& error) {
        err << "quizdeck-bank: " << error.what() << '\n' << kUsage;
        return kToolUsage;
    } catch (const FileError& error) {
        err << "quizdeck-bank: " << error.what() << '\n';
        return kToolUsage;
    }
    if (!out.flush()) {
        err << "quizdeck-bank: cannot write standard output\n";
        return kToolUsage;
    }
    return status;
}

std::string_view BankToolUsage()
{
    return kUsage;
}

}  // namespace qd
