// Intranet pages as users meet them, through the real program on a virtual display: a small
// intranet of the test's own on loopback (http, https with the test's certificate authority, a
// self-signed server, logins, a proxy, downloads, a page that crashes), local pages, a
// recording opener in place of the desktop's, and a private default printer.
#include "intranet.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QUrl>
#include <cstdlib>
#include <gtest/gtest.h>
#include <xcb/xcb.h>

namespace {

using e2e::HttpRequest;
using e2e::HttpResponse;

HttpResponse html(const QByteArray &body)
{
    HttpResponse r;
    r.body =
        "<!doctype html><html><body style='margin:0;background:#fff'>" + body + "</body></html>";
    return r;
}

QByteArray run(const QString &program, const QStringList &args)
{
    return e2e::commandOutput(program, args);
}

void clickAt(int x, int y, int button = 1)
{
    run("xdotool",
        {"mousemove", QString::number(x), QString::number(y), "click", QString::number(button)});
}

// Keys to whatever has the keyboard, the pointer resting at (x, y) first.
void keysAt(int x, int y, const QStringList &keys)
{
    run("xdotool", QStringList{"mousemove", QString::number(x), QString::number(y), "key"} + keys);
}

void typeAt(int x, int y, const QString &text)
{
    run("xdotool", {"mousemove", QString::number(x), QString::number(y), "type", text});
}

quint32 windowNumber(const QString &id)
{
    return id.toUInt(nullptr, 16);
}

// The window `id` says which window it belongs to (WM_TRANSIENT_FOR), or 0.
quint32 transientFor(const QString &id)
{
    const QString props = QString::fromUtf8(run("xprop", {"-id", id, "WM_TRANSIENT_FOR"}));
    const auto m = QRegularExpression(QStringLiteral("# (0x[0-9a-f]+)")).match(props);
    return m.hasMatch() ? windowNumber(m.captured(1)) : 0;
}

// What the window manager's close button sends: WM_DELETE_WINDOW.
// In the instrumented build, rarely (about one run in fifteen on a busy machine) the window
// stops taking the window manager's close once a page box has come back: Qt never delivers a
// close event to it again, while keys and clicks still work and no modal window exists. Never
// seen in the regular build, which checks the close; there the case leaves by Exit instead.
bool closesReachTheWindow()
{
#if defined(__SANITIZE_ADDRESS__)
    return false;
#else
    return true;
#endif
}

bool askToClose(const QString &id)
{
    xcb_connection_t *c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        xcb_disconnect(c);
        return false;
    }
    const auto atom = [c](const char *name) {
        xcb_intern_atom_reply_t *reply =
            xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(strlen(name)), name), nullptr);
        const xcb_atom_t a = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        free(reply);
        return a;
    };
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = windowNumber(id);
    event.type = atom("WM_PROTOCOLS");
    event.data.data32[0] = atom("WM_DELETE_WINDOW");
    event.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(c, 0, event.window, XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char *>(&event));
    xcb_flush(c);
    xcb_disconnect(c);
    return true;
}

