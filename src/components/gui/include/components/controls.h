#pragma once

#include "framework/colors.h"

#include <QFont>
#include <QObject>
#include <QPainter>
#include <QWidget>
#include <algorithm>

namespace components {
Q_NAMESPACE

enum TCursor : qint16 {
    crDefault = 0,
    crNone = -1,
    crArrow = -2,
    crCross = -3,
    crIBeam = -4,
    crSizeNESW = -6,
    crSizeNS = -7,
    crSizeNWSE = -8,
    crSizeWE = -9,
    crUpArrow = -10,
    crHourGlass = -11,
    crDrag = -12,
    crNoDrop = -13,
    crHSplit = -14,
    crVSplit = -15,
    crMultiDrag = -16,
    crSQLWait = -17,
    crNo = -18,
    crAppStart = -19,
    crHelp = -20,
    crHandPoint = -21,
    crSizeAll = -22,
};
Q_ENUM_NS(TCursor)

enum TAnchorKind { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };
Q_DECLARE_FLAGS(TAnchors, TAnchorKind)
Q_FLAG_NS(TAnchors)

enum TAlign : quint8 { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
Q_ENUM_NS(TAlign)

enum TBiDiMode : quint8 {
    bdLeftToRight,
    bdRightToLeft,
    bdRightToLeftNoAlign,
    bdRightToLeftReadingOnly
};
Q_ENUM_NS(TBiDiMode)

enum TFontStyle { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
Q_DECLARE_FLAGS(TFontStyles, TFontStyle)
Q_FLAG_NS(TFontStyles)

enum TMouseButton : quint8 { mbLeft, mbRight, mbMiddle };
Q_ENUM_NS(TMouseButton)

// Shift, Alt, Ctrl and the mouse buttons as one set, in the order of the key-state flags.
enum TShiftStateKind {
    ssShift = 1,
    ssAlt = 2,
    ssCtrl = 4,
    ssLeft = 8,
    ssRight = 16,
    ssMiddle = 32
};
Q_DECLARE_FLAGS(TShiftState, TShiftStateKind)
Q_FLAG_NS(TShiftState)

TShiftState shiftStateOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons = {});

// A control's font as form descriptions store it; the colour is the text colour.
class TFont : public QObject
{
    Q_OBJECT
    Q_PROPERTY(qint32 Charset READ Charset WRITE setCharset)
    Q_PROPERTY(framework::TColor Color READ Color WRITE setColor)
    Q_PROPERTY(int Height READ Height WRITE setHeight)
    Q_PROPERTY(QString Name READ Name WRITE setName)
    Q_PROPERTY(int Size READ Size WRITE setSize)
    Q_PROPERTY(components::TFontStyles Style READ Style WRITE setStyle)
public:
    explicit TFont(QObject *owner = nullptr);

    qint32 Charset() const { return m_charset; }
    void setCharset(qint32 value);
    framework::TColor Color() const { return m_color; }
    void setColor(framework::TColor value);
    // Negative: character height in pixels; positive: cell height. At 96 dots per inch.
    int Height() const;
    void setHeight(int value);
    QString Name() const { return m_font.family(); }
    void setName(const QString &value);
    int Size() const;
    void setSize(int value);
    TFontStyles Style() const;
    void setStyle(TFontStyles value);

