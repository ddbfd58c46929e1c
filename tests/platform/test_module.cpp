#include "platform/module.h"

#include <QFileInfo>
#include <gtest/gtest.h>

using platform::Module;

namespace {

constexpr platform::ModuleInterface kTestInterface{"test module", 2};

QString moduleFile(const char *variant)
{
    return QStringLiteral(TEST_MODULE_DIR "/libtest_module_%1.so").arg(QLatin1String(variant));
}

TEST(ProgramModules, OnlyAModuleOfTheInterfaceAndVersionExpectedIsTaken)
{
    QString why;
    const auto module = Module::loadProgramModule(moduleFile("current"), kTestInterface, &why);
    ASSERT_TRUE(module) << why.toStdString();
    const auto answer = module->function<int()>("test_module_answer");
    ASSERT_NE(answer, nullptr);
    EXPECT_EQ(answer(), 42);
    EXPECT_EQ(module->function<int()>("no_such_function_here"), nullptr);
    // Loaded again, it is still checked and still taken.
    EXPECT_TRUE(Module::loadProgramModule(moduleFile("current"), kTestInterface));

    struct Refused
    {
        const char *variant;
        QString line; // after the file's path
    };
    const Refused refused[] = {
        {"older", " has interface version 1 of the test module; this program needs version 2"},
        {"newer", " has interface version 3 of the test module; this program needs version 2"},
        {"other", " is the other module, not the test module"},
        {"unstamped", " states no interface version; this program needs version 2 of the "
                      "test module"},
    };
    for (const Refused &r : refused) {
        QString reason;
        EXPECT_FALSE(Module::loadProgramModule(moduleFile(r.variant), kTestInterface, &reason))
            << r.variant;
        EXPECT_EQ(reason, moduleFile(r.variant) + r.line);
    }
}

TEST(ProgramModules, AFileThatCannotBeLoadedIsNamedWithTheLoadersReason)
{
    const QString missing = QStringLiteral("/nonexistent/libdaypane-module.so");
    QString why;
    EXPECT_FALSE(Module::loadProgramModule(missing, kTestInterface, &why));
    EXPECT_EQ(why, missing + QStringLiteral(": no such file"));
    // A file that is there but no library: the loader's reason for that very file.
    const QString notALibrary = QStringLiteral(TEST_MODULE_DIR "/../CTestTestfile.cmake");
    EXPECT_FALSE(Module::loadProgramModule(notALibrary, kTestInterface, &why));
    EXPECT_TRUE(why.startsWith(notALibrary + QStringLiteral(": "))) << why.toStdString();
}

TEST(SystemLibraries, AreFoundByTheVersionOfTheirSoname)
{
    QString why;
    const auto math = Module::loadSystemLibrary(QStringLiteral("m"), 6, &why);
    ASSERT_TRUE(math) << why.toStdString();
    const auto cosine = math->function<double(double)>("cos");
    ASSERT_NE(cosine, nullptr);
    EXPECT_EQ(cosine(0.0), 1.0);

    EXPECT_FALSE(Module::loadSystemLibrary(QStringLiteral("m"), 99, &why));
    EXPECT_EQ(why, QStringLiteral("libm.so.99: cannot open shared object file: No such file or "
                                  "directory"));
    EXPECT_FALSE(
        Module::loadSystemLibrary(QStringLiteral("nosuchlibrary"), platform::kNoSonameVersion, &why));
    EXPECT_EQ(why, QStringLiteral("libnosuchlibrary.so: cannot open shared object file: No such "
                                  "file or directory"));
}

TEST(ProgramModules, LiveBesideTheExecutable)
{
    const QString folder = platform::programModuleFolder();
    EXPECT_TRUE(folder.endsWith(QStringLiteral("/lib/daypane"))) << folder.toStdString();
    EXPECT_FALSE(folder.contains(QStringLiteral(".."))) << folder.toStdString();
}

} // namespace
