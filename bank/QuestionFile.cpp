#include "bank/QuestionFile.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include "shell/CodePage.h"
#include "shell/ErrorLog.h"
#include "shell/Failure.h"
#include "shell/Program.h"
#include "shell/StepRunner.h"
#include "shell/platform/MessageBoxes.h"
#include "shell/platform/MousePointer.h"
#include "shell/platform/ProgramEnd.h"

namespace qd {

namespace {

constexpr const char* kMissingLocation = "3405";
constexpr const char* kLoadLocation = "3406";

// The whole file in one read: its size first, then its bytes.
std::string ReadWholeFile(const std::filesystem::path& path)
{
    std::string data;
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (!std::filesystem::exists(status))
        Raise(failure::kFileNotFound, "file not found: " + path.string());
    if (!std::filesystem::is_regular_file(status))
        Raise(failure::kPathFileAccessError, "not a file: " + path.string());
    std::ifstream file(path, std::ios::binary);
    if (!file)
        Raise(failure::kPathFileAccessError, "cannot open " + path.string());
    file.seekg(0, std::ios::end);
    const std::streamoff size = file.tellg();
    file.seekg(0, std::ios::beg);
    if (size < 0)
        Raise(failure::kDeviceIOError, "cannot read " + path.string());
    data.resize(static_cast<std::size_t>(size));
    file.read(data.data(), size);
    data.resize(static_cast<std::size_t>(file.gcount()));
    if (file.bad())
        Raise(failure::kDeviceIOError, "cannot read " + path.string());
    return data;
}

}  // namespace

void LoadQuestionFile(std::string_view fileName, LoadObserver* observer)
{
    QuestionBank& bank = ProgramBank();
    std::string bytes;
    LoadPosition at;

    Steps steps(kLoadLocation, [&](std::int16_t number) {
        if (number == failure::kFileNotFound) {
            MsgBox(FromCodePage(kMissingFilesMessage));
            LogError(number, kMissingLocation);
            EndProgram(kExitMissingFiles);
        }
        if (observer)
            observer->failed(at.line, at.role, number);
        LogError(number, kLoadLocation);
        return AfterFailure::NextStep;
    });

    steps([] { SetMousePointer(kHourglass); });
    steps([&] { bytes = ReadWholeFile(ProgramPath(fileName)); });
    ReadQuestionRecords(bytes, bank, steps, at, observer);
    steps([] { SetMousePointer(kDefaultPointer); });
}

const std::vector<QuestionRecord>& QuestionTable()
{
    return ProgramBank().table;
}

std::int16_t QuestionCount()
{
    return ProgramBank().count;
}

}  // namespace qd
