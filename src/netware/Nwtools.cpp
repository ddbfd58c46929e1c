#include "netware/Nwtools.h"

#include <algorithm>
#include <cstring>

namespace nw {

QString TrimBlanks(const QString &text)
{
    qsizetype end = text.size();
    while (end > 0) {
        const char16_t c = text.at(end - 1).unicode();
        if (c != 0 && c != 1 && c != 2 && c != 32)
            break;
        --end;
    }
    qsizetype begin = 0;
    while (begin < end && text.at(begin) == QLatin1Char(' '))
        ++begin;
    return text.mid(begin, end - begin);
}

double NDSTimeToDateTime(std::uint32_t seconds)
{
    const std::uint32_t days = seconds / 86400;
    const std::uint32_t rest = seconds - days * 86400;
    return 25569.0 + days + rest / 86400.0;
}

QString ErrorText(std::uint32_t cell)
{
    return QString::number(cell, 16).toUpper().rightJustified(4, QLatin1Char('0'));
}

QString UpperAscii(const QString &text)
{
    QString up = text;
    for (QChar &c : up)
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            c = QChar(c.unicode() - 'a' + 'A');
    return up;
}

void PutText(char *buffer, std::size_t size, const QString &text)
{
    if (size == 0)
        return;
    const QByteArray bytes = text.toLocal8Bit();
    const std::size_t n = std::min<std::size_t>(std::size_t(bytes.size()), size - 1);
    std::memset(buffer, 0, size);
    std::memcpy(buffer, bytes.constData(), n);
}

QString TakeText(char *buffer, std::size_t size)
{
    if (size == 0)
        return {};
    buffer[size - 1] = '\0';
    return QString::fromLocal8Bit(buffer, qsizetype(std::strlen(buffer)));
}

} // namespace nw
