#pragma once

#include "framework/exception.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

namespace framework {

// A form description that cannot be read or applied. The message names the resource, the line
// and the offending name.
class EFormError : public Exception
{
public:
    EFormError(const QString &resource, int line, const QString &name, const QString &detail);
    const QString &resource() const { return m_resource; }
    int line() const { return m_line; }
    const QString &name() const { return m_name; }

private:
    QString m_resource;
    int m_line;
    QString m_name;
};

class EFormParseError : public EFormError // the text is not a form description
{
public:
    using EFormError::EFormError;
};
class EFormClassError : public EFormError // a class that is not registered, or misplaced
{
public:
    using EFormError::EFormError;
};
class EFormPropertyError : public EFormError // an unknown property, or a value it cannot take
{
public:
    using EFormError::EFormError;
};
class EFormEventError : public EFormError // an unknown event or handler
{
public:
    using EFormError::EFormError;
};

// One value as written in a description.
struct FormValue
{
    enum class Kind { Integer, Float, String, Identifier, Set, Binary, StringList };
    Kind kind = Kind::Integer;
    qint64 integer = 0;
    double number = 0.0;
    QString text;      // String, Identifier
    QStringList items; // Set elements, StringList entries
    QByteArray data;   // Binary
};

struct FormProperty
{
    QString name; // may be dotted: "Colors.BackgroundFrom"
    FormValue value;
    int line = 0;
};

struct FormObject
{
    QString name;
    QString className;
    int line = 0;
    std::vector<FormProperty> properties;
    std::vector<FormObject> children;
};

struct FormDescription
{
    QString resource;
    FormObject root;
};

// Parses a description in the "object Name: TClass ... end" text form.
// Raises EFormParseError with the line of the first fault.
FormDescription parseFormDescription(const QByteArray &text, const QString &resource);

// Reads and parses a description from a file or Qt resource path.
FormDescription readFormDescription(const QString &path, const QString &resource);

} // namespace framework
