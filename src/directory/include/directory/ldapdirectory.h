#pragma once

#include "directory/config.h"
#include "directory/directory.h"
#include "directory/ldapmodule.h"

#include <functional>
#include <optional>

namespace directory {

// Writes one line for the session log.
using Report = std::function<void(const QString &line)>;

// The user's entry found by an LDAP search. The look-up runs once, on the first question:
// who am I is the entry's DN, its typeless form the caption's name, and the configured
// attribute takes the place of "Last Login Time". A failure is one reported line, then the
// answers of a directory that cannot answer.
class LdapDirectory : public Directory
{
public:
    using Lookup = std::function<ldapmodule::Answer(const ldapmodule::Request &)>;

    LdapDirectory(LdapConfig config, QString loginName, Lookup lookup, Report report);

    QString whoAmIName() override;
    QString typelessName(const QString &name) override;
    bool readTimeAttribute(const QString &contextName, const QString &objectName,
                           std::uint8_t attributeIndex, dates::TDateTime &destination) override;

private:
    void lookUp();
    void reportFailure(const QString &server, const QString &reason);

    LdapConfig m_config;
    QString m_loginName;
    Lookup m_lookup;
    Report m_report;
    bool m_done = false;
    QString m_dn;
    std::optional<dates::TDateTime> m_lastLogin;
};

// The look-up of the module at `path`, loaded on its first call (never unloaded). A module
// that cannot be loaded answers with a failure that says why.
LdapDirectory::Lookup moduleLookup(const QString &path);

} // namespace directory
