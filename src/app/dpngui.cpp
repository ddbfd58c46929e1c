#include "form1.h"
#include "framework/application.h"
#include "phasetwo.h"

#include <QApplication>
#include <QScreen>
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

extern "C" int daypane_phase_two(int argc, char **argv, TForm1Core *coreIn, const QString &error)
{
    std::unique_ptr<TForm1Core> core(coreIn);
    int qtArgc = argc > 0 ? 1 : 0; // Qt must not take the page address for one of its options
    QApplication app(qtArgc, argv);
    framework::setApplicationTitle(framework::applicationTitle());
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
