#include "directoryfuzz.h"

#include "directory/config.h"
#include "directory/generalizedtime.h"
#include "directory/ldapnames.h"
#include "directory/loginrecords.h"

#include <QBuffer>
#include <cstdlib>

namespace {

QByteArray bytes(const std::uint8_t *data, std::size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
}

// A broken promise of a reader: abort, so that the fuzzer and the corpus test both see it.
void check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

void exerciseConfigReader(const std::uint8_t *data, std::size_t size)
{
    const directory::DirectoryConfig c =
        directory::parseDirectoryConfig(bytes(data, size), QStringLiteral("/fuzz/daypane.conf"));
    check(c.ldap.timeoutMs >= 100 && c.ldap.timeoutMs <= 600000);
    for (const QString &line : c.errors) {
        check(line.startsWith(QStringLiteral("ldpn: configuration /fuzz/daypane.conf: ")));
        for (const QChar ch : line)
            check(ch.unicode() >= 0x20 && ch.unicode() != 0x7F);
    }
    if (c.source == directory::SourceKind::Ldap && c.ldap.bind == directory::LdapBind::Sasl)
        check(c.ldap.saslMech == QLatin1String("GSSAPI") ||
              c.ldap.saslMech == QLatin1String("EXTERNAL"));
}

void exerciseLoginRecords(const std::uint8_t *data, std::size_t size)
{
    // The first byte is the length of the name that follows (up to 40); the records come after.
    const QByteArray input = bytes(data, size);
    const int n = input.isEmpty() ? 0 : static_cast<unsigned char>(input.at(0)) % 41;
    const QByteArray user = input.mid(1, n);
    QByteArray records = input.mid(1 + n);
    QBuffer buffer(&records);
    buffer.open(QIODevice::ReadOnly);
    const auto previous = directory::previousLoginSeconds(buffer, user);
    if (previous)
        check(*previous >= 0 && *previous <= 0xFFFFFFFFLL);
}

void exerciseLdapValues(const std::uint8_t *data, std::size_t size)
{
    const QByteArray input = bytes(data, size);
    if (const auto t = directory::parseGeneralizedTime(input))
        check(*t > -700000 && *t < 3000000); // years 1 to 9999, give or take a day's offset
    const QString name = directory::typelessNameFromDn(QString::fromUtf8(input));
    (void)name;
    const QByteArray escaped = directory::escapeFilterValue(input);
    for (const char c : escaped)
        check(c != '*' && c != '(' && c != ')' && c != '\0');
}
