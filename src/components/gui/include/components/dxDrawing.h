#pragma once

#include "components/controls.h"
#include "framework/drawing.h"

#include <QImage>
#include <vector>

namespace components {

// Drawing shared by the gradient controls.

// The n colours of a gradient: each channel from the first colour to the last in equal steps,
// rounded to the nearest integer with ties to even.
std::vector<QRgb> GradientColors(framework::TColor from, framework::TColor to, int bands);
// A top-to-bottom gradient of `bands` bands (at least 2) into `target`, sized w x h. With
// dithering, each band's upper rows are sprinkled with the colour above on a 16-pixel strip
// that is repeated across the image.
void GradientFill(int w, int h, framework::TColor from, framework::TColor to, int bands,
                  bool dither, QImage &target);

// Measures (DT_CALCRECT in `format`) or draws a caption; a disabled one is etched in the
// button highlight and shadow colours.
void DrawButtonText(QPainter &painter, const QString &caption, unsigned format,
                    framework::TRect &rect, bool showAccelChar, bool enabled, const QFont &font,
                    framework::TColor fontColor, TBiDiMode biDiMode = bdLeftToRight);

} // namespace components
