#pragma once

#include "app/records.h"
#include "directory/config.h"
#include "directory/netwaredirectory.h"
#include "platform/clock.h"
#include "platform/settingsstore.h"
#include "platform/systeminfo.h"
#include "platform/timezone.h"

#include <QString>
#include <QStringList>

// Everything start-up takes from outside, so tests can script it.
struct StartupEnvironment
{
    QStringList arguments; // the command-line arguments after the program name
    const platform::Clock *clock = &platform::systemClock();
    const platform::TimeZoneQuery *timeZone = &platform::systemTimeZone();
    directory::Directory *directory = &directory::netwareDirectory();
    const platform::SettingsStore *settings = &platform::systemSettings();
    const platform::SystemQueries *system = &platform::systemQueries();
    directory::BrowserConfig browser; // how the window's web view browses
    Records *records = &noRecords(); // the decision's and the window's records; never null

    QString argument(int position) const; // 1-based; "" when absent
};

// Arguments 1 to 3 are all the program looks at.
QStringList commandLineArguments(int argc, const char *const *argv);

// Upper-cases the ASCII letters only, as the mode comparison does.
QString upperAscii(const QString &text);
