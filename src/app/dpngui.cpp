#include "about.h"
#include "form1.h"
#include "framework/application.h"
#include "framework/webbrowserapi.h"
#include "phasetwo.h"

#include <QApplication>
#include <memory>

extern "C" int daypane_phase_two(int argc, char **argv, TForm1Core *coreIn, const QString &error)
{
    std::unique_ptr<TForm1Core> core(coreIn);
    // The web engine, loaded from a plugin, needs contexts shared from the start; only a
    // window that shows it pays for that.
    if (error.isEmpty())
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    int qtArgc = argc > 0 ? 1 : 0; // Qt must not take the page address for one of its options
    QApplication app(qtArgc, argv);
    // The title set in phase one now names the GUI application too.
    framework::setApplicationTitle(framework::applicationTitle());
    if (!error.isEmpty()) {
        // The window stays hidden; dismissing the box ends the program, not in order.
        framework::showErrorMessage(error);
        return 1;
    }

    QString why;
    QObject *browsers = webview::loadWebBrowserFactory(webview::defaultPluginDirectory(), &why);
    if (browsers == nullptr) {
        framework::showErrorMessage(why);
        return 1;
    }
    std::unique_ptr<TForm1> form;
    std::unique_ptr<TAboutBox> about;
    try {
        framework::FormReader reader;
        registerFormClasses(reader, browsers);
        about = std::make_unique<TAboutBox>(reader);
        form = std::make_unique<TForm1>(core.release(), reader, about.get());
    } catch (const framework::Exception &e) {
        framework::showErrorMessage(e.message());
        return 1;
    }
    form->Show();
    return app.exec();
}
