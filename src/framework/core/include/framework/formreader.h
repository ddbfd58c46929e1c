#pragma once

#include "framework/formdescription.h"

#include <QHash>
#include <QList>
#include <QMetaType>
#include <QPointer>
#include <QVariant>
#include <functional>
#include <optional>

class QObject;
class QMetaProperty;

namespace framework {

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
    // parent: the control that contains it (nullptr for non-visual components). A control's
    // factory must create it as a child of `parent`.
    using Factory = std::function<QObject *(QObject *owner, QObject *parent)>;
    // Returns nullopt when the value is not one the type can take.
    using ValueConverter = std::function<std::optional<QVariant>(const FormValue &)>;
    using IdentifierConverter = std::function<std::optional<QVariant>(const QString &)>;

    void registerClass(const QString &className, bool visual, Factory factory);

    // A non-visual class, built as T(owner). Controls are registered with
    // framework::registerControl (formcontrols.h), which needs the GUI libraries.
    template <class T> void registerClass(const QString &className)
    {
        registerClass(className, false,
                      [](QObject *owner, QObject *) -> QObject * { return new T(owner); });
    }

    bool isRegistered(const QString &className) const;
    bool isVisual(const QString &className) const;

    // Identifiers given to a property of this type go through the converter (e.g. colour names).
    void registerIdentifierConverter(QMetaType type, IdentifierConverter converter);
    // Every value given to a property of this type goes through the converter first.
    void registerValueConverter(QMetaType type, ValueConverter converter);
    // A dotted write "Picture.Data" to a property of a value type (not an object): the converter
    // turns the value into the whole property's value (framework::registerPictureConverter).
    void registerSubValueConverter(QMetaType type, const QString &subProperty,
                                   ValueConverter converter);

    // Phase one: creates the non-visual components (wherever they stand) in description order,
    // owned by `owner`, applies their values and binds their events to slots of `handlers`
    // (default: owner). Creates no widget, so it runs without a GUI application object.
    FormComponents createNonVisual(const FormDescription &form, QObject *owner,
                                   QObject *handlers = nullptr) const;

    // Phase two: applies the root's own values to `root` (the window, except the names in
    // `skipRootProperties`), creates the controls in description order inside their parent
    // control, and adopts the components created in phase one (top-level ones are reparented
    // to `root`). Components missing from `components` are created here, so a single call
    // builds a whole form.
    void createVisual(const FormDescription &form, QObject *root, FormComponents &components,
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

    void build(Context &ctx, const FormObject &object, QObject *container, QObject *parentControl,
               bool insideNonVisual) const;
    void buildControl(Context &ctx, const FormObject &object, QObject *parentControl) const;
    void resolveReferences(Context &ctx) const;
    void applyProperty(Context &ctx, QObject *target, const FormProperty &property) const;
    QVariant convertValue(Context &ctx, QObject *target, const QMetaProperty &meta,
                          const FormProperty &property, bool &deferred) const;

    QHash<QString, ClassEntry> m_classes;
    QHash<int, ValueConverter> m_valueConverters;
    QHash<int, IdentifierConverter> m_identifierConverters;
    QHash<QPair<int, QString>, ValueConverter> m_subValueConverters;
};

} // namespace framework
