#include "components/AboutSystem.h"
#include "doubles.h"
#include "framework/exception.h"
#include "framework/formreader.h"
#include "testsupport.h"

#include <QMetaProperty>
#include <cstring>
#include <gtest/gtest.h>

using platform::RegRoot;
using platform::RegType;

namespace {

// Scripted system queries: a fixed machine.
class FakeSystem : public platform::SystemQueries
{
public:
    QByteArray computer = "WS042";
    QByteArray user = "jdoe";
    std::uint32_t platformId = platform::VER_PLATFORM_WIN32_NT;
    bool versionOk = true;
    QHash<QByteArray, QByteArray> env;

    bool GetComputerNameA(char *b, std::uint32_t *size) const override
    {
        const auto r = platform::copyToBuffer(computer, b, *size);
        return r <= std::uint32_t(computer.size());
    }
    bool GetUserNameA(char *b, std::uint32_t *size) const override
    {
        const auto r = platform::copyToBuffer(user, b, *size);
        return r <= std::uint32_t(user.size());
    }
    std::uint32_t GetWindowsDirectoryA(char *b, std::uint32_t s) const override
    {
        return platform::copyToBuffer("C:\\WINNT", b, s);
    }
    std::uint32_t GetSystemDirectoryA(char *b, std::uint32_t s) const override
    {
        return platform::copyToBuffer("C:\\WINNT\\System32", b, s);
    }
    std::uint32_t GetTempPathA(std::uint32_t s, char *b) const override
    {
        return platform::copyToBuffer("C:\\TEMP\\", b, s);
    }
    std::uint32_t GetEnvironmentVariableA(const char *name, char *b, std::uint32_t s) const override
    {
        auto it = env.constFind(QByteArray(name));
        return it == env.constEnd() ? 0 : platform::copyToBuffer(*it, b, s);
    }
    bool GetVersionExA(platform::OSVersionInfoA *info) const override
    {
        if (!versionOk)
            return false;
        info->dwMajorVersion = 5;
        info->dwMinorVersion = 0;
        info->dwBuildNumber = 0x12340893;
        info->dwPlatformId = platformId;
        std::strcpy(info->szCSDVersion, "Service Pack 4");
        return true;
    }
    QString platformName() const override { return QStringLiteral("Linux"); }
};

const QString kOwnerNt = "\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";

TEST(AboutSystem, GathersSystemFactsOnce)
{
    testsupport::MemorySettingsStore store;
    store.setValue(RegRoot::HKEY_LOCAL_MACHINE, kOwnerNt, "RegisteredOwner", "%USERNAME% Ltd");
    store.setValue(RegRoot::HKEY_LOCAL_MACHINE, kOwnerNt, "RegisteredOrganization", "Acme");
    FakeSystem sys;
    sys.env.insert("USERNAME", "x");
    TAboutSystem about(nullptr, store, sys);
    EXPECT_EQ(about.ComputerName(), "WS042");
    EXPECT_EQ(about.UserName(), "jdoe");
    EXPECT_EQ(about.WinDir(), "C:\\WINNT");
    EXPECT_EQ(about.Windows(), about.WinDir());
    EXPECT_EQ(about.System(), about.SysDir());
    EXPECT_EQ(about.Temp(), "C:\\TEMP\\");
    EXPECT_EQ(about.OSVersion(), "5.0 (2195.Service Pack 4)");
    EXPECT_EQ(about.OSPlatform(), "Windows NT");
    // The owner is taken as stored, never expanded.
    EXPECT_EQ(about.RegOwner(), "%USERNAME% Ltd");
    EXPECT_EQ(about.RegCompany(), "Acme");
}

TEST(AboutSystem, PlatformChoosesTheOwnerKey)
{
    testsupport::MemorySettingsStore store;
    store.setValue(RegRoot::HKEY_LOCAL_MACHINE, kOwnerNt, "RegisteredOwner", "Ann");
    FakeSystem sys;
    const struct
    {
        std::uint32_t id;
        bool versionOk;
        const char *platform;
        const char *owner;
    } rows[] = {{2, true, "Windows NT", "Ann"},
                {1, true, "Windows 95", ""},
                {0, true, "Windows 3.1", ""},
                {platform::VER_PLATFORM_POSIX, true, "Linux", ""},
                {2, false, "", ""}};
    for (const auto &row : rows) {
        sys.platformId = row.id;
        sys.versionOk = row.versionOk;
        TAboutSystem about(nullptr, store, sys);
        EXPECT_EQ(about.OSPlatform(), row.platform) << row.id;
        EXPECT_EQ(about.RegOwner(), row.owner) << row.id;
    }
}

TEST(AboutSystem, NamesThatDoNotFitTheirBufferAreEmpty)
{
    FakeSystem sys;
    sys.computer = QByteArray(16, 'c'); // 16 characters need 17 bytes
    sys.user = QByteArray(50, 'u');
    testsupport::MemorySettingsStore store;
    TAboutSystem about(nullptr, store, sys);
    EXPECT_EQ(about.ComputerName(), "");
    EXPECT_EQ(about.UserName(), "");
    sys.computer = QByteArray(15, 'c');
    sys.user = QByteArray(49, 'u');
    TAboutSystem fits(nullptr, store, sys);
    EXPECT_EQ(fits.ComputerName().size(), 15);
    EXPECT_EQ(fits.UserName().size(), 49);
}

struct ExpansionCase
{
    const char *name;
    const char *stored;
    const char *expected;
};

class PathExpansion : public testing::TestWithParam<ExpansionCase>
{
};

TEST_P(PathExpansion, ReplacesOnlyTheLastCompletePair)
{
    FakeSystem sys;
    sys.env.insert("USERPROFILE", "C:\\Users\\jdoe");
    sys.env.insert("SYSTEMDRIVE", "C:");
    sys.env.insert("LONG", QByteArray(300, 'L'));
    sys.env.insert("EXACT", QByteArray(259, 'E'));
    sys.env.insert("PCT", "%SYSTEMDRIVE%");
    EXPECT_EQ(TAboutSystem::expandPath(GetParam().stored, sys), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Values, PathExpansion,
    testing::Values(
        ExpansionCase{"Empty", "", ""}, ExpansionCase{"Plain", "C:\\Data", "C:\\Data"},
        ExpansionCase{"Leading", "%USERPROFILE%\\Local Settings",
                      "C:\\Users\\jdoe\\Local Settings"},
        ExpansionCase{"TwoPairsOnlyLast", "%SYSTEMDRIVE%\\x\\%USERPROFILE%\\y",
                      "%SYSTEMDRIVE%\\x\\C:\\Users\\jdoe\\y"},
        ExpansionCase{"ThreeSignsUnchanged", "%SYSTEMDRIVE%\\x%y", "%SYSTEMDRIVE%\\x%y"},
        ExpansionCase{"OddSignAfterPairUnchanged", "%USERPROFILE%\\a%", "%USERPROFILE%\\a%"},
        ExpansionCase{"UnsetVariableUnchanged", "%NOSUCH%\\a", "%NOSUCH%\\a"},
        ExpansionCase{"EmptyNameUnchanged", "a%%b", "a%%b"},
        ExpansionCase{"TooLongValueUnchanged", "%LONG%\\a", "%LONG%\\a"},
        ExpansionCase{"InsertedValueNotExaminedAgain", "%PCT%", "%SYSTEMDRIVE%"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(PathExpansionLimits, LongestValueThatFitsTheBufferIsInserted)
{
    FakeSystem sys;
    sys.env.insert("EXACT", QByteArray(259, 'E'));
    EXPECT_EQ(TAboutSystem::expandPath("%EXACT%\\a", sys), QString(259, 'E') + "\\a");
}

TEST(AboutSystem, FoldersGoThroughExpansion)
{
    testsupport::MemorySettingsStore store;
    store.setValue(RegRoot::HKEY_CURRENT_USER, platform::kShellFoldersKey, "Local AppData",
                   "%USERPROFILE%\\Local", RegType::REG_EXPAND_SZ);
    store.setValue(RegRoot::HKEY_CURRENT_USER, platform::kShellFoldersKey, "Start Menu", "S");
    store.setValue(RegRoot::HKEY_LOCAL_MACHINE, platform::kMachineFoldersKey, "ProgramFilesPath",
                   "%SYSTEMDRIVE%\\Programs");
    FakeSystem sys;
    sys.env.insert("USERPROFILE", "C:\\Users\\jdoe");
    sys.env.insert("SYSTEMDRIVE", "C:");
    TAboutSystem about(nullptr, store, sys);
    EXPECT_EQ(about.LocalAppData(), "C:\\Users\\jdoe\\Local");
    EXPECT_EQ(about.StartMenu(), "S");
    EXPECT_EQ(about.ProgramFiles(), "C:\\Programs");
    EXPECT_EQ(about.AppData(), "");
}

TEST(AboutSystem, MissingKeysLeaveTheirFoldersEmpty)
{
    testsupport::MemorySettingsStore store;
    store.addKey(RegRoot::HKEY_CURRENT_USER, platform::kShellFoldersKey);
    FakeSystem sys;
    TAboutSystem about(nullptr, store, sys);
    EXPECT_EQ(about.LocalAppData(), "");
    EXPECT_EQ(about.CommonFiles(), "");
    EXPECT_EQ(about.ComputerName(), "WS042");
}

TEST(AboutSystem, NonStringValueOrFailedFetchFailsConstruction)
{
    FakeSystem sys;
    {
        testsupport::MemorySettingsStore store;
        store.setValue(RegRoot::HKEY_CURRENT_USER, platform::kShellFoldersKey, "Cache", "x",
                       RegType::Other);
        try {
            TAboutSystem about(nullptr, store, sys);
            FAIL();
        } catch (const framework::Exception &e) {
            EXPECT_EQ(e.message(), "Invalid data type for 'Cache'");
        }
    }
    testsupport::MemorySettingsStore store;
    store.setFailing(RegRoot::HKEY_LOCAL_MACHINE, platform::kMachineFoldersKey, "SystemRoot");
    try {
        TAboutSystem about(nullptr, store, sys);
        FAIL();
    } catch (const framework::Exception &e) {
        EXPECT_EQ(e.message(), "Failed to get data for 'SystemRoot'");
    }
}

TEST(AboutSystem, EveryPublishedPropertyIgnoresWrites)
{
    testsupport::MemorySettingsStore store;
    store.setValue(RegRoot::HKEY_CURRENT_USER, platform::kShellFoldersKey, "Local AppData", "L");
    FakeSystem sys;
    TAboutSystem about(nullptr, store, sys);
    const QMetaObject *mo = about.metaObject();
    for (int i = mo->propertyOffset(); i < mo->propertyCount(); ++i) {
        const QMetaProperty p = mo->property(i);
        EXPECT_FALSE(p.isStored()) << p.name();
        const QVariant before = p.read(&about);
        p.write(&about, QStringLiteral("changed"));
        EXPECT_EQ(p.read(&about), before) << p.name();
    }
}

// A form description may still carry the texts the component gathers (the form designer
// stored them): it loads, and the machine's own values stay.
TEST(AboutSystem, StoredTextsOfADescriptionLoadAndChangeNothing)
{
    testsupport::MemorySettingsStore store;
    store.setValue(RegRoot::HKEY_CURRENT_USER, platform::kShellFoldersKey, "Local AppData",
                   "/home/jdoe/.local/share");
    FakeSystem sys;
    framework::FormReader reader;
    reader.registerClass(QStringLiteral("TForm1"), true,
                         [](QObject *, QObject *) { return static_cast<QObject *>(nullptr); });
    reader.registerClass(QStringLiteral("TAboutSystem"), false,
                         [&](QObject *owner, QObject *) -> QObject * {
                             return new TAboutSystem(owner, store, sys);
                         });
    const QByteArray text = "object Form1: TForm1\n"
                            "  object AboutSystem1: TAboutSystem\n"
                            "    ComputerName = 'DESIGNER'\n"
                            "    UserName = 'admin'\n"
                            "    OSVersion = '4.0 (1381.Service Pack 6)'\n"
                            "    RegOwner = 'Someone Else'\n"
                            "    Temp = 'C:\\TEMP\\'\n"
                            "    LocalAppData = 'C:\\Documents and Settings\\admin'\n"
                            "  end\n"
                            "end\n";
    QObject owner;
    const framework::FormComponents components = reader.createNonVisual(
        framework::parseFormDescription(text, QStringLiteral("TFORM1")), &owner);
    const auto *about = components.get<TAboutSystem>(QStringLiteral("AboutSystem1"));
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(about->ComputerName(), "WS042");
    EXPECT_EQ(about->UserName(), "jdoe");
    EXPECT_EQ(about->OSVersion(), "5.0 (2195.Service Pack 4)");
    EXPECT_EQ(about->RegOwner(), "");
    EXPECT_EQ(about->Temp(), "C:\\TEMP\\");
    EXPECT_EQ(about->LocalAppData(), "/home/jdoe/.local/share");
}

TEST(AboutSystem, PosixMachineGivesXdgDataHomeAsLocalAppData)
{
    testsupport::ScopedEnv d("XDG_DATA_HOME", "/home/jdoe/.local/share");
    TAboutSystem about;
    EXPECT_EQ(about.LocalAppData(), "/home/jdoe/.local/share");
    EXPECT_FALSE(about.OSPlatform().isEmpty());
    EXPECT_TRUE(about.Temp().endsWith('/'));
}

} // namespace
