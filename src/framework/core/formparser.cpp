#include "framework/formdescription.h"

#include <QFile>
#include <cmath>

namespace framework {

EFormError::EFormError(const QString &resource, int line, const QString &name,
                       const QString &detail)
    : Exception(
          QStringLiteral("Error reading %1, line %2: %3").arg(resource).arg(line).arg(detail)),
      m_resource(resource), m_line(line), m_name(name)
{
}

namespace {

// Deep enough for any real form; keeps hostile input from exhausting the stack.
constexpr int kMaxNesting = 64;

bool isIdentStart(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}
bool isIdentChar(char c)
{
    return isIdentStart(c) || (c >= '0' && c <= '9');
}
bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}
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

struct Token
{
    enum Type { End, Ident, Integer, Float, String, Symbol };
    Type type = End;
    int line = 1;
    QString text; // Ident, String; the symbol for Symbol
    qint64 integer = 0;
    double number = 0.0;
};

class Parser
{
public:
    Parser(const QByteArray &text, const QString &resource) : m_text(text), m_resource(resource)
    {
        next();
    }

    FormObject parseRoot()
    {
        FormObject root = parseObject(0);
        if (m_token.type != Token::End)
            fail(m_token.text,
                 QStringLiteral("unexpected %1 after the final \"end\"").arg(describe()));
        return root;
    }

private:
    [[noreturn]] void fail(const QString &name, const QString &detail) const
    {
        throw EFormParseError(m_resource, m_token.line, name, detail);
    }
    [[noreturn]] void failAt(int line, const QString &name, const QString &detail) const
    {
        throw EFormParseError(m_resource, line, name, detail);
    }

    bool isKeyword(const char *word) const
    {
        return m_token.type == Token::Ident &&
               m_token.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
    }
    bool isSymbol(char c) const
    {
        return m_token.type == Token::Symbol && m_token.text == QLatin1Char(c);
    }
    void expectSymbol(char c)
    {
        if (!isSymbol(c))
            fail(
                m_token.text,
                QStringLiteral("\"%1\" expected but %2 found").arg(QLatin1Char(c)).arg(describe()));
        next();
    }
    QString expectIdent(const QString &what)
    {
        if (m_token.type != Token::Ident)
            fail(m_token.text, QStringLiteral("%1 expected but %2 found").arg(what, describe()));
        QString text = m_token.text;
        next();
        return text;
    }
    QString describe() const
    {
        switch (m_token.type) {
        case Token::End:
            return QStringLiteral("end of text");
        case Token::String:
            return QStringLiteral("a text");
        case Token::Integer:
        case Token::Float:
            return QStringLiteral("a number");
        default:
            return QStringLiteral("\"%1\"").arg(m_token.text);
        }
    }

    FormObject parseObject(int depth)
    {
        if (depth >= kMaxNesting)
            fail(m_token.text, QStringLiteral("objects nested too deeply"));
        if (!isKeyword("object") && !isKeyword("inherited") && !isKeyword("inline"))
            fail(m_token.text, QStringLiteral("\"object\" expected but %1 found").arg(describe()));
        FormObject object;
        object.line = m_token.line;
        next();
        QString first = expectIdent(QStringLiteral("a component name"));
        if (isSymbol(':')) {
            next();
            object.name = first;
            object.className = expectIdent(QStringLiteral("a class name"));
        } else {
            object.className = first; // an unnamed component
        }
        if (object.name.contains(QLatin1Char('.')) || object.className.contains(QLatin1Char('.')))
            failAt(object.line, object.name.isEmpty() ? object.className : object.name,
                   QStringLiteral("a component or class name cannot hold a dot"));
        while (!isKeyword("end")) {
            if (m_token.type == Token::End)
                fail(object.name, QStringLiteral("\"end\" of %1 expected but end of text found")
                                      .arg(object.name.isEmpty() ? object.className : object.name));
            if (isKeyword("object") || isKeyword("inherited") || isKeyword("inline")) {
                object.children.push_back(parseObject(depth + 1));
                continue;
            }
            if (m_token.type != Token::Ident)
                fail(m_token.text,
                     QStringLiteral("a property name expected but %1 found").arg(describe()));
            if (!object.children.empty())
                fail(m_token.text,
                     QStringLiteral("property %1 stands after a child object").arg(m_token.text));
            FormProperty property;
            property.line = m_token.line;
            property.name = m_token.text;
            next();
            expectSymbol('=');
            property.value = parseValue();
            object.properties.push_back(std::move(property));
        }
        next();
        return object;
    }

