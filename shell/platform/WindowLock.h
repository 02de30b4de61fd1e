// LockWindowUpdate: freezes the painting of one window at a time.
#pragma once

class QWidget;

namespace qd {

// With a window: freezes its painting; fails (false) while another window is
// frozen. With nullptr: releases the frozen window, if any.
bool LockWindowUpdate(QWidget* window);
// The window whose painting is frozen now, or nullptr.
QWidget* LockedWindow();

}  // namespace qd
