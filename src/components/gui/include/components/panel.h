#pragma once

#include "components/controls.h"

namespace components {

// A panel: outer and inner bevels, a border between them, and an optional single-line window
// border outside the client area.
class TCustomPanel : public TWinControl
{
    Q_OBJECT
    Q_PROPERTY(TBevelCut BevelInner READ BevelInner WRITE setBevelInner)
    Q_PROPERTY(TBevelCut BevelOuter READ BevelOuter WRITE setBevelOuter)
    Q_PROPERTY(int BevelWidth READ BevelWidth WRITE setBevelWidth)
    Q_PROPERTY(int BorderWidth READ BorderWidth WRITE setBorderWidth)
    Q_PROPERTY(TBorderStyle BorderStyle READ BorderStyle WRITE setBorderStyle)
    Q_PROPERTY(bool Ctl3D READ Ctl3D WRITE setCtl3D)
    Q_PROPERTY(bool ParentCtl3D READ ParentCtl3D WRITE setParentCtl3D)
public:
    enum TBevelCut : quint8 { bvNone, bvLowered, bvRaised, bvSpace };
    Q_ENUM(TBevelCut)
    enum TBorderStyle : quint8 { bsNone, bsSingle };
    Q_ENUM(TBorderStyle)

    explicit TCustomPanel(QWidget *parent = nullptr);

    TBevelCut BevelInner() const { return m_bevelInner; }
    void setBevelInner(TBevelCut value);
    TBevelCut BevelOuter() const { return m_bevelOuter; }
    void setBevelOuter(TBevelCut value);
    // Negative widths are taken as 0.
    int BevelWidth() const { return m_bevelWidth; }
    void setBevelWidth(int value);
    int BorderWidth() const { return m_borderWidth; }
    void setBorderWidth(int value);
    TBorderStyle BorderStyle() const { return m_borderStyle; }
    void setBorderStyle(TBorderStyle value);
    bool Ctl3D() const { return m_ctl3D; }
    void setCtl3D(bool value) { m_ctl3D = value; }
    bool ParentCtl3D() const { return m_parentCtl3D; }
    void setParentCtl3D(bool value) { m_parentCtl3D = value; }

    // The area inside the window border, in widget coordinates.
    QRect clientRect() const { return contentsRect(); }
    // The top-left and bottom-right colours of a bevel: the button highlight and shadow,
    // swapped for a lowered one.
    virtual void BevelColors(TBevelCut kind, framework::TColor &topLeft,
                             framework::TColor &bottomRight) const;

protected:
    void paintEvent(QPaintEvent *event) override;
    // The outer bevel, the border and the inner bevel, each inside the previous one.
    void paintFrames(QPainter &painter);
    // Draws the window border of bsSingle outside the client area.
    void paintBorder(QPainter &painter);

private:
    TBevelCut m_bevelInner = bvNone;
    TBevelCut m_bevelOuter = bvRaised;
    int m_bevelWidth = 1;
    int m_borderWidth = 0;
    TBorderStyle m_borderStyle = bsNone;
    bool m_ctl3D = true;
    bool m_parentCtl3D = true;
};

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

} // namespace components
