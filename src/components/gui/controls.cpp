#include "components/controls.h"

#include "components/accessible.h"
#include "framework/drawing.h"

#include <QApplication>
#include <QEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QResizeEvent>
#include <cmath>

namespace components {

using framework::TColor;

TShiftState shiftStateOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons)
{
    TShiftState s;
    if (modifiers & Qt::ShiftModifier)
        s |= ssShift;
    if (modifiers & Qt::AltModifier)
        s |= ssAlt;
    if (modifiers & Qt::ControlModifier)
        s |= ssCtrl;
    if (buttons & Qt::LeftButton)
        s |= ssLeft;
    if (buttons & Qt::RightButton)
        s |= ssRight;
    if (buttons & Qt::MiddleButton)
        s |= ssMiddle;
    return s;
}

int virtualKeyOf(int qtKey)
{
    switch (qtKey) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return VK_RETURN;
    case Qt::Key_Escape:
        return VK_ESCAPE;
    case Qt::Key_Space:
        return VK_SPACE;
    default:
        break;
    }
    if ((qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) || (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z))
        return qtKey; // the same codes
    return qtKey & 0xFFFF;
}

// ---- TFont

namespace {

// The windows are laid out for the Windows dialog font "MS Sans Serif" at 8 points, which Linux
// desktops do not have; their default sans is some 10 % wider and labels run into each other.
// Liberation Sans (Arimo is the same design) keeps its widths within a few pixels. The stand-in
// is this program's own choice: other programs keep their fonts. A real "MS Sans Serif", when
// installed, is still found first.
void useStandInFaces()
{
    static const bool done = [] {
        const QStringList standIns = {QStringLiteral("Liberation Sans"), QStringLiteral("Arimo")};
        for (const char *windowsFace : {"MS Sans Serif", "MS Shell Dlg", "MS Shell Dlg 2"})
            QFont::insertSubstitutions(QLatin1String(windowsFace), standIns);
        return true;
    }();
    Q_UNUSED(done);
}

} // namespace

TFont::TFont(QObject *owner) : QObject(owner)
{
    useStandInFaces();
    m_font.setFamily(QStringLiteral("MS Sans Serif"));
    m_font.setPixelSize(11);
}

void TFont::setCharset(qint32 value)
{
    m_charset = value;
    emit changed();
}

void TFont::setColor(TColor value)
{
    m_color = value;
    emit changed();
}

int TFont::Height() const
{
    return m_font.pixelSize() > 0 ? -m_font.pixelSize()
                                  : -int(std::lround(m_font.pointSizeF() * 96.0 / 72.0));
}

void TFont::setHeight(int value)
{
    // A positive height includes the internal leading; the character height is about 80 % of it.
    const int px = value < 0 ? -value : int(std::lround(value * 0.8));
    if (px > 0)
        m_font.setPixelSize(px);
    emit changed();
}

int TFont::Size() const
{
    return int(std::lround(-Height() * 72.0 / 96.0));
}

void TFont::setSize(int value)
{
    if (value > 0)
        m_font.setPixelSize(int(std::lround(value * 96.0 / 72.0)));
    emit changed();
}

TFontStyles TFont::Style() const
{
    TFontStyles s;
    if (m_font.bold())
        s |= fsBold;
    if (m_font.italic())
        s |= fsItalic;
    if (m_font.underline())
        s |= fsUnderline;
    if (m_font.strikeOut())
        s |= fsStrikeOut;
    return s;
}

void TFont::setStyle(TFontStyles value)
{
    m_font.setBold(value & fsBold);
    m_font.setItalic(value & fsItalic);
    m_font.setUnderline(value & fsUnderline);
    m_font.setStrikeOut(value & fsStrikeOut);
    emit changed();
}

void TFont::setName(const QString &value)
{
    m_font.setFamily(value);
    emit changed();
}

void TFont::assign(const QFont &font, TColor color)
{
    m_font = font;
    m_color = color;
    emit changed();
}

// ---- TControl

TControl::TControl(QWidget *parent) : TPlaced<QWidget>(parent), m_font(new TFont(this))
{
    InstallAccessibleFactory();
    connect(m_font, &TFont::changed, this, [this] {
        QWidget::setFont(m_font->font());
        if (!m_applyingParent)
            m_parentFont = false;
        fontChanged();
        notifyChildren(false);
    });
    if (parent == nullptr)
        QWidget::setFont(m_font->font());
    adoptParentColor();
    adoptParentFont();
}

