#include "certificatecheck.h"

#include <QFileInfo>
#include <QHostAddress>
#include <QMultiMap>
#include <QSslConfiguration>
#include <QSslError>

namespace {

// Read once, when the first certificate is asked about: the page that needs none pays nothing.
void addConfiguredAuthorities()
{
    static const bool added = [] {
        const QString path = qEnvironmentVariable("DAYPANE_CA_CERTIFICATES");
        if (path.isEmpty())
            return true;
        const QList<QSslCertificate> extra =
            QFileInfo(path).isDir()
                ? QSslCertificate::fromPath(path + QStringLiteral("/*"), QSsl::Pem,
                                            QSslCertificate::PatternSyntax::Wildcard)
                : QSslCertificate::fromPath(path, QSsl::Pem);
        QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
        configuration.addCaCertificates(extra);
        QSslConfiguration::setDefaultConfiguration(configuration);
        return true;
    }();
    Q_UNUSED(added);
}

} // namespace

bool trustedBySystem(const QList<QSslCertificate> &chain, const QString &host, QString *why)
{
    if (chain.isEmpty() || chain.first().isNull()) {
        *why = QStringLiteral("the server sent no certificate");
        return false;
    }
    addConfiguredAuthorities();
    QString name = host;
    const QHostAddress address(host);
    if (!address.isNull()) {
        // Qt matches names only: an address must be one of the certificate's address entries.
        const QList<QString> entries =
            chain.first().subjectAlternativeNames().values(QSsl::IpAddressEntry);
        const bool listed = std::any_of(entries.begin(), entries.end(), [&](const QString &e) {
            return QHostAddress(e).isEqual(address);
        });
        if (!listed) {
            *why = QStringLiteral("the certificate is not for the address %1").arg(host);
            return false;
        }
        name.clear();
    }
    // Against the system's authorities (and the configured ones); the name is checked too.
    const QList<QSslError> errors = QSslCertificate::verify(chain, name);
    if (errors.isEmpty())
        return true;
    *why = errors.first().errorString();
    return false;
}
