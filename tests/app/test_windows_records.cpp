// What the window's handlers record of the user's actions, with the stand-in browser.
#include "components/dxButton.h"
#include "windowtest.h"

#include <QDir>
#include <gtest/gtest.h>

namespace {

using namespace windowtest;

// Keeps each record as one line: the action and what came with it.
class RecordingRecords : public Records
{
public:
    void decision(const DecisionFacts &facts) override
    {
        static const char *const outcomes[] = {"show", "end", "error"};
        lines << QStringLiteral("decision ") + QLatin1String(outcomes[int(facts.outcome)]);
    }
    void action(Action action, const Details &d) override
    {
        static const char *const names[] = {"shown",   "loaded",       "load-failed",
                                            "printed", "print-failed", "browser",
                                            "exit",    "about",        "error"};
        QString line = QLatin1String(names[int(action)]);
        for (const QString &part : {d.reason, d.printer, d.job})
            if (!part.isEmpty())
                line += QStringLiteral(" | ") + part;
        lines << line;
    }
    QStringList lines;
};

class WindowRecords : public Windows
{
protected:
    WindowRecords() { env.records = &records; }

    // The records since the decision's.
    QStringList actions() const { return records.lines.mid(1); }

    RecordingRecords records;
};

TEST_F(WindowRecords, ThePageLoadedOncePerNavigationThenExit)
{
    ASSERT_TRUE(start({"http://intra/news", "/N"}));
    EXPECT_EQ(records.lines.value(0), "decision show");
    browser().events->downloadBegin();
    browser().events->downloadComplete();
    // The page's own navigation is no load of the window's.
    browser().events->downloadBegin();
    browser().events->downloadComplete();
    EXPECT_EQ(endsWith([&] { click(form->Button1); }), 0);
    EXPECT_EQ(actions(), (QStringList{"loaded", "exit"}));
}

TEST_F(WindowRecords, PrintingAcceptedAndFailedBeforeOrAfterTheJobWasTaken)
{
    ASSERT_TRUE(start({"http://intra/news", "/N"}));
    BoxCatcher boxes;
    click(form->Button2);
    browser().events->printComplete("Office-2", "Office-2-17"); // the printer has printed it
    browser().execResult = int(0x80070709u);
    click(form->Button2);
    browser().events->printFailed(7);
    const QString refused = QStringLiteral("browser says %1").arg(int(0x80070709u));
    EXPECT_EQ(actions(), (QStringList{"printed | Office-2 | Office-2-17", "print-failed | " + refused,
                                      "print-failed | browser says 7"}));
    EXPECT_EQ(boxes.texts, (QStringList{refused + ".", "browser says 7."}));
}

TEST_F(WindowRecords, AnAddressTheBrowserRefusesIsALoadFailure)
{
    ASSERT_TRUE(start({"bad address", "/F"}));
    BoxCatcher boxes;
    browser().navigateResult = int(0x80070057u);
    form->FormActivate(form.get()); // as when the window is activated again
    const QString reason = QStringLiteral("browser says %1").arg(int(0x80070057u));
    EXPECT_EQ(actions(), QStringList{"load-failed | " + reason});
    browser().events->downloadComplete();
    EXPECT_EQ(actions().size(), 1) << "a failed navigation completes no load";
}

TEST_F(WindowRecords, OpenInFullBrowserAndTheAboutBox)
{
    const QString bin = dir.filePath("bin");
    QDir().mkpath(bin);
    testsupport::writeFile(bin + "/xdg-open", "#!/bin/sh\nexit 0\n");
    QFile::setPermissions(bin + "/xdg-open", QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    testsupport::ScopedEnv path("PATH", (bin + ":" + qgetenv("PATH")).toUtf8());

    ASSERT_TRUE(start({"http://intra/news", "/N"}));
    QTimer::singleShot(0, [&] {
        if (QTest::qWaitFor([&] { return about->isVisible(); }, 5000))
            about->close();
    });
    click(form->mLED2);
    EXPECT_EQ(endsWith([&] { click(form->Button3); }), 0);
    EXPECT_EQ(actions(), (QStringList{"about", "browser"}));
}

TEST_F(WindowRecords, AStampThatCannotBeWrittenIsAnErrorAndNoExit)
{
    testsupport::writeFile(dir.filePath("file"), "x");
    store.setValue(platform::RegRoot::HKEY_CURRENT_USER, platform::kShellFoldersKey,
                   "Local AppData", dir.filePath("file/share"));
    ASSERT_TRUE(start({"http://intra/news", "0"}));
    BoxCatcher boxes;
    EXPECT_EQ(keepsRunningAfter([&] { click(form->Button1); }, boxClosed(boxes)), 99);
    EXPECT_EQ(actions(), QStringList{"error | Invalid filename"});
}

TEST_F(WindowRecords, ClosingTheWindowIsALeavingOfItsOwn)
{
    ASSERT_TRUE(start({"http://intra/news", "/N"}));
    EXPECT_EQ(endsWith([&] { form->close(); }), 0);
    EXPECT_EQ(actions(), QStringList{"exit | the window was closed"});
}

} // namespace
