#include "formreader_p.h"

#include <QImage>
#include <QWidget>

// The reader's part that needs QtGui and QtWidgets: pictures and controls. It is kept apart so
// that a program reading only non-visual components links without them.
namespace framework {
namespace {

// Every reader of a program that links this part understands pictures.
const bool pictureSetupInstalled = [] {
    FormReader::defaultSetup() = [](FormReader &reader) {
        reader.registerSubValueConverter(QMetaType::fromType<QImage>(), QStringLiteral("Data"),
                                         [](const FormValue &value) -> std::optional<QVariant> {
                                             if (value.kind != FormValue::Kind::Binary)
                                                 return std::nullopt;
                                             if (auto image = pictureFromFormData(value.data))
                                                 return QVariant(*image);
                                             return std::nullopt;
                                         });
    };
    return true;
}();

} // namespace

std::optional<QImage> pictureFromFormData(const QByteArray &data)
{
    if (data.isEmpty())
        return std::nullopt;
    const qsizetype nameLength = uchar(data.at(0));
    if (nameLength == 0 || 1 + nameLength > data.size())
        return std::nullopt;
    const QByteArray className = data.mid(1, nameLength);
    QByteArray file = data.mid(1 + nameLength);
    const char *format = nullptr;
    if (className == "TBitmap") {
        if (file.size() < 4)
            return std::nullopt;
        const quint32 size = quint32(uchar(file.at(0))) | quint32(uchar(file.at(1))) << 8 |
                             quint32(uchar(file.at(2))) << 16 | quint32(uchar(file.at(3))) << 24;
        if (size == 0)
            return QImage();
        if (size > quint32(file.size() - 4))
            return std::nullopt;
        file = file.mid(4, qsizetype(size));
        format = "BMP";
    } else if (className == "TIcon") {
        format = "ICO";
    } else if (className == "TPngImage" || className == "TPNGObject") {
        format = "PNG";
    } else if (className == "TJPEGImage") {
        format = "JPEG";
    } else {
        return std::nullopt;
    }
    QImage image;
    if (!image.loadFromData(file, format))
        return std::nullopt;
    return image;
}

void FormReader::createVisual(const FormDescription &form, QWidget *root,
                              FormComponents &components, QObject *handlers,
                              const QStringList &skipRootProperties) const
{
    Context ctx(form, components);
    ctx.owner = root;
    ctx.root = root;
    ctx.rootObject = root;
    ctx.buildControl = &FormReader::buildControl;
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

void FormReader::buildControl(Context &ctx, const FormObject &object, QWidget *parentWidget) const
{
    const auto entry = m_classes.constFind(object.className);
    QObject *created = entry->factory(ctx.root, parentWidget);
    auto *widget = qobject_cast<QWidget *>(created);
    if (!widget) {
        delete created;
        throw EFormClassError(
            ctx.form.resource, object.line, object.className,
            QStringLiteral("class %1 did not create a control").arg(object.className));
    }
    if (widget->parentWidget() != parentWidget)
        widget->setParent(parentWidget);
    widget->setObjectName(object.name);
    ctx.components.m_objects.append({object.name, widget});
    for (const FormProperty &property : object.properties)
        applyProperty(ctx, widget, property);
    for (const FormObject &child : object.children)
        build(ctx, child, widget, widget, false);
}

} // namespace framework
