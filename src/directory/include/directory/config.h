#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace directory {

enum class SourceKind { NetWare, Ldap, Logins };
enum class LdapBind { Anonymous, Simple, Sasl };
enum class LdapStartTls { No, Yes, Demand };

inline constexpr int kDefaultTimeoutMs = 3000;

struct LdapConfig
{
    QString uri;  // libldap's list syntax; empty: the URI of the system's ldap.conf
    QString base; // empty: the BASE of the system's ldap.conf
    QString filter = QStringLiteral("(uid=%u)");
    QString attribute = QStringLiteral("lastLoginTime");
    LdapBind bind = LdapBind::Anonymous;
    QString bindDn;
    QString passwordFile;
    QString saslMech;
    LdapStartTls startTls = LdapStartTls::No;
    int timeoutMs = kDefaultTimeoutMs;
};

struct LoginsConfig
{
    QString file = QStringLiteral("/var/log/wtmp");
    int timeoutMs = kDefaultTimeoutMs; // for searching the records
};

// The window's web view. A page shown at login keeps nothing by default: no cookies, no cache
// on disk. A site that needs its pages' data from one login to the next (cookies, storage,
// service workers, history) says `profile = keep` (`cookies = keep`, its older name, still
// counts). `negotiate` lists the servers that get the login's Kerberos ticket.
struct BrowserConfig
{
    bool keepProfile = false;
    QString negotiate; // host names with '*' wildcards, comma-separated; empty: none
};

// The records of each decision and user action in the system's log; on unless switched off.
struct JournalConfig
{
    bool records = true;
};

// What the configuration file says. An error makes the source NetWare unless it says
// otherwise (a bad timeout keeps the source and the default timeout; a bad [browser] value
// keeps nothing; a bad [journal] value keeps the records).
struct DirectoryConfig
{
    QString path; // the file read, or empty when none was found
    SourceKind source = SourceKind::NetWare;
    LdapConfig ldap;
    LoginsConfig logins;
    BrowserConfig browser;
    JournalConfig journal;
    QStringList errors; // one line each, ready for standard error
};

// The configuration folders in the XDG order: $XDG_CONFIG_HOME (default ~/.config), then each
// of $XDG_CONFIG_DIRS (default /etc/xdg). Relative and empty values are ignored, as the XDG
// rules say.
QStringList configFolders(const QByteArray &xdgConfigHome, const QByteArray &home,
                          const QByteArray &xdgConfigDirs);
// The same from the process's environment.
QStringList configFoldersFromEnvironment();

// Parses the text of one configuration file; `path` names it in error lines.
DirectoryConfig parseDirectoryConfig(const QByteArray &text, const QString &path);

// Reads the first daypane/daypane.conf found in the folders. No file: NetWare and no error.
DirectoryConfig readDirectoryConfig(const QStringList &folders);

// A value shown in an error line: control bytes escaped, cut after maxChars characters.
QString printable(const QByteArray &text, qsizetype maxChars = 80);

} // namespace directory
