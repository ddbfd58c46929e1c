// The test programs' main: with the application object their cases need (none, QtCore's or
// the widgets'), chosen when the library is built.
#include "testmain.h"

#include <gtest/gtest.h>

#if defined(DAYPANE_TEST_GUI_APP)
#include <QApplication>
#elif defined(DAYPANE_TEST_CORE_APP)
#include <QCoreApplication>
#endif

int main(int argc, char **argv)
{
#if defined(DAYPANE_TEST_GUI_APP)
    QApplication app(argc, argv);
#elif defined(DAYPANE_TEST_CORE_APP)
    QCoreApplication app(argc, argv);
#endif
    testing::InitGoogleTest(&argc, argv);
    return testsupport::runAllTests();
}
