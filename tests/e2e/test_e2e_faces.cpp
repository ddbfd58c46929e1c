// The real program on a virtual display, looked at and used as a user would: the About box's
// face (icon, bevels, the home-page link) and Enter with the focus on its panel, the first
// focus on the page, a gradient button held and dragged off, and the window at scale 2 against
// the scale-1 layout doubled. The page is a local file, so no server is involved.
#include "e2e.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QUrl>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

namespace {

QByteArray run(const QString &program, const QStringList &args)
{
    return e2e::commandOutput(program, args);
}

void xdotool(const QStringList &args)
{
    run(QStringLiteral("xdotool"), args);
}

void pointTo(QPoint at)
{
    xdotool({"mousemove", QString::number(at.x()), QString::number(at.y())});
}

QImage screenshot(const QString &path)
{
    // The tool grabs the virtual display, whatever platform the suite gives the tests.
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(SCREENSHOT_PATH), {path});
    p.waitForFinished(10000);
    return QImage(path).convertToFormat(QImage::Format_RGB32);
}

// Polls until `done` holds, for at most `ms` (scaled); gives up at once when the program has
// ended.
bool waitFor(const std::function<bool()> &done, e2e::Background &program, int ms = 30000)
{
    return e2e::waitFor(done, ms, [&program] { return !program.running(); });
}

bool mapped(const e2e::Window &w)
{
    return run(QStringLiteral("xwininfo"), {"-id", w.id}).contains("IsViewable");
}

// A window whose name contains `part` once it is mapped; found afresh each time, as it exists
// before it is placed and shown.
std::optional<e2e::Window> shownWindow(const QString &part, e2e::Background &program,
                                       int ms = 30000)
{
    std::optional<e2e::Window> w;
    waitFor(
        [&] {
            w = e2e::waitForWindow(part, 1);
            return w && mapped(*w);
        },
        program, ms);
    return w && mapped(*w) ? w : std::nullopt;
}

QRgb px(const QImage &image, QPoint at)
{
    return image.pixel(at) & 0xFFFFFF;
}

// Pixels of an area that satisfy `pred`.
int count(const QImage &image, const QRect &area, const std::function<bool(QRgb)> &pred)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += pred(image.pixel(x, y) & 0xFFFFFF);
    return n;
}

QRect darkInk(const QImage &image, const QRect &area)
{
    int l = INT_MAX, t = INT_MAX, r = INT_MIN, b = INT_MIN;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb c = image.pixel(x, y);
            if (qRed(c) < 90 && qGreen(c) < 90 && qBlue(c) < 90) {
                l = std::min(l, x);
                t = std::min(t, y);
                r = std::max(r, x);
                b = std::max(b, y);
            }
        }
    return l == INT_MAX ? QRect() : QRect(QPoint(l, t), QPoint(r, b)).translated(-area.topLeft());
}

constexpr QRgb kLitGreen = 0x00FF00;
constexpr QRgb kPageWhite = 0xFFFFFF;
constexpr QRgb kKeyGreen = 0x00C000;  // the page's ground once it has seen a key
constexpr QRgb kEnterBlue = 0x0000C0; // and once it has seen Enter

class Faces : public testing::Test
{
protected:
    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            GTEST_SKIP() << "needs the virtual display the test runs on";
        if (!e2e::haveCommand(QStringLiteral("xdotool")))
            GTEST_SKIP() << "xdotool is not installed";
        runEnv.useDisplay();
        // The desktop's opener.
        e2e::installRecordingOpener(runEnv, openedPath());
        // A page that shows which keys it was given.
        const QString page = runEnv.home.path() + "/news.html";
        testsupport::writeFile(
            page, "<html><body style='background:#ffffff;margin:0'><h1>News</h1><script>"
                  "document.addEventListener('keydown', function (e) {"
                  "  document.body.style.background = e.key === 'Enter' ? '#0000c0' : '#00c000';"
                  "});</script></body></html>");
        url = QUrl::fromLocalFile(page).toString();
    }

    QString openedPath() const { return runEnv.home.path() + "/opened.txt"; }
    QString shotPath() const { return runEnv.home.path() + "/shot.png"; }

    // The window once it is mapped at its place and its page is loaded (the green lamp lit)
    // and drawn.
    std::optional<e2e::Window> readyWindow(e2e::Background &ldpn, int scale = 1)
    {
        std::optional<e2e::Window> w;
        const bool ready = waitFor(
            [&] {
                w = shownWindow(QStringLiteral("Last Login"), ldpn, 1);
                if (!w) {
                    lastSeen = "no window shown";
                    return false;
                }
                const QImage s = screenshot(shotPath());
                const QPoint o(w->x, w->y);
                const QRgb lamp = px(s, o + QPoint(16 + 11, 2 + 11) * scale);
                const QRgb page = px(s, o + QPoint(300, 200) * scale);
                lastSeen = QStringLiteral("window at %1, %2; lamp %3; page %4")
                               .arg(o.x())
                               .arg(o.y())
                               .arg(lamp, 6, 16, QLatin1Char('0'))
                               .arg(page, 6, 16, QLatin1Char('0'))
                               .toStdString();
                return lamp == kLitGreen && page == kPageWhite;
            },
            ldpn, 60000); // scaled, it stays within the test's own limit under the sanitizers
        if (!ldpn.running())
            lastSeen += "; the program ended: " + ldpn.err().toStdString();
        else if (!ready)
            lastSeen += "; the program said: " + ldpn.err().toStdString();
        return ready ? w : std::nullopt;
    }

    e2e::Run runEnv{"2026-07-19 10:00:00"};
    QString url;
    std::string lastSeen; // what the wait for a ready window saw last
};