    QString parseStringSum()
    {
        QString text = m_token.text;
        next();
        while (isSymbol('+')) {
            next();
            if (m_token.type != Token::String)
                fail(m_token.text,
                     QStringLiteral("a text expected after \"+\" but %1 found").arg(describe()));
            text += m_token.text;
            next();
        }
        return text;
    }

    FormValue parseValue()
    {
        FormValue value;
        switch (m_token.type) {
        case Token::Integer:
            value.kind = FormValue::Kind::Integer;
            value.integer = m_token.integer;
            next();
            return value;
        case Token::Float:
            value.kind = FormValue::Kind::Float;
            value.number = m_token.number;
            next();
            return value;
        case Token::String:
            value.kind = FormValue::Kind::String;
            value.text = parseStringSum();
            return value;
        case Token::Ident:
            if (isKeyword("end") || isKeyword("object"))
                fail(m_token.text, QStringLiteral("a value expected but %1 found").arg(describe()));
            value.kind = FormValue::Kind::Identifier;
            value.text = m_token.text;
            next();
            return value;
        case Token::End:
            fail(QString(), QStringLiteral("a value expected but end of text found"));
        case Token::Symbol:
            break;
        }
        if (isSymbol('[')) {
            value.kind = FormValue::Kind::Set;
            next();
            if (!isSymbol(']')) {
                for (;;) {
                    value.items.append(expectIdent(QStringLiteral("a set element")));
                    if (!isSymbol(','))
                        break;
                    next();
                }
            }
            expectSymbol(']');
            return value;
        }
        if (isSymbol('(')) {
            value.kind = FormValue::Kind::StringList;
            next();
            while (!isSymbol(')')) {
                if (m_token.type != Token::String)
                    fail(m_token.text,
                         QStringLiteral("a text or \")\" expected but %1 found").arg(describe()));
                value.items.append(parseStringSum());
            }
            next();
            return value;
        }
        if (isSymbol('{')) {
            value.kind = FormValue::Kind::Binary;
            value.data = readBinary();
            next();
            return value;
        }
        if (isSymbol('<'))
            fail(m_token.text, QStringLiteral("collections (\"<\") are not supported"));
        fail(m_token.text, QStringLiteral("a value expected but %1 found").arg(describe()));
    }

    // The "{" has just been read; reads hex digit pairs up to the closing "}".
    QByteArray readBinary()
    {
        QByteArray data;
        int high = -1;
        while (m_pos < m_text.size()) {
            const char c = m_text.at(m_pos++);
            if (c == '}') {
                m_token.line = m_line;
                if (high >= 0)
                    fail(QString(), QStringLiteral("binary data holds an odd number of digits"));
                return data;
            }
            if (c == '\n') {
                ++m_line;
                continue;
            }
            if (c == ' ' || c == '\t' || c == '\r')
                continue;
            const int digit = hexValue(c);
            if (digit < 0) {
                m_token.line = m_line;
                fail(QString(), QStringLiteral("invalid character in binary data"));
            }
            if (high < 0) {
                high = digit;
            } else {
                data.append(char(high * 16 + digit));
                high = -1;
            }
        }
        m_token.line = m_line;
        fail(QString(), QStringLiteral("binary data without its closing \"}\""));
    }

