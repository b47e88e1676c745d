#include "platform/UserName.h"

#include <pwd.h>
#include <unistd.h>

#include <vector>

namespace platform {

QString CurrentUserName()
{
    QString override = qEnvironmentVariable("LUMETRA_USER_NAME");
    if (!override.isEmpty())
        return override;
    std::vector<char> buffer(16384);
    passwd entry {};
    passwd* found = nullptr;
    if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_name)
        return QString::fromLocal8Bit(found->pw_name);
    for (const char* variable : {"LOGNAME", "USER"}) {
        QString name = qEnvironmentVariable(variable);
        if (!name.isEmpty())
            return name;
    }
    return QString();
}

} // namespace platform
