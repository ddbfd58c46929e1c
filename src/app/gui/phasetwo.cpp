#include "app/phasetwo.h"

#include "app/about.h"
#include "app/form1.h"
#include "framework/application.h"
#include "framework/messagebox.h"
#include "framework/webbrowser.h"

#include <QApplication>
#include <QIcon>
#include <QPixmap>

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

} // namespace

extern "C" int daypane_phase_two(int argc, char **argv, std::unique_ptr<TForm1Core> core,
                                 const QString &error)
{
    // The web engine, loaded from a plugin, needs contexts shared from the start; only a
    // window that shows it pays for that.
    if (error.isEmpty()) {
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
        preferSoftwareRendering();
    }
    int qtArgc = argc > 0 ? 1 : 0; // Qt must not take the page address for one of its options
    QApplication app(qtArgc, argv);
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
    settings.keepCookies = core->environment().keepCookies;
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
    return app.exec();
}
