#pragma once

#include "framework/colors.h"

#include <QImage>
#include <QPainter>
#include <QPoint>
#include <QRect>
#include <QString>
#include <cstdint>

namespace framework {

// A rectangle whose right and bottom edges lie just outside it, as the drawing calls take it.
struct TRect
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool isEmpty() const { return right <= left || bottom <= top; }
    QRect toQRect() const { return QRect(left, top, width(), height()); }
    static TRect fromQRect(const QRect &r)
    {
        return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
    }
    void offset(int dx, int dy)
    {
        left += dx;
        right += dx;
        top += dy;
        bottom += dy;
    }
    void inflate(int dx, int dy)
    {
        left -= dx;
        right += dx;
        top -= dy;
        bottom += dy;
    }
    bool operator==(const TRect &) const = default;
};

// a * b / c in 64 bits, rounded to the nearest integer with halves away from zero; -1 when c
// is 0 or the result does not fit.
int MulDiv(int a, int b, int c);

// Text format flags.
inline constexpr unsigned DT_TOP = 0x0;
inline constexpr unsigned DT_LEFT = 0x0;
inline constexpr unsigned DT_CENTER = 0x1;
inline constexpr unsigned DT_RIGHT = 0x2;
inline constexpr unsigned DT_VCENTER = 0x4;
inline constexpr unsigned DT_BOTTOM = 0x8;
inline constexpr unsigned DT_WORDBREAK = 0x10;
inline constexpr unsigned DT_SINGLELINE = 0x20;
inline constexpr unsigned DT_NOCLIP = 0x100;
inline constexpr unsigned DT_CALCRECT = 0x400;
inline constexpr unsigned DT_NOPREFIX = 0x800;
inline constexpr unsigned DT_END_ELLIPSIS = 0x8000;
inline constexpr unsigned DT_RTLREADING = 0x20000;

// Lays out and draws text in the painter's font and pen colour, with a transparent background.
// Unless DT_NOPREFIX, "&" underlines the next character and "&&" shows one "&". With
// DT_CALCRECT nothing is drawn: right and bottom become those of the laid-out text. Returns
// the height of the text.
int DrawTextA(QPainter &painter, const QString &text, TRect &rect, unsigned format);

// The character that follows the first single "&", or a null character.
QChar GetHotkey(const QString &caption);
// Whether `ch` is the caption's accelerator, without regard to case.
bool IsAccel(QChar ch, const QString &caption);

inline constexpr std::uint32_t SRCCOPY = 0x00CC0020;
inline constexpr int COLORONCOLOR = 3;

// Copies a w x h block of `source` from (sx, sy) to (x, y). Only the part that lies inside the
// source is copied; the rest of the destination is left as it was.
void BitBlt(QPainter &dest, int x, int y, int w, int h, const QImage &source, int sx, int sy,
            std::uint32_t rop = SRCCOPY);
// Stretches a block of `source` into the destination block by dropping or repeating pixels.
void StretchBlt(QPainter &dest, int x, int y, int w, int h, const QImage &source, int sx, int sy,
                int sw, int sh, std::uint32_t rop = SRCCOPY, int mode = COLORONCOLOR);

// The dotted focus frame: every other pixel of the rectangle's edge inverted, so a second call
// removes it again.
void DrawFocusRect(QPainter &painter, const TRect &rect);

// A one-pixel line from `from` up to but not including `to`, in the pen's colour.
void LineTo(QPainter &painter, QPoint from, QPoint to);

// Fills the rectangle (right and bottom excluded) with the colour.
void FillRect(QPainter &painter, const TRect &rect, TColor color);

// A 3-D frame w pixels wide: the top and left edges in one colour, the bottom and right ones in
// the other. The rectangle comes out shrunk by w on every side.
void Frame3D(QPainter &painter, TRect &rect, TColor topLeft, TColor bottomRight, int w);

// The colour of the bottom-left pixel, which marks a bitmap's transparent parts.
QRgb TransparentColorOf(const QImage &image);
// A copy in which every pixel of `key` colour is fully transparent.
QImage MaskedByColor(const QImage &image, QRgb key);

// Repeatable pseudo-random numbers for dithering: the same seed gives the same pattern, so
// rendered images can be compared pixel for pixel.
class RandomSource
{
public:
    explicit RandomSource(std::uint32_t seed = 0) : m_seed(seed) {}
    // A uniformly distributed integer from 0 to n - 1; 0 when n is not above 0.
    int next(int n);

private:
    std::uint32_t m_seed;
};

} // namespace framework