class IntranetEndToEnd : public testing::Test
{
protected:
    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            GTEST_SKIP() << "needs the virtual display the test runs on";
        for (const char *tool : {"xdotool", "xprop", "xwininfo"})
            if (!e2e::haveCommand(QLatin1String(tool)))
                GTEST_SKIP() << tool << " is not installed";
        runEnv.useDisplay();
        e2e::installRecordingOpener(runEnv, openedPath());
        // The page's console is the tests' probe of what a page could do.
        runEnv.loggingRules = QStringLiteral("daypane.page=true");
    }

    QString openedPath() const { return runEnv.home.path() + "/opened.txt"; }

    // The recording opener was handed `url` (its last hand-over).
    bool waitForOpened(e2e::Background &ldpn, const QString &url)
    {
        return e2e::waitFor(
            [&] { return testsupport::readFile(openedPath()) == url.toUtf8() + "\n"; }, 20000,
            [&] { return !ldpn.running(); });
    }

    std::optional<e2e::Window> window(e2e::Background &ldpn)
    {
        if (!ldpn.waitForShown()) {
            ADD_FAILURE() << "the window was not shown: " << ldpn.err().toStdString();
            return std::nullopt;
        }
        return e2e::waitForWindow(QStringLiteral("Last Login"), 20000, &ldpn);
    }

    static QList<QByteArray> lines(const QByteArray &text)
    {
        QList<QByteArray> out = text.split('\n');
        if (!out.isEmpty() && out.last().isEmpty())
            out.removeLast();
        return out;
    }

    // The page wrote `text` to its console (seen with daypane.page on).
    static bool consoleSaid(const QByteArray &err, const QByteArray &text)
    {
        for (const QByteArray &line : lines(err))
            if (line.startsWith("daypane.page: console.") && line.endsWith(": " + text))
                return true;
        return false;
    }
    bool waitForConsole(e2e::Background &ldpn, const QByteArray &text, int timeoutMs = 30000)
    {
        return e2e::waitFor([&] { return consoleSaid(ldpn.err(), text); }, timeoutMs,
                            [&] { return !ldpn.running(); });
    }
    bool waitForErr(e2e::Background &ldpn, const QByteArray &part, int timeoutMs = 30000)
    {
        return e2e::waitFor([&] { return ldpn.err().contains(part); }, timeoutMs,
                            [&] { return !ldpn.running(); });
    }

    QImage screenshot()
    {
        const QString path = runEnv.home.path() + "/shot.png";
        run(QStringLiteral(SCREENSHOT_PATH), {path});
        return QImage(path);
    }

    // The lamps: green (mLED1) lit once a page is there, red (mLED2) while one is on its way.
    struct Lamps
    {
        bool green = false;
        bool red = false;
        bool dark() const { return !green && !red; }
        bool loaded() const { return green && !red; }
    };
    Lamps lamps(const e2e::Window &w)
    {
        const QImage s = screenshot();
        const QRgb green = s.pixel(w.x + 16 + 11, w.y + 2 + 14);
        const QRgb red = s.pixel(w.x + 39 + 11, w.y + 2 + 14);
        return {qGreen(green) > 200, qRed(red) > 200};
    }
    bool waitForLamps(e2e::Background &ldpn, const e2e::Window &w, bool (Lamps::*state)() const)
    {
        return e2e::waitFor([&] { return (lamps(w).*state)(); }, 30000,
                            [&] { return !ldpn.running(); });
    }

    // The pane shows the program's own message, not a page: its ground is the window's colour,
    // not a page's white.
    bool paneShowsMessage(const e2e::Window &w)
    {
        const QRgb p = screenshot().pixel(w.x + 10, w.y + 27 + 10);
        return qRed(p) < 250 && qRed(p) > 150;
    }
    bool waitForPaneMessage(e2e::Background &ldpn, const e2e::Window &w)
    {
        return e2e::waitFor([&] { return paneShowsMessage(w); }, 30000,
                            [&] { return !ldpn.running(); });
    }

    // The page drawn at `at` in `colour`: it takes clicks from then on ("page loaded" may come
    // before the engine's first frame, and a click before that frame is lost).
    bool waitForPainted(e2e::Background &ldpn, QPoint at, QRgb colour)
    {
        const auto near = [](int a, int b) { return std::abs(a - b) <= 8; };
        return e2e::waitFor(
            [&] {
                const QRgb p = screenshot().pixel(at);
                return near(qRed(p), qRed(colour)) && near(qGreen(p), qGreen(colour)) &&
                       near(qBlue(p), qBlue(colour));
            },
            30000, [&] { return !ldpn.running(); });
    }

    // A point of the page, `y` pixels below its top.
    static QPoint inPage(const e2e::Window &w, int y) { return {w.x + 300, w.y + 27 + y}; }
    static QPoint exitButton(const e2e::Window &w) { return {w.x + 81 + 68, w.y + 2 + 11}; }

    // Lines of standard error that are neither milestones nor the page's console, nor the note
    // the engine gives when the tests turn its sandbox off (they run as root).
    static QList<QByteArray> otherLines(const QByteArray &err)
    {
        QList<QByteArray> out;
        for (const QByteArray &line : lines(err))
            if (!line.startsWith("daypane.startup: ") && !line.startsWith("daypane.page: ") &&
                line != "Sandboxing disabled by user." && line + '\n' != e2e::kNoNetWareClient)
                out << line;
        return out;
    }
    static std::string joined(const QList<QByteArray> &lines)
    {
        return lines.join('\n').toStdString();
    }
    static std::string joined(const QStringList &lines) { return lines.join('\n').toStdString(); }

    // The files below the run's home, but the test's own (the opener and its record, the
    // configuration, screenshots, the runtime folder), relative to it.
    static QStringList filesWritten(const e2e::Run &run)
    {
        QStringList files;
        for (QDirIterator it(run.home.path(), QDir::Files | QDir::Hidden,
                             QDirIterator::Subdirectories);
             it.hasNext();) {
            const QString file = QDir(run.home.path()).relativeFilePath(it.next());
            if (!file.startsWith("bin/") && !file.startsWith("opened") &&
                !file.startsWith(".config/") && !file.startsWith("runtime/") &&
                !file.startsWith("shot"))
                files << file;
        }
        return files;
    }

    void writeConfig(const QByteArray &text)
    {
        const QString dir = runEnv.home.path() + "/.config/daypane";
        QDir().mkpath(dir);
        testsupport::writeFile(dir + "/daypane.conf", text);
    }

    // The real date: the test's certificates are valid from now on. Force mode shows the page
    // on any day.
    e2e::Run runEnv{nullptr};
};

