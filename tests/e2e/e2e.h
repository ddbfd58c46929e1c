#pragma once

#include "testsupport.h"

#include <QStringList>
#include <QTemporaryDir>

namespace e2e {

// libfaketime, to start the program on a chosen day; empty when it is not installed.
QString fakeTimeLibrary();

// An environment for ldpn: its own data folder, no display unless asked for, a fixed day.
struct Run
{
    QTemporaryDir home;
    QStringList env;
    explicit Run(const char *fakeTime = "2026-07-19 10:00:00");
    QString stampPath() const { return home.path() + "/dpn.qcf"; }
    testsupport::RunResult ldpn(const QStringList &args, int timeoutMs = 30000) const;
};

} // namespace e2e
