#include "shell/Resources.h"

#include <QDir>

static void InitQuizdeckResources()
{
    Q_INIT_RESOURCE(quizdeck);
}

namespace qd {

void InitResources()
{
    InitQuizdeckResources();
}

QIcon ProgramIcon()
{
    QIcon icon;
    icon.addFile(QStringLiteral(":/quizdeck/quizdeck32.png"), QSize(32, 32));
    icon.addFile(QStringLiteral(":/quizdeck/quizdeck16.png"), QSize(16, 16));
    return icon;
}

}  // namespace qd
