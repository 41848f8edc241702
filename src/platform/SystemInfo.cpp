#include "platform/SystemInfo.h"

#include <QSysInfo>

#include <pwd.h>
#include <unistd.h>

namespace SystemInfo {
QString userName()
{
    if (const passwd* entry = getpwuid(geteuid()); entry && entry->pw_name && *entry->pw_name)
        return QString::fromLocal8Bit(entry->pw_name);
    for (const char* variable : {"USER", "LOGNAME"}) {
        const QString name = qEnvironmentVariable(variable);
        if (!name.isEmpty())
            return name;
    }
    return {};
}

QString computerName()
{
    return QSysInfo::machineHostName();
}
} // namespace SystemInfo
