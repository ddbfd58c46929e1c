#include "components/image.h"

#include "framework/drawing.h"

#include <QPainter>
#include <cmath>

namespace components {

TImage::TImage(QWidget *parent) : TControl(parent)
{
    resize(105, 105);
}

void TImage::setAutoSize(bool value)
{
    m_autoSize = value;
    pictureChanged();
}

void TImage::setPicture(const QImage &value)
{
    m_picture = value;
    pictureChanged();
}

void TImage::setTransparent(bool value)
{
    m_transparent = value;
    pictureChanged();
}

void TImage::pictureChanged()
{
    if (m_autoSize && m_picture.width() > 0 && m_picture.height() > 0)
        resize(m_picture.size()); // the top-left corner stays where it is
    if (m_picture.isNull())
        m_shown = QImage();
    else if (m_transparent)
        m_shown = framework::MaskedByColor(m_picture, framework::TransparentColorOf(m_picture));
    else
        m_shown = m_picture;
    update();
}

// Whole pixels stay sharp at whole scale factors; between them, smoothing evens out the
// pixels that would otherwise be repeated unevenly.
static void setScaling(QPainter &p, const QWidget *w)
{
    const qreal ratio = w->devicePixelRatioF();
    p.setRenderHint(QPainter::SmoothPixmapTransform, ratio != std::floor(ratio));
}

void TImage::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    if (!m_shown.isNull()) {
        setScaling(p, this);
        p.drawImage(QPoint(0, 0), m_shown);
    }
    paintFocusRect(p);
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
    setScaling(p, this);
    p.drawImage(rect(), Picture());
    paintFocusRect(p);
}

} // namespace components
