#include "formreader_p.h"

#include <QFile>
#include <QMetaMethod>
#include <QMetaProperty>
#include <QObject>
#include <QSet>
#include <cmath>
#include <limits>

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

QString kindName(FormValue::Kind kind)
{
    switch (kind) {
    case FormValue::Kind::Integer:
        return QStringLiteral("a whole number");
    case FormValue::Kind::Float:
        return QStringLiteral("a number");
    case FormValue::Kind::String:
        return QStringLiteral("a text");
    case FormValue::Kind::Identifier:
        return QStringLiteral("an identifier");
    case FormValue::Kind::Set:
        return QStringLiteral("a set");
    case FormValue::Kind::Binary:
        return QStringLiteral("binary data");
    case FormValue::Kind::StringList:
        return QStringLiteral("a list of texts");
    }
    return QString();
}

QString valueText(const FormValue &value)
{
    switch (value.kind) {
    case FormValue::Kind::Integer:
        return QString::number(value.integer);
    case FormValue::Kind::Float:
        return QString::number(value.number);
    case FormValue::Kind::String:
        return QStringLiteral("'%1'").arg(value.text);
    case FormValue::Kind::Identifier:
        return value.text;
    case FormValue::Kind::Set:
        return QStringLiteral("[%1]").arg(value.items.join(QStringLiteral(", ")));
    default:
        return kindName(value.kind);
    }
}

// An enumeration value of the property's own size (one-byte enumerations included).
std::optional<QVariant> integerOfType(QMetaType type, qint64 value)
{
    switch (type.sizeOf()) {
    case 1: {
        const auto v = qint8(value);
        return QVariant(type, &v);
    }
    case 2: {
        const auto v = qint16(value);
        return QVariant(type, &v);
    }
    case 4: {
        const auto v = qint32(value);
        return QVariant(type, &v);
    }
    case 8: {
        const auto v = qint64(value);
        return QVariant(type, &v);
    }
    default:
        return std::nullopt;
    }
}

template <class T> std::optional<QVariant> inRange(qint64 value)
{
    if constexpr (std::is_unsigned_v<T>) {
        if (value < 0 || quint64(value) > quint64(std::numeric_limits<T>::max()))
            return std::nullopt;
    } else {
        if (value < qint64(std::numeric_limits<T>::min()) ||
            value > qint64(std::numeric_limits<T>::max()))
            return std::nullopt;
    }
    return QVariant::fromValue(T(value));
}

std::optional<QVariant> integerValue(QMetaType type, qint64 value)
{
    switch (type.id()) {
    case QMetaType::Int:
        return inRange<int>(value);
    case QMetaType::UInt:
        return inRange<uint>(value);
    case QMetaType::Short:
        return inRange<short>(value);
    case QMetaType::UShort:
        return inRange<ushort>(value);
    case QMetaType::Char:
        return inRange<char>(value);
    case QMetaType::SChar:
        return inRange<signed char>(value);
    case QMetaType::UChar:
        return inRange<uchar>(value);
    case QMetaType::Long:
        return inRange<long>(value);
    case QMetaType::ULong:
        return inRange<ulong>(value);
    case QMetaType::LongLong:
        return QVariant::fromValue(qlonglong(value));
    case QMetaType::ULongLong:
        return inRange<qulonglong>(value);
    case QMetaType::Double:
        return QVariant(double(value));
    case QMetaType::Float:
        return QVariant(float(value));
    default:
        return std::nullopt;
    }
}

[[noreturn]] void throwInvalidValue(const QString &resource, const FormProperty &property,
                                    const QObject *target, QMetaType type);

QMetaProperty findProperty(const QObject *object, const QString &name)
{
    const QMetaObject *meta = object->metaObject();
    const int index = meta->indexOfProperty(name.toLatin1().constData());
    return index >= 0 ? meta->property(index) : QMetaProperty();
}

QString componentName(const QObject *object)
{
    const QString name = object->objectName();
    return name.isEmpty() ? QString::fromLatin1(object->metaObject()->className()) : name;
}