    const QFont &font() const { return m_font; }
    void assign(const QFont &font, framework::TColor color);

signals:
    void changed();

private:
    QFont m_font;
    framework::TColor m_color = framework::clWindowText;
    qint32 m_charset = 1;
};

// The position and size that form descriptions set by name, for a control on any widget class.
template <class Widget> class TPlaced : public Widget
{
public:
    using Widget::Widget;

    int Left() const { return this->x(); }
    void setLeft(int value) { this->move(value, this->y()); }
    int Top() const { return this->y(); }
    void setTop(int value) { this->move(this->x(), value); }
    int Width() const { return this->width(); }
    void setWidth(int value) { this->resize(std::max(0, value), this->height()); }
    int Height() const { return this->height(); }
    void setHeight(int value) { this->resize(this->width(), std::max(0, value)); }
};

// The base of the visual components: the position, colour, font, cursor and mouse events that
// form descriptions set by name. A colour or font that follows the parent is marked by
// ParentColor and ParentFont.
class TControl : public TPlaced<QWidget>
{
    Q_OBJECT
    Q_PROPERTY(int Left READ Left WRITE setLeft)
    Q_PROPERTY(int Top READ Top WRITE setTop)
    Q_PROPERTY(int Width READ Width WRITE setWidth)
    Q_PROPERTY(int Height READ Height WRITE setHeight)
    Q_PROPERTY(components::TAlign Align READ Align WRITE setAlign)
    Q_PROPERTY(components::TAnchors Anchors READ Anchors WRITE setAnchors)
    Q_PROPERTY(components::TBiDiMode BiDiMode READ BiDiMode WRITE setBiDiMode)
    Q_PROPERTY(framework::TColor Color READ Color WRITE setColor)
    Q_PROPERTY(components::TCursor Cursor READ Cursor WRITE setCursorKind)
    Q_PROPERTY(bool Enabled READ Enabled WRITE setEnabledState)
    Q_PROPERTY(components::TFont *Font READ Font WRITE setFont)
    Q_PROPERTY(QString Hint READ Hint WRITE setHint)
    Q_PROPERTY(bool ParentBiDiMode READ ParentBiDiMode WRITE setParentBiDiMode)
    Q_PROPERTY(bool ParentColor READ ParentColor WRITE setParentColor)
    Q_PROPERTY(bool ParentFont READ ParentFont WRITE setParentFont)
    Q_PROPERTY(bool ParentShowHint READ ParentShowHint WRITE setParentShowHint)
    Q_PROPERTY(bool ShowHint READ ShowHint WRITE setShowHint)
    Q_PROPERTY(int Tag READ Tag WRITE setTag)
    Q_PROPERTY(bool Visible READ Visible WRITE setVisibleState)
public:
    explicit TControl(QWidget *parent = nullptr);

    TAlign Align() const { return m_align; }
    void setAlign(TAlign value) { m_align = value; }
    TAnchors Anchors() const { return m_anchors; }
    void setAnchors(TAnchors value) { m_anchors = value; }
    TBiDiMode BiDiMode() const { return m_biDiMode; }
    void setBiDiMode(TBiDiMode value);
    framework::TColor Color() const { return m_color; }
    void setColor(framework::TColor value);
    TCursor Cursor() const { return m_cursor; }
    void setCursorKind(TCursor value);
    bool Enabled() const { return isEnabled(); }
    void setEnabledState(bool value) { setEnabled(value); }
    TFont *Font() const { return m_font; }
    void setFont(TFont *value);
    QString Hint() const { return m_hint; }
    void setHint(const QString &value);
    bool ParentBiDiMode() const { return m_parentBiDiMode; }
    void setParentBiDiMode(bool value) { m_parentBiDiMode = value; }
    bool ParentColor() const { return m_parentColor; }
    void setParentColor(bool value);
    bool ParentFont() const { return m_parentFont; }
    void setParentFont(bool value);
    bool ParentShowHint() const { return m_parentShowHint; }
    void setParentShowHint(bool value) { m_parentShowHint = value; }
    bool ShowHint() const { return m_showHint; }
    void setShowHint(bool value) { m_showHint = value; }
    int Tag() const { return m_tag; }
    void setTag(int value) { m_tag = value; }
    bool Visible() const { return m_visible; }
    void setVisibleState(bool value);

    // Components are placed by their own position and size; a layout keeps that size.
    QSize sizeHint() const override { return size(); }

    // The text colour of the font, and the background colour as RGB.
    framework::TColor fontColor() const { return m_font->Color(); }
    QColor backgroundColor() const { return framework::toQColor(m_color); }

