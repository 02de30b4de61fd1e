#include "shell/platform/QtMessageBoxes.h"

#include <QApplication>
#include <QMessageBox>

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

}  // namespace qd
