#include "shell/platform/DesktopHelpViewer.h"

#include <QFileInfo>

#include "shell/HelpWindow.h"
#include "shell/platform/MessageBoxes.h"

namespace qd {

DesktopHelpViewer::DesktopHelpViewer() = default;
DesktopHelpViewer::~DesktopHelpViewer() = default;

bool DesktopHelpViewer::WinHelp(const QString& helpFile, HelpCommand command, std::uint32_t data)
{
    if (command == HelpCommand::Quit) {
        window_.reset();
        return true;
    }
    std::optional<HelpFile> file = HelpFile::Load(helpFile);
    if (!file) {
        MsgBox(QStringLiteral("The help file %1 cannot be opened. Please reinstall the application.").arg(helpFile),
               MsgButtons::Ok, MsgIcon::Critical);
        return false;
    }
    if (!window_)
        window_ = std::make_unique<HelpWindow>();
    window_->setHelpFile(std::move(*file), QFileInfo(helpFile).absolutePath());
    window_->showTopic(command == HelpCommand::Context ? static_cast<int>(data) : kHelpContentsTopic);
    window_->show();
    window_->raise();
    window_->activateWindow();
    return true;
}

HelpWindow* DesktopHelpViewer::window() const
{
    return window_.get();
}

}  // namespace qd
