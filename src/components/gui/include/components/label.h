#pragma once

#include "components/controls.h"

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

} // namespace components