TEST_F(Faces, AboutBoxShowsTheIconTheBevelsAndAWorkingLinkAndEnterOnThePanelClosesIt)
{
    e2e::Background ldpn(runEnv, {url, "/N"});
    const auto w = readyWindow(ldpn);
    ASSERT_TRUE(w.has_value()) << lastSeen;
    pointTo({w->x + 16 + 11, w->y + 2 + 11});
    xdotool({"click", "1"});
    const auto about = shownWindow(QStringLiteral("About"), ldpn, 10000);
    ASSERT_TRUE(about.has_value());
    const QPoint panel(about->x + 8, about->y + 8);
    QImage shot;
    // Drawn once the box has its label values.
    ASSERT_TRUE(waitFor(
        [&] {
            shot = screenshot(shotPath());
            return px(shot, panel) == 0x808080 &&
                   px(shot, panel + QPoint(173 + 40, 87 + 1)) == 0x000080;
        },
        ldpn, 10000));

    // The icon: its navy frame and white page inside the image's place.
    const QRect icon(panel + QPoint(4, 4), QSize(33, 33));
    EXPECT_GT(count(shot, icon, [](QRgb c) { return c == 0x000080; }), 100);
    EXPECT_GT(count(shot, icon, [](QRgb c) { return c == 0xFFFFFF; }), 200);
    // Lowered outer bevel, raised inner one, in the button shadow and highlight.
    EXPECT_EQ(px(shot, panel + QPoint(0, 100)), 0x808080u);
    EXPECT_EQ(px(shot, panel + QPoint(150, 0)), 0x808080u);
    EXPECT_EQ(px(shot, panel + QPoint(288, 100)), 0xFFFFFFu);
    EXPECT_EQ(px(shot, panel + QPoint(150, 184)), 0xFFFFFFu);
    EXPECT_EQ(px(shot, panel + QPoint(1, 100)), 0xFFFFFFu);
    EXPECT_EQ(px(shot, panel + QPoint(287, 100)), 0x808080u);
    // " Visit Me Online ": light text on navy, not covered.
    const QRect link(panel + QPoint(173, 87), QSize(78, 12));
    EXPECT_GT(count(shot, link, [](QRgb c) { return c == 0x000080; }), link.width() * 6);
    EXPECT_GT(count(shot, link, [](QRgb c) { return qRed(c) > 160 && qGreen(c) > 160; }), 40);

    // A click on the link hands the home page to the desktop; the box stays.
    pointTo(link.center());
    xdotool({"click", "1"});
    ASSERT_TRUE(waitFor([&] { return QFile::exists(openedPath()); }, ldpn, 10000));
    EXPECT_TRUE(waitFor([&] { return testsupport::readFile(openedPath()).startsWith("https://"); },
                        ldpn, 5000));
    EXPECT_TRUE(mapped(*about));

    // A click on the panel, then Enter: the default button closes the box.
    pointTo(panel + QPoint(275, 100));
    xdotool({"click", "1"});
    xdotool({"key", "Return"});
    EXPECT_TRUE(waitFor([&] { return !mapped(*about); }, ldpn, 10000));
    EXPECT_TRUE(ldpn.running());
}

