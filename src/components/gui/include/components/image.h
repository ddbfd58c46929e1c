#pragma once

#include "components/controls.h"

#include <QImage>

namespace components {

// A control that paints the bitmap held in Picture at its top-left corner. With AutoSize it
// takes the size of every non-empty picture; with Transparent the colour of the picture's
// bottom-left pixel is not painted, so the parent shows through.
class TImage : public TControl
{
    Q_OBJECT
    Q_PROPERTY(bool AutoSize READ AutoSize WRITE setAutoSize)
    Q_PROPERTY(QImage Picture READ Picture WRITE setPicture)
    Q_PROPERTY(bool Transparent READ Transparent WRITE setTransparent)
public:
    explicit TImage(QWidget *parent = nullptr);

    bool AutoSize() const { return m_autoSize; }
    void setAutoSize(bool value);
    QImage Picture() const { return m_picture; }
    void setPicture(const QImage &value);
    bool Transparent() const { return m_transparent; }
    void setTransparent(bool value);

protected:
    void paintEvent(QPaintEvent *event) override;
    // The picture has changed: size, transparency and a repaint.
    void pictureChanged();

private:
    QImage m_picture;
    QImage m_shown; // the picture as painted, with its transparent colour cleared
    bool m_autoSize = false;
    bool m_transparent = false;
};

// A picture that can be stretched to the control's size.
class TStretchImage : public TImage
{
    Q_OBJECT
    Q_PROPERTY(bool Stretch READ Stretch WRITE setStretch)
    Q_PROPERTY(bool IsControl READ IsControl WRITE setIsControl)
public:
    explicit TStretchImage(QWidget *parent = nullptr);

    bool Stretch() const { return m_stretch; }
    void setStretch(bool value);
    bool IsControl() const { return m_isControl; }
    void setIsControl(bool value) { m_isControl = value; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    bool m_stretch = false;
    bool m_isControl = false;
};

} // namespace components