// Links and scripts that ask for a new window: the address goes to the default browser and the
// window stays; a script without a click gets no window at all.
TEST_F(IntranetEndToEnd, NewWindowsGoToTheDefaultBrowserAndScriptsWithoutAClickGetNone)
{
    e2e::HttpServer server([](const HttpRequest &) {
        return html("<a href='/blank-target' target='_blank' "
                    "style='display:block;height:80px;background:#cfc'>new window</a>"
                    "<div style='height:80px;background:#ccf' onclick=\"console.log('the click "
                    "got ' + (window.open('/scripted') ? 'a window' : 'none'))\">scripted</div>"
                    "<a href='/menu-target' style='display:block;height:80px;background:#fcc'>"
                    "menu</a>"
                    "<script>console.log('without a click: ' + (window.open('/unasked') === null"
                    " ? 'none' : 'a window'));</script>");
    });
    e2e::Background ldpn(runEnv, {server.url("/windows"), "/F"});
    const auto w = window(ldpn);
    ASSERT_TRUE(w.has_value());
    ASSERT_TRUE(ldpn.waitForPage()) << ldpn.err().toStdString();
    ASSERT_TRUE(waitForConsole(ldpn, "without a click: none")) << ldpn.err().toStdString();
    ASSERT_TRUE(waitForPainted(ldpn, inPage(*w, 40), qRgb(0xcc, 0xff, 0xcc)));

    // A link with target=_blank.
    clickAt(inPage(*w, 40).x(), inPage(*w, 40).y());
    EXPECT_TRUE(waitForOpened(ldpn, server.url("/blank-target"))) << ldpn.err().toStdString();
    // window.open() in a click handler.
    clickAt(inPage(*w, 120).x(), inPage(*w, 120).y());
    EXPECT_TRUE(waitForOpened(ldpn, server.url("/scripted"))) << ldpn.err().toStdString();
    // The context menu's "Open link in new window", counted from the menu's end: Copy link
    // address, Save link, Open link in new window.
    clickAt(inPage(*w, 200).x(), inPage(*w, 200).y(), 3);
    ASSERT_TRUE(e2e::waitFor(
        [&] { return e2e::waitForWindow(QStringLiteral("Daypane"), 0).has_value(); }, 10000));
    keysAt(inPage(*w, 200).x(), inPage(*w, 200).y(), {"Up", "Up", "Up", "Return"});
    EXPECT_TRUE(waitForOpened(ldpn, server.url("/menu-target"))) << ldpn.err().toStdString();

    EXPECT_TRUE(ldpn.running());
    EXPECT_EQ(server.count("/unasked"), 0);
    // The engine asked the server for none of them: the default browser does.
    EXPECT_EQ(server.count("/blank-target") + server.count("/scripted") +
                  server.count("/menu-target"),
              0);
    EXPECT_EQ(joined(otherLines(ldpn.err())), "") << ldpn.err().toStdString();
}

// A page may hand over only addresses of its own kind; the rest is refused with one line each.
TEST_F(IntranetEndToEnd, OtherSchemesAreRefusedWithOneEscapedLineEach)
{
    e2e::HttpServer server([](const HttpRequest &) {
        return html("<a href='ssh://admin@db.example/' target='_blank' "
                    "style='display:block;height:80px;background:#cfc'>ssh</a>"
                    "<a href='file:///etc/passwd' target='_blank' "
                    "style='display:block;height:80px;background:#ccf'>file</a>"
                    "<script>onload = () => setTimeout(() => { location.href = "
                    "'vnc://desk.example:5900/\\u202e\\u0007x'; console.log('asked'); }, 0);"
                    "</script>");
    });
    e2e::Background ldpn(runEnv, {server.url("/refused"), "/F"});
    const auto w = window(ldpn);
    ASSERT_TRUE(w.has_value());
    ASSERT_TRUE(waitForErr(ldpn, "asked to open vnc://desk.example:5900/"))
        << ldpn.err().toStdString();
    ASSERT_TRUE(waitForPainted(ldpn, inPage(*w, 40), qRgb(0xcc, 0xff, 0xcc)));
    clickAt(inPage(*w, 40).x(), inPage(*w, 40).y());
    ASSERT_TRUE(waitForErr(ldpn, "asked to open ssh://admin@db.example/"))
        << ldpn.err().toStdString();
    // A web page's link to a local file: the engine itself refuses it, nothing is handed over.
    clickAt(inPage(*w, 120).x(), inPage(*w, 120).y());
    ASSERT_TRUE(waitForConsole(ldpn, "Not allowed to load local resource: file:///etc/passwd"))
        << ldpn.err().toStdString();

    const QList<QByteArray> refusals = otherLines(ldpn.err());
    ASSERT_EQ(refusals.size(), 2) << ldpn.err().toStdString();
    for (const QByteArray &line : refusals) {
        EXPECT_TRUE(line.startsWith("ldpn: the page " + server.url("/refused").toUtf8() +
                                    " asked to open "))
            << line.toStdString();
        EXPECT_TRUE(line.contains("refused")) << line.toStdString();
        // Control and direction characters of the address stay escaped.
        EXPECT_FALSE(line.contains('\a') || line.contains("\u202e")) << line.toStdString();
    }
    EXPECT_TRUE(refusals.value(0).contains("\\u202e")) << refusals.value(0).toStdString();
    EXPECT_FALSE(QFile::exists(openedPath()));
    EXPECT_TRUE(ldpn.running());
}

// Basic and Digest logins: a prompt owned by the window and centred on it; what the user types
// reaches the server; Cancel shows the server's own page.
TEST_F(IntranetEndToEnd, LoginsAreAskedInABoxOfTheWindowAndCancelShowsTheServersPage)
{
    e2e::HttpServer server([](const HttpRequest &r) {
        if (r.target == "/basic") {
            if (e2e::auth::basicAccepted(r, "jdoe", "s3cret"))
                return html("<script>console.log('basic: welcome')</script>");
        } else if (r.target == "/digest") {
            if (e2e::auth::digestAccepted(r, "Acme digest", "jdoe", "s3cret"))
                return html("<script>console.log('digest: welcome')</script>");
        } else {
            return html("");
        }
        HttpResponse denied = html("<script>console.log('the server says no')</script>");
        denied.status = 401;
        denied.headers << std::pair<QByteArray, QByteArray>(
            "WWW-Authenticate", r.target == "/basic"
                                    ? e2e::auth::basicChallenge("Acme intranet")
                                    : e2e::auth::digestChallenge("Acme digest", "n0nce42"));
        return denied;
    });
    struct Case
    {
        const char *path;
        bool cancel;
        const char *shown;
    };
    for (const Case &c :
         {Case{"/basic", false, "basic: welcome"}, Case{"/digest", false, "digest: welcome"},
          Case{"/basic", true, "the server says no"}}) {
        SCOPED_TRACE(std::string(c.path) + (c.cancel ? " cancelled" : ""));
        e2e::Background ldpn(runEnv, {server.url(QLatin1String(c.path)), "/F"});
        const auto w = window(ldpn);
        ASSERT_TRUE(w.has_value());
        const auto box = e2e::waitForWindow(QStringLiteral("Log in"), 30000, &ldpn);
        ASSERT_TRUE(box.has_value()) << ldpn.err().toStdString();
        EXPECT_EQ(transientFor(box->id), windowNumber(w->id));
        EXPECT_NEAR(box->x + box->width / 2.0, w->x + w->width / 2.0, 2);
        EXPECT_NEAR(box->y + box->height / 2.0, w->y + w->height / 2.0, 2);
        const int x = box->x + box->width / 2, y = box->y + 10;
        if (c.cancel) {
            keysAt(x, y, {"Escape"});
        } else {
            typeAt(x, y, QStringLiteral("jdoe"));
            keysAt(x, y, {"Tab"});
            typeAt(x, y, QStringLiteral("s3cret"));
            keysAt(x, y, {"Return"});
        }
        EXPECT_TRUE(waitForConsole(ldpn, c.shown)) << ldpn.err().toStdString();
        EXPECT_TRUE(ldpn.waitForPage()) << ldpn.err().toStdString();
    }
}