TEST_F(Faces, ThePageHasTheFirstFocusSoEnterStaysInIt)
{
    e2e::Background ldpn(runEnv, {url, "0"});
    const auto w = readyWindow(ldpn);
    ASSERT_TRUE(w.has_value()) << lastSeen;
    const QPoint page(w->x + 300, w->y + 200);
    xdotool({"key", "a"});
    ASSERT_TRUE(
        waitFor([&] { return px(screenshot(shotPath()), page) == kKeyGreen; }, ldpn, 10000));
    xdotool({"key", "Return"});
    ASSERT_TRUE(
        waitFor([&] { return px(screenshot(shotPath()), page) == kEnterBlue; }, ldpn, 10000));
    // Enter went to the page, not to Exit: the program runs on and wrote no day stamp.
    EXPECT_TRUE(ldpn.running());
    EXPECT_FALSE(QFile::exists(runEnv.stampPath()));
}

TEST_F(Faces, AButtonHeldAndDraggedOffIsPressedButNotHotAndDoesNotClick)
{
    e2e::Background ldpn(runEnv, {url, "0"});
    const auto w = readyWindow(ldpn);
    ASSERT_TRUE(w.has_value()) << lastSeen;
    const QPoint exit(w->x + 81, w->y + 2);
    // A pixel of the ring's top row tells the states apart.
    const QPoint ring = exit + QPoint(10, 1);
    auto shows = [&](QRgb colour) {
        return waitFor([&] { return px(screenshot(shotPath()), ring) == colour; }, ldpn, 10000);
    };
    const QRgb highlight = 0xFFF3CE, clicked = 0xD6CFC6, focused = 0xCEE7FF;
    pointTo(exit + QPoint(68, 11));
    ASSERT_TRUE(shows(highlight));
    xdotool({"mousedown", "1"});
    ASSERT_TRUE(shows(clicked));
    pointTo(exit + QPoint(68, 150)); // onto the page, the button still held
    EXPECT_TRUE(shows(focused));
    xdotool({"mouseup", "1"});
    pointTo(exit + QPoint(68, 11)); // back over it: hot again, and no click happened
    EXPECT_TRUE(shows(highlight));
    EXPECT_TRUE(ldpn.running());
    EXPECT_FALSE(QFile::exists(runEnv.stampPath()));
}

// The window drawn at scale 2 is the scale-1 layout doubled: the lamps in their places, the
// captions' and the clock's ink where the scale-1 ink lies, twice as far from the corner.
TEST_F(Faces, AtScaleTwoTheWindowIsTheScaleOneLayoutDoubled)
{
    // A clock that stands still, where libfaketime can be had.
    runEnv.env << "FAKETIME=2026-07-19 10:00:00";
    QImage windows[2];
    for (int scale : {1, 2}) {
        e2e::Run &r = runEnv;
        r.env.removeAll(QStringLiteral("QT_SCALE_FACTOR=2"));
        if (scale == 2)
            r.env << QStringLiteral("QT_SCALE_FACTOR=2");
        e2e::Background ldpn(r, {url, "/N"});
        const auto w = readyWindow(ldpn, scale);
        ASSERT_TRUE(w.has_value()) << scale << ": " << lastSeen;
        EXPECT_EQ(QSize(w->width, w->height), QSize(600, 335) * scale);
        windows[scale - 1] = screenshot(shotPath()).copy(w->x, w->y, w->width, w->height);
    }
    const QImage &one = windows[0], &two = windows[1];
    for (int left : {16, 39})
        EXPECT_EQ(px(two, QPoint(left + 11, 2 + 11) * 2), px(one, QPoint(left + 11, 2 + 11)));
    struct Part
    {
        const char *what;
        QRect place;
    };
    std::vector<Part> parts = {{"Exit", {81, 2, 136, 23}},
                               {"Print", {217, 2, 136, 23}},
                               {"Open in Full Browser", {353, 2, 136, 23}}};
    // Only a clock that stands still shows the same digits in both runs.
    if (!e2e::fakeTimeLibrary().isEmpty())
        parts.push_back({"clock", {489 + 2, 2 + 2, 100, 19}});
    for (const Part &part : parts) {
        const QRect a = darkInk(one, part.place);
        const QRect b = darkInk(two, QRect(part.place.topLeft() * 2, part.place.size() * 2));
        ASSERT_FALSE(a.isEmpty()) << part.what;
        ASSERT_FALSE(b.isEmpty()) << part.what;
        EXPECT_NEAR(b.left(), 2 * a.left(), 2) << part.what;
        EXPECT_NEAR(b.right(), 2 * a.right() + 1, 2) << part.what;
        EXPECT_NEAR(b.top(), 2 * a.top(), 2) << part.what;
        EXPECT_NEAR(b.bottom(), 2 * a.bottom() + 1, 2) << part.what;
    }
}

} // namespace
