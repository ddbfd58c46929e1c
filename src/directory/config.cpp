#include "directory/config.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <map>
#include <optional>

namespace directory {
namespace {

// A configuration is a few lines; anything larger is not one.
constexpr qint64 kMaxConfigBytes = 64 * 1024;

const QString kFallBack = QStringLiteral("; using the NetWare client");

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

QByteArray trimmed(QByteArray text)
{
    qsizetype begin = 0, end = text.size();
    while (begin < end && isBlank(text.at(begin)))
        ++begin;
    while (end > begin && isBlank(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

// A comment after a value starts with a blank and '#', as in the documented examples.
QByteArray withoutComment(const QByteArray &value)
{
    for (qsizetype i = 1; i < value.size(); ++i)
        if (value.at(i) == '#' && isBlank(value.at(i - 1)))
            return value.left(i);
    return value;
}

using Section = std::map<QByteArray, QByteArray>;
using Sections = std::map<QByteArray, Section>;

Sections parseIni(const QByteArray &text)
{
    Sections sections;
    QByteArray current;
    bool known = false; // keys before any section header, or after a broken one, are dropped
    qsizetype start = text.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (start <= text.size()) {
        qsizetype end = text.indexOf('\n', start);
        if (end < 0)
            end = text.size();
        QByteArray line = text.mid(start, end - start);
        start = end + 1;
        if (line.endsWith('\r'))
            line.chop(1);
        line = trimmed(line);
        if (line.isEmpty() || line.startsWith('#') || line.startsWith(';'))
            continue;
        if (line.startsWith('[')) {
            const qsizetype close = line.indexOf(']');
            known = close > 0;
            if (known)
                current = trimmed(line.mid(1, close - 1)).toLower();
            continue;
        }
        const qsizetype eq = line.indexOf('=');
        if (eq <= 0 || !known)
            continue;
        const QByteArray key = trimmed(line.left(eq)).toLower();
        sections[current][key] = trimmed(withoutComment(line.mid(eq + 1)));
    }
    return sections;
}

std::optional<QByteArray> valueOf(const Sections &s, const char *section, const char *key)
{
    const auto sec = s.find(QByteArray(section));
    if (sec == s.end())
        return std::nullopt;
    const auto it = sec->second.find(QByteArray(key));
    if (it == sec->second.end())
        return std::nullopt;
    return it->second;
}

QString keyError(const QString &path, const char *section, const char *key, const QString &what)
{
    return QStringLiteral("ldpn: configuration %1: [%2] %3: %4")
        .arg(path, QLatin1String(section), QLatin1String(key), what);
}

QString unknownValue(const QByteArray &value, const char *choices)
{
    return QStringLiteral("unknown value \"%1\" (%2)")
        .arg(printable(value), QLatin1String(choices));
}

// Whole or decimal seconds ("3", "2.5"), 0.1 to 600.
std::optional<int> timeoutMs(const QByteArray &value)
{
    const qsizetype dot = value.indexOf('.');
    const QByteArray whole = dot < 0 ? value : value.left(dot);
    const QByteArray fraction = dot < 0 ? QByteArray("0") : value.mid(dot + 1);
    const auto digitsOnly = [](const QByteArray &t) {
        return !t.isEmpty() && t.size() <= 9 &&
               std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    if (!digitsOnly(whole) || !digitsOnly(fraction))
        return std::nullopt;
    const double seconds = (whole + '.' + fraction).toDouble();
    if (seconds < 0.1 || seconds > 600)
        return std::nullopt;
    return int(std::lround(seconds * 1000));
}

QString badTimeout(const QByteArray &value)
{
    return QStringLiteral("\"%1\" is not a number of seconds from 0.1 to 600; using 3")
        .arg(printable(value));
}

QString string(const QByteArray &value)
{
    return QString::fromUtf8(value);
}

// Reads [ldap]; false when the source cannot be used as configured.
bool readLdap(const Sections &s, DirectoryConfig &c)
{
    LdapConfig &l = c.ldap;
    if (auto v = valueOf(s, "ldap", "uri"))
        l.uri = string(*v);
    if (auto v = valueOf(s, "ldap", "base"))
        l.base = string(*v);
    if (auto v = valueOf(s, "ldap", "filter"); v && !v->isEmpty())
        l.filter = string(*v);
    if (auto v = valueOf(s, "ldap", "attribute"); v && !v->isEmpty())
        l.attribute = string(*v);
    if (auto v = valueOf(s, "ldap", "binddn"))
        l.bindDn = string(*v);
    if (auto v = valueOf(s, "ldap", "password_file"))
        l.passwordFile = string(*v);
    if (auto v = valueOf(s, "ldap", "timeout")) {
        if (const auto ms = timeoutMs(*v))
            l.timeoutMs = *ms;
        else
            c.errors << keyError(c.path, "ldap", "timeout", badTimeout(*v));
    }

    bool usable = true;
    if (auto v = valueOf(s, "ldap", "bind")) {
        const QByteArray b = v->toLower();
        if (b == "anonymous" || b.isEmpty())
            l.bind = LdapBind::Anonymous;
        else if (b == "simple")
            l.bind = LdapBind::Simple;
        else if (b == "sasl")
            l.bind = LdapBind::Sasl;
        else {
            c.errors << keyError(c.path, "ldap", "bind",
                                 unknownValue(*v, "anonymous, simple or sasl") + kFallBack);
            usable = false;
        }
    }
    if (auto v = valueOf(s, "ldap", "starttls")) {
        const QByteArray t = v->toLower();
        if (t == "no" || t.isEmpty())
            l.startTls = LdapStartTls::No;
        else if (t == "yes")
            l.startTls = LdapStartTls::Yes;
        else if (t == "demand")
            l.startTls = LdapStartTls::Demand;
        else {
            // Guessing here could mean plain text where TLS was meant.
            c.errors << keyError(c.path, "ldap", "starttls",
                                 unknownValue(*v, "no, yes or demand") + kFallBack);
            usable = false;
        }
    }
    if (usable && l.bind == LdapBind::Simple) {
        if (l.bindDn.isEmpty()) {
            c.errors << keyError(c.path, "ldap", "binddn",
                                 QStringLiteral("needed for bind = simple") + kFallBack);
            usable = false;
        } else if (l.passwordFile.isEmpty()) {
            c.errors << keyError(c.path, "ldap", "password_file",
                                 QStringLiteral("needed for bind = simple") + kFallBack);
            usable = false;
        }
    }
    if (usable && l.bind == LdapBind::Sasl) {
        const QByteArray m = valueOf(s, "ldap", "sasl_mech").value_or(QByteArray()).toUpper();
        if (m == "GSSAPI" || m == "EXTERNAL")
            l.saslMech = QString::fromLatin1(m);
        else {
            c.errors << keyError(c.path, "ldap", "sasl_mech",
                                 (m.isEmpty() ? QStringLiteral("needed for bind = sasl")
                                              : unknownValue(*valueOf(s, "ldap", "sasl_mech"),
                                                             "GSSAPI or EXTERNAL")) +
                                     kFallBack);
            usable = false;
        }
    }
    return usable;
}

// `profile` (or its older name `cookies`, which counts only when `profile` is absent) and
// `negotiate` of [browser]. A bad value keeps nothing and offers the ticket to no server.
void readBrowser(const Sections &s, const QString &path, DirectoryConfig &c)
{
    const char *keepKey = valueOf(s, "browser", "profile") ? "profile" : "cookies";
    if (auto v = valueOf(s, "browser", keepKey)) {
        const QByteArray keep = v->toLower();
        if (keep == "keep")
            c.browser.keepProfile = true;
        else if (keep != "discard" && !keep.isEmpty())
            c.errors << keyError(path, "browser", keepKey,
                                 unknownValue(*v, "discard or keep") +
                                     QStringLiteral(", so nothing is kept"));
    }
    if (auto v = valueOf(s, "browser", "negotiate"); v && !v->isEmpty()) {
        // Host names and wildcards only: the list reaches the engine on its command line.
        QList<QByteArray> names;
        bool valid = true;
        for (const QByteArray &part : v->split(',')) {
            const QByteArray name = trimmed(part).toLower();
            valid = valid && !name.isEmpty() && name.size() <= 253 &&
                    std::all_of(name.begin(), name.end(), [](char ch) {
                        return (ch >= 'a' && ch <= 'z') || (ch >= '0' && ch <= '9') || ch == '.' ||
                               ch == '-' || ch == '*' || ch == '_';
                    });
            names << name;
        }
        if (!valid || names.size() > 100)
            c.errors << keyError(path, "browser", "negotiate",
                                 QStringLiteral("not a list of host names: \"%1\", so no server "
                                                "gets the Kerberos ticket")
                                     .arg(printable(*v)));
        else
            c.browser.negotiate = QString::fromLatin1(names.join(','));
    }
}

} // namespace

QString printable(const QByteArray &text, qsizetype maxChars)
{
    QString out;
    const QString decoded = QString::fromUtf8(text);
    for (const QChar c : decoded) {
        if (out.size() >= maxChars) {
            out += QStringLiteral("...");
            break;
        }
        const char16_t u = c.unicode();
        if (u < 0x20 || u == 0x7F || (u >= 0x80 && u < 0xA0))
            out += QStringLiteral("\\x%1").arg(unsigned(u), 2, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}

QStringList configFolders(const QByteArray &xdgConfigHome, const QByteArray &home,
                          const QByteArray &xdgConfigDirs)
{
    QStringList folders;
    if (xdgConfigHome.startsWith('/'))
        folders << QString::fromLocal8Bit(xdgConfigHome);
    else if (home.startsWith('/'))
        folders << QString::fromLocal8Bit(home) + QStringLiteral("/.config");
    QList<QByteArray> dirs;
    for (const QByteArray &d : xdgConfigDirs.split(':'))
        if (d.startsWith('/'))
            dirs << d;
    if (dirs.isEmpty())
        dirs << QByteArrayLiteral("/etc/xdg");
    for (const QByteArray &d : dirs)
        folders << QString::fromLocal8Bit(d);
    return folders;
}

QStringList configFoldersFromEnvironment()
{
    return configFolders(qgetenv("XDG_CONFIG_HOME"), qgetenv("HOME"), qgetenv("XDG_CONFIG_DIRS"));
}

DirectoryConfig parseDirectoryConfig(const QByteArray &text, const QString &path)
{
    DirectoryConfig c;
    c.path = path;
    const Sections s = parseIni(text);
    if (auto v = valueOf(s, "logins", "file"); v && !v->isEmpty())
        c.logins.file = QString::fromLocal8Bit(*v);
    if (auto v = valueOf(s, "logins", "timeout")) {
        if (const auto ms = timeoutMs(*v))
            c.logins.timeoutMs = *ms;
        else
            c.errors << keyError(c.path, "logins", "timeout", badTimeout(*v));
    }
    readBrowser(s, path, c);

    if (auto v = valueOf(s, "journal", "records")) {
        const QByteArray records = v->toLower();
        if (records == "off")
            c.journal.records = false;
        else if (records != "on" && !records.isEmpty())
            c.errors << keyError(path, "journal", "records",
                                 unknownValue(*v, "on or off") +
                                     QStringLiteral(", so the records are written"));
    }

    const auto source = valueOf(s, "directory", "source");
    if (!source)
        return c;
    const QByteArray kind = source->toLower();
    if (kind == "netware" || kind.isEmpty()) {
        c.source = SourceKind::NetWare;
    } else if (kind == "logins") {
        c.source = SourceKind::Logins;
    } else if (kind == "ldap") {
        if (readLdap(s, c))
            c.source = SourceKind::Ldap;
    } else {
        c.errors << keyError(path, "directory", "source",
                             unknownValue(*source, "netware, ldap or logins") + kFallBack);
    }
    return c;
}

DirectoryConfig readDirectoryConfig(const QStringList &folders)
{
    for (const QString &folder : folders) {
        const QString path = folder + QStringLiteral("/daypane/daypane.conf");
        const QFileInfo info(path);
        if (!info.exists() && !info.isSymLink())
            continue;
        DirectoryConfig c;
        c.path = path;
        // Only a regular file: a FIFO would block the login until someone writes to it.
        if (!info.isFile()) {
            c.errors << QStringLiteral("ldpn: configuration %1: not a regular file%2")
                            .arg(path, kFallBack);
            return c;
        }
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            c.errors << QStringLiteral("ldpn: configuration %1: cannot be read (%2)%3")
                            .arg(path, file.errorString(), kFallBack);
            return c;
        }
        const QByteArray text = file.read(kMaxConfigBytes + 1);
        if (file.error() != QFileDevice::NoError) {
            c.errors << QStringLiteral("ldpn: configuration %1: cannot be read (%2)%3")
                            .arg(path, file.errorString(), kFallBack);
            return c;
        }
        if (text.size() > kMaxConfigBytes) {
            c.errors << QStringLiteral("ldpn: configuration %1: larger than 64 KiB%2")
                            .arg(path, kFallBack);
            return c;
        }
        return parseDirectoryConfig(text, path);
    }
    return {};
}

} // namespace directory
