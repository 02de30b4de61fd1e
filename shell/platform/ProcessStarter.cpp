#include "shell/platform/ProcessStarter.h"

#include <QProcess>

namespace qd {

bool DetachedProcessStarter::start(const QString& path)
{
    if (path.isEmpty())
        return false;
    // The path is the program itself: it is never split or read by a shell.
    return QProcess::startDetached(path, {});
}

}  // namespace qd
