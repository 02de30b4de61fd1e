// The bank tool's files: reading and writing them whole, and loading a data
// file as the program does.
#pragma once

#include <cstddef>
#include <string>

#include "bank/LoadRecorder.h"
#include "shell/platform/Files.h"

namespace qd::tool {

// The bytes of a regular, readable file of at most `maxBytes`; FileError otherwise.
std::string ReadFileBytes(const std::string& name, std::size_t maxBytes = kMaxFileBytes);

// Writes a data file whole or, on any failure, leaves whatever was there;
// FileError then. A data file the program would not read (over
// kMaxFileBytes) is refused before anything is written.
void WriteFileWhole(const std::string& name, const std::string& bytes);

// FileError when `output` is the same file as `source`, under any name.
void RefuseSameFile(const std::string& source, const std::string& output);

// A data file read as the program reads it. The lines of `load` point into
// `bytes`, so it is made in its place and never copied or moved.
struct LoadedFile {
    explicit LoadedFile(const std::string& name);
    LoadedFile(const LoadedFile&) = delete;
    LoadedFile& operator=(const LoadedFile&) = delete;

    const std::string bytes;
    LoadRecorder load;
    int questionCount = 0;
};

// Reads a data file's records as the program does, logging nothing; FileError
// for a file that cannot be read.
LoadedFile LoadDataFile(const std::string& name);

}  // namespace qd::tool
