#include "app/phasetwo.h"

#include "app/about.h"
#include "app/form1.h"
#include "framework/application.h"
#include "framework/messagebox.h"
#include "framework/startuplog.h"
#include "framework/webbrowser.h"
#include "platform/display.h"

#include <QApplication>
#include <QIcon>
#include <QLoggingCategory>
#include <QPixmap>
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
// purpose. QT_LOGGING_RULES still brings the set-up back.
QtMessageHandler g_nextHandler = nullptr;

void dropNotesOnSoftwareRendering(QtMsgType type, const QMessageLogContext &context,
                                  const QString &text)
{
    if (type == QtWarningMsg &&
        (text.startsWith(QLatin1String("QXcbIntegration: Cannot create platform OpenGL context")) ||
         text.trimmed() == QLatin1String("No suitable graphics backend found")))
        return;
    if (g_nextHandler != nullptr)
        g_nextHandler(type, context, text);
    else
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, text)));
}

void quietSoftwareRendering()
{
    QLoggingCategory::setFilterRules(QStringLiteral("qt.webenginecontext.info=false"));
    if (qgetenv("QT_XCB_GL_INTEGRATION") == "none")
        g_nextHandler = qInstallMessageHandler(&dropNotesOnSoftwareRendering);
}

// While the application object connects to the display, Qt's messages are held back: should
// the connection fail, Qt's platform plugin ends the process with a fatal message (an abort and
// a core dump). That fatal message ends it instead with the program's own lines and status 1.
// When the connection is made, the held messages go on as usual.
class DisplayConnectionGuard
{
public:
    explicit DisplayConnectionGuard(QByteArray failureText)
    {
        s_failureText = std::move(failureText);
        s_previous = qInstallMessageHandler(&DisplayConnectionGuard::hold);
    }
    ~DisplayConnectionGuard()
    {
        qInstallMessageHandler(s_previous);
        std::vector<Held> held;
        {
            const std::lock_guard<std::mutex> lock(s_mutex);
            held.swap(s_held);
        }
        for (const Held &m : held) {
            const QMessageLogContext context(m.file, m.line, m.function, m.category);
            if (s_previous != nullptr)
                s_previous(m.type, context, m.text);
            else
                std::fprintf(stderr, "%s\n",
                             qPrintable(qFormatLogMessage(m.type, context, m.text)));
        }
    }
    DisplayConnectionGuard(const DisplayConnectionGuard &) = delete;
    DisplayConnectionGuard &operator=(const DisplayConnectionGuard &) = delete;

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

    static void hold(QtMsgType type, const QMessageLogContext &context, const QString &text)
    {
        if (type == QtFatalMsg) {
            std::fputs(s_failureText.constData(), stderr);
            std::fflush(stderr);
            std::_Exit(1); // nothing half-built may run its destructors
        }
        const std::lock_guard<std::mutex> lock(s_mutex);
        s_held.push_back(
            {type, context.file, context.line, context.function, context.category, text});
    }

    static inline QtMessageHandler s_previous = nullptr;
    static inline QByteArray s_failureText;
    static inline std::mutex s_mutex;
    static inline std::vector<Held> s_held;
};

// Reports the first time the window reaches the screen, for whoever waits on the program.
class ShownReporter : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Expose && static_cast<QWindow *>(watched)->isExposed()) {
            qCInfo(framework::lcStartup, "window shown");
            watched->removeEventFilter(this);
        }
        return false;
    }
};

} // namespace

extern "C" int daypane_phase_two(int argc, char **argv, std::unique_ptr<TForm1Core> core,
                                 const QString &error)
{
    // The web engine, loaded from a plugin, needs contexts shared from the start; only a
    // window that shows it pays for that.
    if (error.isEmpty()) {
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
        preferSoftwareRendering();
        quietSoftwareRendering();
    }
    // The display may have gone since phase one looked (a busy server refuses connections
    // for a moment): ask again, with the probe's patience, right before connecting.
    QByteArray failure;
    if (!error.isEmpty())
        failure += framework::messageWithFullStop(error).toLocal8Bit() + '\n';
    failure += noDisplayLine(!error.isEmpty()).toLocal8Bit() + '\n';
    if (!platform::displayAvailable()) {
        std::fputs(failure.constData(), stderr);
        return 1;
    }
    int qtArgc = argc > 0 ? 1 : 0; // Qt must not take the page address for one of its options
    std::optional<DisplayConnectionGuard> guard(std::in_place, failure);
    QApplication app(qtArgc, argv);
    guard.reset();
    // The title set in phase one now names the GUI application too.
    framework::setApplicationTitle(framework::applicationTitle());
    // The program's icon on every window, the error box's too.
    QApplication::setWindowIcon(QIcon(QPixmap::fromImage(TAboutBox::programIcon())));
    if (!error.isEmpty()) {
        // The window stays hidden; dismissing the box ends the program, not in order.
        framework::showErrorMessage(error);
        return 1;
    }

    QString why;
    webview::IWebBrowserFactory *browsers =
        webview::loadWebBrowserFactory(webview::defaultPluginDirectory(), &why);
    if (browsers == nullptr) {
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
    std::unique_ptr<TAboutBox> about;
    std::unique_ptr<TForm1> form;
    try {
        form = std::make_unique<TForm1>(std::move(core), reader, [&reader, &about] {
            if (about == nullptr)
                about = std::make_unique<TAboutBox>(reader);
            return about.get();
        });
    } catch (const framework::Exception &e) {
        framework::showErrorMessage(e.message());
        return 1;
    }
    form->Show();
    if (QWindow *window = form->windowHandle(); window != nullptr && !window->isExposed())
        window->installEventFilter(new ShownReporter(form.get()));
    else
        qCInfo(framework::lcStartup, "window shown");
    return app.exec();
}
