#include "formreader_p.h"

#include <QMetaMethod>
#include <QMetaProperty>
#include <QObject>

namespace framework {

using namespace detail;

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

void FormReader::createVisual(const FormDescription &form, QObject *root,
                              FormComponents &components, QObject *handlers,
                              const QStringList &skipRootProperties) const
{
    Context ctx(form, components);
    ctx.owner = root;
    ctx.rootObject = root;
    ctx.handlers = handlers ? handlers : root;
    ctx.visualPhase = true;
    if (!form.root.name.isEmpty())
        root->setObjectName(form.root.name);
    for (const FormProperty &property : form.root.properties) {
        if (!skipRootProperties.contains(property.name))
            applyProperty(ctx, root, property);
    }
    for (const FormObject &child : form.root.children)
        build(ctx, child, root, root, false);
    resolveReferences(ctx);
}

void FormReader::buildControl(Context &ctx, const FormObject &object, QObject *parentControl) const
{
    const auto entry = m_classes.constFind(object.className);
    QObject *created = entry->factory(ctx.rootObject, parentControl);
    if (!created || !created->isWidgetType()) {
        delete created;
        throw EFormClassError(
            ctx.form.resource, object.line, object.className,
            QStringLiteral("class %1 did not create a control").arg(object.className));
    }
    // Reparenting a control takes the GUI library; the factory gets the parent instead.
    if (created->parent() != parentControl) {
        delete created;
        throw EFormClassError(ctx.form.resource, object.line, object.className,
                              QStringLiteral("class %1 did not create its control inside %2")
                                  .arg(object.className, componentName(parentControl)));
    }
    created->setObjectName(object.name);
    ctx.components.m_objects.append({object.name, created});
    for (const FormProperty &property : object.properties)
        applyProperty(ctx, created, property);
    for (const FormObject &child : object.children)
        build(ctx, child, created, created, false);
}

void FormReader::build(Context &ctx, const FormObject &object, QObject *container,
                       QObject *parentControl, bool insideNonVisual) const
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
        buildControl(ctx, object, parentControl);
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

} // namespace framework
