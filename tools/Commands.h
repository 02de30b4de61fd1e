// The bank tool's commands; each takes the command line from the command on
// and throws UsageError or FileError for what it cannot do.
#pragma once

#include <cstddef>
#include <iosfwd>
#include <string>
#include <vector>

#include "bank/DataFileCheck.h"

namespace qd::tool {

using Args = std::vector<std::string>;

// The longest line scramble and descramble take: no data file is longer.
inline constexpr std::size_t kMaxFilterLine = std::size_t {64} * 1024 * 1024;

// "cannot write standard output" and the system's reason, if there is one:
// call it right after the write that failed.
std::string OutputErrorText();

// Each problem as NAME:LINE: problem, at most kMessagesOfOneKind of one kind.
void PrintProblems(std::ostream& stream, const std::string& name, const std::vector<DataFileProblem>& problems);

int RunScramble(const Args& args, std::istream& in, std::ostream& out, std::ostream& err);
int RunDescramble(const Args& args, std::istream& in, std::ostream& out, std::ostream& err);
int RunPack(const Args& args, std::ostream& err);
int RunUnpack(const Args& args, std::ostream& out, std::ostream& err);
int RunCheck(const Args& args, std::ostream& out, std::ostream& err);
int RunImport(const Args& args, std::ostream& err);
int RunExport(const Args& args, std::ostream& out, std::ostream& err);

}  // namespace qd::tool
