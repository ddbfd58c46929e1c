#include "app/startupenvironment.h"

QString StartupEnvironment::argument(int position) const
{
    return position >= 1 && position <= arguments.size() ? arguments.at(position - 1) : QString();
}

QStringList commandLineArguments(int argc, const char *const *argv)
{
    QStringList args;
    for (int i = 1; i < argc && i <= 3; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    return args;
}

QString upperAscii(const QString &text)
{
    QString up = text;
    for (QChar &c : up)
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            c = QChar(c.unicode() - 'a' + 'A');
    return up;
}
