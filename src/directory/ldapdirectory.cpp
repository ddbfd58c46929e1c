#include "directory/ldapdirectory.h"

#include "directory/generalizedtime.h"
#include "directory/ldapnames.h"
#include "platform/module.h"

#include <QFile>
#include <QFileInfo>

namespace directory {
namespace {

constexpr std::uint8_t kLastLoginTime = 47;
constexpr qint64 kMaxPasswordBytes = 4096;

ldapmodule::Bind moduleBind(LdapBind b)
{
    switch (b) {
    case LdapBind::Simple:
        return ldapmodule::Bind::Simple;
    case LdapBind::Sasl:
        return ldapmodule::Bind::Sasl;
    case LdapBind::Anonymous:
        break;
    }
    return ldapmodule::Bind::Anonymous;
}

ldapmodule::StartTls moduleStartTls(LdapStartTls t)
{
    switch (t) {
    case LdapStartTls::Yes:
        return ldapmodule::StartTls::Yes;
    case LdapStartTls::Demand:
        return ldapmodule::StartTls::Demand;
    case LdapStartTls::No:
        break;
    }
    return ldapmodule::StartTls::No;
}

// The first line of the password file; nothing, with why, when it cannot be had.
std::optional<std::string> readPassword(const QString &path, QString *why)
{
    const QFileInfo info(path);
    if (info.exists() && !info.isFile()) {
        *why = QStringLiteral("not a regular file");
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *why = file.errorString();
        return std::nullopt;
    }
    QByteArray line = file.read(kMaxPasswordBytes);
    const qsizetype end = line.indexOf('\n');
    if (end >= 0)
        line.truncate(end);
    if (line.endsWith('\r'))
        line.chop(1);
    // An empty password would make the simple bind an anonymous one.
    if (line.isEmpty()) {
        *why = QStringLiteral("the first line is empty");
        return std::nullopt;
    }
    return line.toStdString();
}

} // namespace

LdapDirectory::LdapDirectory(LdapConfig config, QString loginName, Lookup lookup, Report report)
    : m_config(std::move(config)), m_loginName(std::move(loginName)), m_lookup(std::move(lookup)),
      m_report(std::move(report))
{
}

void LdapDirectory::reportFailure(const QString &server, const QString &reason)
{
    if (!m_report)
        return;
    if (server.isEmpty()) // the URI came from ldap.conf and was never read
        m_report(QStringLiteral("ldpn: directory (URI of ldap.conf): %1")
                     .arg(printable(reason.toUtf8(), 300)));
    else
        m_report(QStringLiteral("ldpn: directory %1: %2")
                     .arg(printable(server.toUtf8(), 200), printable(reason.toUtf8(), 300)));
}

void LdapDirectory::lookUp()
{
    if (m_done)
        return;
    m_done = true;
    // No login name: nobody to look for, and a filter of "(uid=)" would only waste the time.
    if (m_loginName.isEmpty())
        return;
    ldapmodule::Request rq;
    rq.uri = m_config.uri.toStdString();
    rq.base = m_config.base.toStdString();
    rq.filter = expandFilter(m_config.filter, m_loginName).toStdString();
    rq.attribute = m_config.attribute.toStdString();
    rq.bind = moduleBind(m_config.bind);
    rq.bindDn = m_config.bindDn.toStdString();
    rq.saslMech = m_config.saslMech.toStdString();
    rq.startTls = moduleStartTls(m_config.startTls);
    rq.timeoutMs = m_config.timeoutMs;
    if (m_config.bind == LdapBind::Simple) {
        QString why;
        const auto password = readPassword(m_config.passwordFile, &why);
        if (!password) {
            reportFailure(m_config.uri,
                          QStringLiteral("password file %1: %2").arg(m_config.passwordFile, why));
            return;
        }
        rq.password = *password;
    }
    const ldapmodule::Answer a = m_lookup(rq);
    std::fill(rq.password.begin(), rq.password.end(), '\0');
    // Each answer that cannot decide is one line too: the page then shows at every login, and
    // the administrator sees why.
    const QString server = QString::fromUtf8(a.server.empty() ? rq.uri : a.server);
    const QString search =
        QStringLiteral("%1 under %2")
            .arg(QString::fromUtf8(rq.filter),
                 m_config.base.isEmpty() ? QStringLiteral("ldap.conf's BASE") : m_config.base);
    switch (a.outcome) {
    case ldapmodule::Answer::Outcome::Found: {
        m_dn = QString::fromUtf8(a.dn);
        const QByteArrayView value(a.value.data(), qsizetype(a.value.size()));
        if (a.hasValue)
            m_lastLogin = parseGeneralizedTime(value);
        if (!a.hasValue)
            reportFailure(server, QStringLiteral("%1 has no %2 that this bind may read")
                                      .arg(m_dn, m_config.attribute));
        else if (!m_lastLogin)
            reportFailure(server,
                          QStringLiteral("%1 of %2 is not a time: \"%3\"")
                              .arg(m_config.attribute, m_dn, printable(value.toByteArray(), 40)));
        break;
    }
    case ldapmodule::Answer::Outcome::NoEntry:
        reportFailure(server, QStringLiteral("no entry matches %1").arg(search));
        break;
    case ldapmodule::Answer::Outcome::Ambiguous:
        reportFailure(server, QStringLiteral("several entries (%1%2) match %3, not one")
                                  .arg(a.moreEntries ? QStringLiteral("at least ") : QString())
                                  .arg(a.entries)
                                  .arg(search));
        break;
    case ldapmodule::Answer::Outcome::Failed:
        reportFailure(server, QString::fromUtf8(a.reason));
        break;
    }
}

QString LdapDirectory::whoAmIName()
{
    lookUp();
    return m_dn;
}

QString LdapDirectory::typelessName(const QString &name)
{
    return typelessNameFromDn(name);
}

bool LdapDirectory::readTimeAttribute(const QString &, const QString &objectName,
                                      std::uint8_t attributeIndex, dates::TDateTime &destination)
{
    if (attributeIndex != kLastLoginTime)
        return false;
    lookUp();
    if (m_dn.isEmpty() || objectName != m_dn || !m_lastLogin)
        return false;
    destination = *m_lastLogin;
    return true;
}

LdapDirectory::Lookup moduleLookup(const QString &path)
{
    return [path](const ldapmodule::Request &rq) {
        ldapmodule::Answer a;
        a.server = rq.uri;
        QString why;
        const auto module =
            platform::Module::loadProgramModule(path, ldapmodule::kInterface, &why);
        ldapmodule::LookupFunction *const entry =
            module ? module->function<ldapmodule::LookupFunction>(ldapmodule::kEntryName) : nullptr;
        if (module && entry == nullptr)
            why = QStringLiteral("%1: no entry %2").arg(path, QLatin1String(ldapmodule::kEntryName));
        if (entry == nullptr) {
            a.reason = QStringLiteral("cannot load the LDAP module: %1").arg(why).toStdString();
            return a;
        }
        entry(&rq, &a);
        return a;
    };
}

} // namespace directory
