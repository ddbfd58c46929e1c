#include "platform/settingsstore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTextStream>
#include <cerrno>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace platform {
namespace {

QString env(const char *name)
{
    return QString::fromLocal8Bit(qgetenv(name));
}

// The home folder the password database gives the effective user; empty unless absolute.
QString passwordHome()
{
    std::vector<char> buffer(1024);
    for (;;) {
        passwd entry{};
        passwd *found = nullptr;
        const int rc = ::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found);
        if (rc == ERANGE && buffer.size() < (1u << 20)) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (rc != 0 || found == nullptr || found->pw_dir == nullptr)
            return {};
        const QString dir = QFile::decodeName(found->pw_dir);
        return QDir::isAbsolutePath(dir) ? dir : QString();
    }
}

// HOME when it names a folder, else the password database's home: QDir::homePath() would
// give the root folder.
QString home()
{
    const QString h = env("HOME");
    if (QDir::isAbsolutePath(h))
        return h;
    return passwordHome();
}

// An XDG base folder. Qt takes a relative value as it is and, without HOME, builds on the
// root folder; the XDG rules ignore a relative or empty value, and a user without any home
// has no such folder.
QString baseDir(const char *var, QStandardPaths::StandardLocation location, const char *fallback)
{
    const QString v = env(var);
    const bool homeSet = QDir::isAbsolutePath(env("HOME"));
    if (QDir::isAbsolutePath(v) || (v.isEmpty() && homeSet))
        return QStandardPaths::writableLocation(location);
    const QString h = home();
    return h.isEmpty() ? QString() : h + QLatin1Char('/') + QLatin1String(fallback);
}

QString dataHome()
{
    return baseDir("XDG_DATA_HOME", QStandardPaths::GenericDataLocation, ".local/share");
}

QString configHome()
{
    return baseDir("XDG_CONFIG_HOME", QStandardPaths::GenericConfigLocation, ".config");
}

QString cacheHome()
{
    return baseDir("XDG_CACHE_HOME", QStandardPaths::GenericCacheLocation, ".cache");
}

// user-dirs.dirs holds lines such as XDG_DESKTOP_DIR="$HOME/Desktop".
QHash<QString, QString> userDirs()
{
    QHash<QString, QString> dirs;
    const QString config = configHome();
    if (config.isEmpty())
        return dirs;
    QFile f(config + QStringLiteral("/user-dirs.dirs"));
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return dirs;
    static const QRegularExpression line(QStringLiteral("^\\s*(XDG_[A-Z]+_DIR)=\"(.*)\"\\s*$"));
    QTextStream in(&f);
    while (!in.atEnd()) {
        const auto m = line.match(in.readLine());
        if (!m.hasMatch())
            continue;
        QString value = m.captured(2);
        value.replace(QStringLiteral("\\\""), QStringLiteral("\""));
        if (value.startsWith(QStringLiteral("$HOME")))
            value = home() + value.mid(5);
        dirs.insert(m.captured(1), value);
    }
    return dirs;
}

class FixedKey : public SettingsKey
{
public:
    explicit FixedKey(QHash<QString, QString> values) : m_values(std::move(values)) {}
    RegValue value(const QString &name) const override
    {
        auto it = m_values.constFind(name.toLower());
        if (it == m_values.constEnd() || it->isEmpty())
            return {};
        return RegValue{RegValue::Status::Ok, RegType::REG_SZ, *it};
    }

private:
    QHash<QString, QString> m_values;
};

QHash<QString, QString> shellFolders()
{
    QHash<QString, QString> v;
    const QString data = dataHome();
    v.insert(QStringLiteral("local appdata"), data);
    v.insert(QStringLiteral("appdata"), configHome());
    v.insert(QStringLiteral("cache"), cacheHome());
    const auto dirs = userDirs();
    const struct
    {
        const char *value;
        const char *xdg;
    } map[] = {
        {"desktop", "XDG_DESKTOP_DIR"},      {"personal", "XDG_DOCUMENTS_DIR"},
        {"my pictures", "XDG_PICTURES_DIR"}, {"templates", "XDG_TEMPLATES_DIR"},
        {"my music", "XDG_MUSIC_DIR"},       {"my video", "XDG_VIDEOS_DIR"},
    };
    for (const auto &m : map) {
        const QString d = dirs.value(QLatin1String(m.xdg));
        if (!d.isEmpty())
            v.insert(QLatin1String(m.value), d);
    }
    if (!data.isEmpty())
        v.insert(QStringLiteral("fonts"), data + QStringLiteral("/fonts"));
    return v;
}

QHash<QString, QString> machineFolders()
{
    QHash<QString, QString> v;
    v.insert(QStringLiteral("configpath"), QStringLiteral("/etc"));
    v.insert(QStringLiteral("systemroot"), QStringLiteral("/"));
    if (QFileInfo(QStringLiteral("/usr/share/backgrounds")).isDir())
        v.insert(QStringLiteral("wallpaperdir"), QStringLiteral("/usr/share/backgrounds"));
    if (QFileInfo(QStringLiteral("/usr/share/sounds")).isDir())
        v.insert(QStringLiteral("mediapath"), QStringLiteral("/usr/share/sounds"));
    return v;
}

class PosixSettings : public SettingsStore
{
public:
    std::unique_ptr<SettingsKey> openKey(RegRoot root, const QString &path) const override
    {
        const QString p = normalizedKeyPath(path);
        if (p.isEmpty())
            return std::make_unique<FixedKey>(QHash<QString, QString>{});
        if (root == RegRoot::HKEY_CURRENT_USER && p == normalizedKeyPath(kShellFoldersKey))
            return std::make_unique<FixedKey>(shellFolders());
        if (root == RegRoot::HKEY_LOCAL_MACHINE && p == normalizedKeyPath(kMachineFoldersKey))
            return std::make_unique<FixedKey>(machineFolders());
        return nullptr;
    }
};

} // namespace

const SettingsStore &systemSettings()
{
    static const PosixSettings store;
    return store;
}

} // namespace platform
