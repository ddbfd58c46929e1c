#include "e2e.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMetaObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <chrono>
#include <thread>

#include <cerrno>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace e2e {
namespace {

QProcessEnvironment environmentOf(const QStringList &changes)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString &kv : changes) {
        const qsizetype eq = kv.indexOf(QLatin1Char('='));
        if (eq < 0)
            env.remove(kv);
        else
            env.insert(kv.left(eq), kv.mid(eq + 1));
    }
    return env;
}

// A helper program's standard output; empty when it fails or takes too long.
QByteArray output(const QString &program, const QStringList &args)
{
    QProcess p;
    p.setStandardInputFile(QProcess::nullDevice());
    p.start(program, args);
    if (!p.waitForFinished(scaled(10000))) {
        p.kill();
        p.waitForFinished();
        return {};
    }
    return p.exitCode() == 0 ? p.readAllStandardOutput() : QByteArray();
}

bool viewable(const QString &id)
{
    return output(QStringLiteral("xwininfo"), {QStringLiteral("-id"), id})
        .contains("Map State: IsViewable");
}

std::optional<Window> findWindow(const QString &part)
{
    // Lines look like:  0x400005 "Title": ("ldpn" "ldpn")  600x335+212+216  +212+216
    static const QRegularExpression line(
        QStringLiteral("^\\s*(0x[0-9a-f]+) \"(.*)\": "
                       ".*?\\s(\\d+)x(\\d+)[+-]-?\\d+[+-]-?\\d+\\s+([+-]-?\\d+)([+-]-?\\d+)"));
    const QByteArray tree =
        output(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-tree")});
    for (const QString &l : QString::fromUtf8(tree).split(QLatin1Char('\n'))) {
        const auto m = line.match(l);
        if (m.hasMatch() && m.captured(2).contains(part) && viewable(m.captured(1)))
            return Window{m.captured(1),         m.captured(2),         m.captured(3).toInt(),
                          m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt()};
    }
    return std::nullopt;
}

} // namespace

