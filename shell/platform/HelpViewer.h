// The help viewer behind WinHelp: opens the application help file at a topic
// and can be told to quit.
#pragma once

#include <cstdint>
#include <memory>

#include <QString>

namespace qd {

class HelpWindow;

// The commands the program sends, with the values they have always had.
enum class HelpCommand : std::uint32_t {
    Context = 0x0001,  // HELP_CONTEXT: show the topic with the help context number in `data`
    Quit = 0x0002,  // HELP_QUIT: the program no longer needs the viewer
    Contents = 0x0003,  // HELP_CONTENTS: show the contents topic
};

class HelpViewer {
public:
    virtual ~HelpViewer() = default;
    // True when the viewer carried out the command.
    virtual bool WinHelp(const QString& helpFile, HelpCommand command, std::uint32_t data) = 0;
};

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
