#include "components/timeformat.h"

#include "dates/dates.h"

#include <QLocale>

namespace components {

QChar systemTimeSeparator()
{
    const QString f = QLocale::system().timeFormat(QLocale::ShortFormat);
    for (const QChar c : f) {
        if (!c.isLetter() && !c.isSpace())
            return c;
    }
    return QLatin1Char(':');
}

QString FormatDateTime(const QString &pattern, double value, QChar timeSeparator,
                       QChar dateSeparator)
{
    int hour = 0, minute = 0, second = 0, msec = 0;
    dates::DecodeTime(value, hour, minute, second, msec);
    std::int32_t year = 1899;
    std::uint16_t month = 12, day = 30;
    if (value >= dates::kFirstCalendarDay && value < dates::kPastCalendarDay)
        dates::DecodeDate(value, year, month, day);

    QString out;
    bool afterHour = false;
    const qsizetype n = pattern.size();
    qsizetype i = 0;
    auto run = [&](QChar c) {
        qsizetype k = i;
        while (k < n && pattern[k].toLower() == c)
            ++k;
        return int(k - i);
    };
    auto num = [](int v, int width) {
        return QString::number(v).rightJustified(width, QLatin1Char('0'));
    };
    while (i < n) {
        const QChar c = pattern[i];
        const QChar lc = c.toLower();
        if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            qsizetype k = i + 1;
            while (k < n && pattern[k] != c)
                out.append(pattern[k++]);
            i = k < n ? k + 1 : k;
            continue;
        }
        if (lc == QLatin1Char('h')) {
            const int len = run(lc);
            out += num(hour, len >= 2 ? 2 : 1);
            i += len;
            afterHour = true;
            continue;
        }
        if (lc == QLatin1Char('n') || (lc == QLatin1Char('m') && afterHour)) {
            const int len = run(lc);
            out += num(minute, len >= 2 ? 2 : 1);
            i += len;
            afterHour = false;
            continue;
        }
        if (lc == QLatin1Char('m')) {
            const int len = run(lc);
            out += num(month, len >= 2 ? 2 : 1);
            i += len;
            continue;
        }
        if (lc == QLatin1Char('s')) {
            const int len = run(lc);
            out += num(second, len >= 2 ? 2 : 1);
            i += len;
            continue;
        }
        if (lc == QLatin1Char('z')) {
            const int len = run(lc);
            out += num(msec, len >= 3 ? 3 : 1);
            i += len;
            continue;
        }
        if (lc == QLatin1Char('d')) {
            const int len = run(lc);
            out += num(day, len >= 2 ? 2 : 1);
            i += len;
            continue;
        }
        if (lc == QLatin1Char('y')) {
            const int len = run(lc);
            out += len <= 2 ? num(year % 100, 2) : num(year, 4);
            i += len;
            continue;
        }
        if (c == QLatin1Char(':'))
            out += timeSeparator;
        else if (c == QLatin1Char('/'))
            out += dateSeparator;
        else
            out += c;
        ++i;
    }
    return out;
}

} // namespace components
