#include "components/AboutSystem.h"

#include "framework/exception.h"

#include <array>

using platform::RegRoot;
using platform::RegType;
using platform::RegValue;

namespace {

QString bufferText(const char *buffer)
{
    return QString::fromLocal8Bit(buffer);
}

QString readString(const platform::SettingsKey &key, const QString &name)
{
    const RegValue v = key.value(name);
    switch (v.status) {
    case RegValue::Status::Missing:
        return {};
    case RegValue::Status::FetchFailed:
        throw framework::Exception(QStringLiteral("Failed to get data for '%1'").arg(name));
    case RegValue::Status::Ok:
        break;
    }
    if (v.type != RegType::REG_SZ && v.type != RegType::REG_EXPAND_SZ)
        throw framework::Exception(QStringLiteral("Invalid data type for '%1'").arg(name));
    const qsizetype nul = v.text.indexOf(QChar(u'\0'));
    return nul < 0 ? v.text : v.text.left(nul);
}

template <typename Call> QString directory(Call call, std::uint32_t size)
{
    std::array<char, 262> buffer{};
    const std::uint32_t n = call(buffer.data(), size);
    if (n == 0 || n >= size)
        return {};
    buffer[size - 1] = '\0';
    return bufferText(buffer.data());
}

} // namespace

QString TAboutSystem::expandPath(const QString &text, const platform::SystemQueries &system)
{
    if (text.isEmpty())
        return text;
    bool on = false;
    qsizetype opening = 0, closing = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) != QLatin1Char('%'))
            continue;
        on = !on;
        if (on)
            opening = i + 1;
        else
            closing = i + 1;
    }
    if (!(closing > opening && opening > 0))
        return text;
    const QByteArray name = text.mid(opening, closing - opening - 1).toLocal8Bit();
    char buffer[260] = {};
    const std::uint32_t n = system.GetEnvironmentVariableA(name.constData(), buffer, sizeof buffer);
    // A value that does not fit (n >= the buffer) is left unexpanded.
    if (n == 0 || n >= sizeof buffer)
        return text;
    buffer[sizeof buffer - 1] = '\0';
    return text.left(opening - 1) + bufferText(buffer) + text.mid(closing);
}

TAboutSystem::TAboutSystem(QObject *owner, const platform::SettingsStore &store,
                           const platform::SystemQueries &system)
    : QObject(owner)
{
    {
        char buffer[16] = {};
        std::uint32_t size = sizeof buffer;
        if (system.GetComputerNameA(buffer, &size)) {
            buffer[sizeof buffer - 1] = '\0';
            m_computerName = bufferText(buffer);
        }
    }
    {
        char buffer[50] = {};
        std::uint32_t size = sizeof buffer;
        if (system.GetUserNameA(buffer, &size)) {
            buffer[sizeof buffer - 1] = '\0';
            m_userName = bufferText(buffer);
        }
    }
    auto sysDir = [&](char *b, std::uint32_t s) { return system.GetSystemDirectoryA(b, s); };
    auto winDir = [&](char *b, std::uint32_t s) { return system.GetWindowsDirectoryA(b, s); };
    auto tempDir = [&](char *b, std::uint32_t s) { return system.GetTempPathA(s, b); };
    m_sysDir = directory(sysDir, 261);
    m_winDir = directory(winDir, 261);

    platform::OSVersionInfoA version;
    if (system.GetVersionExA(&version)) {
        version.szCSDVersion[sizeof version.szCSDVersion - 1] = '\0';
        m_osVersion = QStringLiteral("%1.%2 (%3.%4)")
                          .arg(version.dwMajorVersion)
                          .arg(version.dwMinorVersion)
                          .arg(version.dwBuildNumber & 0xFFFF)
                          .arg(bufferText(version.szCSDVersion));
        m_platformId = static_cast<int>(version.dwPlatformId);
        switch (version.dwPlatformId) {
        case platform::VER_PLATFORM_WIN32s:
            m_osPlatform = QStringLiteral("Windows 3.1");
            break;
        case platform::VER_PLATFORM_WIN32_WINDOWS:
            m_osPlatform = QStringLiteral("Windows 95");
            break;
        case platform::VER_PLATFORM_WIN32_NT:
            m_osPlatform = QStringLiteral("Windows NT");
            break;
        case platform::VER_PLATFORM_POSIX:
            m_osPlatform = system.platformName();
            break;
        default:
            break;
        }
    }

    QString ownerKey;
    if (m_platformId == 1)
        ownerKey = QStringLiteral("\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion");
    else if (m_platformId == 2)
        ownerKey = QStringLiteral("\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion");
    if (auto key = store.openKey(RegRoot::HKEY_LOCAL_MACHINE, ownerKey)) {
        m_regOwner = readString(*key, QStringLiteral("RegisteredOwner"));
        m_regCompany = readString(*key, QStringLiteral("RegisteredOrganization"));
    }

    m_windows = directory(winDir, 260);
    m_system = directory(sysDir, 260);
    m_temp = directory(tempDir, 260);

    auto read = [&](const platform::SettingsKey &key, const char *name) {
        return expandPath(readString(key, QLatin1String(name)), system);
    };
    if (auto key = store.openKey(RegRoot::HKEY_CURRENT_USER, platform::kShellFoldersKey)) {
        m_appData = read(*key, "AppData");
        m_cache = read(*key, "Cache");
        m_cookies = read(*key, "Cookies");
        m_deskTop = read(*key, "DeskTop");
        m_favorites = read(*key, "Favorites");
        m_fonts = read(*key, "Fonts");
        m_history = read(*key, "History");
        m_netHood = read(*key, "NetHood");
        m_personal = read(*key, "Personal");
        m_printHood = read(*key, "PrintHood");
        m_programs = read(*key, "Programs");
        m_recent = read(*key, "Recent");
        m_sendTo = read(*key, "SendTo");
        m_startMenu = read(*key, "Start Menu");
        m_startUp = read(*key, "StartUp");
        m_templates = read(*key, "Templates");
        m_myPictures = read(*key, "My Pictures");
        m_localAppData = read(*key, "Local AppData");
    }
    if (auto key = store.openKey(RegRoot::HKEY_LOCAL_MACHINE, platform::kMachineFoldersKey)) {
        m_commonFiles = read(*key, "CommonFilesDir");
        m_config = read(*key, "ConfigPath");
        m_device = read(*key, "DevicePath");
        m_media = read(*key, "MediaPath");
        m_otherDevice = read(*key, "OtherDevicePath");
        m_programFiles = read(*key, "ProgramFilesPath");
        m_systemRoot = read(*key, "SystemRoot");
        m_wallPaper = read(*key, "WallPaperDir");
    }
}
