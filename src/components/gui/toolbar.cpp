#include "components/toolbar.h"

#include <QChildEvent>
#include <QPainter>

namespace components {

TToolBar::TToolBar(QWidget *parent) : TWinControl(parent)
{
    setAlign(alTop);
    setHeight(29);
}

void TToolBar::setButtonHeight(int value)
{
    m_buttonHeight = std::max(0, value);
    update();
}

void TToolBar::childEvent(QChildEvent *event)
{
    TWinControl::childEvent(event);
    // Items show once they are placed on the bar.
    if (event->added())
        if (auto *w = qobject_cast<QWidget *>(event->child()))
            w->setVisible(true);
}

void TToolBar::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), backgroundColor());
}

TToolButton::TToolButton(QWidget *parent) : TControl(parent)
{
    resize(23, 22);
}

void TToolButton::setCaption(const QString &value)
{
    m_caption = value;
    update();
}

void TToolButton::setStyle(TToolButtonStyle value)
{
    m_style = value;
    update();
}

void TToolButton::paintEvent(QPaintEvent *)
{
    if (m_style == tbsSeparator || m_style == tbsDivider)
        return; // a gap in the colour of the bar
    QPainter p(this);
    p.setPen(framework::toQColor(fontColor()));
    p.drawText(rect(), Qt::AlignCenter, m_caption);
}

} // namespace components
