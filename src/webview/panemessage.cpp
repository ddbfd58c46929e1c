#include "panemessage.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

PaneMessage::PaneMessage(QWidget *view) : QFrame(view)
{
    setObjectName(QStringLiteral("paneMessage"));
    setAutoFillBackground(true);
    setFrameShape(QFrame::NoFrame);
    auto *layout = new QVBoxLayout(this);
    layout->addStretch();
    m_text = new QLabel(this);
    m_text->setObjectName(QStringLiteral("paneMessageText"));
    m_text->setTextFormat(Qt::PlainText);
    m_text->setWordWrap(true);
    m_text->setAlignment(Qt::AlignCenter);
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(m_text);
    m_reload = new QPushButton(QStringLiteral("&Reload"), this);
    m_reload->setAutoDefault(true); // Enter presses it, as Space does
    layout->addWidget(m_reload, 0, Qt::AlignHCenter);
    layout->addStretch();
    connect(m_reload, &QPushButton::clicked, this, &PaneMessage::reloadClicked);
    hide();
}

void PaneMessage::showText(const QString &text)
{
    m_text->setText(text);
    setGeometry(parentWidget()->rect());
    show();
    raise();
    m_reload->setFocus();
}

QString PaneMessage::text() const
{
    return isHidden() ? QString() : m_text->text();
}
