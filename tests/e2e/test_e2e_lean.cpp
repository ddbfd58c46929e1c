// What a shown window costs: the program maps no library and starts no process that showing
// the page does not need.
#include "e2e.h"

#include <QDir>
#include <QFile>
#include <QUrl>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

struct Process
{
    qint64 pid = 0;
    qint64 parent = 0;
    QByteArray command; // the arguments, joined by blanks
};

// The processes below `root`.
QList<Process> descendants(qint64 root)
{
    QMultiHash<qint64, qint64> children;
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool isPid = false;
        const qint64 pid = entry.toLongLong(&isPid);
        if (!isPid)
            continue;
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        // "pid (name) state ppid ...": the name may hold blanks, so count from its end.
        const QByteArray text = stat.readAll();
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1)
            children.insert(fields.at(1).toLongLong(), pid);
    }
    QList<Process> found;
    QList<qint64> todo{root};
    while (!todo.isEmpty()) {
        const qint64 pid = todo.takeFirst();
        for (qint64 child : children.values(pid)) {
            QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(child));
            cmdline.open(QIODevice::ReadOnly);
            found.append({child, pid, cmdline.readAll().replace('\0', ' ')});
            todo.append(child);
        }
    }
    return found;
}

// The engine's page processes, forked by a zygote: the leaves of its tree.
int leaves(const QList<Process> &tree)
{
    int n = 0;
    for (const Process &p : tree)
        n += std::none_of(tree.begin(), tree.end(),
                          [&](const Process &q) { return q.parent == p.pid; });
    return n;
}

int ofType(const QList<Process> &tree, const QByteArray &type)
{
    return int(std::count_if(tree.begin(), tree.end(), [&](const Process &p) {
        return p.command.contains("--type=" + type + ' ');
    }));
}

TEST(LeanWindow, ThePageNeedsOneRendererAndNoGpuOrHelperProcessesNorOpenGl)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        GTEST_SKIP() << "needs the virtual display the test runs on";
    e2e::Run run;
    run.useDisplay();
    QTemporaryDir pages;
    const QString page = pages.filePath(QStringLiteral("solid.html"));
    testsupport::writeFile(page, "<html><body style='background:#2e8b57'>news</body></html>");
    e2e::Background ldpn(run, {QUrl::fromLocalFile(page).toString(), "/F"});
    ASSERT_TRUE(ldpn.waitForShown()) << ldpn.err().constData();
    const qint64 pid = ldpn.pid();
    // The page is shown by a process that the zygote forks.
    QList<Process> tree;
    ASSERT_TRUE(e2e::waitFor(
        [&] {
            tree = descendants(pid);
            return std::any_of(tree.begin(), tree.end(),
                               [&](const Process &p) { return p.parent != pid; });
        },
        30000, [&] { return !ldpn.running(); }));
    ASSERT_TRUE(ldpn.running()) << ldpn.err().constData();

    QStringList lines;
    for (const Process &p : tree)
        lines << QStringLiteral("%1 <- %2 %3")
                     .arg(p.pid)
                     .arg(p.parent)
                     .arg(QString::fromLocal8Bit(p.command.left(100)));
    const std::string shown = lines.join('\n').toStdString();
    const int direct = int(
        std::count_if(tree.begin(), tree.end(), [&](const Process &p) { return p.parent == pid; }));
    EXPECT_EQ(direct, 1) << "one zygote, none for helpers without a sandbox\n" << shown;
    // A page process forked by the zygote keeps its command line until it names itself a
    // renderer: either way, nothing else runs.
    EXPECT_EQ(ofType(tree, "zygote") + ofType(tree, "renderer"), int(tree.size())) << shown;
    EXPECT_EQ(leaves(tree), 1) << "one page process\n" << shown;
    EXPECT_EQ(ofType(tree, "gpu-process") + ofType(tree, "utility"), 0) << shown;

    QFile maps(QStringLiteral("/proc/%1/maps").arg(pid));
    ASSERT_TRUE(maps.open(QIODevice::ReadOnly));
    const QByteArray mapped = maps.readAll();
    // Qt's libraries need the GL dispatch libraries; what must stay out is a GL driver and its
    // compiler, which drawing in software does not need.
    for (const char *lib : {"libGLX_mesa", "libEGL_mesa", "libLLVM", "_dri.so", "libgallium",
                            "swrast", "daypane-ldap"})
        EXPECT_FALSE(mapped.contains(lib)) << lib;
    EXPECT_TRUE(mapped.contains("libQt6WebEngineCore")); // the page is the engine's indeed

    // Drawing in software is a choice, not a fault: the session log is not told about it, nor
    // given the engine's set-up at every login.
    ASSERT_TRUE(ldpn.waitForPage()) << ldpn.err().constData();
    const QByteArray err = ldpn.err();
    for (const char *note : {"OpenGL", "graphics backend", "qt.webenginecontext", "GL Type"})
        EXPECT_FALSE(err.contains(note)) << note << '\n' << err.constData();
}

} // namespace
