#include "platform/shellopen.h"

#include <QByteArray>
#include <QFileInfo>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace platform {

bool shellOpen(const QString &file, const QString &workingDirectory, int /*showCommand*/)
{
    const QByteArray arg = file.toLocal8Bit();
    const bool useDir = !workingDirectory.isEmpty() && QFileInfo(workingDirectory).isDir();
    const QByteArray dir = workingDirectory.toLocal8Bit();

    // A child that changes directory and then runs xdg-open; the shell is never involved.
    const pid_t pid = ::fork();
    if (pid < 0)
        return false;
    if (pid == 0) {
        // Detach so the opener outlives this program without leaving a zombie behind.
        if (::fork() != 0)
            ::_exit(0);
        if (useDir && ::chdir(dir.constData()) != 0)
            ::_exit(127);
        char *const argv[] = {const_cast<char *>("xdg-open"), const_cast<char *>(arg.constData()),
                              nullptr};
        ::execvp("xdg-open", argv);
        ::_exit(127);
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace platform
