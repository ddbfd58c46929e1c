#include "directory/source.h"

#include "directory/loginsdirectory.h"
#include "directory/netwaredirectory.h"

namespace directory {

DirectorySource chooseDirectory(const DirectoryConfig &config, const QString &loginName,
                                const QString &ldapModulePath, Report report)
{
    DirectorySource s;
    switch (config.source) {
    case SourceKind::Ldap:
        s.owned = std::make_unique<LdapDirectory>(config.ldap, loginName,
                                                  moduleLookup(ldapModulePath), std::move(report));
        break;
    case SourceKind::Logins:
        s.owned = std::make_unique<LoginsDirectory>(config.logins.file, loginName,
                                                    std::move(report), config.logins.timeoutMs);
        break;
    case SourceKind::NetWare:
        s.owned = std::make_unique<NetWareDirectory>(std::move(report));
        break;
    }
    s.directory = s.owned.get();
    return s;
}

QString loginName(const QByteArray &logname, const QByteArray &passwordName)
{
    return QString::fromLocal8Bit(logname.isEmpty() ? passwordName : logname);
}

} // namespace directory
