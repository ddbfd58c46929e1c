#include "platform/textfile.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace platform;

namespace {

TEST(FirstLineReader, StopsAtTheFirstLineEnd)
{
    QTemporaryDir dir;
    const struct
    {
        QByteArray content;
        QByteArray line;
    } rows[] = {{"123\r\n", "123"}, {"123", "123"}, {"123\r\n456\r\n", "123"},
                {"7\n8", "7"},      {"", ""},       {"\r\n", ""}};
    for (const auto &row : rows) {
        const QString path = dir.filePath("f");
        testsupport::writeFile(path, row.content);
        const FirstLine r = readFirstLine(path, 64);
        EXPECT_EQ(r.error, 0);
        EXPECT_EQ(r.text, row.line) << row.content.toStdString();
        EXPECT_FALSE(r.truncated);
    }
}

TEST(FirstLineReader, CutsAnAbsurdlyLongLineAtTheLimit)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("f");
    testsupport::writeFile(path, QByteArray(1 << 20, '9'));
    const FirstLine r = readFirstLine(path, 64);
    EXPECT_EQ(r.text.size(), 64);
    EXPECT_TRUE(r.truncated);
}

TEST(FirstLineReader, ReportsAccessDenied)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root reads every file";
    QTemporaryDir dir;
    const QString path = dir.filePath("f");
    testsupport::writeFile(path, "1\r\n");
    QFile::setPermissions(path, QFileDevice::WriteOwner);
    EXPECT_EQ(readFirstLine(path, 64).error, kIoAccessDenied);
}

TEST(ReplaceFile, WritesExactBytesAndLeavesNoTemporaryFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("dpn.qcf");
    testsupport::writeFile(path, "old content that is longer\r\n");
    ASSERT_EQ(replaceFile(path, "200\r\n"), 0);
    EXPECT_EQ(testsupport::readFile(path), QByteArray("200\r\n"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"dpn.qcf"});
}

TEST(ReplaceFile, MissingFolderFailsAndCreatesNothing)
{
    QTemporaryDir dir;
    EXPECT_EQ(replaceFile(dir.filePath("missing/dpn.qcf"), "1\r\n"), kIoInvalidFilename);
    EXPECT_FALSE(QFile::exists(dir.filePath("missing")));
}

TEST(ReplaceFile, UnwritableFolderIsAccessDenied)
{
    // Even root cannot create files in /sys.
    EXPECT_EQ(replaceFile(QStringLiteral("/sys/dpn.qcf"), "1\r\n"), kIoAccessDenied);
}

TEST(ReplaceFile, UnwritableFolderKeepsTheOldFile)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root writes everywhere";
    QTemporaryDir dir;
    const QString path = dir.filePath("dpn.qcf");
    testsupport::writeFile(path, "35\r\n");
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(replaceFile(path, "36\r\n"), kIoAccessDenied);
    EXPECT_EQ(testsupport::readFile(path), QByteArray("35\r\n"));
    QFile::setPermissions(dir.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

TEST(FileExists, FoldersAreNotFiles)
{
    QTemporaryDir dir;
    EXPECT_FALSE(fileExists(dir.path()));
    EXPECT_FALSE(fileExists(dir.filePath("none")));
    EXPECT_FALSE(fileExists(QString()));
    testsupport::writeFile(dir.filePath("f"), "x");
    EXPECT_TRUE(fileExists(dir.filePath("f")));
}

} // namespace
