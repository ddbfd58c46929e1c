#pragma once

// The reader's working state during one pass, shared by its core and its widget part.
#include "formreader.h"

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
    QWidget *root = nullptr;       // phase two only
    QObject *rootObject = nullptr; // the same, as the object it is
    // Creates one control of the description; set by the phase that creates controls.
    void (FormReader::*buildControl)(Context &, const FormObject &, QWidget *) const = nullptr;
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

} // namespace framework
