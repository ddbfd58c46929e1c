#include "app/phasetwo.h"

#include "app/about.h"
#include "app/form1.h"
#include "app/singlewindow.h"
#include "framework/application.h"
#include "framework/boxes.h"
#include "framework/messagebox.h"
#include "framework/startuplog.h"
#include "framework/webview.h"
#include "platform/display.h"

#include <QApplication>
#include <QIcon>
#include <QLoggingCategory>
#include <QPixmap>
#include <QRegularExpression>
#include <QWindow>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <vector>

namespace {

// A page shown at login needs no GPU: the scene drawn in software and no OpenGL at all keep
// Mesa and its start-up out of the process, which halves the window's time and memory. What
// the user's environment chooses stays.
void preferSoftwareRendering()
{
    if (!qEnvironmentVariableIsSet("QT_QUICK_BACKEND") &&
        !qEnvironmentVariableIsSet("QSG_RHI_BACKEND"))
        qputenv("QT_QUICK_BACKEND", "software");
    if (!qEnvironmentVariableIsSet("QT_XCB_GL_INTEGRATION"))
        qputenv("QT_XCB_GL_INTEGRATION", "none");
}

// Without OpenGL, Qt and the web engine say so at every start, and the engine lists its whole
// set-up: lines in the session log of every login that shows the page, about a choice made on
// purpose. QT_LOGGING_RULES still brings the set-up back. True when Qt's notes are to be dropped.
bool quietSoftwareRendering()
{
    QLoggingCategory::setFilterRules(QStringLiteral("qt.webenginecontext.info=false"));
    return qgetenv("QT_XCB_GL_INTEGRATION") == "none";
}

bool isNoteOnSoftwareRendering(QtMsgType type, const QString &text)
{
    return type == QtWarningMsg &&
           (text.startsWith(
                QLatin1String("QXcbIntegration: Cannot create platform OpenGL context")) ||
            text.trimmed() == QLatin1String("No suitable graphics backend found"));
}

// Where a Qt platform plugin comes from on Debian, for the line that says one is missing.
QString packageOfPlugin(const QString &name)
{
    if (name.startsWith(QLatin1String("wayland")))
        return QStringLiteral("qt6-wayland");
    static const QStringList base = {QStringLiteral("xcb"),     QStringLiteral("offscreen"),
                                     QStringLiteral("minimal"), QStringLiteral("eglfs"),
                                     QStringLiteral("linuxfb"), QStringLiteral("minimalegl"),
                                     QStringLiteral("vnc"),     QStringLiteral("vkkhrdisplay")};
    return base.contains(name) ? QStringLiteral("libqt6gui6") : QString();
}

// Qt's reason for not starting, from what its platform code said before giving up: a missing
// plugin named with its package, a display it could not connect to. Its closing advice
// ("reinstalling the application may fix this") is left out unless nothing else was said.
QString platformFailureReason(const QStringList &said, const QString &fatal)
{
    static const QRegularExpression missing(
        QStringLiteral("^Could not find the Qt platform plugin \"([^\"]*)\""));
    QStringList reasons;
    for (const QString &text : said) {
        QString reason = text.trimmed();
        if (const auto m = missing.match(reason); m.hasMatch()) {
            const QString package = packageOfPlugin(m.captured(1));
            reason =
                QStringLiteral("the Qt platform plugin \"%1\" is not installed").arg(m.captured(1));
            if (!package.isEmpty())
                reason += QStringLiteral(" (package %1)").arg(package);
        } else if (reason.contains(QLatin1String("even though it was found"))) {
            continue; // follows the reason itself
        }
        if (!reason.isEmpty() && !reasons.contains(reason))
            reasons << reason;
    }
    if (reasons.isEmpty())
        reasons << fatal.section(QLatin1Char('\n'), 0, 0).trimmed();
    return reasons.join(QStringLiteral("; "));
}

// Every message of Qt in phase two passes here, in three stages of the start:
// - while the application object connects to the display, messages are held back: should the
//   connection fail, Qt's platform plugin ends the process with a fatal message (an abort and a
//   core dump). That fatal message ends it instead with the program's own lines, Qt's reason,
//   and status 1. Once connected, the held messages go on, but for the platforms of a list that
//   were tried in vain before one started;
// - when the display later closes the connection (a logout with the window up), Qt's X11
//   platform says so in a warning and ends the process with exit(1), which would run the
//   destructors of a program still in the middle of its loop. Its warning gives way to one line
//   of ours, and the process ends at once with status 1;
// - without OpenGL, Qt's notes about it are dropped.
// Everything else goes to the handler before it (or Qt's format on standard error).
class PhaseTwoLog
{
public:
    static void install(QByteArray errorLines, bool forError, bool quietRendering)
    {
        s_errorLines = std::move(errorLines);
        s_forError = forError;
        s_quietRendering = quietRendering;
        s_holding = true;
        s_previous = qInstallMessageHandler(&PhaseTwoLog::handle);
    }

