#include "formreader_p.h"

#include <QMetaProperty>
#include <cmath>
#include <limits>

namespace framework {
namespace detail {

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

} // namespace detail

using namespace detail;

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
