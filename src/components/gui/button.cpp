#include "components/button.h"

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

} // namespace components
