// The desktop's help viewer: the program's own help window.
#pragma once

#include <memory>

#include "shell/platform/HelpViewer.h"

namespace qd {

class HelpWindow;

// The desktop's viewer: one help window, reused for every topic, which the
// quit command closes. A help file that cannot be read is reported to the user.
class DesktopHelpViewer final : public HelpViewer {
public:
    DesktopHelpViewer();
    ~DesktopHelpViewer() override;
    bool WinHelp(const QString& helpFile, HelpCommand command, std::uint32_t data) override;
    // The open help window, or nullptr.
    HelpWindow* window() const;

private:
    std::unique_ptr<HelpWindow> window_;
};

}  // namespace qd
