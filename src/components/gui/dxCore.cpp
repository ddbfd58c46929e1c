#include "components/dxCore.h"

#include "framework/application.h"
#include "framework/messagebox.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QDialog>
#include <QEnterEvent>
#include <QKeyEvent>
#include <QMetaMethod>
#include <QMouseEvent>
#include <cmath>

namespace components {

using framework::TColor;
using framework::TRect;

namespace {

const char *const kAbout = "Gradient controls for Daypane";

// Offers Enter, Escape and typed characters that no control took to the gradient controls of
// the window, before the window acts on them itself.
class DialogKeyFilter : public QObject
{
public:
    static constexpr const char *kName = "dxDialogKeyFilter";
    explicit DialogKeyFilter(QWidget *window) : QObject(window)
    {
        setObjectName(QLatin1String(kName));
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress || watched != parent())
            return false;
        auto *ke = static_cast<QKeyEvent *>(event);
        auto *window = static_cast<QWidget *>(parent());
        const int vk = virtualKeyOf(ke->key());
        const auto controls = window->findChildren<TdxCustomControl *>();
        QList<TdxCustomControl *> all = controls;
        if (auto *self = qobject_cast<TdxCustomControl *>(window))
            all.prepend(self);
        if (vk == VK_RETURN || vk == VK_ESCAPE) {
            for (TdxCustomControl *c : all) {
                if (c->DialogKey(vk, ke->modifiers())) {
                    ke->accept();
                    return true;
                }
            }
            return false;
        }
        QChar ch;
        if (!ke->text().isEmpty() && ke->text().at(0).isPrint())
            ch = ke->text().at(0);
        else if ((ke->key() >= Qt::Key_0 && ke->key() <= Qt::Key_9) ||
                 (ke->key() >= Qt::Key_A && ke->key() <= Qt::Key_Z))
            ch = QChar(ke->key());
        if (ch.isNull())
            return false;
        for (TdxCustomControl *c : all) {
            if (c->DialogChar(ch, ke->modifiers())) {
                ke->accept();
                return true;
            }
        }
        return false;
    }
};

} // namespace

// ---- TdxCustomComponent

TdxCustomComponent::TdxCustomComponent(QObject *owner)
    : QObject(owner), m_about(QLatin1String(kAbout))
{
}

// ---- TdxStyleManager

TdxStyleManager::TdxStyleManager(QObject *owner) : TdxCustomComponent(owner)
{
    framework::showInformationMessage(BetaNotice());
}

TdxStyleManager::~TdxStyleManager()
{
    const QList<TdxCustomControl *> controls = m_controls;
    m_controls.clear();
    for (TdxCustomControl *c : controls)
        c->update();
}

QString TdxStyleManager::BetaNotice()
{
    return QStringLiteral("The \"TdxStyleManager\" component is currently in beta state and has no "
                          "functionality yet!");
}

QString TdxStyleManager::GetVersion() const
{
    return QStringLiteral("1.0");
}

void TdxStyleManager::setTheme(TdxTheme value)
{
    if (value == m_theme)
        return;
    m_theme = value;
    for (TdxCustomControl *c : m_controls)
        c->update();
}

void TdxStyleManager::RegisterControl(TdxCustomControl *control)
{
    if (control != nullptr && !m_controls.contains(control))
        m_controls.append(control);
}

void TdxStyleManager::UnregisterControl(TdxCustomControl *control)
{
    m_controls.removeAll(control);
}

// ---- TdxCustomControl

TdxCustomControl::TdxCustomControl(QWidget *parent)
    : TWinControl(parent), m_about(QLatin1String(kAbout))
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

bool TdxCustomControl::DialogKey(int, Qt::KeyboardModifiers)
{
    return false;
}