void throwInvalidValue(const QString &resource, const FormProperty &property, const QObject *target,
                       QMetaType type)
{
    const FormValue &value = property.value;
    throw EFormPropertyError(
        resource, property.line,
        value.kind == FormValue::Kind::Identifier ? value.text : property.name,
        QStringLiteral("%1 is not a valid value for property %2 of %3 (type %4)")
            .arg(valueText(value), property.name, componentName(target),
                 QString::fromLatin1(type.name())));
}

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

QObject *FormComponents::find(const QString &name) const
{
    if (name.isEmpty())
        return nullptr;
    for (const auto &entry : m_objects) {
        if (entry.first.compare(name, Qt::CaseInsensitive) == 0)
            return entry.second.data();
    }
    return nullptr;
}

QList<QObject *> FormComponents::inOrder() const
{
    QList<QObject *> list;
    for (const auto &entry : m_objects)
        list.append(entry.second.data());
    return list;
}

FormReader::Setup &FormReader::defaultSetup()
{
    static Setup setup = nullptr;
    return setup;
}

FormReader::FormReader()
{
    if (Setup setup = defaultSetup())
        setup(*this);
}

void FormReader::registerSubValueConverter(QMetaType type, const QString &subProperty,
                                           ValueConverter converter)
{
    m_subValueConverters.insert({type.id(), subProperty}, std::move(converter));
}

void FormReader::registerClass(const QString &className, bool visual, Factory factory)
{
    m_classes.insert(className, ClassEntry{visual, std::move(factory)});
}

bool FormReader::isRegistered(const QString &className) const
{
    return m_classes.contains(className);
}

bool FormReader::isVisual(const QString &className) const
{
    const auto it = m_classes.constFind(className);
    return it != m_classes.cend() && it->visual;
}

void FormReader::registerIdentifierConverter(QMetaType type, IdentifierConverter converter)
{
    m_identifierConverters.insert(type.id(), std::move(converter));
}

void FormReader::registerValueConverter(QMetaType type, ValueConverter converter)
{
    m_valueConverters.insert(type.id(), std::move(converter));
}

FormComponents FormReader::createNonVisual(const FormDescription &form, QObject *owner,
                                           QObject *handlers) const
{
    FormComponents components;
    Context ctx(form, components);
    ctx.owner = owner;
    ctx.handlers = handlers ? handlers : owner;
    for (const FormObject &child : form.root.children)
        build(ctx, child, owner, nullptr, false);
    resolveReferences(ctx);
    return components;
}

void FormReader::applyRootProperties(const FormDescription &form, QObject *target,
                                     FormComponents &components, const QStringList &names,
                                     QObject *handlers) const
{
    Context ctx(form, components);
    ctx.owner = target;
    ctx.handlers = handlers ? handlers : target;
    for (const FormProperty &property : form.root.properties) {
        if (names.contains(property.name))
            applyProperty(ctx, target, property);
    }
    resolveReferences(ctx);
}

void FormReader::resolveReferences(Context &ctx) const
{
    for (const auto &ref : ctx.forwardReferences) {
        QObject *found = ctx.findComponent(ref.componentName);
        if (!found)
            ctx.fail(ref.property->line, ref.componentName,
                     QStringLiteral("unknown component %1 for property %2")
                         .arg(ref.componentName, ref.property->name));
        if (!ref.target)
            continue;
        const QMetaObject *wanted = ref.meta.metaType().metaObject();
        if (wanted && !found->metaObject()->inherits(wanted))
            ctx.fail(ref.property->line, ref.componentName,
                     QStringLiteral("component %1 is not a %2 for property %3")
                         .arg(ref.componentName, QString::fromLatin1(wanted->className()),
                              ref.property->name));
        if (!ref.meta.write(ref.target, QVariant(ref.meta.metaType(), &found)))
            ctx.fail(ref.property->line, ref.property->name,
                     QStringLiteral("property %1 of %2 rejected the value %3")
                         .arg(ref.property->name, componentName(ref.target), ref.componentName));
    }
}

