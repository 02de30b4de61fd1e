// The bank tool's command line: the options of one command, read with Qt's
// command-line parser, and the ways a command line can fail.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "bank/Interchange.h"

namespace qd::tool {

// A command line the tool cannot run; the usage text follows the message.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A file (or standard input) that cannot be read or written.
class FileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Standard output that cannot be written: the command ends at once, and the
// message says so.
class OutputError : public FileError {
public:
    using FileError::FileError;
};

// --help or -h, wherever an option may stand.
struct HelpRequest { };
// --version, wherever an option may stand.
struct VersionRequest { };

struct Options {
    std::vector<std::string> operands;
    std::optional<std::string> key;  // --key KEY or --key=KEY
    std::optional<std::string> output;  // -o FILE
    std::optional<std::string> format;  // --format NAME or --format=NAME
};

struct AllowedOptions {
    bool key = false;
    bool output = false;
    bool format = false;
};

// The options and operands of `args` after its first element, the command.
// Every argument comes back byte for byte as it was given, whatever its encoding.
Options ParseOptions(const std::vector<std::string>& args, AllowedOptions allowed);

// A command line without a command: --help, --version, or a usage error.
[[noreturn]] void ParseWithoutCommand(const std::vector<std::string>& args);

void ExpectOperands(const Options& options, std::size_t count, const std::string& what);

// The scrambling key: --key, or the program's key.
std::string KeyOf(const Options& options);

// The format --format names, in any letter case; without --format, the one
// that `fileName` ends in (".gift"; ".aiken" or ".txt"), if any.
InterchangeFormat FormatOf(const Options& options, const std::string& command, const std::string& fileName = {});

}  // namespace qd::tool
