#include "platform/textfile.h"
#include "testsupport.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <gtest/gtest.h>
#include <set>
#include <sys/stat.h>
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
    testsupport::asUnprivilegedUser([] {
        QTemporaryDir dir;
        const QString path = dir.filePath("f");
        testsupport::writeFile(path, "1\r\n");
        QFile::setPermissions(path, QFileDevice::WriteOwner);
        EXPECT_EQ(readFirstLine(path, 64).error, kIoAccessDenied);
    });
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
    testsupport::asUnprivilegedUser([] {
        QTemporaryDir dir;
        const QString path = dir.filePath("dpn.qcf");
        testsupport::writeFile(path, "35\r\n");
        QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        EXPECT_EQ(replaceFile(path, "36\r\n"), kIoAccessDenied);
        EXPECT_EQ(testsupport::readFile(path), QByteArray("35\r\n"));
        QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                              QFileDevice::ExeOwner);
    });
}

TEST(PathExists, AnythingAtThePathCountsButADanglingLinkDoesNot)
{
    QTemporaryDir dir;
    EXPECT_TRUE(pathExists(dir.path()));
    EXPECT_FALSE(pathExists(dir.filePath("none")));
    EXPECT_FALSE(pathExists(QString()));
    testsupport::writeFile(dir.filePath("f"), "x");
    EXPECT_TRUE(pathExists(dir.filePath("f")));
    QFile::link(dir.filePath("none"), dir.filePath("dangling"));
    EXPECT_FALSE(pathExists(dir.filePath("dangling")));
}

TEST(FirstLineReader, OnlyARegularFileIsReadAndNothingElseIsWaitedOn)
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath("fifo");
    testsupport::FifoWatch watch(fifo);
    ASSERT_TRUE(watch.created());
    const FirstLine fromFifo = readFirstLine(fifo, 64);
    EXPECT_FALSE(watch.stop()) << "the reader waited for a writer";
    EXPECT_EQ(fromFifo.error, kIoAccessDenied);
    EXPECT_EQ(readFirstLine(dir.path(), 64).error, kIoAccessDenied);
    EXPECT_EQ(readFirstLine(QStringLiteral("/dev/null"), 64).error, kIoAccessDenied);
    // A link is read through to its target.
    testsupport::writeFile(dir.filePath("f"), "42\r\n");
    QFile::link(dir.filePath("f"), dir.filePath("link"));
    EXPECT_EQ(readFirstLine(dir.filePath("link"), 64).text, QByteArray("42"));
    EXPECT_EQ(readFirstLine(dir.filePath("none"), 64).error, kIoFileNotFound);
}

TEST(IoErrors, EveryErrorNumberMapsToItsCodeOrCarriesItselfWithoutCollision)
{
    const std::pair<int, int> table[] = {
        {ENOTDIR, kIoInvalidFilename}, {ENAMETOOLONG, kIoInvalidFilename},
        {ELOOP, kIoInvalidFilename},   {EMFILE, kIoTooManyOpenFiles},
        {ENFILE, kIoTooManyOpenFiles}, {EACCES, kIoAccessDenied},
        {EPERM, kIoAccessDenied},      {EROFS, kIoAccessDenied},
        {EISDIR, kIoAccessDenied},     {ENOSPC, kIoDiskFull},
        {EDQUOT, kIoDiskFull},         {EFBIG, kIoDiskFull},
    };
    for (const auto &[err, code] : table)
        EXPECT_EQ(ioErrorFromErrno(err, false), code) << err;
    EXPECT_EQ(ioErrorFromErrno(ENOENT, false), kIoFileNotFound);
    EXPECT_EQ(ioErrorFromErrno(ENOENT, true), kIoInvalidFilename);
    // These numbers equal codes of the table; they must not take the table's meaning.
    EXPECT_EQ(systemErrorOf(ioErrorFromErrno(EIO, true)), EIO);
    EXPECT_EQ(systemErrorOf(ioErrorFromErrno(EINTR, true)), EINTR);
    EXPECT_EQ(systemErrorOf(ioErrorFromErrno(ENETDOWN, true)), ENETDOWN);
    const std::set<int> codes = {kIoFileNotFound, kIoInvalidFilename, kIoTooManyOpenFiles,
                                 kIoAccessDenied, kIoDiskFull};
    for (int err = 1; err < 200; ++err) {
        const int code = ioErrorFromErrno(err, true);
        if (codes.count(code) == 0)
            EXPECT_EQ(systemErrorOf(code), err) << err;
        else
            EXPECT_EQ(systemErrorOf(code), 0) << err;
    }
    for (int code : codes)
        EXPECT_EQ(systemErrorOf(code), 0);
}

mode_t modeOf(const QString &path)
{
    struct stat st
    {
    };
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode : 0;
}

