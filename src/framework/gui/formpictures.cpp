#include "framework/formpictures.h"

#include <QImage>

namespace framework {

void registerPictureConverter(FormReader &reader)
{
    reader.registerSubValueConverter(QMetaType::fromType<QImage>(), QStringLiteral("Data"),
                                     [](const FormValue &value) -> std::optional<QVariant> {
                                         if (value.kind != FormValue::Kind::Binary)
                                             return std::nullopt;
                                         if (auto image = pictureFromFormData(value.data))
                                             return QVariant(*image);
                                         return std::nullopt;
                                     });
}

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

} // namespace framework
