#include "platform/systeminfo.h"

#include <QByteArray>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <pwd.h>
#include <sys/utsname.h>
#include <unistd.h>

namespace platform {
namespace {

QByteArray hostName()
{
    char buf[256] = {};
    if (gethostname(buf, sizeof buf - 1) != 0)
        return {};
    buf[sizeof buf - 1] = '\0';
    return QByteArray(buf);
}

QByteArray loginName()
{
    if (const passwd *pw = getpwuid(geteuid()); pw != nullptr && pw->pw_name != nullptr)
        return QByteArray(pw->pw_name);
    return qgetenv("USER");
}

class PosixQueries : public SystemQueries
{
public:
    bool GetComputerNameA(char *buffer, std::uint32_t *size) const override
    {
        const QByteArray name = hostName();
        if (size == nullptr || name.isEmpty())
            return false;
        const std::uint32_t r = copyToBuffer(name, buffer, *size);
        if (r > static_cast<std::uint32_t>(name.size())) {
            *size = r;
            return false;
        }
        *size = r;
        return true;
    }
    bool GetUserNameA(char *buffer, std::uint32_t *size) const override
    {
        const QByteArray name = loginName();
        if (size == nullptr || name.isEmpty())
            return false;
        const std::uint32_t r = copyToBuffer(name, buffer, *size);
        *size = r + (r > static_cast<std::uint32_t>(name.size()) ? 0 : 1);
        return r <= static_cast<std::uint32_t>(name.size());
    }
    // The system-wide folders of a Linux system: the configuration root and the libraries.
    std::uint32_t GetWindowsDirectoryA(char *buffer, std::uint32_t size) const override
    {
        return copyToBuffer(QByteArrayLiteral("/etc"), buffer, size);
    }
    std::uint32_t GetSystemDirectoryA(char *buffer, std::uint32_t size) const override
    {
        return copyToBuffer(QByteArrayLiteral("/usr/lib"), buffer, size);
    }
    std::uint32_t GetTempPathA(std::uint32_t size, char *buffer) const override
    {
        QByteArray dir = qgetenv("TMPDIR");
        if (dir.isEmpty())
            dir = QByteArrayLiteral("/tmp");
        if (!dir.endsWith('/'))
            dir += '/';
        return copyToBuffer(dir, buffer, size);
    }
    std::uint32_t GetEnvironmentVariableA(const char *name, char *buffer,
                                          std::uint32_t size) const override
    {
        const char *v = name ? std::getenv(name) : nullptr;
        if (v == nullptr)
            return 0;
        return copyToBuffer(QByteArray(v), buffer, size);
    }
    bool GetVersionExA(OSVersionInfoA *info) const override
    {
        if (info == nullptr || info->dwOSVersionInfoSize != sizeof(OSVersionInfoA))
            return false;
        utsname u{};
        if (uname(&u) != 0)
            return false;
        unsigned major = 0, minor = 0, patch = 0;
        int used = 0;
        std::sscanf(u.release, "%u.%u.%u%n", &major, &minor, &patch, &used);
        info->dwMajorVersion = major;
        info->dwMinorVersion = minor;
        info->dwBuildNumber = patch;
        info->dwPlatformId = VER_PLATFORM_POSIX;
        const char *rest = u.release + used;
        while (*rest == '-' || *rest == '.')
            ++rest;
        std::strncpy(info->szCSDVersion, rest, sizeof info->szCSDVersion - 1);
        info->szCSDVersion[sizeof info->szCSDVersion - 1] = '\0';
        return true;
    }
    QString platformName() const override
    {
        utsname u{};
        if (uname(&u) != 0)
            return {};
        return QString::fromLocal8Bit(u.sysname);
    }
};

} // namespace

const SystemQueries &systemQueries()
{
    static const PosixQueries queries;
    return queries;
}

} // namespace platform
