#include "tools/ToolFiles.h"

#include <algorithm>

#include "shell/Failure.h"
#include "shell/platform/Files.h"
#include "tools/CommandLine.h"

namespace qd::tool {

std::string ReadFileBytes(const std::string& name, std::size_t maxBytes)
{
    try {
        return ReadRegularFile(name, maxBytes);
    } catch (const Failure& failure) {
        if (failure.number() == failure::kFileNotFound)
            throw FileError(name + ": no such file");
        throw FileError(name + ": " + failure.detail());
    }
}

// Writes the whole data file or, on any failure, leaves whatever was there.
void WriteFileWhole(const std::string& name, const std::string& bytes)
{
    // The program and check refuse a larger file as a whole.
    if (bytes.size() > kMaxFileBytes)
        throw FileError(name + ": would be larger than " + std::to_string(kMaxFileBytes / 1024 / 1024)
                        + " MiB, which the program does not read; it is not written");
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

LoadedFile::LoadedFile(const std::string& name) : bytes(ReadFileBytes(name)), load(bytes)
{
    questionCount = CountDataFileRecords(bytes, load);
    const auto& failures = load.failures();
    if (std::any_of(failures.begin(), failures.end(), [](const LoadFailure& f) { return f.line == 0; }))
        throw FileError(name + ": cannot be read");
}

LoadedFile LoadDataFile(const std::string& name)
{
    return LoadedFile(name);
}

}  // namespace qd::tool
