// The desktop's message boxes.
#pragma once

#include "shell/platform/MessageBoxes.h"

namespace qd {

// QMessageBox over the active window, plain text only.
class QtMessageBoxes final : public MessageBoxes {
public:
    MsgAnswer show(const MsgBoxRequest& request) override;
};

}  // namespace qd
