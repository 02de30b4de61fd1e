// The bank tool's files: reading and writing them whole, and loading a data
// file as the program does.
#pragma once

#include <string>

#include "bank/LoadRecorder.h"

namespace qd::tool {

// The bytes of a regular, readable file of at most kMaxFileBytes; FileError otherwise.
std::string ReadFileBytes(const std::string& name);

// Writes a data file whole or, on any failure, leaves whatever was there;
// FileError then. A data file the program would not read (over
// kMaxFileBytes) is refused before anything is written.
void WriteFileWhole(const std::string& name, const std::string& bytes);

// FileError when `output` is the same file as `source`, under any name.
void RefuseSameFile(const std::string& source, const std::string& output);

struct LoadedFile {
    std::string bytes;
    LoadRecorder load;
    int questionCount = 0;
};

// Reads a data file's records as the program does, logging nothing; FileError
// for a file that cannot be read.
LoadedFile LoadDataFile(const std::string& name);

}  // namespace qd::tool
