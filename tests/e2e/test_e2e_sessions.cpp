// The program in the desktop sessions users have, each started here headless: a stacking window
// manager (openbox) on the test's virtual display, a Wayland compositor (weston) alone, and
// both together as in a GNOME session with Xwayland.
#include "e2e.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPoint>
#include <QProcess>
#include <QRect>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

bool haveAll(std::initializer_list<const char *> commands, QString &missing)
{
    for (const char *c : commands)
        if (!e2e::haveCommand(QLatin1String(c))) {
            missing = QLatin1String(c);
            return false;
        }
    return true;
}

QString xprop(const QStringList &args)
{
    return QString::fromUtf8(e2e::commandOutput(QStringLiteral("xprop"), args));
}

// The window ids a property of the root window or of a window lists, in order.
QList<quint32> windowIds(const QString &propertyLine)
{
    QList<quint32> ids;
    static const QRegularExpression hex(QStringLiteral("0x[0-9a-fA-F]+"));
    for (auto it = hex.globalMatch(propertyLine.section(QLatin1Char('#'), 1)); it.hasNext();)
        ids << it.next().captured().toUInt(nullptr, 16);
    return ids;
}

quint32 idOf(const e2e::Window &w)
{
    return w.id.toUInt(nullptr, 16);
}

// Where a window is on the screen now.
QRect geometryOf(const QString &id)
{
    const QString info =
        QString::fromUtf8(e2e::commandOutput(QStringLiteral("xwininfo"), {"-id", id}));
    const auto value = [&info](const char *label) {
        const qsizetype at = info.indexOf(QLatin1String(label));
        return at < 0 ? 0
                      : info.mid(at + qsizetype(qstrlen(label)))
                            .section(QLatin1Char('\n'), 0, 0)
                            .trimmed()
                            .toInt();
    };
    return {value("Absolute upper-left X:"), value("Absolute upper-left Y:"), value("Width:"),
            value("Height:")};
}

// A session's process, ended when the case ends.
class Session
{
public:
    Session(const QString &program, const QStringList &args, const QStringList &env)
    {
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        for (const QString &kv : env)
            e.insert(kv.section(QLatin1Char('='), 0, 0), kv.section(QLatin1Char('='), 1));
        m_process.setProcessEnvironment(e);
        m_process.setStandardInputFile(QProcess::nullDevice());
        m_process.setStandardOutputFile(m_log.filePath(QStringLiteral("log")));
        m_process.setStandardErrorFile(m_log.filePath(QStringLiteral("log")), QIODevice::Append);
        m_process.start(program, args);
        m_process.waitForStarted(e2e::scaled(10000));
    }
    ~Session()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(e2e::scaled(10000))) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }
    bool running()
    {
        return m_process.state() == QProcess::Running && !m_process.waitForFinished(0);
    }
    QByteArray log() const { return testsupport::readFile(m_log.filePath(QStringLiteral("log"))); }

private:
    QTemporaryDir m_log;
    QProcess m_process;
};

