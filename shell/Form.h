// The base of the program's windows: a dialog that opens help on F1 and lets
// each window decide what Escape does.
#pragma once

#include <QDialog>

namespace qd {

class Form : public QDialog {
    Q_OBJECT

public:
    explicit Form(QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;

    // Escape does nothing unless a window says otherwise.
    virtual void escapePressed() { }
    // Runs every time the window becomes the active window.
    virtual void Form_Activate() { }
};

}  // namespace qd
