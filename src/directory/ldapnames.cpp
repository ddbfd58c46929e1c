#include "directory/ldapnames.h"

#include <QList>
#include <optional>

namespace directory {
namespace {

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool isTypeChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.';
}

bool isSeparator(char c)
{
    return c == ',' || c == ';';
}

class DnParser
{
public:
    explicit DnParser(const QByteArray &dn) : m_dn(dn) {}

    // The typeless form, or nothing when the DN is malformed.
    std::optional<QByteArray> typeless()
    {
        QList<QByteArray> rdns;
        skipSpaces();
        if (atEnd())
            return std::nullopt;
        while (true) {
            QByteArray rdn;
            while (true) {
                const auto value = typeAndValue();
                if (!value)
                    return std::nullopt;
                if (!rdn.isEmpty())
                    rdn += '+';
                rdn += *value;
                if (peek() != '+')
                    break;
                ++m_pos;
            }
            rdns << rdn;
            if (atEnd())
                break;
            if (!isSeparator(peek()))
                return std::nullopt;
            ++m_pos;
        }
        return rdns.join('.');
    }

private:
    bool atEnd() const { return m_pos >= m_dn.size(); }
    char peek() const { return atEnd() ? '\0' : m_dn.at(m_pos); }
    void skipSpaces()
    {
        while (peek() == ' ')
            ++m_pos;
    }

    std::optional<QByteArray> typeAndValue()
    {
        skipSpaces();
        const qsizetype typeStart = m_pos;
        while (isTypeChar(peek()))
            ++m_pos;
        if (m_pos == typeStart)
            return std::nullopt;
        skipSpaces();
        if (peek() != '=')
            return std::nullopt;
        ++m_pos;
        skipSpaces();
        return value();
    }

    std::optional<QByteArray> value()
    {
        QByteArray out;
        if (peek() == '#') { // hexstring: kept as written
            const qsizetype start = m_pos++;
            while (hexValue(peek()) >= 0)
                ++m_pos;
            if ((m_pos - start) % 2 == 0 || m_pos - start < 3)
                return std::nullopt;
            out = m_dn.mid(start, m_pos - start);
            skipSpaces();
            return out;
        }
        qsizetype keep = 0; // length without trailing unescaped spaces
        while (!atEnd() && !isSeparator(peek()) && peek() != '+') {
            char c = peek();
            ++m_pos;
            if (c == '\\') {
                if (atEnd())
                    return std::nullopt;
                const int hi = hexValue(peek());
                if (hi >= 0) {
                    const int lo = hexValue(m_pos + 1 < m_dn.size() ? m_dn.at(m_pos + 1) : '\0');
                    if (lo < 0)
                        return std::nullopt;
                    c = char(hi * 16 + lo);
                    m_pos += 2;
                } else {
                    c = peek();
                    ++m_pos;
                }
                appendEscaped(out, c);
                keep = out.size();
                continue;
            }
            if (c == '"' || c == '<' || c == '>' || c == '\0')
                return std::nullopt; // must be escaped inside a value
            appendEscaped(out, c);
            if (c != ' ')
                keep = out.size();
        }
        out.truncate(keep);
        return out;
    }

    static void appendEscaped(QByteArray &out, char c)
    {
        if (c == '.' || c == '+' || c == '\\')
            out += '\\';
        out += c;
    }

    const QByteArray m_dn;
    qsizetype m_pos = 0;
};

} // namespace

QByteArray escapeFilterValue(const QByteArray &value)
{
    static const char hex[] = "0123456789abcdef";
    QByteArray out;
    out.reserve(value.size());
    for (const char ch : value) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '*' || c == '(' || c == ')' || c == '\\' || c < 0x20 || c == 0x7F) {
            out += '\\';
            out += hex[c >> 4];
            out += hex[c & 0xF];
        } else {
            out += ch;
        }
    }
    return out;
}

QByteArray expandFilter(const QString &filter, const QString &loginName)
{
    return filter.toUtf8().replace("%u", escapeFilterValue(loginName.toUtf8()));
}

QString typelessNameFromDn(const QString &dn)
{
    const auto name = DnParser(dn.toUtf8()).typeless();
    return name ? QString::fromUtf8(*name) : QString();
}

} // namespace directory
