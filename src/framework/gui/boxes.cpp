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

// Centres its box on the owner at each show, before the box reaches the screen. A box that
// sizes itself as it is shown (a message box fits its text) is centred again at that size.
class Placement : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *box = static_cast<QWidget *>(watched);
        switch (event->type()) {
        case QEvent::Show:
            m_placing = true;
            place(box);
            break;
        case QEvent::Resize:
            // Only the box's own resizes: one the window system reports back (the size it was
            // created with, as the window manager frames it) would place it by a stale frame.
            if (m_placing && !event->spontaneous())
                place(box);
            break;
        case QEvent::Paint:
        case QEvent::Hide:
            m_placing = false; // on the screen: the user may move it now
            break;
        default:
            break;
        }
        return false;
    }

private:
    static void place(QWidget *box)
    {
        if (QWidget *over = box->parentWidget(); over != nullptr && over->isVisible())
            centreOn(box, over->window());
    }

    bool m_placing = false;
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
    // The box is placed here alone: a dialog's own placement would put it by its frame, which
    // is not known before the window manager has framed it.
    box->setAttribute(Qt::WA_Moved);
    const QString placement = QStringLiteral("daypane-box-placement");
    if (box->findChild<QObject *>(placement, Qt::FindDirectChildrenOnly) == nullptr) {
        auto *filter = new Placement(box);
        filter->setObjectName(placement);
        box->installEventFilter(filter);
    }
}

void centreOn(QWidget *window, const QWidget *over)
{
    const QRect overFrame = over->frameGeometry();
    const QRect inner = window->geometry();
    QMargins margins(inner.left() - window->frameGeometry().left(),
                     inner.top() - window->frameGeometry().top(),
                     window->frameGeometry().right() - inner.right(),
                     window->frameGeometry().bottom() - inner.bottom());
    // Frame margins are known only once the window manager has framed the window, and are
    // briefly wrong while it does: then the owner's frame is the best guess.
    const bool framed = !margins.isNull() && margins.left() >= 0 && margins.top() >= 0
                        && margins.right() >= 0 && margins.bottom() >= 0;
    if (!framed) {
        const QRect overInner = over->geometry();
        margins = QMargins(overInner.left() - overFrame.left(), overInner.top() - overFrame.top(),
                           overFrame.right() - overInner.right(),
                           overFrame.bottom() - overInner.bottom());
    }
    QRect frame = inner.marginsAdded(margins);
    frame.moveCenter(overFrame.center());
    if (const QScreen *screen = over->screen()) {
        const QRect room = screen->availableGeometry();
        frame.moveLeft(std::clamp(frame.left(), room.left(),
                                  std::max(room.left(), room.right() - frame.width() + 1)));
        frame.moveTop(std::clamp(frame.top(), room.top(),
                                 std::max(room.top(), room.bottom() - frame.height() + 1)));
    }
    // Placed by its client area: a window not yet framed may otherwise be put with its client
    // area where its frame should go.
    window->setGeometry(QRect(frame.topLeft() + QPoint(margins.left(), margins.top()), inner.size()));
}

} // namespace framework
