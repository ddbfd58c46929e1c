#pragma once

#include "dpnmain.h"

#include <QWidget>

// The browser window, created in phase two when it is to be shown. It adopts the phase-one
// components of its description.
class TForm1 : public QWidget
{
    Q_OBJECT
public:
    explicit TForm1(TForm1Core *core);

    TForm1Core *core() const { return m_core; }

private:
    TForm1Core *m_core;
};
