#include "directory/generalizedtime.h"

#include <cmath>

namespace directory {
namespace {

// A continuous count of days into the date-time encoding: before day 0 the time of day is
// stored as a negative fraction.
dates::TDateTime encoded(double linear)
{
    const double day = std::floor(linear);
    return day >= 0 ? linear : day - (linear - day);
}

class Cursor
{
public:
    explicit Cursor(QByteArrayView text) : m_text(text) {}
    bool atEnd() const { return m_pos >= m_text.size(); }
    char peek() const { return atEnd() ? '\0' : m_text.at(m_pos); }
    bool digitAhead() const { return peek() >= '0' && peek() <= '9'; }
    void skip() { ++m_pos; }
    // Exactly n digits, or nothing.
    std::optional<int> number(int n)
    {
        if (m_pos + n > m_text.size())
            return std::nullopt;
        int v = 0;
        for (int i = 0; i < n; ++i) {
            const char c = m_text.at(m_pos + i);
            if (c < '0' || c > '9')
                return std::nullopt;
            v = v * 10 + (c - '0');
        }
        m_pos += n;
        return v;
    }

private:
    QByteArrayView m_text;
    qsizetype m_pos = 0;
};

int daysInMonth(int year, int month)
{
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && dates::IsLeapYear(year) ? 29 : days[month - 1];
}

} // namespace

std::optional<dates::TDateTime> parseGeneralizedTime(QByteArrayView text)
{
    Cursor c(text);
    const auto year = c.number(4);
    const auto month = c.number(2);
    const auto day = c.number(2);
    const auto hour = c.number(2);
    if (!year || !month || !day || !hour)
        return std::nullopt;
    if (*year < 1 || *month < 1 || *month > 12 || *day < 1 || *day > daysInMonth(*year, *month) ||
        *hour > 23)
        return std::nullopt;
    int minute = 0, second = 0;
    double unit = 3600; // the fraction belongs to the last unit given
    if (c.digitAhead()) {
        const auto m = c.number(2);
        if (!m || *m > 59)
            return std::nullopt;
        minute = *m;
        unit = 60;
        if (c.digitAhead()) {
            const auto s = c.number(2);
            if (!s || *s > 60) // 60: a leap second
                return std::nullopt;
            second = *s;
            unit = 1;
        }
    }
    double fraction = 0;
    if (c.peek() == '.' || c.peek() == ',') {
        c.skip();
        if (!c.digitAhead())
            return std::nullopt;
        double scale = 0.1;
        for (; c.digitAhead(); c.skip(), scale /= 10)
            if (scale > 1e-12) // finer than any clock; the rest only needs to be digits
                fraction += (c.peek() - '0') * scale;
    }
    int offset = 0;
    if (c.peek() == 'Z') {
        c.skip();
    } else if (c.peek() == '+' || c.peek() == '-') {
        const int sign = c.peek() == '-' ? -1 : 1;
        c.skip();
        const auto oh = c.number(2);
        if (!oh || *oh > 23)
            return std::nullopt;
        int om = 0;
        if (!c.atEnd()) {
            const auto m = c.number(2);
            if (!m || *m > 59)
                return std::nullopt;
            om = *m;
        }
        offset = sign * (*oh * 3600 + om * 60);
    } else {
        return std::nullopt; // local time of an unknown zone
    }
    if (!c.atEnd())
        return std::nullopt;

    const double midnight = dates::EncodeDate(*year, std::uint16_t(*month), std::uint16_t(*day));
    const double seconds = *hour * 3600.0 + minute * 60.0 + second + fraction * unit - offset;
    return encoded(midnight + seconds / 86400.0);
}

dates::TDateTime unixTimeToDateTime(qint64 seconds)
{
    const qint64 days = seconds / 86400; // truncates toward zero
    const qint64 rest = seconds - days * 86400;
    return encoded(25569.0 + double(days) + double(rest) / 86400.0);
}

} // namespace directory
