#include "components/form.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QPainter>
#include <QPointer>
#include <QScreen>

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

} // namespace

TForm::TForm(QWidget *parent) : TWinControl(parent)
{
    setWindowFlag(Qt::Window);
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
    const bool wasVisible = isVisible();
    Qt::WindowFlags f = (m_borderStyle == bsDialog ? Qt::Dialog : Qt::Window) |
                        Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (m_borderStyle == bsNone)
        f = Qt::Window | Qt::FramelessWindowHint;
    // Without the system menu the caption bar has no close box.
    if (m_borderIcons & biSystemMenu)
        f |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (m_borderStyle != bsDialog) {
        if (m_borderIcons & biMinimize)
            f |= Qt::WindowMinimizeButtonHint;
        if (m_borderIcons & biMaximize)
            f |= Qt::WindowMaximizeButtonHint;
    }
    if (m_formStyle == fsStayOnTop)
        f |= Qt::WindowStaysOnTopHint;
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

void TForm::centre()
{
    if (const QScreen *s = screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(s->availableGeometry().center());
        move(frame.topLeft());
    }
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
    if (!m_placed) {
        m_placed = true;
        if (m_position == poScreenCenter || m_position == poDesktopCenter ||
            m_position == poMainFormCenter || m_position == poOwnerFormCenter)
            centre();
    }
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
