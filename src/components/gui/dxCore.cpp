#include "components/dxCore.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QDialog>
#include <QEnterEvent>
#include <QMetaMethod>
#include <QMouseEvent>

namespace components {

TdxCustomControl::TdxCustomControl(QWidget *parent)
    : TWinControl(parent), m_about(QLatin1String(kDxAbout))
{
    setInitialColor(framework::clWindow);
    setTabStop(true);
    setAttribute(Qt::WA_Hover, false);
    if (qApp != nullptr) {
        m_focusConnection =
            connect(qApp, &QApplication::focusChanged, this, [this](QWidget *old, QWidget *now) {
                QWidget *win = window();
                if ((old != nullptr && old->window() == win) ||
                    (now != nullptr && now->window() == win) || now == nullptr)
                    DoFocusChanged();
            });
    }
    ensureDialogKeyFilter();
}

TdxCustomControl::~TdxCustomControl()
{
    // The hooks are virtual: nothing may reach them while the object is taken apart.
    disconnect(m_focusConnection);
    disconnect(m_actionConnection);
    if (m_styleManager != nullptr)
        m_styleManager->UnregisterControl(this);
}

void TdxCustomControl::setCaption(const QString &value)
{
    if (value == m_caption)
        return;
    m_caption = value;
    DoTextChanged();
}

void TdxCustomControl::setStyleManager(TdxStyleManager *value)
{
    if (value == m_styleManager)
        return;
    if (m_styleManager != nullptr)
        m_styleManager->UnregisterControl(this);
    if (value != nullptr)
        value->RegisterControl(this);
    m_styleManager = value;
    update();
}

void TdxCustomControl::setAction(QAction *value)
{
    if (value == m_action)
        return;
    disconnect(m_actionConnection);
    m_action = value;
    if (value != nullptr)
        m_actionConnection = connect(value, &QAction::changed, this, [this] { ActionChanged(); });
    ActionChanged();
}

void TdxCustomControl::ActionChanged()
{
    if (m_action == nullptr)
        return;
    setCaption(m_action->text());
    setEnabled(m_action->isEnabled());
    setHint(m_action->toolTip());
    setVisibleState(m_action->isVisible());
    update();
}

TdxStyleManager::TdxTheme TdxCustomControl::GetTheme() const
{
    return m_styleManager != nullptr ? m_styleManager->Theme() : TdxStyleManager::WindowsXP;
}

void TdxCustomControl::NotifyFocusChanged(QWidget *window)
{
    if (window == nullptr)
        return;
    QList<TdxCustomControl *> all = window->findChildren<TdxCustomControl *>();
    if (auto *self = qobject_cast<TdxCustomControl *>(window))
        all.prepend(self);
    for (TdxCustomControl *c : all)
        c->DoFocusChanged();
}

void TdxCustomControl::Click()
{
    if (auto *dialog = qobject_cast<QDialog *>(window())) {
        if (m_modalResult != 0)
            dialog->done(m_modalResult);
    } else if (window() != this && window()->property("ModalResult").isValid()) {
        window()->setProperty("ModalResult", m_modalResult);
    }
    if (m_action != nullptr && !isSignalConnected(QMetaMethod::fromSignal(&TControl::OnClick)))
        m_action->trigger();
    else
        TWinControl::Click();
}

void TdxCustomControl::DoEnabledChanged()
{
    update();
}

void TdxCustomControl::DoFocusChanged()
{
    m_focused = hasFocus();
    if (!m_focused)
        m_pressed = false;
    QWidget *active = window()->focusWidget();
    m_activeControl = qobject_cast<TdxCustomControl *>(active) != nullptr;
    update();
}

void TdxCustomControl::DoMouseDown()
{
    if (!hasFocus() && CanFocus())
        setFocus(Qt::MouseFocusReason);
    m_pressed = true;
    update();
}

void TdxCustomControl::DoMouseEnter()
{
    m_hot = true;
    update();
    emit OnMouseEnter(this);
}

void TdxCustomControl::DoMouseLeave()
{
    m_hot = false;
    update();
    emit OnMouseLeave(this);
}

void TdxCustomControl::DoMouseUp(const QPoint &globalCursor)
{
    m_pressed = false;
    update();
    auto *under = qobject_cast<TdxCustomControl *>(QApplication::widgetAt(globalCursor));
    if (under != nullptr && under != this)
        under->pointerEntered();
}

void TdxCustomControl::pointerEntered()
{
    if (m_pointerInside)
        return;
    m_pointerInside = true;
    DoMouseEnter();
}

void TdxCustomControl::pointerLeft()
{
    if (!m_pointerInside)
        return;
    m_pointerInside = false;
    DoMouseLeave();
}

void TdxCustomControl::DoParentColorChanged()
{
    update();
}

void TdxCustomControl::DoTextChanged()
{
    update();
}

QPoint TdxCustomControl::cursorPos() const
{
    return QCursor::pos();
}

bool TdxCustomControl::event(QEvent *event)
{
    if (event->type() == QEvent::ParentChange)
        ensureDialogKeyFilter();
    return TWinControl::event(event);
}

void TdxCustomControl::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::EnabledChange)
        DoEnabledChanged();
    TWinControl::changeEvent(event);
}

void TdxCustomControl::enterEvent(QEnterEvent *event)
{
    pointerEntered();
    TWinControl::enterEvent(event);
}

void TdxCustomControl::leaveEvent(QEvent *event)
{
    pointerLeft();
    TWinControl::leaveEvent(event);
}

void TdxCustomControl::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        m_mouseDown = true;
        DoMouseDown();
    }
    TWinControl::mousePressEvent(event);
}

void TdxCustomControl::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_mouseDown) {
        m_mouseDown = false;
        DoMouseUp(event->globalPosition().toPoint());
    }
    TWinControl::mouseReleaseEvent(event);
}

void TdxCustomControl::mouseMoveEvent(QMouseEvent *event)
{
    // While the button is held the toolkit keeps the pointer with this control and reports
    // neither leaving nor coming back; the control tells them from the pointer's place.
    if (m_mouseDown) {
        if (rect().contains(event->position().toPoint()))
            pointerEntered();
        else
            pointerLeft();
    }
    DoMouseMove();
    TWinControl::mouseMoveEvent(event);
}

void TdxCustomControl::mouseDoubleClickEvent(QMouseEvent *event)
{
    // Double clicks are not taken as such: the second press is an ordinary one.
    mousePressEvent(event);
}

void TdxCustomControl::resizeEvent(QResizeEvent *event)
{
    DoSizeChanged();
    TWinControl::resizeEvent(event);
}

void TdxCustomControl::focusInEvent(QFocusEvent *event)
{
    DoFocusChanged();
    TWinControl::focusInEvent(event);
}

void TdxCustomControl::focusOutEvent(QFocusEvent *event)
{
    DoFocusChanged();
    TWinControl::focusOutEvent(event);
}

} // namespace components
