#include "components/dxDrawing.h"

#include <cmath>

namespace components {

using framework::TColor;
using framework::TRect;

std::vector<QRgb> GradientColors(TColor from, TColor to, int bands)
{
    const int n = std::max(2, bands);
    const qint32 f = framework::ColorToRGB(from);
    const qint32 t = framework::ColorToRGB(to);
    const int fr = framework::GetRValue(f), fg = framework::GetGValue(f),
              fb = framework::GetBValue(f);
    const double sr = (framework::GetRValue(t) - fr) / double(n - 1);
    const double sg = (framework::GetGValue(t) - fg) / double(n - 1);
    const double sb = (framework::GetBValue(t) - fb) / double(n - 1);
    std::vector<QRgb> table(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        // nearbyint follows the default rounding mode: to nearest, ties to even.
        const int r = int(std::nearbyint(fr + i * sr));
        const int g = int(std::nearbyint(fg + i * sg));
        const int b = int(std::nearbyint(fb + i * sb));
        table[std::size_t(i)] = qRgb(r, g, b);
    }
    return table;
}

void GradientFill(int w, int h, TColor from, TColor to, int bands, bool dither, QImage &target)
{
    if (w <= 0 || h <= 0) {
        target = QImage();
        return;
    }
    const int n = std::max(2, bands);
    target = QImage(w, h, QImage::Format_RGB32);
    const std::vector<QRgb> table = GradientColors(from, to, n);
    const int strip = std::min(16, w);
    const int d = h / (n - 1);
    framework::RandomSource random(0x5EED);
    for (int i = 0; i < n; ++i) {
        const int top = framework::MulDiv(i, h, n);
        const int next = framework::MulDiv(i + 1, h, n);
        const QRgb colour = table[std::size_t(i)];
        for (int y = std::max(0, top); y < std::min(h, next); ++y) {
            auto *line = reinterpret_cast<QRgb *>(target.scanLine(y));
            for (int x = 0; x < strip; ++x)
                line[x] = colour;
        }
        if (dither && i >= 1) {
            const QRgb above = table[std::size_t(i - 1)];
            for (int x = 0; x < strip; ++x) {
                for (int k = 0; k <= d; ++k) {
                    const int y = top + (k == 0 ? 0 : random.next(k));
                    if (y >= 0 && y < h)
                        reinterpret_cast<QRgb *>(target.scanLine(y))[x] = above;
                }
            }
        }
    }
    // The strip, dithering and all, is repeated across the image.
    for (int y = 0; y < h; ++y) {
        auto *line = reinterpret_cast<QRgb *>(target.scanLine(y));
        for (int x = strip; x < w; ++x)
            line[x] = line[x % 16];
    }
}

void DrawButtonText(QPainter &painter, const QString &caption, unsigned format, TRect &rect,
                    bool showAccelChar, bool enabled, const QFont &font, TColor fontColor,
                    TBiDiMode biDiMode)
{
    QString text = caption;
    if ((format & framework::DT_CALCRECT) &&
        (text.isEmpty() || (showAccelChar && text == QLatin1String("&"))))
        text += QLatin1Char(' '); // so that it still measures one line
    if (!showAccelChar)
        format |= framework::DT_NOPREFIX;
    if (biDiMode != bdLeftToRight)
        format |= framework::DT_RTLREADING;
    painter.save();
    painter.setFont(font);
    if (enabled) {
        painter.setPen(framework::toQColor(fontColor));
        framework::DrawTextA(painter, text, rect, format);
    } else {
        rect.offset(1, 1);
        painter.setPen(framework::toQColor(framework::clBtnHighlight));
        framework::DrawTextA(painter, text, rect, format);
        rect.offset(-1, -1);
        painter.setPen(framework::toQColor(framework::clBtnShadow));
        framework::DrawTextA(painter, text, rect, format);
    }
    painter.restore();
}

} // namespace components
