// What the stamp write asks of the system, seen by standing in for two C library calls: the
// test binary's definitions come before the C library's for every caller, Qt included.
#include "platform/textfile.h"
#include "testsupport.h"

#include <QDir>
#include <atomic>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <mutex>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::atomic<int> g_umaskCalls{0};
// The error the next sync of a regular file fails with; 0 lets it through.
std::atomic<int> g_fileSyncError{0};
std::mutex g_syncedMutex;
std::set<ino_t> g_syncedFolders;

} // namespace

// Setting the mask, even for a moment, gives files that other threads create meanwhile the
// wrong mode.
extern "C" mode_t umask(mode_t mask) noexcept
{
    ++g_umaskCalls;
    static const auto real = reinterpret_cast<mode_t (*)(mode_t)>(dlsym(RTLD_NEXT, "umask"));
    return real(mask);
}

extern "C" int fsync(int fd)
{
    struct stat st
    {
    };
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        std::lock_guard<std::mutex> lock(g_syncedMutex);
        g_syncedFolders.insert(st.st_ino);
    }
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        if (const int error = g_fileSyncError.exchange(0); error != 0) {
            errno = error;
            return -1;
        }
    }
    static const auto real = reinterpret_cast<int (*)(int)>(dlsym(RTLD_NEXT, "fsync"));
    return real(fd);
}

namespace {

ino_t inodeOf(const QString &path)
{
    struct stat st
    {
    };
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

TEST(ReplaceFileCalls, LeavesTheProcessMaskAloneAndSyncsTheFolderAfterTheRename)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("dpn.qcf");
    testsupport::writeFile(path, "1\r\n");
    g_umaskCalls = 0;
    {
        std::lock_guard<std::mutex> lock(g_syncedMutex);
        g_syncedFolders.clear();
    }
    ASSERT_EQ(platform::replaceFile(path, "2\r\n"), 0);
    ASSERT_EQ(platform::replaceFile(dir.filePath("new.qcf"), "3\r\n"), 0);
    EXPECT_EQ(g_umaskCalls.load(), 0);
    std::lock_guard<std::mutex> lock(g_syncedMutex);
    EXPECT_EQ(g_syncedFolders.count(inodeOf(dir.path())), 1u);
}

// Where the disk reports a lost write only when the file is synced (EIO), or the quota is
// charged only then (EDQUOT), the old stamp stays and the error is told.
TEST(ReplaceFileCalls, AFailedSyncKeepsTheOldFileAndLeavesNoTemporaryFile)
{
    const std::pair<int, int> rows[] = {{EIO, platform::kIoSystemError + EIO},
                                        {EDQUOT, platform::kIoDiskFull}};
    for (const auto &[error, code] : rows) {
        QTemporaryDir dir;
        const QString path = dir.filePath("dpn.qcf");
        testsupport::writeFile(path, "35\r\n");
        g_fileSyncError = error;
        EXPECT_EQ(platform::replaceFile(path, "200\r\n"), code) << error;
        g_fileSyncError = 0;
        EXPECT_EQ(testsupport::readFile(path), QByteArray("35\r\n")) << error;
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"dpn.qcf"});
    }
}

} // namespace
