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

} // namespace
