#pragma once

#include <QByteArray>
#include <QString>

namespace directory {

// A value for an LDAP search filter (RFC 4515): '*', '(', ')', '\', NUL and the other control
// bytes as \xx, so that a login name can never widen or break the filter.
QByteArray escapeFilterValue(const QByteArray &value);

// The configured filter with every %u replaced by the escaped login name (UTF-8).
QByteArray expandFilter(const QString &filter, const QString &loginName);

// A DN (RFC 4514) in the NDS typeless form the caption shows: the values of its RDNs from the
// leaf up, joined by dots ("cn=jdoe,ou=Sales,o=Acme" gives "jdoe.Sales.Acme"). Escapes are
// resolved; a dot, plus or backslash inside a value is escaped with a backslash as NDS does;
// the values of a multi-valued RDN are joined by '+' in their order ("cn=jdoe+uid=42,o=Acme"
// gives "jdoe+42.Acme"); a hex-string value stays as written. A DN that does not parse gives "".
QString typelessNameFromDn(const QString &dn);

} // namespace directory