bool TdxCustomControl::DialogChar(QChar ch, Qt::KeyboardModifiers modifiers)
{
    if (!framework::IsAccel(ch, m_caption) || !CanFocus())
        return false;
    if (!hasFocus() && !(modifiers & Qt::AltModifier))
        return false;
    Click();
    return true;
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

void TdxCustomControl::ensureDialogKeyFilter()
{
    QWidget *win = window();
    if (win->findChild<QObject *>(QLatin1String(DialogKeyFilter::kName),
                                  Qt::FindDirectChildrenOnly) == nullptr)
        new DialogKeyFilter(win);
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

// ---- shared drawing

std::vector<QRgb> GradientColors(TColor from, TColor to, int bands)
{
    const int n = std::max(2, bands);
    const qint32 f = framework::ColorToRGB(from);
    const qint32 t = framework::ColorToRGB(to);
    const int fr = framework::GetRValue(f), fg = framework::GetGValue(f),
              fb = framework::GetBValue(f);
    const double sr = (framework::GetRValue(t) - fr) / double(n - 1);
    const double sg = (framework::GetGValue(t) - fg) / double(n - 1);
    const double sb = (framework::GetBValue(t) - fb) / double(n - 1);
    std::vector<QRgb> table(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        // nearbyint follows the default rounding mode: to nearest, ties to even.
        const int r = int(std::nearbyint(fr + i * sr));
        const int g = int(std::nearbyint(fg + i * sg));
        const int b = int(std::nearbyint(fb + i * sb));
        table[std::size_t(i)] = qRgb(r, g, b);
    }
    return table;
}

void GradientFill(int w, int h, TColor from, TColor to, int bands, bool dither, QImage &target)
{
    if (w <= 0 || h <= 0) {
        target = QImage();
        return;
    }
    const int n = std::max(2, bands);
    target = QImage(w, h, QImage::Format_RGB32);
    const std::vector<QRgb> table = GradientColors(from, to, n);
    const int strip = std::min(16, w);
    const int d = h / (n - 1);
    framework::RandomSource random(0x5EED);
    for (int i = 0; i < n; ++i) {
        const int top = framework::MulDiv(i, h, n);
        const int next = framework::MulDiv(i + 1, h, n);
        const QRgb colour = table[std::size_t(i)];
        for (int y = std::max(0, top); y < std::min(h, next); ++y) {
            auto *line = reinterpret_cast<QRgb *>(target.scanLine(y));
            for (int x = 0; x < strip; ++x)
                line[x] = colour;
        }
        if (dither && i >= 1) {
            const QRgb above = table[std::size_t(i - 1)];
            for (int x = 0; x < strip; ++x) {
                for (int k = 0; k <= d; ++k) {
                    const int y = top + (k == 0 ? 0 : random.next(k));
                    if (y >= 0 && y < h)
                        reinterpret_cast<QRgb *>(target.scanLine(y))[x] = above;
                }
            }
        }
    }
    // The strip, dithering and all, is repeated across the image.
    for (int y = 0; y < h; ++y) {
        auto *line = reinterpret_cast<QRgb *>(target.scanLine(y));
        for (int x = strip; x < w; ++x)
            line[x] = line[x % 16];
    }
}

void DrawButtonText(QPainter &painter, const QString &caption, unsigned format, TRect &rect,
                    bool showAccelChar, bool enabled, const QFont &font, TColor fontColor,
                    TBiDiMode biDiMode)
{
    QString text = caption;
    if ((format & framework::DT_CALCRECT) &&
        (text.isEmpty() || (showAccelChar && text == QLatin1String("&"))))
        text += QLatin1Char(' '); // so that it still measures one line
    if (!showAccelChar)
        format |= framework::DT_NOPREFIX;
    if (biDiMode != bdLeftToRight)
        format |= framework::DT_RTLREADING;
    painter.save();
    painter.setFont(font);
    if (enabled) {
        painter.setPen(framework::toQColor(fontColor));
        framework::DrawTextA(painter, text, rect, format);
    } else {
        rect.offset(1, 1);
        painter.setPen(framework::toQColor(framework::clBtnHighlight));
        framework::DrawTextA(painter, text, rect, format);
        rect.offset(-1, -1);
        painter.setPen(framework::toQColor(framework::clBtnShadow));
        framework::DrawTextA(painter, text, rect, format);
    }
    painter.restore();
}

} // namespace components
