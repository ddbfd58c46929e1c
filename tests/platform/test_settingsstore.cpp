#include "platform/settingsstore.h"
#include "testsupport.h"

#include <QDir>
#include <gtest/gtest.h>
#include <memory>
#include <pwd.h>
#include <unistd.h>

using namespace platform;

namespace {

QString shellFolder(const char *name)
{
    auto key = systemSettings().openKey(RegRoot::HKEY_CURRENT_USER, kShellFoldersKey);
    if (!key)
        return QStringLiteral("<no key>");
    const RegValue v = key->value(QLatin1String(name));
    return v.status == RegValue::Status::Ok ? v.text : QString();
}

TEST(PosixSettings, BaseFoldersFollowXdgVariablesOrHome)
{
    QTemporaryDir home;
    testsupport::ScopedEnv h("HOME", home.path().toLocal8Bit());
    {
        testsupport::ScopedEnv d("XDG_DATA_HOME", nullptr);
        testsupport::ScopedEnv c("XDG_CONFIG_HOME", nullptr);
        testsupport::ScopedEnv k("XDG_CACHE_HOME", nullptr);
        EXPECT_EQ(shellFolder("Local AppData"), home.path() + "/.local/share");
        EXPECT_EQ(shellFolder("AppData"), home.path() + "/.config");
        EXPECT_EQ(shellFolder("Cache"), home.path() + "/.cache");
    }
    testsupport::ScopedEnv d("XDG_DATA_HOME", "/srv/data");
    testsupport::ScopedEnv c("XDG_CONFIG_HOME", "/srv/config");
    EXPECT_EQ(shellFolder("local appdata"), "/srv/data");
    EXPECT_EQ(shellFolder("AppData"), "/srv/config");
}

// The password database's home of the effective user, as a fresh login would have it.
QString passwordHome()
{
    const passwd *pw = ::getpwuid(::geteuid());
    return pw != nullptr && pw->pw_dir != nullptr ? QString::fromLocal8Bit(pw->pw_dir) : QString();
}

TEST(PosixSettings, RelativeOrEmptyXdgValuesAreIgnored)
{
    QTemporaryDir home;
    testsupport::ScopedEnv h("HOME", home.path().toLocal8Bit());
    for (const char *value : {"relative/data", "", "./data"}) {
        testsupport::ScopedEnv d("XDG_DATA_HOME", value);
        testsupport::ScopedEnv c("XDG_CONFIG_HOME", value);
        testsupport::ScopedEnv k("XDG_CACHE_HOME", value);
        EXPECT_EQ(shellFolder("Local AppData"), home.path() + "/.local/share") << value;
        EXPECT_EQ(shellFolder("AppData"), home.path() + "/.config") << value;
        EXPECT_EQ(shellFolder("Cache"), home.path() + "/.cache") << value;
        EXPECT_EQ(shellFolder("Fonts"), home.path() + "/.local/share/fonts") << value;
    }
}

TEST(PosixSettings, WithoutHomeTheFoldersAreInThePasswordDatabasesHomeNeverTheRoot)
{
    const QString pwHome = passwordHome();
    testsupport::ScopedEnv d("XDG_DATA_HOME", nullptr);
    for (const char *value : {static_cast<const char *>(nullptr), "", "relative"}) {
        std::unique_ptr<testsupport::ScopedEnv> h =
            value ? std::make_unique<testsupport::ScopedEnv>("HOME", value)
                  : std::make_unique<testsupport::ScopedEnv>("HOME", nullptr);
        const QString data = shellFolder("Local AppData");
        if (pwHome.isEmpty())
            EXPECT_EQ(data, QString());
        else
            EXPECT_EQ(data, pwHome + "/.local/share");
        EXPECT_FALSE(data.startsWith("//")) << data.toStdString();
        // An XDG value that names a folder still wins.
        testsupport::ScopedEnv abs("XDG_DATA_HOME", "/srv/data");
        EXPECT_EQ(shellFolder("Local AppData"), "/srv/data");
    }
}

TEST(PosixSettings, UserDirectoriesComeFromUserDirsFile)
{
    QTemporaryDir home;
    testsupport::ScopedEnv h("HOME", home.path().toLocal8Bit());
    testsupport::ScopedEnv c("XDG_CONFIG_HOME", nullptr);
    QDir(home.path()).mkpath(".config");
    testsupport::writeFile(home.path() + "/.config/user-dirs.dirs",
                           "# comment\nXDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n"
                           "XDG_PICTURES_DIR=\"/data/pics\"\n");
    EXPECT_EQ(shellFolder("DeskTop"), home.path() + "/Schreibtisch");
    EXPECT_EQ(shellFolder("My Pictures"), "/data/pics");
    EXPECT_EQ(shellFolder("Personal"), QString());
    EXPECT_EQ(shellFolder("Cookies"), QString()); // nothing on this system stands for it
}

TEST(PosixSettings, UnknownKeysDoNotOpenAndTheRootOpensEmpty)
{
    EXPECT_EQ(systemSettings().openKey(RegRoot::HKEY_CURRENT_USER, "Software\\Nothing"), nullptr);
    EXPECT_EQ(systemSettings().openKey(RegRoot::HKEY_LOCAL_MACHINE, kShellFoldersKey), nullptr);
    auto root = systemSettings().openKey(RegRoot::HKEY_LOCAL_MACHINE, QString());
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->value("RegisteredOwner").status, RegValue::Status::Missing);
}

// The key paths as the components spell them: any case, with or without a leading backslash.
TEST(PosixSettings, KeyPathsMatchWithoutRegardToCaseOrALeadingBackslash)
{
    QTemporaryDir home;
    testsupport::ScopedEnv h("HOME", home.path().toLocal8Bit());
    testsupport::ScopedEnv d("XDG_DATA_HOME", nullptr);
    for (const char *path :
         {"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
          "\\SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\EXPLORER\\SHELL FOLDERS",
          "\\\\software\\microsoft\\windows\\currentversion\\explorer\\shell folders"}) {
        auto key = systemSettings().openKey(RegRoot::HKEY_CURRENT_USER, QLatin1String(path));
        ASSERT_NE(key, nullptr) << path;
        EXPECT_EQ(key->value("LOCAL APPDATA").text, home.path() + "/.local/share") << path;
    }
    // The per-user key is not a machine key, and a path with more after it names another key.
    EXPECT_EQ(systemSettings().openKey(RegRoot::HKEY_LOCAL_MACHINE, kShellFoldersKey), nullptr);
    EXPECT_EQ(systemSettings().openKey(RegRoot::HKEY_CURRENT_USER, kShellFoldersKey + "\\x"),
              nullptr);
}

} // namespace