bool waitFor(const std::function<bool()> &done, int timeoutMs, const std::function<bool()> &ended)
{
    const QDeadlineTimer deadline(scaled(timeoutMs));
    for (;;) {
        if (done())
            return true;
        if (deadline.hasExpired() || (ended && ended()))
            return done();
        // The pause of a poll, not a wait for something to happen by itself.
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

QString fakeTimeLibrary()
{
    // The sanitizer pass runs without it: it must not be preloaded before their runtime.
    if (qEnvironmentVariableIsSet("DAYPANE_TEST_WITHOUT_FAKETIME"))
        return {};
    for (const char *p : {"/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1",
                          "/usr/lib/aarch64-linux-gnu/faketime/libfaketime.so.1",
                          "/usr/lib/faketime/libfaketime.so.1"})
        if (QFileInfo::exists(QLatin1String(p)))
            return QLatin1String(p);
    return {};
}

ProgramCopy::ProgramCopy()
    // Beside the test's build folder, not in /tmp: the copy must be allowed to run.
    : m_dir(QDir::currentPath() + QStringLiteral("/program-XXXXXX"))
{
    const QFileInfo program(QStringLiteral(LDPN_PATH));
    const QDir modules(program.absolutePath() + QStringLiteral("/../lib/daypane"));
    const QString copy = m_dir.path() + QStringLiteral("/bin/ldpn");
    if (!m_dir.isValid() || !QDir(m_dir.path()).mkpath(QStringLiteral("bin")) ||
        !QDir(m_dir.path()).mkpath(QStringLiteral("lib/daypane")) ||
        !QFile::copy(program.absoluteFilePath(), copy) ||
        !QFile::setPermissions(copy, QFileDevice::ReadOwner | QFileDevice::ExeOwner)) {
        m_why = QStringLiteral("cannot copy %1 into %2").arg(program.absoluteFilePath(), m_dir.path());
        return;
    }
    for (const QFileInfo &module : modules.entryInfoList({QStringLiteral("*.so")}, QDir::Files))
        if (!QFile::link(module.absoluteFilePath(), moduleFolder() + QLatin1Char('/') + module.fileName()))
            m_why = QStringLiteral("cannot link %1").arg(module.absoluteFilePath());
}

QString ProgramCopy::moduleFolder() const
{
    // As the program finds it: through the real path of its executable.
    return QFileInfo(m_dir.path() + QStringLiteral("/lib/daypane")).canonicalFilePath();
}

bool ProgramCopy::replaceModule(const QString &name, const QString &file)
{
    const QString place = moduleFolder() + QLatin1Char('/') + name;
    QFile::remove(place);
    return QFile::link(file, place);
}

QStringList ProgramCopy::wrapper() const
{
    // The run hands the wrapper the program of the build and its arguments; the copy takes them.
    return {QStringLiteral("/bin/sh"), QStringLiteral("-c"),
            QStringLiteral("program=$1; shift 2; exec \"$program\" \"$@\""), QStringLiteral("sh"),
            m_dir.path() + QStringLiteral("/bin/ldpn")};
}

std::string withoutFakeTime()
{
    if (qEnvironmentVariableIsSet("DAYPANE_TEST_WITHOUT_FAKETIME"))
        return "cannot run here: libfaketime and the sanitizers' runtime cannot both be preloaded";
    return "libfaketime is not installed (package libfaketime)";
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

void Run::addEngineFlags(const QString &flags)
{
    for (QString &kv : env)
        if (kv.startsWith(QLatin1String("QTWEBENGINE_CHROMIUM_FLAGS="))) {
            kv += QLatin1Char(' ') + flags;
            return;
        }
    env << QStringLiteral("QTWEBENGINE_CHROMIUM_FLAGS=") + flags;
}

void Run::useDisplay()
{
    env.removeAll(QStringLiteral("DISPLAY"));
}

testsupport::RunResult Run::ldpn(const QStringList &args, int timeoutMs) const
{
    Background program(*this, args, false);
    testsupport::RunResult r;
    if (!program.waitForEnd(timeoutMs))
        return r; // the destructor ends it; a hang shows as exit code -1
    r.exitCode = program.exitCode();
    r.crashed = program.crashed();
    r.out = program.out();
    r.err = program.err();
    return r;
}

std::optional<Window> waitForWindow(const QString &part, int timeoutMs, Background *owner)
{
    std::optional<Window> found;
    waitFor([&] { return (found = findWindow(part)).has_value(); }, timeoutMs,
            [owner] { return owner != nullptr && !owner->running(); });
    return found;
}

Background::Background(const Run &run, const QStringList &args, bool milestones)
{
    QProcessEnvironment env = environmentOf(run.env);
    env.remove(QStringLiteral("QT_MESSAGE_PATTERN")); // the lines waited for keep Qt's format
    QStringList rules;
    if (milestones)
        rules << QStringLiteral("daypane.startup=true");
    if (!run.loggingRules.isEmpty())
        rules << run.loggingRules;
    if (!rules.isEmpty())
        env.insert(QStringLiteral("QT_LOGGING_RULES"), rules.join(QLatin1Char(';')));
    else
        env.remove(QStringLiteral("QT_LOGGING_RULES"));
    m_process.setProcessEnvironment(env);
    // Files, never pipes: a chatty child must not stall on a pipe nobody reads.
    m_process.setStandardInputFile(QProcess::nullDevice());
    m_process.setStandardOutputFile(m_files.filePath(QStringLiteral("stdout")));
    m_process.setStandardErrorFile(m_files.filePath(QStringLiteral("stderr")));
    const QString program = run.program.isEmpty() ? QStringLiteral(LDPN_PATH) : run.program;
    if (run.wrapper.isEmpty())
        m_process.start(program, args);
    else
        m_process.start(run.wrapper.first(), run.wrapper.mid(1) + QStringList{program} + args);
    m_process.waitForStarted(scaled(30000));
}

Background::~Background()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(scaled(10000))) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }
}

bool Background::running()
{
    return m_process.state() != QProcess::NotRunning && !m_process.waitForFinished(0);
}