    void skipBlanks()
    {
        while (m_pos < m_text.size()) {
            const char c = m_text.at(m_pos);
            if (c == '\n')
                ++m_line;
            else if (c != ' ' && c != '\t' && c != '\r' && c != '\f' && c != '\v')
                break;
            ++m_pos;
        }
    }

    void next()
    {
        skipBlanks();
        m_token = Token();
        m_token.line = m_line;
        if (m_pos >= m_text.size())
            return;
        const char c = m_text.at(m_pos);
        if (isIdentStart(c)) {
            readIdent();
        } else if (isDigit(c) || c == '$' ||
                   ((c == '-' || c == '+') && m_pos + 1 < m_text.size() &&
                    (isDigit(m_text.at(m_pos + 1)) || m_text.at(m_pos + 1) == '$'))) {
            readNumber();
        } else if (c == '\'' || c == '#') {
            readString();
        } else if (QByteArrayView("=:[](){}<>,+;").contains(c)) {
            m_token.type = Token::Symbol;
            m_token.text = QString(QLatin1Char(c));
            ++m_pos;
        } else {
            m_token.type = Token::Symbol;
            m_token.text = QString::fromLatin1("\\x%1").arg(uchar(c), 2, 16, QLatin1Char('0'));
            fail(m_token.text, QStringLiteral("unexpected character %1").arg(m_token.text));
        }
    }

    void readIdent()
    {
        const qsizetype start = m_pos;
        for (;;) {
            while (m_pos < m_text.size() && isIdentChar(m_text.at(m_pos)))
                ++m_pos;
            if (m_pos < m_text.size() && m_text.at(m_pos) == '.') {
                if (m_pos + 1 >= m_text.size() || !isIdentStart(m_text.at(m_pos + 1)))
                    fail(QString::fromLatin1(m_text.mid(start, m_pos - start)),
                         QStringLiteral("a name expected after \"%1.\"")
                             .arg(QString::fromLatin1(m_text.mid(start, m_pos - start))));
                ++m_pos;
                continue;
            }
            break;
        }
        m_token.type = Token::Ident;
        m_token.text = QString::fromLatin1(m_text.mid(start, m_pos - start));
    }

    void readNumber()
    {
        const qsizetype start = m_pos;
        bool negative = false;
        if (m_text.at(m_pos) == '-' || m_text.at(m_pos) == '+')
            negative = m_text.at(m_pos++) == '-';
        if (m_text.at(m_pos) == '$') {
            ++m_pos;
            quint64 value = 0;
            int digits = 0;
            while (m_pos < m_text.size() && hexValue(m_text.at(m_pos)) >= 0) {
                if (++digits > 16)
                    fail(QString(), QStringLiteral("number out of range"));
                value = value * 16 + quint64(hexValue(m_text.at(m_pos++)));
            }
            if (digits == 0)
                fail(QString(), QStringLiteral("hexadecimal digits expected after \"$\""));
            // 16 hex digits spell the two's complement of a 64-bit value.
            m_token.type = Token::Integer;
            m_token.integer = negative ? qint64(0 - value) : qint64(value);
            checkNumberEnd(start);
            return;
        }
        while (m_pos < m_text.size() && isDigit(m_text.at(m_pos)))
            ++m_pos;
        bool isFloat = false;
        if (m_pos + 1 < m_text.size() && m_text.at(m_pos) == '.' && isDigit(m_text.at(m_pos + 1))) {
            isFloat = true;
            ++m_pos;
            while (m_pos < m_text.size() && isDigit(m_text.at(m_pos)))
                ++m_pos;
        }
        if (m_pos < m_text.size() && (m_text.at(m_pos) == 'e' || m_text.at(m_pos) == 'E')) {
            qsizetype p = m_pos + 1;
            if (p < m_text.size() && (m_text.at(p) == '+' || m_text.at(p) == '-'))
                ++p;
            if (p < m_text.size() && isDigit(m_text.at(p))) {
                isFloat = true;
                m_pos = p;
                while (m_pos < m_text.size() && isDigit(m_text.at(m_pos)))
                    ++m_pos;
            }
        }
        const QByteArray text = m_text.mid(start, m_pos - start);
        bool ok = false;
        if (isFloat) {
            m_token.type = Token::Float;
            m_token.number = text.toDouble(&ok);
            if (!ok || !std::isfinite(m_token.number))
                fail(QString::fromLatin1(text),
                     QStringLiteral("invalid number %1").arg(QString::fromLatin1(text)));
        } else {
            m_token.type = Token::Integer;
            m_token.integer = text.toLongLong(&ok);
            if (!ok)
                fail(QString::fromLatin1(text),
                     QStringLiteral("number %1 out of range").arg(QString::fromLatin1(text)));
        }
        checkNumberEnd(start);
    }

