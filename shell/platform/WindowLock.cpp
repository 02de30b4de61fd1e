#include "shell/platform/WindowLock.h"

#include <QPointer>
#include <QWidget>

namespace qd {

namespace {
QPointer<QWidget>& Locked()
{
    static QPointer<QWidget> locked;
    return locked;
}
}  // namespace

bool LockWindowUpdate(QWidget* window)
{
    QPointer<QWidget>& locked = Locked();
    if (!window) {
        if (locked)
            locked->setUpdatesEnabled(true);
        locked = nullptr;
        return true;
    }
    if (locked && locked != window)
        return false;
    window->setUpdatesEnabled(false);
    locked = window;
    return true;
}

QWidget* LockedWindow()
{
    return Locked().data();
}

}  // namespace qd
