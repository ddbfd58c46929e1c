#pragma once

#include "components/controls.h"

namespace components {

// A bar across the top of its window that holds the toolbar items at their stored places; its
// tool buttons take the bar's ButtonHeight.
class TToolBar : public TWinControl
{
    Q_OBJECT
    Q_PROPERTY(int ButtonHeight READ ButtonHeight WRITE setButtonHeight)
    Q_PROPERTY(int ButtonWidth READ ButtonWidth WRITE setButtonWidth)
public:
    explicit TToolBar(QWidget *parent = nullptr);

    int ButtonHeight() const { return m_buttonHeight; }
    void setButtonHeight(int value);
    int ButtonWidth() const { return m_buttonWidth; }
    void setButtonWidth(int value) { m_buttonWidth = value; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void childEvent(QChildEvent *event) override;

private:
    void fitButton(QObject *child) const;

    int m_buttonHeight = 22;
    int m_buttonWidth = 23;
};

// A toolbar item; the separators of the browser window's toolbar only keep a gap.
class TToolButton : public TControl
{
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
    Q_PROPERTY(TToolButtonStyle Style READ Style WRITE setStyle)
    Q_PROPERTY(int ImageIndex READ ImageIndex WRITE setImageIndex)
public:
    enum TToolButtonStyle : quint8 { tbsButton, tbsCheck, tbsDropDown, tbsSeparator, tbsDivider };
    Q_ENUM(TToolButtonStyle)

    explicit TToolButton(QWidget *parent = nullptr);

    QString Caption() const { return m_caption; }
    void setCaption(const QString &value);
    TToolButtonStyle Style() const { return m_style; }
    void setStyle(TToolButtonStyle value);
    int ImageIndex() const { return m_imageIndex; }
    void setImageIndex(int value) { m_imageIndex = value; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_caption;
    TToolButtonStyle m_style = tbsButton;
    int m_imageIndex = -1;
};

} // namespace components