void FormReader::build(Context &ctx, const FormObject &object, QObject *container,
                       QWidget *parentWidget, bool insideNonVisual) const
{
    const auto entry = m_classes.constFind(object.className);
    if (entry == m_classes.cend())
        throw EFormClassError(ctx.form.resource, object.line, object.className,
                              QStringLiteral("class %1 not found").arg(object.className));
    const QString key = object.name.toLower();
    if (!object.name.isEmpty()) {
        if (ctx.seen.contains(key) ||
            object.name.compare(ctx.form.root.name, Qt::CaseInsensitive) == 0)
            throw EFormClassError(
                ctx.form.resource, object.line, object.name,
                QStringLiteral("a component named %1 already exists").arg(object.name));
        ctx.seen.insert(key);
    }

    if (entry->visual) {
        if (!ctx.visualPhase) {
            // Its non-visual children are still created now, owned by the phase-one owner.
            for (const FormObject &child : object.children)
                build(ctx, child, ctx.owner, nullptr, false);
            return;
        }
        if (insideNonVisual)
            throw EFormClassError(ctx.form.resource, object.line, object.name,
                                  QStringLiteral("control %1 cannot stand inside a non-visual "
                                                 "component")
                                      .arg(object.name));
        (this->*ctx.buildControl)(ctx, object, parentWidget);
        return;
    }

    QObject *component = ctx.visualPhase ? ctx.components.find(object.name) : nullptr;
    if (component) {
        // Adopted from phase one: its values are already applied.
        if (!insideNonVisual)
            component->setParent(ctx.rootObject);
    } else {
        QObject *owner = insideNonVisual ? container : ctx.owner;
        component = entry->factory(owner, nullptr);
        if (!component)
            throw EFormClassError(
                ctx.form.resource, object.line, object.className,
                QStringLiteral("class %1 could not be created").arg(object.className));
        if (!component->parent())
            component->setParent(owner);
        component->setObjectName(object.name);
        ctx.components.m_objects.append({object.name, component});
        for (const FormProperty &property : object.properties)
            applyProperty(ctx, component, property);
    }
    for (const FormObject &child : object.children)
        build(ctx, child, component, nullptr, true);
}

