#include "bank/DataFiles.h"

#include "bank/Sections.h"
#include "shell/CodePage.h"
#include "shell/Program.h"
#include "shell/StepRunner.h"
#include "shell/platform/Files.h"
#include "shell/platform/MessageBoxes.h"
#include "shell/platform/ProgramEnd.h"

namespace qd {

namespace {
constexpr const char* kLocation = "3407";
}  // namespace

void CheckDataFiles()
{
    auto& names = ProgramBank().dataFileNames;
    Steps steps(kLocation);
    steps([&] {
        for (std::size_t slot = 0; slot < kSections.size(); ++slot)
            names.at(slot) = kSections[slot].dataFile;
    });
    for (const std::string& name : names) {
        steps([&] {
            if (name.empty() || IsNormalFile(ProgramPath(name)))
                return;
            MsgBox(QStringLiteral("The required file ") + FromCodePage(name) + QStringLiteral(" is missing.")
                       + QStringLiteral(" The application will exit."),
                   MsgButtons::Ok, MsgIcon::Critical);
            EndProgram(kExitMissingFiles);
        });
    }
}

const std::array<std::string, kDataFileSlots>& DataFileNames()
{
    return ProgramBank().dataFileNames;
}

}  // namespace qd
