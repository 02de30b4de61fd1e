#include "tools/BankTool.h"

#include <cerrno>
#include <istream>
#include <new>
#include <ostream>

#include "Version.h"
#include "shell/Failure.h"
#include "tools/CommandLine.h"
#include "tools/Commands.h"
#include "tools/Messages.h"

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
    "       quizdeck-bank --help | --version\n"
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
    "for the references. --format takes gift or aiken in any letter case; an\n"
    "import without it reads a SOURCE ending in .gift as GIFT and one ending in\n"
    ".aiken or .txt as Aiken.\n"
    "\n"
    "Exit status: 0 done and clean, 1 problems found, 2 usage error or a file\n"
    "that cannot be read or written. After 100 messages of one kind the rest\n"
    "are counted, not shown. scramble and descramble take lines of up to\n"
    "64 MiB.\n";

using tool::Args;

void PrintVersion(std::ostream& out)
{
    out << "quizdeck-bank (" << version::kProductTitle << ") " << version::kMajor << '.' << version::kMinor << '.'
        << version::kRevision << '\n';
}

int RunCommand(const Args& args, std::istream& in, std::ostream& out, std::ostream& err)
{
    if (args.empty())
        throw tool::UsageError("no command");
    const std::string& command = args.front();
    if (command.size() > 1 && command.front() == '-')
        tool::ParseWithoutCommand(args);
    if (command == "scramble")
        return tool::RunScramble(args, in, out, err);
    if (command == "descramble")
        return tool::RunDescramble(args, in, out, err);
    if (command == "pack")
        return tool::RunPack(args, err);
    if (command == "unpack")
        return tool::RunUnpack(args, out, err);
    if (command == "check")
        return tool::RunCheck(args, out, err);
    if (command == "import")
        return tool::RunImport(args, err);
    if (command == "export")
        return tool::RunExport(args, out, err);
    throw tool::UsageError("unknown command " + Quoted(command));
}

// Runs the command; whatever goes wrong becomes a message and status 2.
// `outputReported` tells whether the message said that standard output failed.
int RunCaught(const Args& args, std::istream& in, std::ostream& out, std::ostream& err, bool& outputReported)
{
    try {
        return RunCommand(args, in, out, err);
    } catch (const tool::HelpRequest&) {
        out << kUsage;
        return kToolDone;
    } catch (const tool::VersionRequest&) {
        PrintVersion(out);
        return kToolDone;
    } catch (const tool::UsageError& error) {
        err << "quizdeck-bank: " << error.what() << '\n' << kUsage;
    } catch (const tool::OutputError& error) {
        err << "quizdeck-bank: " << error.what() << '\n';
        outputReported = true;
    } catch (const tool::FileError& error) {
        err << "quizdeck-bank: " << error.what() << '\n';
    } catch (const std::bad_alloc&) {
        err << "quizdeck-bank: out of memory\n";
    } catch (const Failure& failure) {
        err << "quizdeck-bank: failure " << failure.number() << ": " << failure.detail() << '\n';
    } catch (const std::exception& error) {
        err << "quizdeck-bank: " << error.what() << '\n';
    } catch (...) {
        err << "quizdeck-bank: an unknown failure\n";
    }
    return kToolUsage;
}

}  // namespace

int RunBankTool(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err)
{
    bool outputReported = false;
    int status = RunCaught(args, in, out, err, outputReported);
    errno = 0;
    if (!outputReported && !out.flush()) {
        err << "quizdeck-bank: " << tool::OutputErrorText() << '\n';
        status = kToolUsage;
    }
    err.flush();
    return status;
}

std::string_view BankToolUsage()
{
    return kUsage;
}

}  // namespace qd