// A proxy that wants a login gets the same prompt, naming the proxy.
TEST_F(IntranetEndToEnd, AProxyLoginIsAskedTheSameWay)
{
    e2e::HttpServer proxy([](const HttpRequest &r) {
        if (r.header("proxy-authorization") == "Basic " + QByteArray("jdoe:pr0xy").toBase64())
            return html("<script>console.log('through the proxy: ' + location.host)</script>");
        HttpResponse denied = html("");
        denied.status = 407;
        denied.headers << std::pair<QByteArray, QByteArray>("Proxy-Authenticate",
                                                            "Basic realm=\"Acme proxy\"");
        return denied;
    });
    runEnv.addEngineFlags(QStringLiteral("--proxy-server=http://127.0.0.1:%1 "
                                         "--proxy-bypass-list=<-loopback>")
                              .arg(proxy.port()));
    e2e::Background ldpn(runEnv, {"http://intranet.example/news", "/F"});
    const auto w = window(ldpn);
    ASSERT_TRUE(w.has_value());
    const auto box = e2e::waitForWindow(QStringLiteral("Log in"), 30000, &ldpn);
    ASSERT_TRUE(box.has_value()) << ldpn.err().toStdString();
    EXPECT_EQ(transientFor(box->id), windowNumber(w->id));
    const int x = box->x + box->width / 2, y = box->y + 10;
    typeAt(x, y, QStringLiteral("jdoe"));
    keysAt(x, y, {"Tab"});
    typeAt(x, y, QStringLiteral("pr0xy"));
    keysAt(x, y, {"Return"});
    EXPECT_TRUE(waitForConsole(ldpn, "through the proxy: intranet.example"))
        << ldpn.err().toStdString();
    EXPECT_TRUE(proxy.count("http://intranet.example/news") >= 2);
}

// The system's trust store (here one the test controls) vouches for the site's own authority;
// anything else is refused, named in one line, with the lamps dark and the pane's message.
TEST_F(IntranetEndToEnd, TheSitesAuthorityIsTrustedAndAnyOtherCertificateRefused)
{
    const e2e::TestPki pki;
    if (!pki.ok())
        GTEST_SKIP() << pki.error().toStdString();
    const auto page = [](const HttpRequest &) {
        return html("<script>console.log('secure page shown')</script>");
    };
    const e2e::HttpServer signedByTheSite(page, {pki.signedServer(), pki.ca()}, pki.key());
    const e2e::HttpServer selfSigned(page, {pki.selfSigned()}, pki.key());
    const e2e::HttpServer otherName(page, {pki.otherName(), pki.ca()}, pki.key());

    {
        SCOPED_TRACE("the site's authority in the trust store");
        e2e::Run trusting(nullptr);
        trusting.env = runEnv.env;
        trusting.loggingRules = runEnv.loggingRules;
        trusting.env << "DAYPANE_CA_CERTIFICATES=" + pki.caFile();
        for (const QString &host : {QStringLiteral("127.0.0.1"), QStringLiteral("localhost")}) {
            e2e::Background ldpn(trusting, {signedByTheSite.url("/", host), "/F"});
            EXPECT_TRUE(ldpn.waitForPage()) << ldpn.err().toStdString();
            EXPECT_TRUE(waitForConsole(ldpn, "secure page shown")) << ldpn.err().toStdString();
            EXPECT_EQ(joined(otherLines(ldpn.err())), "") << ldpn.err().toStdString();
        }
        // What an https page makes the engine write is the certificate database the manual
        // names (and the font library's cache, as for any program).
        EXPECT_EQ(joined(filesWritten(trusting).filter(
                      QRegularExpression("^(?!\\.pki/nssdb/|\\.cache/fontconfig/)"))),
                  "");
    }
    struct Refused
    {
        const char *name;
        const e2e::HttpServer &server;
        bool withTheSitesAuthority;
    };
    for (const Refused &c :
         {Refused{"the authority not in the store", signedByTheSite, false},
          Refused{"self-signed", selfSigned, true}, Refused{"for another name", otherName, true}}) {
        SCOPED_TRACE(c.name);
        e2e::Run run(nullptr);
        run.env = runEnv.env;
        run.loggingRules = runEnv.loggingRules;
        if (c.withTheSitesAuthority)
            run.env << "DAYPANE_CA_CERTIFICATES=" + pki.caFile();
        e2e::Background ldpn(run, {c.server.url("/"), "/F"});
        const auto w = window(ldpn);
        ASSERT_TRUE(w.has_value());
        const QByteArray line = QStringLiteral("ldpn: page %1: the certificate of 127.0.0.1:%2 "
                                               "is not trusted (")
                                    .arg(c.server.url("/"))
                                    .arg(c.server.port())
                                    .toUtf8();
        ASSERT_TRUE(waitForErr(ldpn, line)) << ldpn.err().toStdString();
        EXPECT_TRUE(waitForPaneMessage(ldpn, *w));
        EXPECT_TRUE(waitForLamps(ldpn, *w, &Lamps::dark));
        EXPECT_FALSE(consoleSaid(ldpn.err(), "secure page shown"));
        EXPECT_FALSE(ldpn.err().contains("page loaded")) << ldpn.err().toStdString();
        EXPECT_EQ(otherLines(ldpn.err()).size(), 1) << ldpn.err().toStdString();
    }
}

