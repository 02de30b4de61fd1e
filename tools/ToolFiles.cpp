#include "tools/ToolFiles.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <istream>
#include <iterator>
#include <memory>
#include <ostream>
#include <utility>

#include <QByteArray>
#include <QFile>
#include <QSaveFile>

#include "shell/ErrorLog.h"
#include "shell/Failure.h"
#include "shell/Program.h"
#include "shell/platform/MessageBoxes.h"
#include "shell/platform/ProgramEnd.h"
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

namespace {

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

}  // namespace

ToolSession::ToolSession(std::ostream& err)
{
    Program& program = TheProgram();
    program.setErrorLog(std::make_unique<CollectingErrorLog>());
    program.setMessageBoxes(std::make_unique<StreamMessageBoxes>(err));
    program.setEnder(std::make_unique<ReturningEnder>());
}

ToolSession::~ToolSession()
{
    ResetProgram();
}

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

}  // namespace qd::tool
