#include "shell/Program.h"

#include "Version.h"
#include "shell/ErrorLog.h"
#include "shell/Failure.h"
#include "shell/platform/Clock.h"
#include "shell/platform/Files.h"
#include "shell/platform/HelpViewer.h"
#include "shell/platform/MessageBoxes.h"
#include "shell/platform/MousePointer.h"
#include "shell/platform/Printer.h"
#include "shell/platform/ProcessStarter.h"
#include "shell/platform/ProgramEnd.h"
#include "shell/platform/Registry.h"

namespace qd {

Program::Program()
    : programFolder(ExecutableFolder()), appTitle(QString::fromUtf8(version::kProductTitle)),
      clock_(std::make_unique<SystemClock>()), errorLog_(std::make_unique<FileErrorLog>()),
      helpViewer_(std::make_unique<NoHelpViewer>()), messageBoxes_(std::make_unique<StandardErrorMessageBoxes>()),
      ender_(std::make_unique<ProcessEnder>()), processStarter_(std::make_unique<DetachedProcessStarter>()),
      registry_(std::make_unique<DesktopRegistry>()), pointerDisplay_(std::make_unique<NoPointerDisplay>())
{
}

Program::~Program() = default;

void Program::setClock(std::unique_ptr<Clock> clock)
{
    clock_ = std::move(clock);
}
void Program::setErrorLog(std::unique_ptr<ErrorLogWriter> errorLog)
{
    errorLog_ = std::move(errorLog);
}
void Program::setHelpViewer(std::unique_ptr<HelpViewer> helpViewer)
{
    helpViewer_ = std::move(helpViewer);
}
void Program::setMessageBoxes(std::unique_ptr<MessageBoxes> messageBoxes)
{
    messageBoxes_ = std::move(messageBoxes);
}
void Program::setEnder(std::unique_ptr<ProgramEnder> ender)
{
    ender_ = std::move(ender);
}
void Program::setProcessStarter(std::unique_ptr<ProcessStarter> processStarter)
{
    processStarter_ = std::move(processStarter);
}
void Program::setRegistry(std::unique_ptr<Registry> registry)
{
    registry_ = std::move(registry);
}
void Program::setPrinterChooser(std::unique_ptr<PrinterChooser> printerChooser)
{
    printerChooser_ = std::move(printerChooser);
}
void Program::setPointerDisplay(std::unique_ptr<PointerDisplay> pointerDisplay)
{
    pointerDisplay_ = std::move(pointerDisplay);
}

PrinterChooser& Program::printerChooser() const
{
    if (!printerChooser_)
        Raise(failure::kInternalError, "no print dialog without a window system");
    return *printerChooser_;
}

namespace {
std::unique_ptr<Program>& Instance()
{
    static std::unique_ptr<Program> program;
    return program;
}
}  // namespace

Program& TheProgram()
{
    auto& program = Instance();
    if (!program)
        program = std::make_unique<Program>();
    return *program;
}

void ResetProgram()
{
    Instance() = std::make_unique<Program>();
}

std::filesystem::path ProgramPath(std::string_view fileName)
{
    return TheProgram().programFolder / std::filesystem::path(std::string(fileName));
}

}  // namespace qd
