#include "shell/Form.h"

#include <QAccessibleWidget>
#include <QKeyEvent>

#include "shell/Help.h"

namespace qd {

namespace {

// The window as a screen reader sees it: a plain widget with the role the
// window gives itself, asked afresh each time (the window may set it after
// a screen reader has first looked).
class AccessibleForm : public QAccessibleWidget {
public:
    explicit AccessibleForm(Form* form) : QAccessibleWidget(form, QAccessible::Dialog) { }

    QAccessible::Role role() const override { return static_cast<const Form*>(widget())->accessibleRole(); }
};

QAccessibleInterface* AccessibleFormFactory(const QString& className, QObject* object)
{
    auto* form = qobject_cast<Form*>(object);
    if (form && className == QLatin1String(Form::staticMetaObject.className()))
        return new AccessibleForm(form);
    return nullptr;
}

}  // namespace

Form::Form(QWidget* parent) : QDialog(parent)
{
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(AccessibleFormFactory);
        return true;
    }();
    Q_UNUSED(factoryInstalled);
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
