// quizdeck-bank, the question authors' command-line tool: every command, as
// one function that tests can call with their own streams.
#pragma once

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace qd {

// Exit statuses.
inline constexpr int kToolDone = 0;  // done, and everything checked is clean
inline constexpr int kToolProblems = 1;  // lines rejected, source errors or data-file problems
inline constexpr int kToolUsage = 2;  // a usage error, or a file that cannot be read or written

// Runs one command; `args` are the arguments after the program name.
//
//   scramble [--key KEY]        plain lines on `in` -> scrambled lines, CR LF ended
//   descramble [--key KEY]      scrambled lines on `in` -> plain lines, LF ended
//   pack SOURCE -o FILE.drv     source form -> data file
//   unpack FILE.drv             data file -> source form on `out`
//   check FILE.drv...           loads each file as the program does; one line per problem
//   import [--format gift|aiken] SOURCE -o FILE.drv
//                               GIFT or Aiken questions -> data file; what does not
//                               fit a card is reported and skipped; without --format
//                               the format follows SOURCE's ending (.gift, .aiken, .txt)
//   export --format gift|aiken FILE.drv
//                               data file -> GIFT or Aiken on `out`
//
//   --help, --version           the usage text, the program's version on `out`
//
// Every failure, running out of memory included, ends the command with a
// message on `err` and kToolUsage. After kMessagesOfOneKind messages of one
// kind (tools/Messages.h), the rest are counted and one line says how many
// were left out.
//
// check, unpack and export read a data file's records as the program does, but
// keep no program-wide state and write no error log: every problem is reported.
int RunBankTool(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err);

// The short usage text that usage errors and --help print.
std::string_view BankToolUsage();

}  // namespace qd
