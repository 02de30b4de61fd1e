// The base of the program's windows: a dialog that opens help on F1 and lets
// each window decide what Escape does.
#pragma once

#include <QAccessible>
#include <QDialog>

namespace qd {

class Form : public QDialog {
    Q_OBJECT

public:
    explicit Form(QWidget* parent = nullptr);

    // What a screen reader is told the window is: a dialog, unless the
    // window says otherwise.
    QAccessible::Role accessibleRole() const { return accessibleRole_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;

    // A window that is not a dialog to its user (the main window) says so:
    // a screen reader reads every label of a dialog each time it becomes
    // active, but only the focused control of other windows.
    void setAccessibleRole(QAccessible::Role role) { accessibleRole_ = role; }

    // Escape does nothing unless a window says otherwise.
    virtual void escapePressed() { }
    // Runs every time the window becomes the active window.
    virtual void Form_Activate() { }

private:
    QAccessible::Role accessibleRole_ = QAccessible::Dialog;
};

}  // namespace qd