    void checkNumberEnd(qsizetype start)
    {
        if (m_pos < m_text.size() && (isIdentChar(m_text.at(m_pos)) || m_text.at(m_pos) == '.')) {
            while (m_pos < m_text.size() && isIdentChar(m_text.at(m_pos)))
                ++m_pos;
            const QString text = QString::fromLatin1(m_text.mid(start, m_pos - start));
            fail(text, QStringLiteral("invalid number %1").arg(text));
        }
    }

    // Quoted stretches ('' for a quote) and #nnn / #$hh character codes, adjacent.
    void readString()
    {
        QString text;
        for (;;) {
            if (m_pos >= m_text.size())
                break;
            const char c = m_text.at(m_pos);
            if (c == '\'') {
                ++m_pos;
                QByteArray raw;
                for (;;) {
                    if (m_pos >= m_text.size() || m_text.at(m_pos) == '\n' ||
                        m_text.at(m_pos) == '\r')
                        fail(QString(), QStringLiteral("unterminated text"));
                    const char d = m_text.at(m_pos++);
                    if (d == '\'') {
                        if (m_pos < m_text.size() && m_text.at(m_pos) == '\'') {
                            raw.append('\'');
                            ++m_pos;
                            continue;
                        }
                        break;
                    }
                    raw.append(d);
                }
                text += QString::fromUtf8(raw);
            } else if (c == '#') {
                ++m_pos;
                quint32 code = 0;
                int digits = 0;
                const bool hex = m_pos < m_text.size() && m_text.at(m_pos) == '$';
                if (hex)
                    ++m_pos;
                while (m_pos < m_text.size() &&
                       (hex ? hexValue(m_text.at(m_pos)) >= 0 : isDigit(m_text.at(m_pos)))) {
                    code = code * (hex ? 16 : 10) + quint32(hexValue(m_text.at(m_pos++)));
                    if (code > 0x10FFFF)
                        fail(QString(), QStringLiteral("character code out of range"));
                    ++digits;
                }
                if (digits == 0)
                    fail(QString(), QStringLiteral("a character code expected after \"#\""));
                // Codes up to FFFF are UTF-16 units, so surrogate pairs written as two codes join.
                if (code <= 0xFFFF) {
                    text += QChar(char16_t(code));
                } else {
                    const char32_t ucs4 = code;
                    text += QString::fromUcs4(&ucs4, 1);
                }
            } else {
                break;
            }
        }
        m_token.type = Token::String;
        m_token.text = text;
    }

    const QByteArray &m_text;
    QString m_resource;
    qsizetype m_pos = 0;
    int m_line = 1;
    Token m_token;
};

} // namespace

FormDescription parseFormDescription(const QByteArray &text, const QString &resource)
{
    Parser parser(text, resource);
    FormDescription form;
    form.resource = resource;
    form.root = parser.parseRoot();
    return form;
}

FormDescription readFormDescription(const QString &path, const QString &resource)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EFormParseError(resource, 0, path,
                              QStringLiteral("cannot open %1: %2").arg(path, file.errorString()));
    return parseFormDescription(file.readAll(), resource);
}

} // namespace framework
