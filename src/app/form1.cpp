#include "form1.h"

#include <QColor>
#include <QPalette>

TForm1::TForm1(TForm1Core *core)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowMinMaxButtonsHint | Qt::WindowStaysOnTopHint),
      m_core(core)
{
    setObjectName(QStringLiteral("Form1"));
    core->setParent(this);
    setWindowTitle(core->caption());
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0, 0, 128));
    setPalette(pal);
    setAutoFillBackground(true);
    setFixedSize(600, 335);
}
