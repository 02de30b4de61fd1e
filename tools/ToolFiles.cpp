#include "tools/ToolFiles.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <istream>
#include <iterator>
#include <ostream>

#include <QByteArray>
#include <QFile>
#include <QSaveFile>

#include "shell/Failure.h"
#include "tools/CommandLine.h"

namespace qd::tool {

namespace {

std::string ReadAll(std::istream& in)
{
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

// The bytes of a regular, readable file.
std::string ReadFileBytes(const std::string& name)
{
    const std::filesystem::path path(name);
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (error && error != std::errc::no_such_file_or_directory)
        throw FileError(name + ": cannot be read: " + error.message());
    if (!std::filesystem::exists(status))
        throw FileError(name + ": no such file");
    if (std::filesystem::is_directory(status))
        throw FileError(name + ": is a folder, not a file");
    if (!std::filesystem::is_regular_file(status))
        throw FileError(name + ": not a regular file");
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw FileError(name + ": cannot be read: " + std::strerror(errno));
    std::string bytes = ReadAll(file);
    if (file.bad())
        throw FileError(name + ": cannot be read");
    return bytes;
}

// Writes the whole file or, on any failure, leaves whatever was there.
void WriteFileWhole(const std::string& name, const std::string& bytes)
{
    QSaveFile file(QFile::decodeName(QByteArray::fromStdString(name)));
    const auto size = static_cast<qint64>(bytes.size());
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes.data(), size) != size || !file.commit())
        throw FileError(name + ": cannot be written: " + file.errorString().toStdString());
}

LoadedFile LoadDataFile(const std::string& name)
{
    LoadedFile loaded;
    loaded.bytes = ReadFileBytes(name);
    loaded.questionCount = ReadDataFileRecords(loaded.bytes, loaded.load).count;
    const auto& failures = loaded.load.failures();
    if (std::any_of(failures.begin(), failures.end(), [](const LoadFailure& f) { return f.line == 0; }))
        throw FileError(name + ": cannot be read");
    return loaded;
}

}  // namespace qd::tool