    // The application object has its display: what was held goes on.
    static void connected()
    {
        std::vector<Held> held;
        {
            const std::lock_guard<std::mutex> lock(s_mutex);
            s_holding = false;
            held.swap(s_held);
        }
        for (const Held &m : held) {
            if (m.text.startsWith(QLatin1String("Could not find the Qt platform plugin")) ||
                m.text.contains(QLatin1String("even though it was found")))
                continue;
            pass(m.type, QMessageLogContext(m.file, m.line, m.function, m.category), m.text);
        }
    }

private:
    struct Held
    {
        QtMsgType type;
        const char *file; // the context's strings are literals that live as long as the program
        int line;
        const char *function;
        const char *category;
        QString text;
    };

    static void handle(QtMsgType type, const QMessageLogContext &context, const QString &text)
    {
        {
            const std::lock_guard<std::mutex> lock(s_mutex);
            if (s_holding) {
                if (type == QtFatalMsg)
                    endWithoutDisplay(text);
                s_held.push_back(
                    {type, context.file, context.line, context.function, context.category, text});
                return;
            }
        }
        if (type == QtWarningMsg && text.startsWith(QLatin1String("The X11 connection broke"))) {
            std::fputs("ldpn: the display closed its connection while the window was shown\n",
                       stderr);
            std::fflush(stderr);
            std::_Exit(1);
        }
        pass(type, context, text);
    }

    // Called with the messages held so far, which say why.
    [[noreturn]] static void endWithoutDisplay(const QString &fatal)
    {
        QStringList said;
        for (const Held &m : s_held)
            if (m.type != QtDebugMsg && m.type != QtInfoMsg)
                said << m.text;
        const QString why = platformFailureReason(said, fatal);
        std::fputs(s_errorLines.constData(), stderr);
        std::fprintf(stderr, "%s\n", noDisplayLine(s_forError, why).toLocal8Bit().constData());
        std::fflush(stderr);
        std::_Exit(1); // nothing half-built may run its destructors
    }

    static void pass(QtMsgType type, const QMessageLogContext &context, const QString &text)
    {
        if (s_quietRendering && isNoteOnSoftwareRendering(type, text))
            return;
        if (s_previous != nullptr)
            s_previous(type, context, text);
        else
            std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, text)));
    }

    static inline QtMessageHandler s_previous = nullptr;
    static inline QByteArray s_errorLines;
    static inline bool s_forError = false;
    static inline bool s_quietRendering = false;
    static inline std::mutex s_mutex;
    static inline bool s_holding = false;
    static inline std::vector<Held> s_held;
};

// Qt's arguments: the program's name, and the platform when the program chose it. The page
// address must not reach Qt, which could take it for one of its options. Kept for as long as
// the application object lives, as Qt requires.
struct QtArguments
{
    explicit QtArguments(char *program, const QByteArray &platform)
    {
        if (program != nullptr)
            m_strings << QByteArray(program);
        if (!platform.isEmpty())
            m_strings << QByteArray("-platform") << platform;
        for (QByteArray &s : m_strings)
            m_pointers.push_back(s.data());
        m_pointers.push_back(nullptr);
        argc = int(m_strings.size());
    }
    int argc = 0;
    char **argv() { return m_pointers.data(); }

private:
    QList<QByteArray> m_strings;
    std::vector<char *> m_pointers;
};

void reportShown(Records &records)
{
    qCInfo(framework::lcStartup, "window shown");
    records.action(Records::Action::Shown);
}

// Reports the first time the window reaches the screen, for whoever waits on the program and in
// the records.
class ShownReporter : public QObject
{
public:
    ShownReporter(Records &records, QObject *parent) : QObject(parent), m_records(records) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Expose && static_cast<QWindow *>(watched)->isExposed()) {
            reportShown(m_records);
            watched->removeEventFilter(this);
        }
        return false;
    }

private:
    Records &m_records;
};

