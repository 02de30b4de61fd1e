#include "shell/platform/MessageBoxes.h"

#include <QApplication>
#include <QMessageBox>

#include "shell/Program.h"

namespace qd {

namespace {
QMessageBox::Icon ToQt(MsgIcon icon)
{
    switch (icon) {
    case MsgIcon::Question:
        return QMessageBox::Question;
    case MsgIcon::Critical:
        return QMessageBox::Critical;
    case MsgIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}
}  // namespace

MsgAnswer QtMessageBoxes::show(const MsgBoxRequest& request)
{
    const bool yesNo = request.buttons == MsgButtons::YesNo;
    QMessageBox box(ToQt(request.icon), request.title, request.prompt,
                    yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    if (yesNo)
        box.setEscapeButton(QMessageBox::No);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return MsgAnswer::Yes;
    case QMessageBox::No:
        return MsgAnswer::No;
    default:
        return yesNo ? MsgAnswer::No : MsgAnswer::Ok;
    }
}

MsgAnswer MsgBox(const QString& prompt, MsgButtons buttons, MsgIcon icon, const QString& title)
{
    const Program& program = TheProgram();
    return program.messageBoxes().show({prompt, buttons, icon, title.isEmpty() ? program.appTitle : title});
}

}  // namespace qd
