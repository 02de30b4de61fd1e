#include "shell/Form.h"

#include <QKeyEvent>

#include "shell/Help.h"

namespace qd {

Form::Form(QWidget* parent) : QDialog(parent)
{
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint);
    // Modal to the program's own windows only: the help window stays usable.
    setWindowModality(Qt::WindowModal);
}

void Form::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
        // The control that has the focus in this window, or will have it
        // once the window is active.
        ShowHelpTopic(HelpTopicFor(focusWidget() ? focusWidget() : this));
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        escapePressed();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool Form::event(QEvent* event)
{
    const bool handled = QDialog::event(event);
    if (event->type() == QEvent::WindowActivate)
        Form_Activate();
    return handled;
}

}  // namespace qd
