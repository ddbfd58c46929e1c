#include "components/panel.h"

#include "framework/drawing.h"

#include <QPainter>

namespace components {

TCustomPanel::TCustomPanel(QWidget *parent) : TWinControl(parent)
{
    // A click on a panel leaves the focus where it is.
    setFocusOnClick(false);
}

void TCustomPanel::setBevelInner(TBevelCut value)
{
    m_bevelInner = value;
    update();
}

void TCustomPanel::setBevelOuter(TBevelCut value)
{
    m_bevelOuter = value;
    update();
}

void TCustomPanel::setBevelWidth(int value)
{
    m_bevelWidth = std::max(0, value);
    update();
}

void TCustomPanel::setBorderWidth(int value)
{
    m_borderWidth = std::max(0, value);
    update();
}

void TCustomPanel::setBorderStyle(TBorderStyle value)
{
    m_borderStyle = value;
    // The single border is one pixel of window frame outside the client area.
    const int m = value == bsSingle ? 1 : 0;
    setContentsMargins(m, m, m, m);
    update();
}

void TCustomPanel::paintBorder(QPainter &painter)
{
    if (m_borderStyle != bsSingle)
        return;
    painter.setPen(framework::toQColor(framework::clWindowFrame));
    painter.drawRect(QRect(0, 0, width() - 1, height() - 1));
}

void TCustomPanel::BevelColors(TBevelCut kind, framework::TColor &topLeft,
                               framework::TColor &bottomRight) const
{
    const bool lowered = kind == bvLowered;
    topLeft = lowered ? framework::clBtnShadow : framework::clBtnHighlight;
    bottomRight = lowered ? framework::clBtnHighlight : framework::clBtnShadow;
}

void TCustomPanel::paintFrames(QPainter &painter)
{
    framework::TRect r = framework::TRect::fromQRect(clientRect());
    framework::TColor tl, br;
    if (m_bevelOuter != bvNone) {
        BevelColors(m_bevelOuter, tl, br);
        framework::Frame3D(painter, r, tl, br, m_bevelWidth);
    }
    framework::Frame3D(painter, r, Color(), Color(), m_borderWidth);
    if (m_bevelInner != bvNone) {
        BevelColors(m_bevelInner, tl, br);
        framework::Frame3D(painter, r, tl, br, m_bevelWidth);
    }
}

void TCustomPanel::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(clientRect(), backgroundColor());
    paintFrames(p);
    paintBorder(p);
}

TPanel::TPanel(QWidget *parent) : TCustomPanel(parent) {}

void TPanel::setCaption(const QString &value)
{
    m_caption = value;
    update();
}

void TPanel::paintEvent(QPaintEvent *event)
{
    TCustomPanel::paintEvent(event);
    if (m_caption.isEmpty())
        return;
    QPainter p(this);
    p.setFont(font());
    p.setPen(framework::toQColor(fontColor()));
    p.drawText(clientRect(), Qt::AlignCenter, m_caption);
}

} // namespace components
