#include "framework/messagebox.h"
#include "framework/application.h"
#include "framework/boxes.h"

#include <QApplication>
#include <QMessageBox>
#include <cstdio>

// The boxes need QtWidgets; they live apart so the start-up path links without it.
namespace framework {

void showErrorMessage(const QString &message)
{
    const QString text = messageWithFullStop(message);
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    std::fflush(stderr);
    if (qobject_cast<QApplication *>(QCoreApplication::instance()) == nullptr)
        return;
    QMessageBox box(QMessageBox::Critical, applicationTitle(), text, QMessageBox::Ok);
    ownBox(&box);
    box.exec();
}

void showInformationMessage(const QString &message)
{
    if (qobject_cast<QApplication *>(QCoreApplication::instance()) == nullptr)
        return;
    QMessageBox box(QMessageBox::Information, applicationTitle(), message, QMessageBox::Ok);
    ownBox(&box);
    box.exec();
}

} // namespace framework
