#include "slapdserver.h"

#include "testsupport.h"

#include <QCoreApplication>
#include <QTcpServer>

SlapdServer::SlapdServer()
{
    const QString server = m_dir.path() + QStringLiteral("/server");
    const testsupport::RunResult r =
        testsupport::runProgram(QStringLiteral("bash"),
                                {QStringLiteral(SLAPD_FIXTURE), QStringLiteral("start"), server,
                                 QString::number(QCoreApplication::applicationPid())},
                                {}, 120000);
    if (r.exitCode == 77) {
        m_skipped = true;
        m_failure = QString::fromLocal8Bit(r.err);
        return;
    }
    if (r.exitCode != 0) {
        m_failure = QStringLiteral("slapd-fixture.sh start: exit %1\n%2%3")
                        .arg(r.exitCode)
                        .arg(QString::fromLocal8Bit(r.out), QString::fromLocal8Bit(r.err));
        return;
    }
    for (const QByteArray &line : r.out.split('\n')) {
        const qsizetype eq = line.indexOf('=');
        if (eq < 0)
            continue;
        const QByteArray key = line.left(eq);
        const QString value = QString::fromLocal8Bit(line.mid(eq + 1));
        if (key == "LDAP_PORT")
            m_ldapPort = value.toInt();
        else if (key == "LDAPS_PORT")
            m_ldapsPort = value.toInt();
        else if (key == "LDAPS2_URI")
            m_ldapsWrongHost = value;
        else if (key == "LDAPI_URI")
            m_ldapi = value;
        else if (key == "CA")
            m_ca = value;
        else if (key == "OTHER_CA")
            m_otherCa = value;
    }
    testsupport::writeFile(ldapConf(), "# the tests' own: nothing\n");
    m_running = m_ldapPort > 0 && m_ldapsPort > 0 && !m_ldapi.isEmpty();
    if (!m_running)
        m_failure =
            QStringLiteral("slapd-fixture.sh gave no ports:\n") + QString::fromLocal8Bit(r.out);
}

SlapdServer::~SlapdServer()
{
    testsupport::runProgram(QStringLiteral("bash"),
                            {QStringLiteral(SLAPD_FIXTURE), QStringLiteral("stop"),
                             m_dir.path() + QStringLiteral("/server")},
                            {}, 30000);
}

int closedLoopbackPort()
{
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0))
        return 0;
    const int port = probe.serverPort();
    probe.close();
    return port;
}
