#pragma once

#include "testsupport.h"

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <optional>

namespace e2e {

// libfaketime, to start the program on a chosen day; empty when it is not installed.
QString fakeTimeLibrary();

// An environment for ldpn: its own data folder, no display unless asked for, a fixed day.
struct Run
{
    QTemporaryDir home;
    QStringList env;
    explicit Run(const char *fakeTime = "2026-07-19 10:00:00");
    QString stampPath() const { return home.path() + "/dpn.qcf"; }
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

// Polls the display until a named window whose name contains `part` appears.
std::optional<Window> waitForWindow(const QString &part, int timeoutMs = 20000);

// Runs ldpn in the background for a window test; ends it when destroyed.
class Background
{
public:
    Background(const Run &run, const QStringList &args);
    ~Background();
    QProcess &process() { return m_process; }

private:
    QProcess m_process;
};

} // namespace e2e