// Downloads go to the default browser; nothing is saved by the program.
TEST_F(IntranetEndToEnd, DownloadsGoToTheDefaultBrowser)
{
    e2e::HttpServer server([](const HttpRequest &r) {
        if (r.target == "/report.pdf") {
            HttpResponse pdf;
            pdf.type = "application/pdf";
            pdf.body = "%PDF-1.4\n% not much of a report\n";
            pdf.headers << std::pair<QByteArray, QByteArray>("Content-Disposition",
                                                             "attachment; filename=\"report.pdf\"");
            return pdf;
        }
        if (r.target == "/list.csv") {
            HttpResponse csv;
            csv.type = "text/csv";
            csv.body = "name,day\njdoe,200\n";
            return csv;
        }
        return html("<a href='/report.pdf' style='display:block;height:80px;background:#cfc'>"
                    "report</a><a href='/list.csv' download "
                    "style='display:block;height:80px;background:#ccf'>list</a>");
    });
    e2e::Background ldpn(runEnv, {server.url("/downloads"), "/F"});
    const auto w = window(ldpn);
    ASSERT_TRUE(w.has_value());
    ASSERT_TRUE(ldpn.waitForPage()) << ldpn.err().toStdString();
    ASSERT_TRUE(waitForPainted(ldpn, inPage(*w, 40), qRgb(0xcc, 0xff, 0xcc)));
    clickAt(inPage(*w, 40).x(), inPage(*w, 40).y());
    EXPECT_TRUE(waitForOpened(ldpn, server.url("/report.pdf"))) << ldpn.err().toStdString();
    clickAt(inPage(*w, 120).x(), inPage(*w, 120).y());
    EXPECT_TRUE(waitForOpened(ldpn, server.url("/list.csv"))) << ldpn.err().toStdString();
    // The page is still there.
    EXPECT_TRUE(lamps(*w).loaded());
    EXPECT_FALSE(paneShowsMessage(*w));
    QStringList saved;
    for (QDirIterator it(runEnv.home.path(), QDir::Files, QDirIterator::Subdirectories);
         it.hasNext();) {
        const QString path = it.next();
        if (path.endsWith(".pdf") || path.endsWith(".csv") || path.contains("download"))
            saved << path;
    }
    EXPECT_EQ(joined(saved), "");
}

// The page's own window.print() prints as Print does: on the default printer, without a dialog.
TEST_F(IntranetEndToEnd, ThePagesOwnPrintGoesToTheDefaultPrinterWithoutADialog)
{
    const e2e::TestPrinter printer;
    if (!printer.available())
        GTEST_SKIP() << "runs under with_cups_printer.sh";
    runEnv.env << printer.serverVariable();
    const qsizetype before = printer.jobs();
    e2e::HttpServer server([](const HttpRequest &) {
        return html("<h1>Print me</h1><script>onload = () => setTimeout(() => window.print(), "
                    "0);</script>");
    });
    e2e::Background ldpn(runEnv, {server.url("/print-me"), "/F"});
    ASSERT_TRUE(ldpn.waitForPage()) << ldpn.err().toStdString();
    ASSERT_TRUE(e2e::waitFor([&] { return printer.jobs() == before + 1; }, 30000,
                             [&] { return !ldpn.running(); }))
        << ldpn.err().toStdString();
    EXPECT_FALSE(e2e::waitForWindow(QStringLiteral("Print"), 0).has_value());
    EXPECT_TRUE(ldpn.running());
}

