#include "app/singlewindow.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QWidget>
#include "platform/username.h"

#include <QFileInfo>

namespace {

constexpr char kRaise[] = "raise\n";
constexpr char kRaised[] = "raised\n";

// How long a second start waits for the first one's answer: the first may be building its
// window and loading the web engine before its loop runs.
constexpr int kAnswerMs = 60000;

// In the user's runtime folder, which only the user can reach; else in the temporary folder,
// where the user's name in the hash keeps users apart.
QString meetingPath(const QByteArray &displayKey)
{
    const QByteArray hash = QCryptographicHash::hash(platform::realUserName() + '\n' + displayKey,
                                                     QCryptographicHash::Sha1)
                                .toHex()
                                .left(16);
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir(runtime).exists())
        return runtime + QStringLiteral("/daypane-") + QString::fromLatin1(hash);
    return QDir::tempPath() + QStringLiteral("/daypane-") + QString::fromLatin1(hash);
}

// In a folder others can write to, a socket of another user is never taken for the window.
bool ownSocket(const QString &path)
{
    return QFileInfo(path).owner().toLocal8Bit() == platform::realUserName();
}

} // namespace

QByteArray sameDisplayKey(const QByteArray &platform, const QByteArray &x11Display,
                          const QString &waylandSocket)
{
    if (platform == "xcb") {
        QByteArray d = x11Display;
        if (d.startsWith("unix:"))
            d.remove(0, 4);
        const qsizetype colon = d.lastIndexOf(':');
        if (const qsizetype dot = d.indexOf('.', colon); colon >= 0 && dot > colon)
            d.truncate(dot);
        return "x11 " + d;
    }
    if (platform.startsWith("wayland"))
        return "wayland " + QFile::encodeName(waylandSocket);
    return "qpa " + platform + ' ' + x11Display + ' ' + QFile::encodeName(waylandSocket);
}

SingleWindow::SingleWindow(const QByteArray &displayKey) : m_path(meetingPath(displayKey)) {}

SingleWindow::~SingleWindow()
{
    if (m_server != nullptr)
        m_server->close(); // removes the socket, so the next start does not try it
}

bool SingleWindow::raiseOther()
{
    QLockFile lock(m_path + QStringLiteral(".lock"));
    lock.setStaleLockTime(0); // a start that died leaves its lock to the next
    // Held only for a connection attempt or a listen: far below this.
    const bool locked = lock.tryLock(10000);
    QLocalSocket other;
    if (ownSocket(m_path))
        other.connectToServer(m_path);
    if (other.state() != QLocalSocket::UnconnectedState && other.waitForConnected(2000)) {
        if (locked)
            lock.unlock();
        other.write(kRaise);
        other.flush();
        QByteArray reply;
        const QDeadlineTimer deadline(kAnswerMs);
        while (!reply.endsWith('\n') && other.state() == QLocalSocket::ConnectedState &&
               !deadline.hasExpired())
            if (other.waitForReadyRead(int(deadline.remainingTime())))
                reply += other.readAll();
        if (reply == kRaised)
            return true;
        // The first start ended without showing its window: this one goes on.
        lock.tryLock(10000);
    }
    // Nobody there: a socket left by a start that died is taken over.
    QLocalServer::removeServer(m_path);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_path)) {
        delete m_server; // the window still shows; only a later start cannot find it
        m_server = nullptr;
        return false;
    }
    connect(m_server, &QLocalServer::newConnection, this, &SingleWindow::answer);
    return false;
}

void SingleWindow::answer()
{
    while (QLocalSocket *asking = m_server->nextPendingConnection()) {
        connect(asking, &QLocalSocket::disconnected, asking, &QObject::deleteLater);
        connect(asking, &QLocalSocket::readyRead, this, [this, asking] {
            if (!asking->canReadLine())
                return;
            // No window (an error box came first): the one asking goes on by itself.
            if (asking->readLine() != kRaise || m_window == nullptr) {
                asking->disconnectFromServer();
                return;
            }
            // Back in front of the user, as if started anew (a minimised window is restored).
            m_window->setWindowState(m_window->windowState() & ~Qt::WindowMinimized);
            m_window->show();
            m_window->raise();
            m_window->activateWindow();
            asking->write(kRaised);
            asking->flush();
            asking->disconnectFromServer();
        });
    }
}
