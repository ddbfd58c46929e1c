#pragma once

#include "components/image.h"
#include "components/panel.h"

namespace components {

// A panel that may carry a caption.
class TPanel : public TCustomPanel
{
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
public:
    explicit TPanel(QWidget *parent = nullptr);

    QString Caption() const { return m_caption; }
    void setCaption(const QString &value);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_caption;
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
