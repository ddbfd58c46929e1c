#include "components/button.h"

#include <QKeyEvent>

namespace components {

TButton::TButton(QWidget *parent) : TPlaced<QPushButton>(parent)
{
    connect(this, &QPushButton::clicked, this, [this] {
        // The window's modal result first, as a click of a push button hands it on.
        if (m_modalResult != 0 && window() != this)
            window()->setProperty("ModalResult", m_modalResult);
        emit OnClick(this);
    });
}

void TButton::keyPressEvent(QKeyEvent *event)
{
    const bool plain =
        (event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)) == 0;
    if (plain && !event->isAutoRepeat() &&
        (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        event->accept();
        click();
        return;
    }
    TPlaced<QPushButton>::keyPressEvent(event);
}

} // namespace components
