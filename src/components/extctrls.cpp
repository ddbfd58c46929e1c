#include "extctrls.h"

#include <QPainter>

namespace components {

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

TStretchImage::TStretchImage(QWidget *parent) : TImage(parent) {}

void TStretchImage::setStretch(bool value)
{
    m_stretch = value;
    update();
}

void TStretchImage::paintEvent(QPaintEvent *event)
{
    if (!m_stretch || Picture().isNull()) {
        TImage::paintEvent(event);
        return;
    }
    QPainter p(this);
    p.drawImage(rect(), Picture());
}

} // namespace components