bool Background::waitForLine(const QByteArray &line, int timeoutMs)
{
    // Woken by what wakes the line: a write to the program's standard error, or its end.
    const QByteArray whole = '\n' + line + '\n';
    const auto seen = [&] { return ('\n' + err()).contains(whole); };
    const int written = ::inotify_init1(IN_CLOEXEC);
    ::inotify_add_watch(written,
                        QFile::encodeName(m_files.filePath(QStringLiteral("stderr"))).constData(),
                        IN_MODIFY);
    const int ended = int(::syscall(SYS_pidfd_open, pid_t(pid()), 0));
    const QDeadlineTimer deadline(scaled(timeoutMs));
    bool found = seen();
    while (!found && !deadline.hasExpired()) {
        pollfd fds[2] = {{written, POLLIN, 0}, {ended, POLLIN, 0}};
        if (::poll(fds, 2, int(deadline.remainingTime())) < 0 && errno != EINTR)
            break;
        char events[4096];
        if ((fds[0].revents & POLLIN) != 0 && ::read(written, events, sizeof events) < 0)
            break;
        found = seen();
        if (fds[1].revents != 0 || ended < 0 || !running())
            break; // the program has ended: what it wrote is all there is
    }
    ::close(written);
    if (ended >= 0)
        ::close(ended);
    return found;
}

bool Background::waitForShown(int timeoutMs)
{
    return waitForLine("daypane.startup: window shown", timeoutMs);
}

bool Background::waitForPage(int timeoutMs)
{
    return waitForLine("daypane.startup: page loaded", timeoutMs);
}

bool Background::waitForEnd(int timeoutMs)
{
    return m_process.state() == QProcess::NotRunning ||
           m_process.waitForFinished(scaled(timeoutMs));
}

QByteArray Background::out() const
{
    return testsupport::readFile(m_files.filePath(QStringLiteral("stdout")));
}

QByteArray Background::err() const
{
    return testsupport::readFile(m_files.filePath(QStringLiteral("stderr")));
}

QByteArray commandOutput(const QString &program, const QStringList &args)
{
    QProcess p;
    p.setStandardInputFile(QProcess::nullDevice());
    p.start(program, args);
    p.waitForFinished(scaled(10000));
    return p.readAllStandardOutput();
}

bool haveCommand(const QString &name)
{
    return !commandOutput(QStringLiteral("sh"), {"-c", "command -v " + name}).isEmpty();
}

ProgramTree::ProgramTree(const QStringList &leaving)
{
    const QDir build(QFileInfo(QStringLiteral(LDPN_PATH)).dir());
    const QDir libraries(build.filePath(QStringLiteral("../lib/daypane")));
    QDir root(m_root.path());
    if (!root.mkpath(QStringLiteral("bin")) || !root.mkpath(QStringLiteral("lib/daypane")))
        return;
    // Copies, not links: the program finds its modules beside the path it was started from.
    if (!QFile::copy(QStringLiteral(LDPN_PATH), ldpn()))
        return;
    for (const QString &name : libraries.entryList(QDir::Files)) {
        if (!leaving.contains(name) &&
            !QFile::copy(libraries.filePath(name), QDir(this->libraries()).filePath(name)))
            return;
    }
    m_made = true;
}

QString boxText(const Window &box, Background *owner)
{
    QString text;
    waitFor(
        [&] {
            // Where the box is now: it may have been placed again after it first appeared.
            const QString info =
                QString::fromUtf8(output(QStringLiteral("xwininfo"), {"-id", box.id}));
            const auto value = [&info](const char *label) {
                const qsizetype at = info.indexOf(QLatin1String(label));
                return at < 0 ? -1
                              : info.mid(at + qsizetype(qstrlen(label)))
                                    .section(QLatin1Char('\n'), 0, 0)
                                    .trimmed()
                                    .toInt();
            };
            const int x = value("Absolute upper-left X:"), y = value("Absolute upper-left Y:");
            if (x < 0 || y < 0)
                return false;
            // Again until it takes: a box that has only just appeared, or a busy machine, may
            // miss the clicks or spread them too far apart.
            commandOutput(QStringLiteral("xdotool"),
                          {"mousemove", QString::number(x + 70), QString::number(y + 17), "click",
                           "--repeat", "3", "--delay", "30", "1"});
            text = QString::fromUtf8(
                commandOutput(QStringLiteral("xclip"),
                              {"-o", "-selection", "primary", "-target", "UTF8_STRING"}));
            return !text.isEmpty();
        },
        20000, [owner] { return owner != nullptr && !owner->running(); });
    return text;
}

