#pragma once

#include <QString>
#include <memory>

namespace platform {

// A read-only stand-in for the registry: keys are opened, never created.
enum class RegRoot { HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE };

enum class RegType { REG_SZ, REG_EXPAND_SZ, Other };

struct RegValue
{
    enum class Status { Ok, Missing, FetchFailed };
    Status status = Status::Missing;
    RegType type = RegType::REG_SZ;
    QString text;
};

class SettingsKey
{
public:
    virtual ~SettingsKey() = default;
    virtual RegValue value(const QString &name) const = 0;
};

class SettingsStore
{
public:
    virtual ~SettingsStore() = default;
    // Null when the key does not exist. An empty path opens the root itself.
    virtual std::unique_ptr<SettingsKey> openKey(RegRoot root, const QString &path) const = 0;
};

inline const QString kShellFoldersKey =
    QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders");
inline const QString kMachineFoldersKey =
    QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion");

// The POSIX answer: XDG base and user directories.
const SettingsStore &systemSettings();

// Key paths compare case-insensitively, a leading backslash meaning the root.
QString normalizedKeyPath(const QString &path);

} // namespace platform