void TControl::setBiDiMode(TBiDiMode value)
{
    m_biDiMode = value;
    m_parentBiDiMode = false;
    setLayoutDirection(value == bdLeftToRight ? Qt::LeftToRight : Qt::RightToLeft);
    update();
}

void TControl::setColor(TColor value)
{
    m_color = value;
    if (!m_applyingParent)
        m_parentColor = false;
    colorChanged();
    notifyChildren(true);
}

void TControl::setCursorKind(TCursor value)
{
    m_cursor = value;
    switch (value) {
    case crDefault:
        unsetCursor();
        break;
    case crNone:
        setCursor(Qt::BlankCursor);
        break;
    case crCross:
        setCursor(Qt::CrossCursor);
        break;
    case crIBeam:
        setCursor(Qt::IBeamCursor);
        break;
    case crSizeNESW:
        setCursor(Qt::SizeBDiagCursor);
        break;
    case crSizeNS:
        setCursor(Qt::SizeVerCursor);
        break;
    case crSizeNWSE:
        setCursor(Qt::SizeFDiagCursor);
        break;
    case crSizeWE:
        setCursor(Qt::SizeHorCursor);
        break;
    case crUpArrow:
        setCursor(Qt::UpArrowCursor);
        break;
    case crHourGlass:
    case crSQLWait:
        setCursor(Qt::WaitCursor);
        break;
    case crDrag:
    case crMultiDrag:
        setCursor(Qt::DragCopyCursor);
        break;
    case crNoDrop:
    case crNo:
        setCursor(Qt::ForbiddenCursor);
        break;
    case crHSplit:
        setCursor(Qt::SplitHCursor);
        break;
    case crVSplit:
        setCursor(Qt::SplitVCursor);
        break;
    case crAppStart:
        setCursor(Qt::BusyCursor);
        break;
    case crHelp:
        setCursor(Qt::WhatsThisCursor);
        break;
    case crHandPoint:
        setCursor(Qt::PointingHandCursor);
        break;
    case crSizeAll:
        setCursor(Qt::SizeAllCursor);
        break;
    default:
        setCursor(Qt::ArrowCursor);
        break;
    }
}

void TControl::setFont(TFont *value)
{
    if (value == nullptr || value == m_font)
        return;
    m_font->assign(value->font(), value->Color());
}

void TControl::setHint(const QString &value)
{
    m_hint = value;
    setToolTip(value);
}

void TControl::setParentColor(bool value)
{
    m_parentColor = value;
    if (value)
        adoptParentColor();
}

void TControl::setParentFont(bool value)
{
    m_parentFont = value;
    if (value)
        adoptParentFont();
}

void TControl::setVisibleState(bool value)
{
    m_visible = value;
    // A control without a parent would become a window of its own; it waits for one.
    if (!value)
        hide();
    else if (parentWidget() != nullptr)
        show();
}

void TControl::adoptParentColor()
{
    if (!m_parentColor || parentWidget() == nullptr)
        return;
    QWidget *parent = parentWidget();
    const QVariant v = parent->property("Color");
    TColor colour{};
    if (v.isValid() && v.metaType() == QMetaType::fromType<TColor>())
        colour = v.value<TColor>();
    else // a plain toolkit widget: the colour its background is painted in
        colour = framework::fromQColor(parent->palette().color(parent->backgroundRole()));
    if (colour == m_color)
        return;
    m_color = colour;
    parentColorChanged();
    notifyChildren(true);
}

void TControl::adoptParentFont()
{
    if (!m_parentFont || parentWidget() == nullptr)
        return;
    const QVariant v = parentWidget()->property("Font");
    auto *parentFont = v.isValid() ? v.value<TFont *>() : nullptr;
    m_applyingParent = true;
    if (parentFont != nullptr)
        m_font->assign(parentFont->font(), parentFont->Color());
    else
        m_font->assign(parentWidget()->font(), m_font->Color());
    m_applyingParent = false;
    m_parentFont = true;
    parentFontChanged();
}

void TControl::notifyChildren(bool colour)
{
    for (QObject *child : children()) {
        auto *c = qobject_cast<TControl *>(child);
        if (c == nullptr)
            continue;
        if (colour)
            c->adoptParentColor();
        else
            c->adoptParentFont();
    }
}

