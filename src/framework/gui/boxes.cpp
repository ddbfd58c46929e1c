#include "framework/boxes.h"

#include <QEvent>
#include <QMargins>
#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace framework {
namespace {

QPointer<QWidget> &owner()
{
    static QPointer<QWidget> window;
    return window;
}

// Centres its box on the owner at each show, before the box reaches the screen.
class Placement : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show) {
            auto *box = static_cast<QWidget *>(watched);
            if (QWidget *over = box->parentWidget(); over != nullptr && over->isVisible())
                centreOn(box, over->window());
        }
        return false;
    }
};

} // namespace

void setBoxOwner(QWidget *window)
{
    owner() = window;
}

QWidget *boxOwner()
{
    return owner();
}

void ownBox(QWidget *box)
{
    QWidget *window = owner();
    if (window == nullptr || box == nullptr || box == window)
        return;
    // A transient dialog of a window that stays on top may still be stacked below it by some
    // window managers (openbox): the box stays on top as well, and as the newer of the two it
    // comes first.
    Qt::WindowFlags flags = (box->windowFlags() & ~Qt::WindowType_Mask) | Qt::Dialog;
    flags.setFlag(Qt::WindowStaysOnTopHint,
                  window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    box->setParent(window, flags);
    if (box->findChild<Placement *>(QString(), Qt::FindDirectChildrenOnly) == nullptr)
        box->installEventFilter(new Placement(box));
}

void centreOn(QWidget *window, const QWidget *over)
{
    const QRect overFrame = over->frameGeometry();
    QRect frame = window->frameGeometry();
    if (frame == window->geometry()) {
        const QRect inner = over->geometry();
        frame = frame.marginsAdded(QMargins(inner.left() - overFrame.left(),
                                            inner.top() - overFrame.top(),
                                            overFrame.right() - inner.right(),
                                            overFrame.bottom() - inner.bottom()));
    }
    frame.moveCenter(overFrame.center());
    if (const QScreen *screen = over->screen()) {
        const QRect room = screen->availableGeometry();
        frame.moveLeft(std::clamp(frame.left(), room.left(),
                                  std::max(room.left(), room.right() - frame.width() + 1)));
        frame.moveTop(std::clamp(frame.top(), room.top(),
                                 std::max(room.top(), room.bottom() - frame.height() + 1)));
    }
    window->move(frame.topLeft());
}

} // namespace framework
