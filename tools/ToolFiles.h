// The bank tool's files: reading and writing them whole, and loading a data
// file as the program does.
#pragma once

#include <iosfwd>
#include <string>

#include "bank/QuestionSource.h"

namespace qd::tool {

// The bytes of a regular, readable file; FileError otherwise.
std::string ReadFileBytes(const std::string& name);

// Writes the whole file or, on any failure, leaves whatever was there; FileError then.
void WriteFileWhole(const std::string& name, const std::string& bytes);

// The tool's seams in the program-wide state for as long as it loads files:
// no error log file, message boxes on `err`, no process exit.
class ToolSession {
public:
    explicit ToolSession(std::ostream& err);
    ~ToolSession();
    ToolSession(const ToolSession&) = delete;
    ToolSession& operator=(const ToolSession&) = delete;
};

struct LoadedFile {
    std::string bytes;
    LoadRecorder load;
    int questionCount = 0;
};

// Loads a data file as the program does, within a ToolSession; FileError
// for a file that cannot be read.
LoadedFile LoadDataFile(const std::string& name);

}  // namespace qd::tool
