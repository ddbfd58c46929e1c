#include "components/toolbar.h"

#include <QChildEvent>
#include <QPainter>

namespace components {

TToolBar::TToolBar(QWidget *parent) : TWinControl(parent)
{
    setAlign(alTop);
    setHeight(29);
    // A click on the bar between its items leaves the focus where it is.
    setFocusOnClick(false);
}

void TToolBar::setButtonHeight(int value)
{
    m_buttonHeight = std::max(0, value);
    for (QObject *child : children())
        fitButton(child);
    update();
}

void TToolBar::fitButton(QObject *child) const
{
    // The bar's item height is the height of its tool buttons, separators included.
    if (auto *button = qobject_cast<TToolButton *>(child))
        button->setHeight(m_buttonHeight);
}

void TToolBar::childEvent(QChildEvent *event)
{
    TWinControl::childEvent(event);
    // Items show once they are placed on the bar.
    if (event->added())
        if (auto *w = qobject_cast<QWidget *>(event->child()))
            w->setVisible(true);
    // Once more when the item is polished, after its own settings, which the bar overrides.
    if (event->added() || event->polished())
        fitButton(event->child());
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