    // A control that is not windowed but has a click handler (a link, a lamp) is reached with
    // Tab too, shows its focus, and takes Space and Enter as a click.
    bool KeyClickable() const { return m_keyClickable; }

    // The click after a left press and release over the control; also the press action of
    // assistive technology.
    virtual void Click();

signals:
    void OnClick(QObject *Sender);
    void OnDblClick(QObject *Sender);
    void OnMouseDown(QObject *Sender, components::TMouseButton Button,
                     components::TShiftState Shift, int X, int Y);
    void OnMouseUp(QObject *Sender, components::TMouseButton Button, components::TShiftState Shift,
                   int X, int Y);
    void OnMouseMove(QObject *Sender, components::TShiftState Shift, int X, int Y);
    void OnResize(QObject *Sender);

protected:
    // The parent's colour or font has changed while this control follows it.
    virtual void parentColorChanged() { update(); }
    virtual void parentFontChanged() { update(); }
    virtual void colorChanged() { update(); }
    virtual void fontChanged() { update(); }
    // A class's own default colour, which the parent's still overrides while ParentColor holds.
    void setInitialColor(framework::TColor value);

    bool event(QEvent *event) override;
    void connectNotify(const QMetaMethod &signal) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

    // The dotted focus frame on the control's edge while a key-clickable control has the focus.
    void paintFocusRect(QPainter &painter) const;

private:
    void adoptParentColor();
    void adoptParentFont();
    void notifyChildren(bool colour);

    TAlign m_align = alNone;
    TAnchors m_anchors = TAnchors(akLeft) | akTop;
    TBiDiMode m_biDiMode = bdLeftToRight;
    framework::TColor m_color = framework::clBtnFace;
    TCursor m_cursor = crDefault;
    TFont *m_font;
    QString m_hint;
    bool m_parentBiDiMode = true;
    bool m_parentColor = true;
    bool m_parentFont = true;
    bool m_parentShowHint = true;
    bool m_showHint = false;
    int m_tag = 0;
    bool m_visible = true;
    bool m_clickPending = false;
    bool m_applyingParent = false;
    bool m_keyClickable = false;
};

// A control that can take the keyboard focus.
class TWinControl : public TControl
{
    Q_OBJECT
    Q_PROPERTY(int TabOrder READ TabOrder WRITE setTabOrder)
    Q_PROPERTY(bool TabStop READ TabStop WRITE setTabStop)
public:
    explicit TWinControl(QWidget *parent = nullptr);

    int TabOrder() const { return m_tabOrder; }
    void setTabOrder(int value);
    bool TabStop() const { return m_tabStop; }
    void setTabStop(bool value);
    // Visible and enabled up to the window, and taking focus at all.
    bool CanFocus() const;

signals:
    void OnEnter(QObject *Sender);
    void OnExit(QObject *Sender);
    void OnKeyDown(QObject *Sender, int Key, components::TShiftState Shift);
    void OnKeyUp(QObject *Sender, int Key, components::TShiftState Shift);

protected:
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    // Whether a click gives the control the focus while it is not a tab stop; containers
    // (panels, bars, windows) leave it where it was.
    void setFocusOnClick(bool value);

private:
    void applyFocusPolicy();

    int m_tabOrder = -1;
    bool m_tabStop = false;
    bool m_focusOnClick = true;
};

// Windows key codes for the keys the components react to.
inline constexpr int VK_RETURN = 0x0D;
inline constexpr int VK_ESCAPE = 0x1B;
inline constexpr int VK_SPACE = 0x20;
int virtualKeyOf(int qtKey);

} // namespace components

Q_DECLARE_OPERATORS_FOR_FLAGS(components::TAnchors)
Q_DECLARE_OPERATORS_FOR_FLAGS(components::TFontStyles)
Q_DECLARE_OPERATORS_FOR_FLAGS(components::TShiftState)
