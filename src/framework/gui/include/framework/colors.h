#pragma once

#include <QColor>
#include <QMetaType>
#include <QString>
#include <QtGlobal>

namespace framework {

// A colour as components and form descriptions store it: with a zero top byte an RGB value
// (red in the low byte), with the top bit set a system colour whose index is the low byte.
// A distinct type so that a colour property can be told apart from a plain integer.
enum TColor : qint32 {
    clBlack = 0x000000,
    clMaroon = 0x000080,
    clGreen = 0x008000,
    clOlive = 0x008080,
    clNavy = 0x800000,
    clPurple = 0x800080,
    clTeal = 0x808000,
    clGray = 0x808080,
    clSilver = 0xC0C0C0,
    clRed = 0x0000FF,
    clLime = 0x00FF00,
    clYellow = 0x00FFFF,
    clBlue = 0xFF0000,
    clFuchsia = 0xFF00FF,
    clAqua = 0xFFFF00,
    clWhite = 0xFFFFFF,
    clMoneyGreen = 0xC0DCC0,
    clSkyBlue = 0xF0CAA6,
    clCream = 0xF0FBFF,
    clMedGray = 0xA4A0A0,

    clScrollBar = qint32(0xFF000000),
    clBackground = qint32(0xFF000001),
    clActiveCaption = qint32(0xFF000002),
    clInactiveCaption = qint32(0xFF000003),
    clMenu = qint32(0xFF000004),
    clWindow = qint32(0xFF000005),
    clWindowFrame = qint32(0xFF000006),
    clMenuText = qint32(0xFF000007),
    clWindowText = qint32(0xFF000008),
    clCaptionText = qint32(0xFF000009),
    clActiveBorder = qint32(0xFF00000A),
    clInactiveBorder = qint32(0xFF00000B),
    clAppWorkSpace = qint32(0xFF00000C),
    clHighlight = qint32(0xFF00000D),
    clHighlightText = qint32(0xFF00000E),
    clBtnFace = qint32(0xFF00000F),
    clBtnShadow = qint32(0xFF000010),
    clGrayText = qint32(0xFF000011),
    clBtnText = qint32(0xFF000012),
    clInactiveCaptionText = qint32(0xFF000013),
    clBtnHighlight = qint32(0xFF000014),
    cl3DDkShadow = qint32(0xFF000015),
    cl3DLight = qint32(0xFF000016),
    clInfoText = qint32(0xFF000017),
    clInfoBk = qint32(0xFF000018),
    clHotLight = qint32(0xFF00001A),
    clGradientActiveCaption = qint32(0xFF00001B),
    clGradientInactiveCaption = qint32(0xFF00001C),

    clNone = 0x1FFFFFFF,
    clDefault = 0x20000000,
};

inline constexpr TColor RGB(int r, int g, int b)
{
    return TColor((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
inline constexpr int GetRValue(qint32 c)
{
    return c & 0xFF;
}
inline constexpr int GetGValue(qint32 c)
{
    return (c >> 8) & 0xFF;
}
inline constexpr int GetBValue(qint32 c)
{
    return (c >> 16) & 0xFF;
}
inline constexpr bool IsSystemColor(TColor c)
{
    return (quint32(c) & 0x80000000u) != 0;
}

// The platform's value of a system colour (index 0 to 30); black for an unknown index.
qint32 GetSysColor(int index);

// RGB with a zero top byte: a system colour resolved through the platform, otherwise the
// low three bytes.
qint32 ColorToRGB(TColor color);
QColor toQColor(TColor color);
TColor fromQColor(const QColor &color);

// Form-description identifiers ("clSkyBlue"), matched without regard to case.
bool IdentToColor(const QString &ident, TColor &color);
// The identifier of a named colour, or an empty text when the value has no name.
QString ColorToIdent(TColor color);
// An identifier, a decimal number or a "$" hexadecimal number.
bool StringToColor(const QString &text, TColor &color);
// The identifier when there is one, else "$" and eight hexadecimal digits.
QString ColorToString(TColor color);

// Each channel a + (b - a) * p / q, truncated; the top byte of the result is zero.
TColor BlendColor(TColor a, TColor b, double p, double q);

} // namespace framework

Q_DECLARE_METATYPE(framework::TColor)