void FormReader::applyProperty(Context &ctx, QObject *target, const FormProperty &property) const
{
    const QStringList parts = property.name.split(QLatin1Char('.'));
    QObject *object = target;
    for (qsizetype i = 0; i + 1 < parts.size(); ++i) {
        const QMetaProperty meta = findProperty(object, parts[i]);
        if (!meta.isValid())
            ctx.fail(property.line, property.name,
                     QStringLiteral("property %1 of %2 does not exist")
                         .arg(property.name, componentName(target)));
        QObject *sub = nullptr;
        if (meta.metaType().flags().testFlag(QMetaType::PointerToQObject)) {
            sub = meta.read(object).value<QObject *>();
        } else if (i + 2 == parts.size()) {
            const auto it = m_subValueConverters.constFind({meta.metaType().id(), parts.last()});
            if (it != m_subValueConverters.cend()) {
                if (!meta.isWritable())
                    ctx.fail(property.line, property.name,
                             QStringLiteral("property %1 of %2 is read-only")
                                 .arg(parts[i], componentName(target)));
                const std::optional<QVariant> converted = (*it)(property.value);
                if (!converted)
                    throwInvalidValue(ctx.form.resource, property, target, meta.metaType());
                if (!meta.write(object, *converted))
                    ctx.fail(
                        property.line, property.name,
                        QStringLiteral("property %1 of %2 rejected the value %3")
                            .arg(property.name, componentName(target), valueText(property.value)));
                return;
            }
        }
        if (!sub)
            ctx.fail(property.line, property.name,
                     QStringLiteral("property %1 of %2 holds no object for %3")
                         .arg(parts[i], componentName(object), property.name));
        object = sub;
    }
    const QString &last = parts.last();
    const QMetaProperty meta = findProperty(object, last);
    if (!meta.isValid()) {
        // Not a property: an event, bound to the handler of that name.
        const QByteArray signalName = last.toLatin1();
        const QMetaObject *mo = object->metaObject();
        QList<QMetaMethod> signalList;
        for (int i = 0; i < mo->methodCount(); ++i) {
            const QMetaMethod m = mo->method(i);
            if (m.methodType() == QMetaMethod::Signal && m.name() == signalName)
                signalList.append(m);
        }
        if (signalList.isEmpty())
            ctx.fail(property.line, property.name,
                     QStringLiteral("property %1 of %2 does not exist")
                         .arg(property.name, componentName(target)));
        if (property.value.kind != FormValue::Kind::Identifier)
            throw EFormEventError(ctx.form.resource, property.line, property.name,
                                  QStringLiteral("event %1 takes a handler name, not %2")
                                      .arg(property.name, kindName(property.value.kind)));
        const QString &handlerName = property.value.text;
        if (!ctx.handlers)
            throw EFormEventError(ctx.form.resource, property.line, handlerName,
                                  QStringLiteral("no object to hold handler %1").arg(handlerName));
        const QMetaObject *hmo = ctx.handlers->metaObject();
        const QByteArray slotName = handlerName.toLatin1();
        bool found = false;
        for (int i = 0; i < hmo->methodCount(); ++i) {
            const QMetaMethod slot = hmo->method(i);
            if ((slot.methodType() != QMetaMethod::Slot &&
                 slot.methodType() != QMetaMethod::Method) ||
                slot.name() != slotName)
                continue;
            found = true;
            for (const QMetaMethod &signal : signalList) {
                if (QMetaObject::checkConnectArgs(signal, slot) &&
                    QObject::connect(object, signal, ctx.handlers, slot))
                    return;
            }
        }
        throw EFormEventError(
            ctx.form.resource, property.line, handlerName,
            found
                ? QStringLiteral("handler %1 does not fit event %2").arg(handlerName, property.name)
                : QStringLiteral("handler %1 for event %2 not found")
                      .arg(handlerName, property.name));
    }
    if (!meta.isWritable())
        ctx.fail(property.line, property.name,
                 QStringLiteral("property %1 of %2 is read-only")
                     .arg(property.name, componentName(target)));
    bool deferred = false;
    const QVariant value = convertValue(ctx, object, meta, property, deferred);
    if (deferred)
        return;
    if (!meta.write(object, value))
        ctx.fail(property.line, property.name,
                 QStringLiteral("property %1 of %2 rejected the value %3")
                     .arg(property.name, componentName(target), valueText(property.value)));
}

