#include "dpn.h"

#include "framework/application.h"
#include "platform/display.h"

#include <QApplication>
#include <QScreen>
#include <cstdio>
#include <memory>

namespace {

void centreOnScreen(QWidget &w)
{
    if (const QScreen *screen = w.screen()) {
        const QRect area = screen->availableGeometry();
        QRect frame = w.frameGeometry();
        frame.moveCenter(area.center());
        w.move(frame.topLeft());
    }
}

} // namespace

int runDaypane(int argc, char **argv, const StartupEnvironment &env)
{
    framework::setApplicationTitle(QStringLiteral("Daypane"));

    // Phase one: no GUI application object, no display connection.
    std::unique_ptr<TForm1Core> core;
    QString error;
    bool show = false;
    try {
        core = std::make_unique<TForm1Core>(env);
        show = core->FormCreate() == TForm1Core::Outcome::Show;
    } catch (const framework::Exception &e) {
        error = e.message();
    }
    if (error.isEmpty() && !show)
        return 0;

    // Phase two: only when a window or an error box is due.
    if (!platform::displayAvailable()) {
        if (!error.isEmpty())
            std::fprintf(stderr, "%s\n",
                         framework::messageWithFullStop(error).toLocal8Bit().constData());
        std::fprintf(stderr, "ldpn: cannot open a display to show the %s\n",
                     error.isEmpty() ? "window" : "error");
        return 1;
    }

    int qtArgc = argc > 0 ? 1 : 0; // Qt must not take the page address for one of its options
    QApplication app(qtArgc, argv);
    framework::setApplicationTitle(QStringLiteral("Daypane"));
    if (!error.isEmpty()) {
        // The window stays hidden; dismissing the box ends the program, not in order.
        framework::showErrorMessage(error);
        return 1;
    }

    auto *form = new TForm1(core.release());
    form->setAttribute(Qt::WA_DeleteOnClose);
    form->show();
    centreOnScreen(*form);
    return app.exec();
}

int main(int argc, char **argv)
{
    StartupEnvironment env;
    env.arguments = commandLineArguments(argc, argv);
    return runDaypane(argc, argv, env);
}
