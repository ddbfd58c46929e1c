#include "e2e.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QThread>

namespace e2e {

QString fakeTimeLibrary()
{
    for (const char *p : {"/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1",
                          "/usr/lib/aarch64-linux-gnu/faketime/libfaketime.so.1",
                          "/usr/lib/faketime/libfaketime.so.1"})
        if (QFileInfo::exists(QLatin1String(p)))
            return QLatin1String(p);
    return {};
}

Run::Run(const char *fakeTime)
{
    QDir(home.path()).mkdir(QStringLiteral("runtime"));
    QFile::setPermissions(home.path() + QStringLiteral("/runtime"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    env << "XDG_DATA_HOME=" + home.path() << "HOME=" + home.path()
        << "XDG_RUNTIME_DIR=" + home.path() + "/runtime"
        << "DISPLAY"
        << "WAYLAND_DISPLAY"
        << "QT_QPA_PLATFORM"
        << "LC_ALL=C.UTF-8"
        // The web engine cannot sandbox itself as root, as on the test machines.
        << "QTWEBENGINE_DISABLE_SANDBOX=1"
        << "QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu --disable-background-networking"
        << "TZ=UTC";
    if (fakeTime != nullptr && !fakeTimeLibrary().isEmpty())
        env << "LD_PRELOAD=" + fakeTimeLibrary() << QStringLiteral("FAKETIME=@%1").arg(fakeTime)
            << "FAKETIME_DONT_FAKE_MONOTONIC=1";
}

void Run::useDisplay()
{
    env.removeAll(QStringLiteral("DISPLAY"));
}

std::optional<Window> waitForWindow(const QString &part, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    // Lines look like:  0x400005 "Title": ("ldpn" "ldpn")  600x335+212+216  +212+216
    static const QRegularExpression line(
        QStringLiteral("^\\s*(0x[0-9a-f]+) \"(.*)\": "
                       ".*?\\s(\\d+)x(\\d+)[+-]-?\\d+[+-]-?\\d+\\s+([+-]-?\\d+)([+-]-?\\d+)"));
    while (timer.elapsed() < timeoutMs) {
        QProcess p;
        p.start(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-tree")});
        p.waitForFinished(5000);
        for (const QString &l : QString::fromUtf8(p.readAllStandardOutput()).split('\n')) {
            const auto m = line.match(l);
            if (m.hasMatch() && m.captured(2).contains(part))
                return Window{m.captured(1),         m.captured(2),         m.captured(3).toInt(),
                              m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt()};
        }
        QThread::msleep(100);
    }
    return std::nullopt;
}

Background::Background(const Run &run, const QStringList &args)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString &kv : run.env) {
        const qsizetype eq = kv.indexOf(QLatin1Char('='));
        if (eq < 0)
            env.remove(kv);
        else
            env.insert(kv.left(eq), kv.mid(eq + 1));
    }
    m_process.setProcessEnvironment(env);
    m_process.start(QStringLiteral(LDPN_PATH), args);
    m_process.waitForStarted();
}

Background::~Background()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }
}

testsupport::RunResult Run::ldpn(const QStringList &args, int timeoutMs) const
{
    return testsupport::runProgram(QStringLiteral(LDPN_PATH), args, env, timeoutMs);
}

} // namespace e2e
