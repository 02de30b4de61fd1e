// The help viewer behind WinHelp: opens the application help file at a topic
// and can be told to quit.
#pragma once

#include <cstdint>

#include <QString>

namespace qd {

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

// Where there are no windows: no topic can be shown.
class NoHelpViewer final : public HelpViewer {
public:
    bool WinHelp(const QString&, HelpCommand, std::uint32_t) override { return false; }
};

}  // namespace qd
