#pragma once

#include "framework/formreader.h"

#include <QWidget>

namespace framework {

// Registers a control class of form descriptions: it is built as T(parent widget).
template <class T> void registerControl(FormReader &reader, const QString &className)
{
    static_assert(std::is_base_of_v<QWidget, T>, "a control is a widget");
    reader.registerClass(className, true, [](QObject *, QObject *parent) -> QObject * {
        return new T(qobject_cast<QWidget *>(parent));
    });
}

} // namespace framework
