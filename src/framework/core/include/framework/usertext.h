#pragma once

#include <QString>

namespace framework {

// How much of an outside text a message repeats; the day stamp is read no further either.
inline constexpr qsizetype kEchoLimit = 64;

// An outside text (command line, file, address) as a message repeats it: control and format
// characters escaped (\0, \n, \x1b, \u202e), so that nothing reaches the session log or a
// terminal as a control sequence and a NUL cannot cut the message short, and cut after
// `limit` (kEchoLimit) characters with "...". A backslash stays as it is, so paths read as
// written. Header-only so that the web-view plugin, which links no project library, can use it.
inline QString echoUserText(const QString &text, qsizetype limit = kEchoLimit)
{
    static const char hex[] = "0123456789abcdef";
    QString out;
    out.reserve(qMin(text.size(), limit) + 3);
    qsizetype shown = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (shown == limit) {
            out += QLatin1String("...");
            break;
        }
        ++shown;
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            const char32_t code = QChar::surrogateToUcs4(c, text.at(i + 1));
            if (QChar::category(code) != QChar::Other_Format) {
                out += c;
                out += text.at(i + 1);
                ++i;
                continue;
            }
            ++i;
            out += QStringLiteral("\\U%1").arg(uint(code), 8, 16, QLatin1Char('0'));
            continue;
        }
        const char16_t u = c.unicode();
        switch (u) {
        case 0:
            out += QLatin1String("\\0");
            continue;
        case '\t':
            out += QLatin1String("\\t");
            continue;
        case '\n':
            out += QLatin1String("\\n");
            continue;
        case '\r':
            out += QLatin1String("\\r");
            continue;
        default:
            break;
        }
        if (u < 0x20 || (u >= 0x7f && u < 0xa0)) {
            out += QLatin1String("\\x");
            out += QLatin1Char(hex[u >> 4]);
            out += QLatin1Char(hex[u & 0xf]);
        } else if (c.isSurrogate() || c.category() == QChar::Other_Format ||
                   c.category() == QChar::Separator_Line ||
                   c.category() == QChar::Separator_Paragraph) {
            out += QStringLiteral("\\u%1").arg(uint(u), 4, 16, QLatin1Char('0'));
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace framework