QVariant FormReader::convertValue(Context &ctx, QObject *target, const QMetaProperty &meta,
                                  const FormProperty &property, bool &deferred) const
{
    const FormValue &value = property.value;
    const QMetaType type = meta.metaType();

    if (const auto it = m_valueConverters.constFind(type.id()); it != m_valueConverters.cend()) {
        if (auto converted = (*it)(value))
            return *converted;
        throwInvalidValue(ctx.form.resource, property, target, type);
    }

    switch (value.kind) {
    case FormValue::Kind::Identifier: {
        if (const auto it = m_identifierConverters.constFind(type.id());
            it != m_identifierConverters.cend()) {
            if (auto converted = (*it)(value.text))
                return *converted;
            throwInvalidValue(ctx.form.resource, property, target, type);
        }
        if (meta.isEnumType()) {
            const QMetaEnum e = meta.enumerator();
            bool ok = false;
            const QByteArray key = value.text.toLatin1();
            const int v = e.isFlag() ? e.keysToValue(key.constData(), &ok)
                                     : e.keyToValue(key.constData(), &ok);
            if (!ok)
                throwInvalidValue(ctx.form.resource, property, target, type);
            if (auto converted = integerOfType(type, v))
                return *converted;
            throwInvalidValue(ctx.form.resource, property, target, type);
        }
        if (type.id() == QMetaType::Bool) {
            if (value.text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
                return QVariant(true);
            if (value.text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
                return QVariant(false);
            throwInvalidValue(ctx.form.resource, property, target, type);
        }
        if (type.flags().testFlag(QMetaType::PointerToQObject)) {
            QObject *found = nullptr;
            if (value.text.compare(QLatin1String("nil"), Qt::CaseInsensitive) != 0) {
                found = ctx.findComponent(value.text);
                if (!found) {
                    // A component further down the description: set once the pass is done.
                    ctx.forwardReferences.push_back({target, meta, value.text, &property});
                    deferred = true;
                    return QVariant();
                }
                const QMetaObject *wanted = type.metaObject();
                if (wanted && !found->metaObject()->inherits(wanted))
                    throwInvalidValue(ctx.form.resource, property, target, type);
            }
            return QVariant(type, &found);
        }
        throwInvalidValue(ctx.form.resource, property, target, type);
    }
    case FormValue::Kind::Integer:
        if (meta.isEnumType()) {
            const QMetaEnum e = meta.enumerator();
            const bool known = e.isFlag() ? !e.valueToKeys(int(value.integer)).isEmpty()
                                          : e.valueToKey(int(value.integer)) != nullptr;
            if (value.integer < std::numeric_limits<int>::min() ||
                value.integer > std::numeric_limits<int>::max() || !known)
                throwInvalidValue(ctx.form.resource, property, target, type);
            if (auto converted = integerOfType(type, value.integer))
                return *converted;
            throwInvalidValue(ctx.form.resource, property, target, type);
        }
        // An enumeration the meta-object system has no keys for (a colour): any value of its size.
        if (type.flags().testFlag(QMetaType::IsEnumeration)) {
            if (type.sizeOf() < 8 && (value.integer < -(qint64(1) << (type.sizeOf() * 8 - 1)) ||
                                      value.integer >= (qint64(1) << (type.sizeOf() * 8))))
                throwInvalidValue(ctx.form.resource, property, target, type);
            if (auto converted = integerOfType(type, value.integer))
                return *converted;
        }
        if (auto converted = integerValue(type, value.integer))
            return *converted;
        throwInvalidValue(ctx.form.resource, property, target, type);
    case FormValue::Kind::Float:
        if (type.id() == QMetaType::Double)
            return QVariant(value.number);
        if (type.id() == QMetaType::Float &&
            std::fabs(value.number) <= double(std::numeric_limits<float>::max()))
            return QVariant(float(value.number));
        throwInvalidValue(ctx.form.resource, property, target, type);
    case FormValue::Kind::String:
        if (type.id() == QMetaType::QString)
            return QVariant(value.text);
        if (type.id() == QMetaType::QByteArray)
            return QVariant(value.text.toUtf8());
        if (type.id() == QMetaType::QStringList)
            return QVariant(QStringList{value.text});
        if (type.id() == QMetaType::QChar && value.text.size() == 1)
            return QVariant(value.text.at(0));
        throwInvalidValue(ctx.form.resource, property, target, type);
    case FormValue::Kind::Set:
        if (meta.isFlagType()) {
            const QMetaEnum e = meta.enumerator();
            qint64 bits = 0;
            for (const QString &item : value.items) {
                bool ok = false;
                const int v = e.keyToValue(item.toLatin1().constData(), &ok);
                if (!ok)
                    ctx.fail(property.line, item,
                             QStringLiteral("%1 is not a valid element of property %2 of %3")
                                 .arg(item, property.name, componentName(target)));
                bits |= quint32(v);
            }
            if (auto converted = integerOfType(type, bits))
                return *converted;
            throwInvalidValue(ctx.form.resource, property, target, type);
        }
        if (type.id() == QMetaType::QStringList)
            return QVariant(value.items);
        throwInvalidValue(ctx.form.resource, property, target, type);
    case FormValue::Kind::Binary:
        if (type.id() == QMetaType::QByteArray)
            return QVariant(value.data);
        throwInvalidValue(ctx.form.resource, property, target, type);
    case FormValue::Kind::StringList:
        if (type.id() == QMetaType::QStringList)
            return QVariant(value.items);
        throwInvalidValue(ctx.form.resource, property, target, type);
    }
    throwInvalidValue(ctx.form.resource, property, target, type);
}

} // namespace framework