void TControl::setInitialColor(TColor value)
{
    m_color = value;
    adoptParentColor();
}

bool TControl::event(QEvent *event)
{
    if (event->type() == QEvent::ParentChange) {
        adoptParentColor();
        adoptParentFont();
    } else if (event->type() == QEvent::PaletteChange) {
        adoptParentColor();
    }
    return QWidget::event(event);
}

void TControl::connectNotify(const QMetaMethod &signal)
{
    TPlaced<QWidget>::connectNotify(signal);
    // Windowed controls take the focus and their keys themselves.
    if (signal == QMetaMethod::fromSignal(&TControl::OnClick) &&
        qobject_cast<TWinControl *>(this) == nullptr && !m_keyClickable) {
        m_keyClickable = true;
        setFocusPolicy(Qt::TabFocus);
    }
}

void TControl::keyPressEvent(QKeyEvent *event)
{
    const bool plain = (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) == 0;
    const int vk = virtualKeyOf(event->key());
    if (m_keyClickable && plain && !event->isAutoRepeat() && (vk == VK_SPACE || vk == VK_RETURN)) {
        event->accept();
        Click();
        return;
    }
    TPlaced<QWidget>::keyPressEvent(event);
}

void TControl::paintFocusRect(QPainter &painter) const
{
    if (m_keyClickable && hasFocus())
        framework::DrawFocusRect(painter, framework::TRect::fromQRect(rect()));
}

void TControl::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_clickPending = true;
    const TMouseButton b = event->button() == Qt::RightButton    ? mbRight
                           : event->button() == Qt::MiddleButton ? mbMiddle
                                                                 : mbLeft;
    const QPoint p = event->position().toPoint();
    emit OnMouseDown(this, b, shiftStateOf(event->modifiers(), event->buttons()), p.x(), p.y());
}

void TControl::mouseReleaseEvent(QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    const TMouseButton b = event->button() == Qt::RightButton    ? mbRight
                           : event->button() == Qt::MiddleButton ? mbMiddle
                                                                 : mbLeft;
    const bool click = event->button() == Qt::LeftButton && m_clickPending && rect().contains(p);
    if (event->button() == Qt::LeftButton)
        m_clickPending = false;
    if (click)
        Click();
    emit OnMouseUp(this, b, shiftStateOf(event->modifiers(), event->buttons()), p.x(), p.y());
}

void TControl::mouseDoubleClickEvent(QMouseEvent *event)
{
    emit OnDblClick(this);
    mousePressEvent(event);
}

void TControl::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    emit OnMouseMove(this, shiftStateOf(event->modifiers(), event->buttons()), p.x(), p.y());
}

void TControl::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    emit OnResize(this);
}

void TControl::Click()
{
    emit OnClick(this);
}

// ---- TWinControl

TWinControl::TWinControl(QWidget *parent) : TControl(parent)
{
    setFocusPolicy(Qt::ClickFocus);
}

void TWinControl::setTabOrder(int value)
{
    m_tabOrder = value;
}

void TWinControl::setTabStop(bool value)
{
    m_tabStop = value;
    applyFocusPolicy();
}

void TWinControl::setFocusOnClick(bool value)
{
    m_focusOnClick = value;
    applyFocusPolicy();
}

void TWinControl::applyFocusPolicy()
{
    // Without a tab stop a control is still focused by a click, unless it is a container.
    setFocusPolicy(m_tabStop ? Qt::StrongFocus : m_focusOnClick ? Qt::ClickFocus : Qt::NoFocus);
}

bool TWinControl::CanFocus() const
{
    if (focusPolicy() == Qt::NoFocus)
        return false;
    for (const QWidget *w = this; w != nullptr; w = w->parentWidget()) {
        if (!w->isEnabled())
            return false;
        if (w->isWindow())
            break;
        if (w->isHidden())
            return false;
    }
    return true;
}

void TWinControl::focusInEvent(QFocusEvent *event)
{
    TControl::focusInEvent(event);
    emit OnEnter(this);
}

void TWinControl::focusOutEvent(QFocusEvent *event)
{
    TControl::focusOutEvent(event);
    emit OnExit(this);
}

} // namespace components
