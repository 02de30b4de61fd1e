// Modal message boxes. All of the program's boxes go through MsgBox, so a
// test can answer the next box itself or let a real one be clicked.
#pragma once

#include <QString>

namespace qd {

enum class MsgButtons { Ok, YesNo };
enum class MsgIcon { None, Question, Critical };
enum class MsgAnswer { Ok, Yes, No };

struct MsgBoxRequest {
    QString prompt;
    MsgButtons buttons = MsgButtons::Ok;
    MsgIcon icon = MsgIcon::None;
    QString title;
};

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // Shows the box modally and returns the button the user pressed.
    virtual MsgAnswer show(const MsgBoxRequest& request) = 0;
};

// Where there are no windows (the bank tool, the fuzzers): the box's text
// goes to standard error and the answer is OK, or No when asked.
class StandardErrorMessageBoxes final : public MessageBoxes {
public:
    MsgAnswer show(const MsgBoxRequest& request) override;
};

// Shows a box; an empty title means the application title.
MsgAnswer MsgBox(const QString& prompt, MsgButtons buttons = MsgButtons::Ok, MsgIcon icon = MsgIcon::None,
                 const QString& title = {});

}  // namespace qd
