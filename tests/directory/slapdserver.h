#pragma once

#include <QString>
#include <QTemporaryDir>

// A throw-away slapd on loopback, made and started by slapd-fixture.sh (which describes the
// directory it serves); stopped when the object goes.
class SlapdServer
{
public:
    SlapdServer();
    ~SlapdServer();
    SlapdServer(const SlapdServer &) = delete;
    SlapdServer &operator=(const SlapdServer &) = delete;

    bool running() const { return m_running; }
    bool skipped() const { return m_skipped; } // slapd or certtool is not installed
    const QString &failure() const { return m_failure; }

    QString folder() const { return m_dir.path(); }
    QString ldapUri() const { return QStringLiteral("ldap://127.0.0.1:%1").arg(m_ldapPort); }
    QString ldapsUri() const { return QStringLiteral("ldaps://127.0.0.1:%1").arg(m_ldapsPort); }
    QString ldapsWrongHostUri() const { return m_ldapsWrongHost; }
    QString ldapiUri() const { return m_ldapi; }
    QString caFile() const { return m_ca; }
    QString otherCaFile() const { return m_otherCa; }
    // An empty ldap.conf, so that the machine's own settings stay out of the tests.
    QString ldapConf() const { return m_dir.path() + QStringLiteral("/ldap.conf"); }

private:
    QTemporaryDir m_dir;
    bool m_running = false;
    bool m_skipped = false;
    QString m_failure;
    int m_ldapPort = 0;
    int m_ldapsPort = 0;
    QString m_ldapsWrongHost, m_ldapi, m_ca, m_otherCa;
};

// A loopback port that nothing listens on (bound, then released).
int closedLoopbackPort();