int runPhaseTwo(int argc, char **argv, std::unique_ptr<TForm1Core> core, const QString &error)
{
    // The web engine, loaded from a plugin, needs contexts shared from the start; only a
    // window that shows it pays for that.
    bool quietRendering = false;
    if (error.isEmpty()) {
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
        preferSoftwareRendering();
        quietRendering = quietSoftwareRendering();
    }
    QByteArray errorLines;
    if (!error.isEmpty())
        errorLines += framework::messageWithFullStop(error).toLocal8Bit() + '\n';
    const bool forError = !error.isEmpty();
    // Looked for right before connecting: a busy X server refuses connections for a moment, and
    // one that takes them but never answers must not hang the login.
    const platform::SessionDisplays session = platform::SessionDisplays::fromEnvironment();
    const platform::PlatformChoice choice = platform::choosePlatform(session);
    if (choice.kind == platform::PlatformChoice::None) {
        const QString line = noDisplayLine(forError, choice.reason);
        std::fputs(errorLines.constData(), stderr);
        std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
        if (!forError) // a due page that nobody saw; a decision error has its own record
            core->environment().records->action(Records::Action::Error, {line, {}, {}});
        return 1;
    }
    QtArguments qtArguments(argc > 0 ? argv[0] : nullptr, choice.platform);
    PhaseTwoLog::install(errorLines, forError, quietRendering);
    QApplication app(qtArguments.argc, qtArguments.argv());
    PhaseTwoLog::connected();
    // A second start on the same display raises the window already there and ends.
    // (With the application object: its sockets need one.)
    std::optional<SingleWindow> single;
    if (!forError) {
        single.emplace(sameDisplayKey(
            choice.kind == platform::PlatformChoice::AsGiven ? session.platform : choice.platform,
            session.x11Display,
            platform::waylandSocketPath(session.waylandDisplay, session.runtimeDir)));
        if (single->raiseOther()) {
            qCInfo(framework::lcStartup, "window already shown: raised");
            return 0;
        }
    }
    // The title set in phase one now names the GUI application too.
    framework::setApplicationTitle(framework::applicationTitle());
    // The program's icon on every window, the error box's too.
    QApplication::setWindowIcon(QIcon(QPixmap::fromImage(TAboutBox::programIcon())));
    if (!error.isEmpty()) {
        // The window stays hidden; dismissing the box ends the program, not in order.
        framework::showErrorMessage(error);
        return 1;
    }
    // Wayland lets no program keep its window above the others: say so once, for the log.
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        std::fputs("ldpn: this Wayland session cannot keep the window above other windows\n",
                   stderr);

    Records &records = *core->environment().records;
    QString why;
    webview::IWebBrowserFactory *browsers =
        webview::loadWebBrowserFactory(webview::defaultPluginDirectory(), &why);
    if (browsers == nullptr) {
        records.action(Records::Action::Error, {why, {}, {}});
        framework::showErrorMessage(why);
        return 1;
    }
    webview::WebBrowserSettings settings;
    settings.keepProfile = core->environment().browser.keepProfile;
    settings.negotiateServers = core->environment().browser.negotiate;
    browsers->configure(settings);
    // The page loads while the windows are built; the window's navigation takes it over.
    browsers->preload(core->environment().argument(1));
    framework::FormReader reader;
    registerFormClasses(reader, *browsers);
    // The About box is made at the first click on a lamp: the first paint does not need it.
    // It is a box of the window, which destroys it.
    TAboutBox *about = nullptr;
    std::unique_ptr<TForm1> form;
    try {
        form = std::make_unique<TForm1>(std::move(core), reader, [&reader, &about] {
            if (about == nullptr) {
                about = new TAboutBox(reader);
                framework::ownBox(about);
            }
            return about;
        });
    } catch (const framework::Exception &e) {
        records.action(Records::Action::Error, {e.message(), {}, {}});
        framework::showErrorMessage(e.message());
        return 1;
    }
    // Every box from now on belongs to the window and stands above it.
    framework::setBoxOwner(form.get());
    if (single)
        single->setWindow(form.get());
    form->Show();
    if (QWindow *window = form->windowHandle(); window != nullptr && !window->isExposed())
        window->installEventFilter(new ShownReporter(records, form.get()));
    else
        reportShown(records);
    return app.exec();
}

} // namespace

DAYPANE_MODULE_STAMP(kPhaseTwoInterface);

extern "C" int daypane_phase_two(const PhaseTwoCall *call)
{
    std::unique_ptr<TForm1Core> core(call->core);
    return runPhaseTwo(call->argc, call->argv, std::move(core),
                       QString::fromUtf8(call->error != nullptr ? call->error : ""));
}
