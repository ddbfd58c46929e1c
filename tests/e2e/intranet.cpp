#include "intranet.h"

#include <QCryptographicHash>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QTcpServer>

namespace e2e {
namespace {

// A server that hands out TLS sockets when it has a certificate.
class Listener : public QTcpServer
{
public:
    std::function<QTcpSocket *(qintptr)> makeSocket;

protected:
    void incomingConnection(qintptr descriptor) override
    {
        addPendingConnection(makeSocket(descriptor));
    }
};

QByteArray reason(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 401:
        return "Unauthorized";
    case 404:
        return "Not Found";
    case 407:
        return "Proxy Authentication Required";
    default:
        return "Status";
    }
}

QByteArray md5(const QByteArray &text)
{
    return QCryptographicHash::hash(text, QCryptographicHash::Md5).toHex();
}

// The parameters of a Digest header: name="value" or name=value, comma-separated.
QMap<QByteArray, QByteArray> digestParameters(const QByteArray &header)
{
    QMap<QByteArray, QByteArray> out;
    static const QRegularExpression pair(QStringLiteral("(\\w+)=(\"([^\"]*)\"|[^,\\s]*)"));
    auto it = pair.globalMatch(QString::fromLatin1(header));
    while (it.hasNext()) {
        const auto m = it.next();
        out.insert(m.captured(1).toLatin1(),
                   (m.captured(3).isNull() ? m.captured(2) : m.captured(3)).toLatin1());
    }
    return out;
}

} // namespace

HttpServer::HttpServer(HttpHandler handler, const QList<QSslCertificate> &chain, const QSslKey &key)
    : m_handler(std::move(handler)), m_chain(chain), m_key(key)
{
    m_thread.run([this] { listen(); });
}

HttpServer::~HttpServer()
{
    m_thread.run([this] { delete m_server; });
}

void HttpServer::listen()
{
    auto *listener = new Listener;
    listener->makeSocket = [this](qintptr descriptor) -> QTcpSocket * {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            ++m_connections;
        }
        if (m_chain.isEmpty()) {
            auto *socket = new QTcpSocket;
            socket->setSocketDescriptor(descriptor);
            return socket;
        }
        auto *socket = new QSslSocket;
        socket->setSocketDescriptor(descriptor);
        socket->setLocalCertificateChain(m_chain);
        socket->setPrivateKey(m_key);
        socket->setPeerVerifyMode(QSslSocket::VerifyNone);
        socket->startServerEncryption();
        return socket;
    };
    m_server = listener;
    m_server->listen(QHostAddress::LocalHost, 0);
    m_port = m_server->serverPort();
    QObject::connect(m_server, &QTcpServer::newConnection, m_server, [this] {
        while (QTcpSocket *s = m_server->nextPendingConnection()) {
            auto *buffer = new QByteArray;
            QObject::connect(s, &QObject::destroyed, [buffer] { delete buffer; });
            QObject::connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
            QObject::connect(s, &QTcpSocket::readyRead, s,
                             [this, s, buffer] { answer(s, buffer); });
        }
    });
}

void HttpServer::answer(QTcpSocket *socket, QByteArray *buffer)
{
    *buffer += socket->readAll();
    const qsizetype end = buffer->indexOf("\r\n\r\n");
    if (end < 0)
        return;
    const QList<QByteArray> lines = buffer->left(end).split('\n');
    buffer->remove(0, end + 4);
    HttpRequest request;
    const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
    request.method = first.value(0);
    request.target = first.value(1);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines[i].indexOf(':');
        if (colon > 0)
            request.headers.insert(lines[i].left(colon).trimmed().toLower(),
                                   lines[i].mid(colon + 1).trimmed());
    }
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_requests << request;
    }
    const HttpResponse response = m_handler(request);
    QByteArray head = "HTTP/1.1 " + QByteArray::number(response.status) + ' ' +
                      reason(response.status) + "\r\nContent-Type: " + response.type +
                      "\r\nContent-Length: " + QByteArray::number(response.body.size()) +
                      "\r\nCache-Control: no-store\r\nConnection: close\r\n";
    for (const auto &[name, value] : response.headers)
        head += name + ": " + value + "\r\n";
    socket->write(head + "\r\n" + response.body);
    socket->disconnectFromHost();
}

QString HttpServer::url(const QString &path, const QString &host) const
{
    return QStringLiteral("%1://%2:%3%4")
        .arg(m_chain.isEmpty() ? QStringLiteral("http") : QStringLiteral("https"), host)
        .arg(m_port)
        .arg(path);
}

QList<HttpRequest> HttpServer::requests() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_requests;
}

