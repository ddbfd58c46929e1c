#pragma once

#include "framework/formreader.h"

#include <QByteArray>
#include <QImage>
#include <optional>

namespace framework {

// The picture of a "Picture.Data" value: a length-prefixed class name ("TBitmap": a 32-bit
// size and a BMP file; "TIcon", "TPngImage", "TJPEGImage": the file itself). A TBitmap of size
// 0 is no picture (a null image); anything malformed gives nullopt.
std::optional<QImage> pictureFromFormData(const QByteArray &data);

// Lets `reader` take "Picture.Data" values for QImage properties.
void registerPictureConverter(FormReader &reader);

} // namespace framework
