#include "shell/Program.h"

#include "Version.h"
#include "shell/ErrorLog.h"
#include "shell/platform/Clock.h"
#include "shell/platform/Files.h"
#include "shell/platform/HelpViewer.h"
#include "shell/platform/MessageBoxes.h"
#include "shell/platform/Printer.h"
#include "shell/platform/ProcessStarter.h"
#include "shell/platform/ProgramEnd.h"
#include "shell/platform/Registry.h"

namespace qd {

bool QuestionRecord::operator==(const QuestionRecord& other) const
{
    return NumLines == other.NumLines && Question == other.Question && Answer1 == other.Answer1
        && Answer2 == other.Answer2 && Answer3 == other.Answer3 && Answer4 == other.Answer4 && AnsNum == other.AnsNum
        && Ref == other.Ref;
}

Program::Program()
    : programFolder(ExecutableFolder()), appTitle(QString::fromUtf8(version::kProductTitle)),
      clock_(std::make_unique<SystemClock>()), errorLog_(std::make_unique<FileErrorLog>()),
      helpViewer_(std::make_unique<DesktopHelpViewer>()), messageBoxes_(std::make_unique<QtMessageBoxes>()),
      ender_(std::make_unique<ProcessEnder>()), processStarter_(std::make_unique<DetachedProcessStarter>()),
      registry_(std::make_unique<DesktopRegistry>()), printerChooser_(std::make_unique<DialogPrinterChooser>())
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