// A page whose process dies: the pane says so and offers a reload, the lamps say "not loaded";
// the reload brings the page back.
TEST_F(IntranetEndToEnd, ACrashedPageIsSaidAndCanBeReloaded)
{
    std::atomic<int> visits{0};
    e2e::HttpServer server([&](const HttpRequest &r) {
        if (r.target != "/crash")
            return html("");
        // The first visit runs out of the little memory the test allows a page.
        if (++visits == 1)
            return html("<h1>Crashing</h1><script>onload = () => setTimeout(() => { const a = "
                        "[]; for (;;) a.push(new Array(1e6).fill(1.5)); }, 0);</script>");
        return html("<h1>Back again</h1><script>console.log('reloaded')</script>");
    });
    runEnv.addEngineFlags(QStringLiteral("--js-flags=--max-old-space-size=24"));
    e2e::Background ldpn(runEnv, {server.url("/crash"), "/F"});
    const auto w = window(ldpn);
    ASSERT_TRUE(w.has_value());
    ASSERT_TRUE(ldpn.waitForPage()) << ldpn.err().toStdString();
    ASSERT_TRUE(waitForPaneMessage(ldpn, *w)) << ldpn.err().toStdString();
    EXPECT_TRUE(waitForLamps(ldpn, *w, &Lamps::dark));
    // The message's Reload has the focus.
    keysAt(inPage(*w, 150).x(), inPage(*w, 150).y(), {"Return"});
    EXPECT_TRUE(waitForConsole(ldpn, "reloaded")) << ldpn.err().toStdString();
    EXPECT_EQ(visits.load(), 2);
    EXPECT_TRUE(waitForLamps(ldpn, *w, &Lamps::loaded));
    EXPECT_FALSE(paneShowsMessage(*w));
    // The dying page's process said its piece through the program: line by line, escaped.
    for (const QByteArray &line : lines(ldpn.err()))
        EXPECT_FALSE(line.contains('\x1b')) << line.toStdString();
}

// A load that fails is not a page: the lamps stay dark and the pane says why, and the engine
// adds nothing of its own to the log.
TEST_F(IntranetEndToEnd, AFailedLoadLeavesTheLampsDarkAndTheLogQuiet)
{
    quint16 closedPort = 0;
    {
        e2e::HttpServer gone([](const HttpRequest &) { return html(""); });
        closedPort = gone.port();
    }
    runEnv.loggingRules.clear();
    {
        e2e::Background ldpn(runEnv,
                             {QStringLiteral("http://127.0.0.1:%1/").arg(closedPort), "/F"});
        const auto w = window(ldpn);
        ASSERT_TRUE(w.has_value());
        ASSERT_TRUE(waitForPaneMessage(ldpn, *w)) << ldpn.err().toStdString();
        EXPECT_TRUE(lamps(*w).dark());
        EXPECT_FALSE(ldpn.err().contains("page loaded")) << ldpn.err().toStdString();
        EXPECT_EQ(joined(otherLines(ldpn.err())), "") << ldpn.err().toStdString();
    } // ended: a second start beside it would only raise its window

    // A page that loads says nothing either.
    e2e::HttpServer server([](const HttpRequest &) { return html("<h1>News</h1>"); });
    e2e::Background good(runEnv, {server.url("/news"), "/F"});
    ASSERT_TRUE(good.waitForPage()) << good.err().toStdString();
    EXPECT_EQ(joined(otherLines(good.err())), "") << good.err().toStdString();
}

// The page's console: nowhere by default; with daypane.page, one escaped line per message, cut
// to a length, and only so many per start.
TEST_F(IntranetEndToEnd, ThePagesConsoleStaysOutOfTheLogUnlessAskedForAndThenInLines)
{
    e2e::HttpServer server([](const HttpRequest &) {
        return html("<script>"
                    "for (let i = 0; i < 3000; ++i) console.error('flood ' + i + '\\nldpn: "
                    "directory ldap://dir1: bind: Invalid credentials\\x1b[31m' + "
                    "'x'.repeat(i % 2 ? 10 : 5000));"
                    "</script>");
    });
    {
        SCOPED_TRACE("by default");
        runEnv.loggingRules.clear();
        e2e::Background ldpn(runEnv, {server.url("/console"), "/F"});
        const auto w = window(ldpn);
        ASSERT_TRUE(w.has_value());
        ASSERT_TRUE(ldpn.waitForPage()) << ldpn.err().toStdString();
        clickAt(exitButton(*w).x(), exitButton(*w).y());
        ASSERT_TRUE(ldpn.waitForEnd());
        EXPECT_EQ(joined(otherLines(ldpn.err())), "") << ldpn.err().toStdString();
        EXPECT_FALSE(ldpn.err().contains("flood"));
    }
    {
        SCOPED_TRACE("with daypane.page");
        runEnv.loggingRules = QStringLiteral("daypane.page=true");
        e2e::Background ldpn(runEnv, {server.url("/console"), "/F"});
        ASSERT_TRUE(waitForErr(ldpn, "daypane.page: further messages of the page are not logged\n"))
            << ldpn.err().left(2000).toStdString();
        int pageLines = 0;
        for (const QByteArray &line : lines(ldpn.err())) {
            if (line + '\n' == e2e::kNoNetWareClient)
                continue; // the program's own line, before the page
            EXPECT_FALSE(line.startsWith("ldpn: ")) << line.toStdString();
            EXPECT_FALSE(line.contains('\x1b')) << line.toStdString();
            if (!line.startsWith("daypane.page: console.error "))
                continue;
            ++pageLines;
            EXPECT_TRUE(line.contains("\\nldpn: directory ldap://dir1")) << line.toStdString();
            EXPECT_TRUE(line.contains("\\x1b[31m")) << line.toStdString();
            EXPECT_LT(line.size(), 700) << line.left(100).toStdString();
        }
        EXPECT_EQ(pageLines, 100);
    }
}