TEST(ReplaceFile, KeepsTheModeOfAnExistingFileAndGivesANewOneThePlainCreateMode)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("dpn.qcf");
    testsupport::writeFile(path, "1\r\n");
    ::chmod(QFile::encodeName(path).constData(), 0604);
    ASSERT_EQ(replaceFile(path, "2\r\n"), 0);
    EXPECT_EQ(modeOf(path) & 07777, 0604u);

    const mode_t old = ::umask(027);
    const int error = replaceFile(dir.filePath("new.qcf"), "3\r\n");
    ::umask(old);
    ASSERT_EQ(error, 0);
    EXPECT_EQ(modeOf(dir.filePath("new.qcf")) & 07777, 0640u);
}

TEST(ReplaceFile, WritesThroughALinkToItsTarget)
{
    QTemporaryDir dir;
    QDir(dir.path()).mkdir("real");
    const QString target = dir.filePath("real/dpn.qcf");
    testsupport::writeFile(target, "1\r\n");
    const QString link = dir.filePath("dpn.qcf");
    ASSERT_TRUE(QFile::link(target, link));
    ASSERT_EQ(replaceFile(link, "200\r\n"), 0);
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(testsupport::readFile(target), QByteArray("200\r\n"));
}

TEST(ReplaceFile, AFolderOrPipeOfThatNameStaysAndIsAccessDenied)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath("dpn.qcf");
    QDir(dir.path()).mkdir("dpn.qcf");
    EXPECT_EQ(replaceFile(folder, "1\r\n"), kIoAccessDenied);
    EXPECT_TRUE(QFileInfo(folder).isDir());
    const QString fifo = dir.filePath("pipe.qcf");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_EQ(replaceFile(fifo, "1\r\n"), kIoAccessDenied);
    EXPECT_TRUE(S_ISFIFO(modeOf(fifo)));
    EXPECT_EQ(replaceFile(QString(), "1\r\n"), kIoInvalidFilename);
}

void ageFile(const QString &path, int seconds)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.setFileTime(QDateTime::currentDateTimeUtc().addSecs(-seconds),
                              QFileDevice::FileModificationTime));
}

TEST(ReplaceFile, RemovesOnlyItsOwnStaleTemporaryFiles)
{
    QTemporaryDir dir;
    const QDir d(dir.path());
    const QString path = dir.filePath("dpn.qcf");
    // Left by writers killed long ago: removed.
    for (const char *name : {"dpn.qcf.Ab12Zz", "dpn.qcf.iaZkFZ"}) {
        testsupport::writeFile(d.filePath(name), "7");
        ageFile(d.filePath(name), 3600);
    }
    // A writer still at work, names of other shapes, a folder, a link: all stay.
    testsupport::writeFile(d.filePath("dpn.qcf.Fresh1"), "7");
    for (const char *name : {"dpn.qcf.toolong1", "dpn.qcf.ab-12z", "other.qcf.Ab12Zz", "dpn.qcf"}) {
        testsupport::writeFile(d.filePath(name), "7");
        ageFile(d.filePath(name), 3600);
    }
    d.mkdir("dpn.qcf.Folder");
    testsupport::writeFile(d.filePath("elsewhere"), "keep");
    ageFile(d.filePath("elsewhere"), 3600);
    QFile::link(d.filePath("elsewhere"), d.filePath("dpn.qcf.Link12"));
    const bool asRoot = ::geteuid() == 0;
    if (asRoot) {
        testsupport::writeFile(d.filePath("dpn.qcf.Other1"), "7");
        ageFile(d.filePath("dpn.qcf.Other1"), 3600);
        ASSERT_EQ(::chown(QFile::encodeName(d.filePath("dpn.qcf.Other1")).constData(), 65534, -1),
                  0);
    }

    ASSERT_EQ(replaceFile(path, "1\r\n"), 0);
    QStringList expected = {"dpn.qcf",        "dpn.qcf.Fresh1",  "dpn.qcf.ab-12z",
                            "dpn.qcf.Folder", "dpn.qcf.Link12",  "dpn.qcf.toolong1",
                            "elsewhere",      "other.qcf.Ab12Zz"};
    if (asRoot)
        expected << "dpn.qcf.Other1";
    expected.sort();
    EXPECT_EQ(d.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name),
              expected);
    EXPECT_EQ(testsupport::readFile(d.filePath("elsewhere")), QByteArray("keep"));
}

TEST(MakeUserFolder, CreatesTheMissingLevelsPrivateAndLeavesTheOthers)
{
    QTemporaryDir dir;
    ::chmod(QFile::encodeName(dir.path()).constData(), 0755);
    const QString deep = dir.filePath(".local/share");
    ASSERT_TRUE(makeUserFolder(deep));
    EXPECT_EQ(modeOf(dir.filePath(".local")) & 07777, 0700u);
    EXPECT_EQ(modeOf(deep) & 07777, 0700u);
    EXPECT_EQ(modeOf(dir.path()) & 07777, 0755u);
    EXPECT_TRUE(makeUserFolder(deep)); // already there
    EXPECT_FALSE(makeUserFolder(QStringLiteral("relative/share")));
    EXPECT_FALSE(makeUserFolder(QString()));
    testsupport::writeFile(dir.filePath("file"), "x");
    EXPECT_FALSE(makeUserFolder(dir.filePath("file/share")));
}

} // namespace
