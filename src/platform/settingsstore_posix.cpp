#include "platform/settingsstore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextStream>

namespace platform {
namespace {

QString env(const char *name)
{
    return QString::fromLocal8Bit(qgetenv(name));
}

QString home()
{
    return env("HOME");
}

QString baseDir(const char *var, const char *fallback)
{
    const QString v = env(var);
    if (!v.isEmpty())
        return v;
    const QString h = home();
    return h.isEmpty() ? QString() : h + QLatin1Char('/') + QLatin1String(fallback);
}

// user-dirs.dirs holds lines such as XDG_DESKTOP_DIR="$HOME/Desktop".
QHash<QString, QString> userDirs()
{
    QHash<QString, QString> dirs;
    QFile f(baseDir("XDG_CONFIG_HOME", ".config") + QStringLiteral("/user-dirs.dirs"));
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
    v.insert(QStringLiteral("local appdata"), baseDir("XDG_DATA_HOME", ".local/share"));
    v.insert(QStringLiteral("appdata"), baseDir("XDG_CONFIG_HOME", ".config"));
    v.insert(QStringLiteral("cache"), baseDir("XDG_CACHE_HOME", ".cache"));
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
    const QString fonts = baseDir("XDG_DATA_HOME", ".local/share");
    if (!fonts.isEmpty())
        v.insert(QStringLiteral("fonts"), fonts + QStringLiteral("/fonts"));
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
