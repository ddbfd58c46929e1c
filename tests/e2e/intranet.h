#pragma once

#include "e2e.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QSslCertificate>
#include <QSslKey>
#include <functional>
#include <mutex>

class QTcpServer;
class QTcpSocket;

namespace e2e {

// One request as a test server received it.
struct HttpRequest
{
    QByteArray method;
    QByteArray target;                    // as sent: a path, or a whole address to a proxy
    QMap<QByteArray, QByteArray> headers; // names in lower case
    QByteArray header(const char *name) const { return headers.value(QByteArray(name)); }
};

struct HttpResponse
{
    int status = 200;
    QByteArray type = "text/html; charset=utf-8";
    QByteArray body;
    QList<std::pair<QByteArray, QByteArray>> headers;
};

using HttpHandler = std::function<HttpResponse(const HttpRequest &)>;

// A web server of a test on loopback, in a thread of its own: every request goes to the
// handler, and is kept for the test to look at. With a certificate and key it speaks TLS.
class HttpServer
{
public:
    explicit HttpServer(HttpHandler handler, const QList<QSslCertificate> &chain = {},
                        const QSslKey &key = {});
    ~HttpServer();
    HttpServer(const HttpServer &) = delete;
    HttpServer &operator=(const HttpServer &) = delete;

    quint16 port() const { return m_port; }
    // "http://127.0.0.1:PORT" + path (https with a certificate); `host` instead of 127.0.0.1.
    QString url(const QString &path, const QString &host = QStringLiteral("127.0.0.1")) const;
    QList<HttpRequest> requests() const;
    // Requests whose target contains `part`.
    int count(const QByteArray &part) const;
    // Connections accepted, whether or not a request followed.
    int connections() const;

private:
    void listen();
    void answer(QTcpSocket *socket, QByteArray *buffer);

    HttpHandler m_handler;
    QList<QSslCertificate> m_chain;
    QSslKey m_key;
    ServerThread m_thread;
    QTcpServer *m_server = nullptr;
    quint16 m_port = 0;
    mutable std::mutex m_mutex;
    QList<HttpRequest> m_requests;
    int m_connections = 0;
};

// Basic and Digest authentication as a server checks them.
namespace auth {
QByteArray basicChallenge(const QByteArray &realm);
bool basicAccepted(const HttpRequest &r, const QByteArray &user, const QByteArray &password);
QByteArray digestChallenge(const QByteArray &realm, const QByteArray &nonce);
bool digestAccepted(const HttpRequest &r, const QByteArray &realm, const QByteArray &user,
                    const QByteArray &password);
} // namespace auth

// Certificates made for a test with certtool (gnutls-bin): a certificate authority of the
// site, a server certificate it signs, and a self-signed one.
class TestPki
{
public:
    TestPki();
    // Empty when certtool is missing or failed; the reason is in error().
    bool ok() const { return m_error.isEmpty(); }
    QString error() const { return m_error; }
    QString caFile() const { return m_dir.filePath(QStringLiteral("ca.pem")); }
    QSslKey key() const;
    QSslCertificate ca() const;
    // For 127.0.0.1 and localhost, signed by the authority.
    QSslCertificate signedServer() const;
    // For other.example only, signed by the authority.
    QSslCertificate otherName() const;
    // For 127.0.0.1 and localhost, signed by itself.
    QSslCertificate selfSigned() const;

private:
    bool run(const QStringList &args);
    QSslCertificate load(const char *name) const;
    QTemporaryDir m_dir;
    QString m_error;
};

} // namespace e2e
