#include "components/form.h"

#include "components/button.h"
#include "framework/boxes.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QEventLoop>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <algorithm>

namespace components {
namespace {

// The form that was active last, so activation is reported once per change of form.
QPointer<TForm> &lastActive()
{
    static QPointer<TForm> form;
    return form;
}

// The form shown modally: no other form becomes active while it is open.
QPointer<TForm> &modalForm()
{
    static QPointer<TForm> form;
    return form;
}

// Where a control stands among its siblings in the focus chain: controls without a TabOrder
// (lamps, links) first, then those with one in its order, then those that never got one.
int tabRank(const QWidget *w, int &order)
{
    const QVariant v = w->property("TabOrder");
    order = v.isValid() ? v.toInt() : 0;
    if (!v.isValid())
        return 0;
    return order >= 0 ? 1 : 2;
}

void collectTabChain(const QWidget *parent, QList<QWidget *> &chain)
{
    QList<QWidget *> kids;
    for (QObject *o : parent->children())
        if (auto *w = qobject_cast<QWidget *>(o); w != nullptr && !w->isWindow())
            kids << w;
    std::stable_sort(kids.begin(), kids.end(), [](const QWidget *a, const QWidget *b) {
        int oa = 0, ob = 0;
        const int ra = tabRank(a, oa), rb = tabRank(b, ob);
        return ra != rb ? ra < rb : oa < ob;
    });
    for (QWidget *w : kids) {
        if (w->focusPolicy() != Qt::NoFocus)
            chain << w;
        // A control that hands its focus to a proxy (the web view) keeps its own chain.
        if (w->focusProxy() == nullptr)
            collectTabChain(w, chain);
    }
}

} // namespace

TForm::TForm(QWidget *parent) : TWinControl(parent)
{
    setWindowFlag(Qt::Window);
    // A click on the window's ground leaves the focus with its control.
    setFocusOnClick(false);
    setColor(framework::clBtnFace);
    setParentColor(false);
    setParentFont(false);
    applyFlags();
    applySize();
}

TForm::~TForm()
{
    if (m_modalLoop != nullptr)
        m_modalLoop->quit();
    m_modalLoop = nullptr;
}

void TForm::setBorderIcons(TBorderIcons value)
{
    m_borderIcons = value;
    applyFlags();
}

void TForm::setBorderStyle(TFormBorderStyle value)
{
    m_borderStyle = value;
    applyFlags();
    applySize();
}

void TForm::setFormStyle(TFormStyle value)
{
    m_formStyle = value;
    applyFlags();
}

void TForm::setClientHeight(int value)
{
    m_clientSize.setHeight(std::max(0, value));
    applySize();
}

void TForm::setClientWidth(int value)
{
    m_clientSize.setWidth(std::max(0, value));
    applySize();
}

void TForm::applyFlags()
{
    Qt::WindowFlags f = (m_borderStyle == bsDialog ? Qt::Dialog : Qt::Window) |
                        Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (m_borderStyle == bsNone)
        f = Qt::Window | Qt::FramelessWindowHint;
    // A caption bar has a close box whatever the description says: some window managers
    // (openbox) show one however the window asks, so asking for none would only make desktops
    // differ. Closing by it is closing by the window manager (closeEvent).
    if (m_borderStyle != bsNone)
        f |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    // A maximise box only where it works: on a window of fixed size it would do nothing.
    const bool resizable = m_borderStyle == bsSizeable || m_borderStyle == bsSizeToolWin;
    if (m_borderStyle != bsDialog) {
        if (m_borderIcons & biMinimize)
            f |= Qt::WindowMinimizeButtonHint;
        if ((m_borderIcons & biMaximize) && (resizable || m_windowState == wsMaximized))
            f |= Qt::WindowMaximizeButtonHint;
    }
    // A dialog of a window that stays on top must not fall behind it.
    const QWidget *owner = parentWidget();
    if (m_formStyle == fsStayOnTop ||
        (owner != nullptr && owner->window()->windowFlags().testFlag(Qt::WindowStaysOnTopHint)))
        f |= Qt::WindowStaysOnTopHint;
    if (f == windowFlags())
        return; // a change of flags hides and shows the window again
    const bool wasVisible = isVisible();
    setWindowFlags(f);
    if (wasVisible)
        show();
}

void TForm::applySize()
{
    const bool fixed = m_borderStyle == bsSingle || m_borderStyle == bsDialog ||
                       m_borderStyle == bsToolWindow || m_borderStyle == bsNone;
    if (fixed && m_windowState != wsMaximized) {
        setFixedSize(m_clientSize);
    } else {
        setMinimumSize(0, 0);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        if (m_windowState != wsMaximized)
            resize(m_clientSize);
    }
}

void TForm::setWindowState(TWindowState value)
{
    m_windowState = value;
    applyFlags();
    applySize();
    switch (value) {
    case wsMaximized:
        QWidget::setWindowState(Qt::WindowMaximized);
        if (screen() != nullptr && isVisible())
            setGeometry(screen()->availableGeometry());
        break;
    case wsMinimized:
        QWidget::setWindowState(Qt::WindowMinimized);
        break;
    case wsNormal:
        QWidget::setWindowState(Qt::WindowNoState);
        break;
    }
}

void TForm::setModalResult(qint32 value)
{
    m_modalResult = value;
    if (value != 0 && m_modalLoop != nullptr)
        m_modalLoop->quit();
}

QScreen *TForm::PlacementScreen() const
{
    const QWidget *over = lastActive();
    if (over == this || over == nullptr || !over->isVisible())
        over = QApplication::activeWindow();
    if (over != nullptr && over != this && over->isVisible()) {
        if (QScreen *s = QGuiApplication::screenAt(over->frameGeometry().center()))
            return s;
        return over->screen();
    }
    if (QScreen *s = QGuiApplication::screenAt(QCursor::pos()))
        return s;
    return QGuiApplication::primaryScreen();
}

void TForm::centre()
{
    // A box of another window is centred on that window.
    if (const QWidget *owner = parentWidget(); owner != nullptr && owner->isVisible()) {
        framework::centreOn(this, owner->window());
        return;
    }
    QScreen *s = PlacementScreen();
    if (s == nullptr)
        return;
    QRect frame = frameGeometry();
    frame.moveCenter(s->availableGeometry().center());
    move(frame.topLeft());
}

QList<QWidget *> TForm::TabChain() const
{
    QList<QWidget *> chain;
    collectTabChain(this, chain);
    return chain;
}

QWidget *TForm::FirstTabStop() const
{
    for (QWidget *w : TabChain()) {
        // Tab stops are the controls with a TabOrder; lamps and links are only reached by Tab.
        if (!w->property("TabOrder").isValid() || !(w->focusPolicy() & Qt::TabFocus))
            continue;
        if (w->isEnabled() && w->isVisibleTo(this))
            return w;
    }
    return nullptr;
}

void TForm::arrangeTabOrder()
{
    const QList<QWidget *> chain = TabChain();
    for (qsizetype i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(chain[i - 1], chain[i]);
}

void TForm::keyPressEvent(QKeyEvent *event)
{
    const int vk = virtualKeyOf(event->key());
    const bool plain =
        (event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)) == 0;
    if (plain && (vk == VK_RETURN || vk == VK_ESCAPE)) {
        for (TButton *b : findChildren<TButton *>()) {
            if (b->window() != this || !b->isEnabled() || !b->isVisibleTo(this))
                continue;
            if (vk == VK_RETURN ? b->Default() : b->Cancel()) {
                event->accept();
                b->click();
                return;
            }
        }
    }
    TWinControl::keyPressEvent(event);
}

void TForm::Show()
{
    show();
    raise();
    activateWindow();
}

qint32 TForm::ShowModal()
{
    m_modalResult = 0;
    setWindowModality(Qt::ApplicationModal);
    QPointer<TForm> previous = lastActive();
    QPointer<TForm> outer = modalForm();
    modalForm() = this;
    QEventLoop loop;
    m_modalLoop = &loop;
    // A handler may delete the form while its loop runs; nothing of it is touched after that.
    const QPointer<TForm> self(this);
    Show();
    if (m_modalResult == 0)
        loop.exec();
    modalForm() = outer;
    if (self == nullptr)
        return 2; // cancel
    m_modalLoop = nullptr;
    hide();
    // The window under the dialog becomes the active one again.
    if (previous != nullptr && previous != this) {
        previous->activateWindow();
        previous->activated();
    }
    return m_modalResult;
}

void TForm::activated()
{
    // A late activation event of a window that is already hidden again changes nothing.
    if (lastActive() == this || !isVisible())
        return;
    if (modalForm() != nullptr && modalForm() != this)
        return;
    lastActive() = this;
    emit OnActivate(this);
}

bool TForm::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate)
        activated();
    return TWinControl::event(event);
}