int HttpServer::count(const QByteArray &part) const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return int(std::count_if(m_requests.begin(), m_requests.end(),
                             [&](const HttpRequest &r) { return r.target.contains(part); }));
}

int HttpServer::connections() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_connections;
}

namespace auth {

QByteArray basicChallenge(const QByteArray &realm)
{
    return "Basic realm=\"" + realm + '"';
}

bool basicAccepted(const HttpRequest &r, const QByteArray &user, const QByteArray &password)
{
    return r.header("authorization") == "Basic " + (user + ':' + password).toBase64();
}

QByteArray digestChallenge(const QByteArray &realm, const QByteArray &nonce)
{
    return "Digest realm=\"" + realm + "\", qop=\"auth\", algorithm=MD5, nonce=\"" + nonce + '"';
}

bool digestAccepted(const HttpRequest &r, const QByteArray &realm, const QByteArray &user,
                    const QByteArray &password)
{
    const QByteArray header = r.header("authorization");
    if (!header.startsWith("Digest "))
        return false;
    const auto p = digestParameters(header.mid(7));
    if (p.value("username") != user || p.value("realm") != realm || p.value("uri") != r.target)
        return false;
    const QByteArray ha1 = md5(user + ':' + realm + ':' + password);
    const QByteArray ha2 = md5(r.method + ':' + p.value("uri"));
    const QByteArray expected = md5(ha1 + ':' + p.value("nonce") + ':' + p.value("nc") + ':' +
                                    p.value("cnonce") + ':' + p.value("qop") + ':' + ha2);
    return p.value("response") == expected;
}

} // namespace auth

TestPki::TestPki()
{
    if (!haveCommand(QStringLiteral("certtool"))) {
        m_error = QStringLiteral("certtool (gnutls-bin) is not installed");
        return;
    }
    const auto write = [this](const char *name, const QByteArray &text) {
        testsupport::writeFile(m_dir.filePath(QLatin1String(name)), text);
    };
    write("ca.tmpl", "cn = \"Daypane test site CA\"\nca\ncert_signing_key\nexpiration_days = 7\n");
    write("server.tmpl", "cn = \"localhost\"\ndns_name = \"localhost\"\nip_address = "
                         "\"127.0.0.1\"\ntls_www_server\nexpiration_days = 7\n");
    write("other.tmpl", "cn = \"other.example\"\ndns_name = "
                        "\"other.example\"\ntls_www_server\nexpiration_days = 7\n");
    const QString d = m_dir.path() + QLatin1Char('/');
    if (!run({"--generate-privkey", "--key-type=ecdsa", "--outfile", d + "key.pem"}) ||
        !run({"--generate-self-signed", "--load-privkey", d + "key.pem", "--template",
              d + "ca.tmpl", "--outfile", d + "ca.pem"}) ||
        !run({"--generate-certificate", "--load-privkey", d + "key.pem", "--load-ca-certificate",
              d + "ca.pem", "--load-ca-privkey", d + "key.pem", "--template", d + "server.tmpl",
              "--outfile", d + "server.pem"}) ||
        !run({"--generate-certificate", "--load-privkey", d + "key.pem", "--load-ca-certificate",
              d + "ca.pem", "--load-ca-privkey", d + "key.pem", "--template", d + "other.tmpl",
              "--outfile", d + "other.pem"}) ||
        !run({"--generate-self-signed", "--load-privkey", d + "key.pem", "--template",
              d + "server.tmpl", "--outfile", d + "self.pem"}))
        return;
}

bool TestPki::run(const QStringList &args)
{
    QProcess certtool;
    certtool.setStandardInputFile(QProcess::nullDevice());
    certtool.start(QStringLiteral("certtool"), args);
    if (certtool.waitForFinished(scaled(30000)) && certtool.exitCode() == 0)
        return true;
    m_error = QStringLiteral("certtool %1: %2")
                  .arg(args.join(' '), QString::fromLocal8Bit(certtool.readAllStandardError()));
    return false;
}

QSslCertificate TestPki::load(const char *name) const
{
    return QSslCertificate::fromPath(m_dir.filePath(QLatin1String(name))).value(0);
}

QSslKey TestPki::key() const
{
    QFile file(m_dir.filePath(QStringLiteral("key.pem")));
    file.open(QIODevice::ReadOnly);
    return QSslKey(&file, QSsl::Ec);
}

QSslCertificate TestPki::ca() const
{
    return load("ca.pem");
}

QSslCertificate TestPki::signedServer() const
{
    return load("server.pem");
}

QSslCertificate TestPki::otherName() const
{
    return load("other.pem");
}

QSslCertificate TestPki::selfSigned() const
{
    return load("self.pem");
}

} // namespace e2e
