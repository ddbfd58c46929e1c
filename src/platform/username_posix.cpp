#include "platform/username.h"

#include <pwd.h>
#include <unistd.h>

namespace platform {

QByteArray realUserName()
{
    if (const passwd *pw = getpwuid(getuid()); pw != nullptr && pw->pw_name != nullptr)
        return QByteArray(pw->pw_name);
    return {};
}

} // namespace platform
