#pragma once

#include "testsupport.h"

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>
#include <functional>
#include <optional>
#include <string>

namespace e2e {

using testsupport::scaled;

// Without a NetWare client the default source says why it cannot answer, once, while the
// decision asks it.
inline const QByteArray kNoNetWareClient =
    "ldpn: directory NetWare client: cannot load CALWIN32.DLL (libcalwin32.so: cannot open "
    "shared object file: No such file or directory)\n";

// Polls `done` until it holds, for at most `timeoutMs` (scaled). A wait on a process passes its
// end as `ended`, so that the wait gives up at once instead of running out its time.
bool waitFor(const std::function<bool()> &done, int timeoutMs,
             const std::function<bool()> &ended = {});

// libfaketime, to start the program on a chosen day; empty when it is not installed or
// DAYPANE_TEST_WITHOUT_FAKETIME is set. Cases that need a day of their own skip without it,
// giving withoutFakeTime() as the reason.
QString fakeTimeLibrary();
std::string withoutFakeTime();

// An environment for ldpn: its own data folder, no display unless asked for, a fixed day.
struct Run
{
    QTemporaryDir home;
    QStringList env;
    // A command that starts ldpn (given as its last arguments), for a run that needs a setting
    // of its own; it should exec ldpn so that the process stays the one started.
    QStringList wrapper;
    // Logging rules besides the milestones' (for example "daypane.page=true").
    QString loggingRules;
    // The program to start, when not the build's own ldpn (a copy in a tree of its own).
    QString program;
    explicit Run(const char *fakeTime = "2026-07-19 10:00:00");
    // Adds switches to the engine's command line (QTWEBENGINE_CHROMIUM_FLAGS).
    void addEngineFlags(const QString &flags);
    QString stampPath() const { return home.path() + "/dpn.qcf"; }
    // Runs ldpn to its end (killed after the scaled limit).
    testsupport::RunResult ldpn(const QStringList &args, int timeoutMs = 30000) const;
    // Keeps the display the test runs on, so a window can appear.
    void useDisplay();
};

// A top-level window on the test's display, as xwininfo reports it.
struct Window
{
    QString id;
    QString name;
    int width = 0;
    int height = 0;
    int x = 0; // the upper-left corner on the screen
    int y = 0;
};

class Background;

// A copy of the program in a folder of the test's own, beside links to the modules of the build,
// so that a test may put another module in the place of one. A run starts the copy instead of
// the program of the build when its wrapper is set to wrapper().
class ProgramCopy
{
public:
    ProgramCopy();
    // True when the copy was made; otherwise why() says what failed.
    bool made() const { return m_why.isEmpty(); }
    QString why() const { return m_why; }
    // The folder the copy looks for its modules in.
    QString moduleFolder() const;
    // Puts `file` in the place of the module `name` ("libdaypane-gui.so").
    bool replaceModule(const QString &name, const QString &file);
    QStringList wrapper() const;

private:
    QTemporaryDir m_dir;
    QString m_why;
};

// What a helper program prints on standard output (its input empty, ended after 10 s scaled).
QByteArray commandOutput(const QString &program, const QStringList &args);
bool haveCommand(const QString &name);

// A copy of the build's program folders (bin/ldpn and lib/daypane, as installed) without the
// files named in `leaving`: the program as a package missing a part of itself finds it.
class ProgramTree
{
public:
    explicit ProgramTree(const QStringList &leaving);
    bool made() const { return m_made; }
    QString ldpn() const { return m_root.filePath(QStringLiteral("bin/ldpn")); }
    QString libraries() const { return m_root.filePath(QStringLiteral("lib/daypane")); }

private:
    QTemporaryDir m_root;
    bool m_made = false;
};

// Puts a recording `xdg-open` first on the run's PATH: what the program hands the desktop
// appears, whole, in the file `record`.
void installRecordingOpener(Run &run, const QString &record);

// A display of the test's own (Xvfb, which picks a free number itself), so that the test may
// end it under a window without touching the display the test runs on.
class OwnDisplay
{
public:
    OwnDisplay();
    ~OwnDisplay();
    OwnDisplay(const OwnDisplay &) = delete;
    OwnDisplay &operator=(const OwnDisplay &) = delete;
    // ":N" once it accepts clients; empty when Xvfb is missing or did not come up, with why.
    QString name() const { return m_name; }
    QString why() const { return m_why; }
    // Ends the server and waits for it.
    void end();

private:
    QProcess m_xvfb;
    QString m_name;
    QString m_why;
};

// A thread of its own for a test's server, so the test may block while it answers. `run` calls
// a function in that thread and waits for it.
class ServerThread
{
public:
    ServerThread();
    ~ServerThread();
    ServerThread(const ServerThread &) = delete;
    ServerThread &operator=(const ServerThread &) = delete;
    void run(const std::function<void()> &f);

private:
    QThread m_thread;
    QObject *m_context;
};

// The first viewable window whose name contains `part`, polled for at most `timeoutMs` (scaled;
// 0 looks once). Gives up at once when `owner`, the program that should show it, has ended.
std::optional<Window> waitForWindow(const QString &part, int timeoutMs = 20000,
                                    Background *owner = nullptr);

// The text of a message box as a user copies it: a triple click on its first line selects the
// whole text, which is then read from the selection (xclip). Empty when nothing came within the
// (scaled) limit, or `owner` ended first.
QString boxText(const Window &box, Background *owner = nullptr);
// Gives `window` the keyboard and presses `key` there (xdotool's names: "Return").
void pressKey(const Window &window, const QString &key);

// Runs ldpn in the background, its output going to files, with its start-up milestones on
// standard error unless `milestones` is false; ends it when destroyed.
class Background
{
public:
    Background(const Run &run, const QStringList &args, bool milestones = true);
    ~Background();
    Background(const Background &) = delete;
    Background &operator=(const Background &) = delete;

    // Waits until standard error holds `line` as a whole line; false when the program ends
    // without writing it or the (scaled) time is up.
    bool waitForLine(const QByteArray &line, int timeoutMs = 30000);
    // The window is on the screen.
    bool waitForShown(int timeoutMs = 30000);
    // Its page has finished loading.
    bool waitForPage(int timeoutMs = 60000);
    // Waits for the program to end; false when it still runs after the (scaled) time.
    bool waitForEnd(int timeoutMs = 30000);
    bool running();
    qint64 pid() const { return m_process.processId(); }
    int exitCode() const { return m_process.exitCode(); }
    bool crashed() const { return m_process.exitStatus() != QProcess::NormalExit; }
    QByteArray out() const;
    QByteArray err() const;

private:
    QTemporaryDir m_files;
    QProcess m_process;
};

// The private print server and default printer that with_cups_printer.sh starts, as a test
// sees it: absent outside that wrapper.
class TestPrinter
{
public:
    TestPrinter();
    bool available() const { return !m_spool.isEmpty(); }
    // The jobs the server has taken so far: the documents in its spool.
    qsizetype jobs() const;
    // What a started program needs in its environment to print there.
    QString serverVariable() const;

private:
    QString m_spool;
};

} // namespace e2e