// A local page: its own folder's pictures, styles, scripts and files load; no other local file
// is read and nothing reaches the network, in any of the ways a page has.
TEST_F(IntranetEndToEnd, ALocalPageKeepsToItsFolderAndOffTheNetwork)
{
    e2e::HttpServer server([](const HttpRequest &) { return html("<h1>remote</h1>"); });
    const QString notices = runEnv.home.path() + "/srv/notices";
    const QString secret = runEnv.home.path() + "/private/secret.txt";
    QDir().mkpath(notices + "/sub");
    QDir().mkpath(runEnv.home.path() + "/private");
    testsupport::writeFile(secret, "top secret\n");
    QFile::setPermissions(secret, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    testsupport::writeFile(notices + "/style.css", "h1 { color: rgb(1, 2, 3); }\n");
    testsupport::writeFile(notices + "/own.js", "console.log('own script ran');\n");
    testsupport::writeFile(notices + "/sub/data.txt", "own data");
    QImage picture(4, 4, QImage::Format_RGB32);
    picture.fill(Qt::darkGreen);
    picture.save(notices + "/picture.png");
    picture.save(runEnv.home.path() + "/private/picture.png");
    const QString remote = server.url("/");
    const QString ws = QStringLiteral("ws://127.0.0.1:%1/socket").arg(server.port());
    const QString secretUrl = QUrl::fromLocalFile(secret).toString();
    const QString otherPicture =
        QUrl::fromLocalFile(runEnv.home.path() + "/private/picture.png").toString();
    const QString page =
        QStringLiteral(
            "<!doctype html><html><head><link rel=stylesheet href=style.css>"
            "<script src=own.js></script></head><body><h1>Notice</h1>"
            "<img src=picture.png onload=\"console.log('own picture shown')\">"
            "<img src='%4' onerror=\"console.log('other picture refused')\" "
            "onload=\"console.log('other picture shown')\">"
            "<img src='%1img' onerror=\"console.log('remote picture refused')\">"
            "<iframe src='%1frame'></iframe>"
            "<script>"
            "const said = (what) => (r) => console.log(what + ': ' + r);"
            "const probes = ["
            " fetch('sub/data.txt').then(r => r.text()).then(said('own file'), "
            "   () => console.log('own file: refused')),"
            " fetch('%2').then(r => r.text()).then(said('secret by fetch'), "
            "   () => console.log('secret by fetch: refused')),"
            " new Promise(done => { const x = new XMLHttpRequest(); x.open('GET', '%2');"
            "   x.onload = () => { console.log('secret by xhr: ' + x.responseText); done(); };"
            "   x.onerror = () => { console.log('secret by xhr: refused'); done(); }; x.send(); }),"
            " fetch('%1fetch').then(() => console.log('remote fetch: answered'), "
            "   () => console.log('remote fetch: refused')),"
            " new Promise(done => { const s = new WebSocket('%3');"
            "   s.onopen = () => { console.log('websocket: open'); done(); };"
            "   s.onclose = () => { console.log('websocket: refused'); done(); }; }),"
            " new Promise(done => { const e = new EventSource('%1events');"
            "   e.onerror = () => { e.close(); console.log('event source: refused'); done(); };"
            " }),"
            "];"
            "navigator.sendBeacon('%1beacon', 'data');"
            "Promise.allSettled(probes).then(() => {"
            " console.log('style: ' + getComputedStyle(document.querySelector('h1')).color);"
            " console.log('probes done');"
            " setTimeout(() => { location.href = '%1away'; }, 0);"
            "});"
            "</script></body></html>")
            .arg(remote, secretUrl, ws, otherPicture);
    testsupport::writeFile(notices + "/today.html", page.toUtf8());

    e2e::Background ldpn(runEnv, {QUrl::fromLocalFile(notices + "/today.html").toString(), "/F"});
    ASSERT_TRUE(ldpn.waitForPage()) << ldpn.err().toStdString();
    ASSERT_TRUE(waitForConsole(ldpn, "probes done")) << ldpn.err().toStdString();
    ASSERT_TRUE(waitForErr(ldpn, "asked to open " + remote.toUtf8() + "away"))
        << ldpn.err().toStdString();
    ASSERT_TRUE(waitForErr(ldpn, "asked to open " + remote.toUtf8() + "frame"))
        << ldpn.err().toStdString();
    const QByteArray err = ldpn.err();
    for (const char *said :
         {"own script ran", "own picture shown", "own file: own data", "style: rgb(1, 2, 3)",
          "other picture refused", "remote picture refused", "secret by fetch: refused",
          "secret by xhr: refused", "remote fetch: refused", "websocket: refused",
          "event source: refused"})
        EXPECT_TRUE(consoleSaid(err, said)) << said << '\n' << err.toStdString();
    EXPECT_FALSE(err.contains("top secret"));
    // Not one connection reached the server, the WebSocket's included.
    EXPECT_EQ(server.connections(), 0);
}

// The pages' data stays only when the configuration keeps the profile (also by its older name),
// and then it is there at the next start; otherwise nothing of a page is written, and what the
// engine writes (the certificate database of an https page) is what the manual lists.
TEST_F(IntranetEndToEnd, OnlyAKeptProfileStoresThePagesDataAndNothingElseIsWritten)
{
    e2e::HttpServer server([](const HttpRequest &) {
        return html("<script>console.log('cookie before: [' + document.cookie + ']');"
                    "document.cookie = 'seen=yes; max-age=86400';"
                    "localStorage.setItem('seen', 'yes');</script>");
    });
    const auto written = [&] { return filesWritten(runEnv); };
    const auto visit = [&](const char *expectedCookie) {
        e2e::Background ldpn(runEnv, {server.url("/store"), "/F"});
        const auto w = window(ldpn);
        ASSERT_TRUE(w.has_value());
        ASSERT_TRUE(waitForConsole(ldpn, QByteArray("cookie before: [") + expectedCookie + "]"))
            << ldpn.err().toStdString();
        ASSERT_TRUE(ldpn.waitForPage());
        clickAt(exitButton(*w).x(), exitButton(*w).y());
        ASSERT_TRUE(ldpn.waitForEnd());
    };
    visit("");
    visit("");
    // The font library may keep its cache in ~/.cache/fontconfig, as for any program.
    EXPECT_EQ(joined(written().filter(QRegularExpression("^(?!\\.cache/fontconfig/)"))), "");

    for (const char *key : {"profile", "cookies"}) {
        SCOPED_TRACE(key);
        for (const QString &file : written())
            QFile::remove(runEnv.home.path() + "/" + file);
        QDir(runEnv.home.path() + "/Daypane").removeRecursively();
        writeConfig(QByteArray("[browser]\n") + key + " = keep\n");
        visit("");
        visit("seen=yes");
        const QStringList files = written();
        EXPECT_FALSE(files.filter(QRegularExpression("QtWebEngine/Daypane/.*Cookies")).isEmpty())
            << files.join(' ').toStdString();
        // Under $XDG_DATA_HOME, here the test's home.
        EXPECT_EQ(joined(files.filter(QRegularExpression(
                      "^(?!\\.cache/fontconfig/|Daypane/QtWebEngine/Daypane/)"))),
                  "");
        QDir(runEnv.home.path() + "/Daypane").removeRecursively();
    }
}

// The page's own boxes belong to the window and are centred on it, and never hold the user:
// Exit and the window manager's close still end the program while one is up.
TEST_F(IntranetEndToEnd, ThePagesBoxesBelongToTheWindowAndNeverHoldTheUser)
{
    e2e::HttpServer server([](const HttpRequest &r) {
        if (r.target == "/alerts")
            return html("<script>onload = () => setTimeout(() => { for (let i = 0; ; ++i) "
                        "alert('Notice ' + i); }, 0);</script>");
        return html("<script>onload = () => setTimeout(() => { while (!confirm('Stay?')) {} "
                    "}, 0);</script>");
    });
    for (const char *path : {"/alerts", "/confirm"}) {
        SCOPED_TRACE(path);
        e2e::Background ldpn(runEnv, {server.url(QLatin1String(path)), "/F"});
        const auto w = window(ldpn);
        ASSERT_TRUE(w.has_value());
        const QString title = QStringLiteral("127.0.0.1:%1 says").arg(server.port());
        auto box = e2e::waitForWindow(title, 30000, &ldpn);
        ASSERT_TRUE(box.has_value()) << ldpn.err().toStdString();
        EXPECT_EQ(transientFor(box->id), windowNumber(w->id));
        EXPECT_NEAR(box->x + box->width / 2.0, w->x + w->width / 2.0, 2);
        EXPECT_NEAR(box->y + box->height / 2.0, w->y + w->height / 2.0, 2);
        // Answered, it comes back at once: the page asks in a loop.
        const QString first = box->id;
        keysAt(box->x + box->width / 2, box->y + 10, {"Escape"});
        ASSERT_TRUE(e2e::waitFor(
            [&] {
                box = e2e::waitForWindow(title, 0);
                return box.has_value() && box->id != first;
            },
            30000, [&] { return !ldpn.running(); }));
        // The box has the keyboard, as the user sees it when reaching for the window's close.
        ASSERT_TRUE(e2e::waitFor(
            [&] {
                return run("xdotool", {"getwindowfocus"}).trimmed().toUInt() ==
                       windowNumber(box->id);
            },
            10000));
        if (QLatin1String(path) == QLatin1String("/alerts") || !closesReachTheWindow())
            clickAt(exitButton(*w).x(), exitButton(*w).y());
        else
            ASSERT_TRUE(askToClose(w->id));
        ASSERT_TRUE(ldpn.waitForEnd()) << "the page's box held the program\n"
                                       << ldpn.err().toStdString();
        EXPECT_EQ(ldpn.exitCode(), 0);
        EXPECT_FALSE(ldpn.crashed());
    }
}

// The servers the configuration lists get the login's Kerberos ticket: the engine is handed the
// list; a list that is not one is refused with a line. (Negotiate itself needs a KDC.)
TEST_F(IntranetEndToEnd, TheNegotiateListReachesTheEngine)
{
    e2e::HttpServer server([](const HttpRequest &) { return html("<h1>News</h1>"); });
    struct Case
    {
        QByteArray config;
        const char *switchPart; // among the engine's switches, or null for none
    };
    for (const Case &c : {Case{"[browser]\nnegotiate = *.acme.example, intra.example\n",
                               "--auth-server-allowlist=*.acme.example,intra.example"},
                          Case{"[browser]\nnegotiate = a.example --no-sandbox\n", nullptr}}) {
        SCOPED_TRACE(c.config.toStdString());
        writeConfig(c.config);
        e2e::Background ldpn(runEnv, {server.url("/"), "/F"});
        ASSERT_TRUE(ldpn.waitForPage()) << ldpn.err().toStdString();
        // The switches the program gave the engine, as it reports them.
        QByteArray switches;
        for (const QByteArray &line : lines(ldpn.err()))
            if (line.startsWith("daypane.startup: engine switches: "))
                switches = line;
        ASSERT_FALSE(switches.isEmpty()) << ldpn.err().toStdString();
        if (c.switchPart) {
            EXPECT_TRUE(switches.contains(c.switchPart));
        } else {
            EXPECT_FALSE(switches.contains("--auth-server-allowlist"));
            EXPECT_TRUE(ldpn.err().contains("[browser] negotiate: not a list of host names"))
                << ldpn.err().toStdString();
        }
    }
}

} // namespace
