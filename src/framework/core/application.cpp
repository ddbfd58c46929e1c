#include "framework/application.h"

#include <QCoreApplication>
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

} // namespace framework
