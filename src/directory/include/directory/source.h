#pragma once

#include "directory/config.h"
#include "directory/directory.h"
#include "directory/ldapdirectory.h"

#include <memory>

namespace directory {

// The source the configuration chose; each reports what keeps it from answering through
// `report`.
struct DirectorySource
{
    std::unique_ptr<Directory> owned;
    Directory *directory = nullptr;
};

// `ldapModulePath` is loaded only when the LDAP source is asked its first question.
DirectorySource chooseDirectory(const DirectoryConfig &config, const QString &loginName,
                                const QString &ldapModulePath, Report report);

// $LOGNAME when set and not empty, otherwise the password-database name of the real user.
QString loginName(const QByteArray &logname, const QByteArray &passwordName);

} // namespace directory
