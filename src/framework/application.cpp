#include "application.h"

#include <QApplication>
#include <QMessageBox>
#include <cstdio>

namespace framework {
namespace {
QString &title()
{
    static QString t;
    return t;
}
} // namespace

void setApplicationTitle(const QString &t)
{
    title() = t;
    if (QCoreApplication::instance() != nullptr)
        QCoreApplication::setApplicationName(t);
}

QString applicationTitle()
{
    return title();
}

QString messageWithFullStop(const QString &message)
{
    if (!message.isEmpty() && message.back() > QLatin1Char('.'))
        return message + QLatin1Char('.');
    return message;
}

void showErrorMessage(const QString &message)
{
    const QString text = messageWithFullStop(message);
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    std::fflush(stderr);
    if (qobject_cast<QApplication *>(QCoreApplication::instance()) == nullptr)
        return;
    QMessageBox box(QMessageBox::Critical, applicationTitle(), text, QMessageBox::Ok);
    box.exec();
}

void showInformationMessage(const QString &message)
{
    if (qobject_cast<QApplication *>(QCoreApplication::instance()) == nullptr)
        return;
    QMessageBox box(QMessageBox::Information, applicationTitle(), message, QMessageBox::Ok);
    box.exec();
}

} // namespace framework