void TForm::showEvent(QShowEvent *event)
{
    TWinControl::showEvent(event);
    alignControls();
    // The window system's own show (a restore) neither moves the window nor its focus.
    if (event->spontaneous()) {
        activated();
        return;
    }
    // Centred at every showing, as a dialog opened again may have been moved meanwhile.
    if (m_windowState == wsNormal &&
        (m_position == poScreenCenter || m_position == poDesktopCenter ||
         m_position == poMainFormCenter || m_position == poOwnerFormCenter))
        centre();
    arrangeTabOrder();
    const QWidget *focused = focusWidget();
    if (focused == nullptr || !focused->isEnabled() || !focused->isVisibleTo(this))
        if (QWidget *first = FirstTabStop())
            first->setFocus(Qt::TabFocusReason);
    // Without a window manager no activation event arrives; the first show is one.
    activated();
}

void TForm::closeEvent(QCloseEvent *event)
{
    emit OnClose(this);
    if (m_modalLoop != nullptr) {
        m_modalResult = 2; // cancel
        m_modalLoop->quit();
    }
    TWinControl::closeEvent(event);
}

void TForm::resizeEvent(QResizeEvent *event)
{
    TWinControl::resizeEvent(event);
    alignControls();
}

void TForm::alignControls()
{
    QRect free = rect();
    QList<QWidget *> clients;
    for (QObject *child : children()) {
        auto *w = qobject_cast<QWidget *>(child);
        if (w == nullptr || w->isWindow())
            continue;
        const QVariant align = w->property("Align");
        if (!align.isValid())
            continue;
        switch (align.toInt()) {
        case alTop:
            w->setGeometry(free.left(), free.top(), free.width(), w->height());
            free.setTop(free.top() + w->height());
            break;
        case alBottom:
            w->setGeometry(free.left(), free.bottom() - w->height() + 1, free.width(), w->height());
            free.setBottom(free.bottom() - w->height());
            break;
        case alClient:
            clients << w;
            break;
        default:
            break;
        }
    }
    for (QWidget *w : clients)
        w->setGeometry(free);
}

void TForm::colorChanged()
{
    update();
}

void TForm::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), backgroundColor());
}

} // namespace components
