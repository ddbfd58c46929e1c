#pragma once

#include <QList>
#include <QSslCertificate>
#include <QString>

// Whether the system's trust store vouches for a server's certificate chain, as a site's own
// certificate authority installed the Debian way (update-ca-certificates into /etc/ssl/certs)
// does. The engine consults only its own store; this is asked when the engine says it does not
// know the authority. DAYPANE_CA_CERTIFICATES, a PEM file or a folder of them, names
// authorities trusted besides the system's.
//
// True when the chain (the server's certificate first) verifies for `host`, a name or an
// address; otherwise false with the reason in `why`.
bool trustedBySystem(const QList<QSslCertificate> &chain, const QString &host, QString *why);
