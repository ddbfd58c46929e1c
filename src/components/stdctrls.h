#pragma once

#include "components/controls.h"

#include <QPushButton>

namespace components {

// A text label: sizes itself to its caption unless AutoSize is off; a right-justified label
// keeps its right edge, so its text grows to the left.
class TLabel : public TControl
{
    Q_OBJECT
    Q_PROPERTY(TAlignment Alignment READ Alignment WRITE setAlignment)
    Q_PROPERTY(bool AutoSize READ AutoSize WRITE setAutoSize)
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
    Q_PROPERTY(bool IsControl READ IsControl WRITE setIsControl)
    Q_PROPERTY(bool Transparent READ Transparent WRITE setTransparent)
    Q_PROPERTY(bool WordWrap READ WordWrap WRITE setWordWrap)
public:
    enum TAlignment : quint8 { taLeftJustify, taRightJustify, taCenter };
    Q_ENUM(TAlignment)

    explicit TLabel(QWidget *parent = nullptr);

    TAlignment Alignment() const { return m_alignment; }
    void setAlignment(TAlignment value);
    bool AutoSize() const { return m_autoSize; }
    void setAutoSize(bool value);
    QString Caption() const { return m_caption; }
    void setCaption(const QString &value);
    // A designer's flag; it changes nothing while the program runs.
    bool IsControl() const { return m_isControl; }
    void setIsControl(bool value) { m_isControl = value; }
    bool Transparent() const { return m_transparent; }
    void setTransparent(bool value);
    bool WordWrap() const { return m_wordWrap; }
    void setWordWrap(bool value);

protected:
    void paintEvent(QPaintEvent *event) override;
    void fontChanged() override;

private:
    void adjustBounds();
    int textFlags() const;

    TAlignment m_alignment = taLeftJustify;
    bool m_autoSize = true;
    QString m_caption;
    bool m_isControl = false;
    bool m_transparent = false;
    bool m_wordWrap = false;
};

// A push button: Default takes Enter on its window; ModalResult closes a modal window.
class TButton : public QPushButton
{
    Q_OBJECT
    Q_PROPERTY(int Left READ Left WRITE setLeft)
    Q_PROPERTY(int Top READ Top WRITE setTop)
    Q_PROPERTY(int Width READ Width WRITE setWidth)
    Q_PROPERTY(int Height READ Height WRITE setHeight)
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
    Q_PROPERTY(bool Default READ Default WRITE setDefault)
    Q_PROPERTY(bool Cancel READ Cancel WRITE setCancel)
    Q_PROPERTY(qint32 ModalResult READ ModalResult WRITE setModalResult)
    Q_PROPERTY(int TabOrder READ TabOrder WRITE setTabOrder)
public:
    explicit TButton(QWidget *parent = nullptr);

    int Left() const { return x(); }
    void setLeft(int value) { move(value, y()); }
    int Top() const { return y(); }
    void setTop(int value) { move(x(), value); }
    int Width() const { return width(); }
    void setWidth(int value) { resize(std::max(0, value), height()); }
    int Height() const { return height(); }
    void setHeight(int value) { resize(width(), std::max(0, value)); }
    QString Caption() const { return text(); }
    void setCaption(const QString &value) { setText(value); }
    bool Default() const { return isDefault(); }
    bool Cancel() const { return m_cancel; }
    void setCancel(bool value) { m_cancel = value; }
    qint32 ModalResult() const { return m_modalResult; }
    void setModalResult(qint32 value) { m_modalResult = value; }
    int TabOrder() const { return m_tabOrder; }
    void setTabOrder(int value) { m_tabOrder = value; }

signals:
    void OnClick(QObject *Sender);

private:
    bool m_cancel = false;
    qint32 m_modalResult = 0;
    int m_tabOrder = -1;
};

} // namespace components
