#include "formfuzz.h"

#include "framework/formpictures.h"
#include "framework/formreader.h"
#include "fuzzclasses.h"

void exerciseFormReader(const std::uint8_t *data, std::size_t size)
{
    static const framework::FormReader reader = [] {
        framework::FormReader r;
        framework::registerPictureConverter(r);
        r.registerClass<TFuzzThing>(QStringLiteral("TFuzzThing"));
        r.registerClass<TFuzzSub>(QStringLiteral("TFuzzSub"));
        // Listed as a control so that phase one walks past it without making one.
        r.registerClass(QStringLiteral("TFuzzControl"), true,
                        [](QObject *, QObject *) -> QObject * { return nullptr; });
        r.registerIdentifierConverter(QMetaType::fromType<quint32>(),
                                      [](const QString &name) -> std::optional<QVariant> {
                                          if (name == QLatin1String("clRed"))
                                              return QVariant::fromValue(quint32(0xFF));
                                          return std::nullopt;
                                      });
        return r;
    }();
    const QByteArray text(reinterpret_cast<const char *>(data), qsizetype(size));
    try {
        const framework::FormDescription form =
            framework::parseFormDescription(text, QStringLiteral("FUZZ"));
        TFuzzOwner owner;
        reader.createNonVisual(form, &owner);
    } catch (const framework::EFormError &) {
        // Rejected input is the expected outcome for most of it.
    }
}
