#include "bank/QuestionFile.h"

#include <string>

#include "shell/CodePage.h"
#include "shell/ErrorLog.h"
#include "shell/Failure.h"
#include "shell/Program.h"
#include "shell/StepRunner.h"
#include "shell/platform/Files.h"
#include "shell/platform/MessageBoxes.h"
#include "shell/platform/MousePointer.h"
#include "shell/platform/ProgramEnd.h"

namespace qd {

namespace {

constexpr const char* kMissingLocation = "3405";
constexpr const char* kLoadLocation = "3406";

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
    // Opened without waiting and checked after the open, so a FIFO or a
    // device in the file's place never blocks; a file over the size limit
    // is failure 7, like memory that runs out.
    steps([&] { bytes = ReadRegularFile(ProgramPath(fileName)); });
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
