#pragma once

#include "framework/exception.h"

#include <QByteArray>
#include <QHash>
#include <QImage>
#include <QList>
#include <QMetaType>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <optional>
#include <type_traits>
#include <vector>

class QObject;
class QWidget;

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

// The components one description created, by name, in the order of creation.
class FormComponents
{
public:
    QObject *find(const QString &name) const;
    template <class T> T *get(const QString &name) const { return qobject_cast<T *>(find(name)); }
    QList<QObject *> inOrder() const;

private:
    friend class FormReader;
    QList<QPair<QString, QPointer<QObject>>> m_objects;
};

// Creates the components of a description through a registry of classes and applies their
// values through the Q_PROPERTY setters, in the order of the description. Every class of a
// description must be registered, non-visual or not.
class FormReader
{
public:
    // owner: the object that owns the component (the window, or the phase-one owner);
    // parent: the widget that contains it (nullptr for non-visual components).
    using Factory = std::function<QObject *(QObject *owner, QWidget *parent)>;
    // Returns nullopt when the value is not one the type can take.
    using ValueConverter = std::function<std::optional<QVariant>(const FormValue &)>;
    using IdentifierConverter = std::function<std::optional<QVariant>(const QString &)>;

    void registerClass(const QString &className, bool visual, Factory factory);

    // A QWidget class is built as T(parentWidget), any other QObject class as T(owner).
    template <class T> void registerClass(const QString &className)
    {
        if constexpr (std::is_base_of_v<QWidget, T>) {
            registerClass(className, true,
                          [](QObject *, QWidget *parent) -> QObject * { return new T(parent); });
        } else {
            registerClass(className, false,
                          [](QObject *owner, QWidget *) -> QObject * { return new T(owner); });
        }
    }

    bool isRegistered(const QString &className) const;
    bool isVisual(const QString &className) const;

    // Identifiers given to a property of this type go through the converter (e.g. colour names).
    void registerIdentifierConverter(QMetaType type, IdentifierConverter converter);
    // Every value given to a property of this type goes through the converter first.
    void registerValueConverter(QMetaType type, ValueConverter converter);
    // A dotted write "Picture.Data" to a property of a value type (not an object): the converter
    // turns the value into the whole property's value. QImage's "Data" is registered already.
    void registerSubValueConverter(QMetaType type, const QString &subProperty,
                                   ValueConverter converter);

    FormReader();

    // What every new reader registers first; the widget part of the reader installs the
    // picture converter here.
    using Setup = void (*)(FormReader &);
    static Setup &defaultSetup();

    // Phase one: creates the non-visual components (wherever they stand) in description order,
    // owned by `owner`, applies their values and binds their events to slots of `handlers`
    // (default: owner). Creates no widget, so it runs without a GUI application object.
    FormComponents createNonVisual(const FormDescription &form, QObject *owner,
                                   QObject *handlers = nullptr) const;

    // Phase two: applies the root's own values to `root` (except the names in
    // `skipRootProperties`), creates the widgets in description order with their parent widget, and
    // adopts the components created in phase one (top-level ones are reparented to `root`).
    // Components missing from `components` are created here, so a single call builds a whole form.
    void createVisual(const FormDescription &form, QWidget *root, FormComponents &components,
                      QObject *handlers = nullptr,
                      const QStringList &skipRootProperties = {}) const;

    // Applies only the named root values, in description order, to `target` (e.g. to bind
    // "OnCreate" on the phase-one object).
    void applyRootProperties(const FormDescription &form, QObject *target,
                             FormComponents &components, const QStringList &names,
                             QObject *handlers = nullptr) const;

private:
    struct ClassEntry
    {
        bool visual = false;
        Factory factory;
    };
    struct Context;

    void build(Context &ctx, const FormObject &object, QObject *container, QWidget *parentWidget,
               bool insideNonVisual) const;
    void buildControl(Context &ctx, const FormObject &object, QWidget *parentWidget) const;
    void resolveReferences(Context &ctx) const;
    void applyProperty(Context &ctx, QObject *target, const FormProperty &property) const;
    QVariant convertValue(Context &ctx, QObject *target, const QMetaProperty &meta,
                          const FormProperty &property, bool &deferred) const;

    QHash<QString, ClassEntry> m_classes;
    QHash<int, ValueConverter> m_valueConverters;
    QHash<int, IdentifierConverter> m_identifierConverters;
    QHash<QPair<int, QString>, ValueConverter> m_subValueConverters;
};

// The picture of a "Picture.Data" value: a length-prefixed class name ("TBitmap": a 32-bit
// size and a BMP file; "TIcon", "TPngImage", "TJPEGImage": the file itself). A TBitmap of size
// 0 is no picture (a null image); anything malformed gives nullopt.
std::optional<QImage> pictureFromFormData(const QByteArray &data);

} // namespace framework
