#include "e2e.h"

#include <QFileInfo>

namespace e2e {

QString fakeTimeLibrary()
{
    for (const char *p : {"/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1",
                          "/usr/lib/aarch64-linux-gnu/faketime/libfaketime.so.1",
                          "/usr/lib/faketime/libfaketime.so.1"})
        if (QFileInfo::exists(QLatin1String(p)))
            return QLatin1String(p);
    return {};
}

Run::Run(const char *fakeTime)
{
    env << "XDG_DATA_HOME=" + home.path() << "HOME=" + home.path() << "DISPLAY"
        << "WAYLAND_DISPLAY"
        << "QT_QPA_PLATFORM"
        << "LC_ALL=C.UTF-8"
        << "TZ=UTC";
    if (fakeTime != nullptr && !fakeTimeLibrary().isEmpty())
        env << "LD_PRELOAD=" + fakeTimeLibrary() << QStringLiteral("FAKETIME=@%1").arg(fakeTime)
            << "FAKETIME_DONT_FAKE_MONOTONIC=1";
}

testsupport::RunResult Run::ldpn(const QStringList &args, int timeoutMs) const
{
    return testsupport::runProgram(QStringLiteral(LDPN_PATH), args, env, timeoutMs);
}

} // namespace e2e