// openbox managing the test's display, with its stock configuration.
class Openbox
{
public:
    Openbox()
        : m_config(), m_wm(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")},
                           {"XDG_CONFIG_HOME=" + m_config.path()})
    {
        // Ready once it has claimed the screen.
        m_ready = e2e::waitFor(
            [] {
                return xprop({QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")})
                    .contains(QLatin1String("window id"));
            },
            30000, [this] { return !m_wm.running(); });
    }
    ~Openbox()
    {
        // The next case starts from a display without a window manager.
        e2e::commandOutput(QStringLiteral("xprop"),
                           {"-root", "-remove", "_NET_SUPPORTING_WM_CHECK"});
    }
    bool ready() const { return m_ready; }
    QByteArray log() const { return m_wm.log(); }

private:
    QTemporaryDir m_config;
    Session m_wm;
    bool m_ready = false;
};

// weston without a screen, on a socket of its own in a runtime folder of its own (a temporary
// folder is the user's alone, as a runtime folder must be).
class Weston
{
public:
    Weston()
        : m_socket(QStringLiteral("daypane-test-%1").arg(QCoreApplication::applicationPid())),
          m_wm(QStringLiteral("weston"),
               {QStringLiteral("--backend=headless-backend.so"), QStringLiteral("--use-pixman"),
                QStringLiteral("--no-config"), "--socket=" + m_socket,
                QStringLiteral("--idle-time=0")},
               {"XDG_RUNTIME_DIR=" + runtimeDir()})
    {
        // The program's own probe waits for a compositor still starting; the socket must be there.
        m_ready = e2e::waitFor([this] { return QFileInfo::exists(runtimeDir() + "/" + m_socket); },
                               30000, [this] { return !m_wm.running(); });
    }
    bool ready() const { return m_ready; }
    QString runtimeDir() const { return m_runtime.path(); }
    // What a client of this compositor is given.
    QStringList clientEnv() const
    {
        return {"WAYLAND_DISPLAY=" + m_socket, "XDG_RUNTIME_DIR=" + runtimeDir()};
    }
    QByteArray log() const { return m_wm.log(); }

private:
    QTemporaryDir m_runtime;
    QString m_socket;
    Session m_wm;
    bool m_ready = false;
};

constexpr const char *kNotOnTop =
    "ldpn: this Wayland session cannot keep the window above other windows";

class Sessions : public testing::Test
{
protected:
    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            GTEST_SKIP() << "needs the virtual display the test runs on";
        QString missing;
        if (!haveAll({"openbox", "weston", "xprop", "xdotool", "xwininfo"}, missing))
            GTEST_SKIP() << missing.toStdString() << " is not installed";
    }

    static void click(const e2e::Window &w, int x, int y)
    {
        e2e::commandOutput(QStringLiteral("xdotool"), {"mousemove", QString::number(w.x + x),
                                                       QString::number(w.y + y), "click", "1"});
    }
    static void key(const QString &keys)
    {
        e2e::commandOutput(QStringLiteral("xdotool"), {"key", "--clearmodifiers", keys});
    }

    // `w` where it is now: the window manager may have moved it since it was found.
    static e2e::Window placedNow(const e2e::Window &w)
    {
        e2e::Window now = w;
        const QRect at = geometryOf(w.id);
        now.x = at.x();
        now.y = at.y();
        return now;
    }

    // The window manager's stacking, bottom to top.
    static QList<quint32> stacking()
    {
        return windowIds(
            xprop({QStringLiteral("-root"), QStringLiteral("_NET_CLIENT_LIST_STACKING")}));
    }

    // `box` is transient for the window, above it in the stacking order, marked to stay on top,
    // and centred on it.
    static void expectAboveAndCentred(const e2e::Window &window, const e2e::Window &box)
    {
        const QList<quint32> order = stacking();
        ASSERT_TRUE(order.contains(idOf(window))) << window.id.toStdString();
        ASSERT_TRUE(order.contains(idOf(box))) << box.name.toStdString();
        EXPECT_GT(order.indexOf(idOf(box)), order.indexOf(idOf(window)))
            << box.name.toStdString() << " is below the window";
        EXPECT_EQ(windowIds(xprop({"-id", box.id, "WM_TRANSIENT_FOR"})),
                  QList<quint32>{idOf(window)})
            << box.name.toStdString();
        EXPECT_TRUE(
            xprop({"-id", box.id, "_NET_WM_STATE"}).contains(QLatin1String("_NET_WM_STATE_ABOVE")))
            << box.name.toStdString();
        // Once the window manager has framed it.
        QRect at;
        const auto centred = [&] {
            at = geometryOf(box.id);
            return (geometryOf(window.id).center() - at.center()).manhattanLength() <= 3;
        };
        EXPECT_TRUE(e2e::waitFor(centred, 10000))
            << box.name.toStdString() << " at " << at.x() << "," << at.y() << " " << at.width()
            << "x" << at.height() << ", the window at " << window.x << "," << window.y;
    }

    e2e::Run run{"2026-07-19 10:00:00"};
};

TEST_F(Sessions, UnderOpenboxEveryBoxStandsAboveTheWindowCentredOnIt)
{
    Openbox wm;
    ASSERT_TRUE(wm.ready()) << wm.log().toStdString();
    run.useDisplay();
    // Interval mode, so that leaving writes the stamp.
    e2e::Background ldpn(run, {"data:text/html,<p>Notice</p>", "1"});
    ASSERT_TRUE(ldpn.waitForPage()) << ldpn.err().toStdString();
    const auto window = e2e::waitForWindow(QStringLiteral("Last Login"), 20000, &ldpn);
    ASSERT_TRUE(window.has_value());
    EXPECT_TRUE(
        xprop({"-id", window->id, "_NET_WM_STATE"}).contains(QLatin1String("_NET_WM_STATE_ABOVE")));

    // The decorations: a close box, and no maximise box on a window of fixed size.
    const QString actions = xprop({"-id", window->id, "_NET_WM_ALLOWED_ACTIONS"});
    EXPECT_TRUE(actions.contains(QLatin1String("_NET_WM_ACTION_CLOSE"))) << actions.toStdString();
    EXPECT_FALSE(actions.contains(QLatin1String("_NET_WM_ACTION_MAXIMIZE")))
        << actions.toStdString();

    // The About box, from the green lamp.
    click(*window, 16 + 11, 2 + 11);
    const auto about = e2e::waitForWindow(QStringLiteral("About"), 20000, &ldpn);
    ASSERT_TRUE(about.has_value()) << ldpn.err().toStdString();
    expectAboveAndCentred(*window, *about);
    // A click on the window leaves the box above it.
    click(*window, 300, 200);
    expectAboveAndCentred(*window, *about);
    click(placedNow(*about), 111 + 37, 196 + 14); // OK, where the box is now
    ASSERT_TRUE(e2e::waitFor([] { return !e2e::waitForWindow(QStringLiteral("About"), 0); }, 20000,
                             [&] { return !ldpn.running(); }));

    // A message box: the stamp cannot be written where a folder has taken its name.
    ASSERT_TRUE(QDir().mkpath(run.stampPath()));
    click(*window, 81 + 68, 2 + 11); // Exit
    ASSERT_TRUE(ldpn.waitForLine("File access denied.")) << ldpn.err().toStdString();
    const auto box = e2e::waitForWindow(QStringLiteral("Daypane"), 20000, &ldpn);
    ASSERT_TRUE(box.has_value()) << ldpn.err().toStdString();
    expectAboveAndCentred(*window, *box);
    key(QStringLiteral("Return"));
    ASSERT_TRUE(e2e::waitFor([] { return !e2e::waitForWindow(QStringLiteral("Daypane"), 0); },
                             20000, [&] { return !ldpn.running(); }));
    EXPECT_TRUE(ldpn.running()) << "the window stays after a failed write";

    // The window manager's close box ends the program, as Exit would but without the stamp.
    QDir(run.stampPath()).removeRecursively();
    e2e::commandOutput(QStringLiteral("xdotool"), {"windowactivate", "--sync", window->id});
    key(QStringLiteral("alt+F4"));
    ASSERT_TRUE(ldpn.waitForEnd()) << ldpn.err().toStdString();
    EXPECT_EQ(ldpn.exitCode(), 0) << ldpn.err().toStdString();
    EXPECT_FALSE(QFileInfo::exists(run.stampPath()));
}

TEST_F(Sessions, ASecondStartRaisesTheFirstWindowAndEnds)
{
    Openbox wm;
    ASSERT_TRUE(wm.ready()) << wm.log().toStdString();
    run.useDisplay();
    e2e::Background first(run, {"data:text/html,<p>Notice</p>", "/F"});
    ASSERT_TRUE(first.waitForShown()) << first.err().toStdString();
    e2e::Background second(run, {"data:text/html,<p>Notice</p>", "/F"});
    ASSERT_TRUE(second.waitForEnd()) << second.err().toStdString();
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(second.err().contains("daypane.startup: window already shown: raised\n"))
        << second.err().toStdString();
    EXPECT_FALSE(second.err().contains("window shown\n")) << second.err().toStdString();
    EXPECT_TRUE(first.running());
    const QByteArray windows = e2e::commandOutput(
        QStringLiteral("xdotool"), {"search", "--onlyvisible", "--name", "Last Login"});
    EXPECT_EQ(windows.count('\n'), 1) << windows.toStdString();
}

TEST_F(Sessions, AWaylandOnlySessionShowsThePageAndSaysItCannotStayOnTop)
{
    Weston weston;
    ASSERT_TRUE(weston.ready()) << weston.log().toStdString();
    run.env << weston.clientEnv();
    e2e::Background ldpn(run, {"data:text/html,<p>Notice</p>", "/F"});
    ASSERT_TRUE(ldpn.waitForShown()) << ldpn.err().toStdString();
    ASSERT_TRUE(ldpn.waitForPage()) << ldpn.err().toStdString();
    EXPECT_TRUE(ldpn.err().contains(QByteArray(kNotOnTop) + '\n')) << ldpn.err().toStdString();
    EXPECT_FALSE(ldpn.err().contains("platform plugin")) << ldpn.err().toStdString();
}

// Qt's own reason ends the line: here a Wayland plugin that no package installed (the plugins
// that are installed are always found, so the name is one that no package has).
TEST_F(Sessions, AMissingPlatformPluginIsNamedWithItsPackage)
{
    Weston weston;
    ASSERT_TRUE(weston.ready()) << weston.log().toStdString();
    run.env << weston.clientEnv() << "QT_QPA_PLATFORM=wayland-daypane-missing";
    const auto r = run.ldpn({"data:text/html,<p>Notice</p>", "/F"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_FALSE(r.crashed);
    EXPECT_EQ(r.err,
              e2e::kNoNetWareClient +
                  QByteArray("ldpn: cannot open a display to show the window: the Qt platform "
                             "plugin \"wayland-daypane-missing\" is not installed (package "
                             "qt6-wayland)\n"));
}

// The platform Qt would take by itself, in the sessions where the program once judged otherwise.
TEST_F(Sessions, TheProbeAgreesWithQtWhereOnlyWaylandAnswers)
{
    Weston weston;
    ASSERT_TRUE(weston.ready()) << weston.log().toStdString();
    const QStringList cases[] = {
        {"DISPLAY=:31999"},              // a dead X server beside Wayland
        {"QT_QPA_PLATFORM="},            // set, but empty
        {"QT_QPA_PLATFORM=xcb;wayland"}, // a list, with no X display
    };
    for (const QStringList &extra : cases) {
        e2e::Run r{"2026-07-19 10:00:00"};
        r.env << weston.clientEnv() << extra;
        e2e::Background ldpn(r, {"data:text/html,<p>Notice</p>", "/F"});
        EXPECT_TRUE(ldpn.waitForShown())
            << extra.join(' ').toStdString() << ": " << ldpn.err().toStdString();
    }
}

TEST_F(Sessions, WithXwaylandBesideWaylandTheWindowIsOnX11AndOnTop)
{
    Openbox wm;
    ASSERT_TRUE(wm.ready()) << wm.log().toStdString();
    Weston weston;
    ASSERT_TRUE(weston.ready()) << weston.log().toStdString();
    run.useDisplay();
    run.env << weston.clientEnv() << "XDG_SESSION_TYPE=wayland";
    e2e::Background ldpn(run, {"data:text/html,<p>Notice</p>", "/F"});
    ASSERT_TRUE(ldpn.waitForShown()) << ldpn.err().toStdString();
    const auto window = e2e::waitForWindow(QStringLiteral("Last Login"), 20000, &ldpn);
    ASSERT_TRUE(window.has_value()) << ldpn.err().toStdString();
    EXPECT_TRUE(
        xprop({"-id", window->id, "_NET_WM_STATE"}).contains(QLatin1String("_NET_WM_STATE_ABOVE")));
    EXPECT_FALSE(ldpn.err().contains(kNotOnTop)) << ldpn.err().toStdString();
    EXPECT_FALSE(ldpn.err().contains("platform plugin")) << ldpn.err().toStdString();
}

} // namespace
