#include "components/label.h"

#include <QPainter>

namespace components {

TLabel::TLabel(QWidget *parent) : TControl(parent)
{
    adjustBounds();
}

void TLabel::setAlignment(TAlignment value)
{
    m_alignment = value;
    update();
}

void TLabel::setAutoSize(bool value)
{
    m_autoSize = value;
    adjustBounds();
}

void TLabel::setCaption(const QString &value)
{
    m_caption = value;
    adjustBounds();
    update();
}

void TLabel::setTransparent(bool value)
{
    m_transparent = value;
    update();
}

void TLabel::setWordWrap(bool value)
{
    m_wordWrap = value;
    adjustBounds();
    update();
}

void TLabel::fontChanged()
{
    adjustBounds();
    update();
}

int TLabel::textFlags() const
{
    int flags = Qt::TextShowMnemonic | Qt::AlignTop;
    if (m_wordWrap)
        flags |= Qt::TextWordWrap;
    switch (m_alignment) {
    case taRightJustify:
        flags |= Qt::AlignRight;
        break;
    case taCenter:
        flags |= Qt::AlignHCenter;
        break;
    case taLeftJustify:
        flags |= Qt::AlignLeft;
        break;
    }
    return flags;
}

void TLabel::adjustBounds()
{
    if (!m_autoSize)
        return;
    const QFontMetrics fm(font());
    const QString text = m_caption.isEmpty() ? QStringLiteral(" ") : m_caption;
    const QRect need = m_wordWrap ? fm.boundingRect(QRect(0, 0, width(), 10000), textFlags(), text)
                                  : fm.boundingRect(QRect(0, 0, 10000, 10000), textFlags(), text);
    const int w = m_wordWrap ? width() : need.width();
    const int h = std::max(need.height(), fm.height());
    // A right-justified label keeps its right edge.
    const int right = x() + width();
    resize(w, h);
    if (m_alignment == taRightJustify && !m_wordWrap)
        move(right - w, y());
}

void TLabel::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    if (!m_transparent)
        p.fillRect(rect(), backgroundColor());
    p.setFont(font());
    p.setPen(framework::toQColor(fontColor()));
    p.drawText(rect(), textFlags(), m_caption);
    paintFocusRect(p);
}

} // namespace components
