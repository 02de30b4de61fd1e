#include "shell/Help.h"

#include <QApplication>
#include <QKeyEvent>
#include <QVariant>
#include <QWidget>

#include "shell/Program.h"
#include "shell/platform/HelpViewer.h"

namespace qd {

namespace {
constexpr const char* kHelpProperty = "helpContextID";
}

void SetHelpContextID(QWidget* widget, int topic)
{
    widget->setProperty(kHelpProperty, topic);
}

int HelpContextID(const QWidget* widget)
{
    return widget ? widget->property(kHelpProperty).toInt() : 0;
}

int HelpTopicFor(const QWidget* widget)
{
    for (; widget; widget = widget->isWindow() ? nullptr : widget->parentWidget()) {
        if (const int topic = HelpContextID(widget))
            return topic;
    }
    return 0;
}

void ShowHelpTopic(int topic)
{
    const Program& program = TheProgram();
    if (topic > 0)
        program.helpViewer().WinHelp(program.helpFile, HelpCommand::Context, static_cast<std::uint32_t>(topic));
    else
        program.helpViewer().WinHelp(program.helpFile, HelpCommand::Contents, 0);
}

void PostHelpKey()
{
    QWidget* target = QApplication::focusWidget();
    if (!target)
        target = QApplication::activeWindow();
    if (!target)
        return;
    QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier));
    QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyRelease, Qt::Key_F1, Qt::NoModifier));
}

}  // namespace qd
