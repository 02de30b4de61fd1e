#include "bank/DataFiles.h"

#include "shell/CodePage.h"
#include "shell/Program.h"
#include "shell/StepRunner.h"
#include "shell/platform/Files.h"
#include "shell/platform/MessageBoxes.h"
#include "shell/platform/ProgramEnd.h"

namespace qd {

const std::array<const char*, 15> kSectionDataFiles = {
    "quizdeck.drv", "env.drv",    "debug.drv",   "props.drv", "events.drv",  "menus.drv", "errors.drv",  "dll.drv",
    "oleint.drv",   "olesrv.drv", "datactl.drv", "dao.drv",   "distrib.drv", "mdi.drv",   "bitness.drv",
};

namespace {
constexpr const char* kLocation = "3407";
}  // namespace

void CheckDataFiles()
{
    auto& names = ProgramBank().dataFileNames;
    Steps steps(kLocation);
    steps([&] {
        for (std::size_t slot = 0; slot < kSectionDataFiles.size(); ++slot)
            names.at(slot) = kSectionDataFiles[slot];
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
