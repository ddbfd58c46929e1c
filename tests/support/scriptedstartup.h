#pragma once

#include "app/programvalues.h"
#include "app/startupenvironment.h"
#include "directory/directory.h"
#include "doubles.h"

#include <QLocale>
#include <QTemporaryDir>

// A directory whose answers a test sets: the logged-in user, its typeless name, and the
// previous login; it counts the time reads and keeps what the last one asked for.
class ScriptedDirectory : public directory::Directory
{
public:
    QString name = "CN=jdoe.OU=Sales.O=Acme";
    QString typeless = "jdoe.Sales.Acme";
    bool haveTime = true;
    dates::TDateTime loginUtc = 0;
    int reads = 0;
    QString lastContext;
    int lastIndex = -1;

    QString whoAmIName() override { return name; }
    QString typelessName(const QString &n) override
    {
        return !n.isEmpty() && n == name ? typeless : QString();
    }
    bool readTimeAttribute(const QString &context, const QString &object, std::uint8_t index,
                           dates::TDateTime &dest) override
    {
        ++reads;
        lastContext = context;
        lastIndex = index;
        if (!haveTime || object != name)
            return false;
        dest = loginUtc;
        return true;
    }
};

// What start-up takes from outside, scripted: the clock, the time zone, the directory, and a
// temporary folder as LocalAppData; the program-wide values start empty.
struct ScriptedStartup
{
    ScriptedStartup(platform::LocalTime now, testsupport::FixedTimeZone timeZone)
        : clock(now), zone(timeZone)
    {
        programValues() = {};
        QLocale::setDefault(QLocale::c());
        store.setValue(platform::RegRoot::HKEY_CURRENT_USER, platform::kShellFoldersKey,
                       "Local AppData", dir.path());
        env.clock = &clock;
        env.timeZone = &zone;
        env.directory = &directory;
        env.settings = &store;
    }

    QString stampFile() const { return dir.filePath("dpn.qcf"); }

    QTemporaryDir dir;
    testsupport::MemorySettingsStore store;
    testsupport::FixedClock clock;
    testsupport::FixedTimeZone zone;
    ScriptedDirectory directory;
    StartupEnvironment env;
};