void pressKey(const Window &window, const QString &key)
{
    commandOutput(QStringLiteral("xdotool"), {"windowfocus", "--sync", window.id, "key", key});
}

void installRecordingOpener(Run &run, const QString &record)
{
    const QString bin = run.home.path() + "/bin";
    QDir().mkpath(bin);
    // Written aside and renamed, so a test that sees the file sees all of it.
    testsupport::writeFile(bin + "/xdg-open", ("#!/bin/sh\nprintf '%s\\n' \"$@\" > " + record +
                                               ".part && mv " + record + ".part " + record + "\n")
                                                  .toUtf8());
    QFile::setPermissions(bin + "/xdg-open", QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    run.env << "PATH=" + bin + ":" + qEnvironmentVariable("PATH");
}

OwnDisplay::OwnDisplay()
{
    if (!haveCommand(QStringLiteral("Xvfb"))) {
        m_why = QStringLiteral("Xvfb is not installed");
        return;
    }
    m_xvfb.setStandardInputFile(QProcess::nullDevice());
    m_xvfb.setStandardErrorFile(QProcess::nullDevice());
    // The number arrives on standard output once the server is up. Without -noreset the server
    // would start over whenever its last client leaves, refusing clients meanwhile.
    m_xvfb.start(QStringLiteral("Xvfb"), {"-displayfd", "1", "-screen", "0", "1024x768x24",
                                          "-nolisten", "tcp", "-noreset"});
    QByteArray number;
    const QDeadlineTimer deadline(scaled(30000));
    while (!number.contains('\n') && m_xvfb.waitForReadyRead(int(deadline.remainingTime())))
        number += m_xvfb.readAllStandardOutput();
    bool ok = false;
    number.trimmed().toInt(&ok);
    if (!ok) {
        m_why = QStringLiteral("Xvfb reported no display number");
        return;
    }
    const QString name = QStringLiteral(":") + QString::fromLatin1(number.trimmed());
    // A busy server may refuse a client for a moment.
    if (!waitFor(
            [&] {
                QProcess probe;
                probe.setStandardInputFile(QProcess::nullDevice());
                probe.setStandardOutputFile(QProcess::nullDevice());
                probe.setStandardErrorFile(QProcess::nullDevice());
                probe.start(QStringLiteral("xdpyinfo"), {QStringLiteral("-display"), name});
                return probe.waitForFinished(scaled(10000)) && probe.exitCode() == 0;
            },
            30000, [&] { return m_xvfb.state() == QProcess::NotRunning; })) {
        m_why = QStringLiteral("display %1 does not accept clients").arg(name);
        return;
    }
    m_name = name;
}

OwnDisplay::~OwnDisplay()
{
    end();
}

void OwnDisplay::end()
{
    if (m_xvfb.state() == QProcess::NotRunning)
        return;
    m_xvfb.terminate();
    if (!m_xvfb.waitForFinished(scaled(10000))) {
        m_xvfb.kill();
        m_xvfb.waitForFinished();
    }
}

ServerThread::ServerThread() : m_context(new QObject)
{
    m_context->moveToThread(&m_thread);
    m_thread.start();
}

ServerThread::~ServerThread()
{
    m_thread.quit();
    m_thread.wait();
    delete m_context;
}

void ServerThread::run(const std::function<void()> &f)
{
    QMetaObject::invokeMethod(m_context, f, Qt::BlockingQueuedConnection);
}

TestPrinter::TestPrinter() : m_spool(qEnvironmentVariable("DAYPANE_TEST_PRINTER_SPOOL")) {}

qsizetype TestPrinter::jobs() const
{
    return QDir(m_spool).entryList({QStringLiteral("d*")}, QDir::Files).size();
}

QString TestPrinter::serverVariable() const
{
    return QStringLiteral("CUPS_SERVER=") + qEnvironmentVariable("CUPS_SERVER");
}

} // namespace e2e
