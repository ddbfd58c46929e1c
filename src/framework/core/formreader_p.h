#pragma once

// The reader's working state during one pass, and the helpers its builder and its value
// conversion share.
#include "framework/formreader.h"

#include <QMetaProperty>
#include <QPointer>
#include <QSet>

namespace framework {

struct FormReader::Context
{
    Context(const FormDescription &f, FormComponents &c) : form(f), components(c) {}

    const FormDescription &form;
    FormComponents &components;
    QObject *owner = nullptr;      // phase one's owner, or the window
    QObject *rootObject = nullptr; // the window, phase two only
    QObject *handlers = nullptr;
    bool visualPhase = false;
    QSet<QString> seen; // names met in this pass, to catch duplicates

    struct Reference
    {
        QPointer<QObject> target;
        QMetaProperty meta;
        QString componentName;
        const FormProperty *property;
    };
    std::vector<Reference> forwardReferences;

    [[noreturn]] void fail(int line, const QString &name, const QString &detail) const
    {
        throw EFormPropertyError(form.resource, line, name, detail);
    }
    QObject *findComponent(const QString &name) const
    {
        if (QObject *found = components.find(name))
            return found;
        if (rootObject && name.compare(form.root.name, Qt::CaseInsensitive) == 0)
            return rootObject;
        return nullptr;
    }
};

namespace detail {

QString kindName(FormValue::Kind kind);
// A value as the error messages quote it.
QString valueText(const FormValue &value);
QMetaProperty findProperty(const QObject *object, const QString &name);
// The object's name, or its class when it has none.
QString componentName(const QObject *object);
[[noreturn]] void throwInvalidValue(const QString &resource, const FormProperty &property,
                                    const QObject *target, QMetaType type);

} // namespace detail
} // namespace framework
