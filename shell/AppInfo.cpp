#include "shell/AppInfo.h"

#include "Version.h"

namespace qd {

QString VersionText()
{
    return QStringLiteral("Version %1.%2.%3").arg(version::kMajor).arg(version::kMinor).arg(version::kRevision);
}

QString CompanyName()
{
    return QString::fromUtf8(version::kCompanyName);
}

QString CopyrightText()
{
    return QStringLiteral("Copyright \u00A9 2026 %1. All rights reserved.").arg(CompanyName());
}

}  // namespace qd
