#include "framework/colors.h"

#include <array>
#include <cmath>

namespace framework {
namespace {

struct NamedColor
{
    TColor value;
    const char *ident;
};

constexpr std::array<NamedColor, 50> kNames{{
    {clBlack, "clBlack"},
    {clMaroon, "clMaroon"},
    {clGreen, "clGreen"},
    {clOlive, "clOlive"},
    {clNavy, "clNavy"},
    {clPurple, "clPurple"},
    {clTeal, "clTeal"},
    {clGray, "clGray"},
    {clSilver, "clSilver"},
    {clRed, "clRed"},
    {clLime, "clLime"},
    {clYellow, "clYellow"},
    {clBlue, "clBlue"},
    {clFuchsia, "clFuchsia"},
    {clAqua, "clAqua"},
    {clWhite, "clWhite"},
    {clMoneyGreen, "clMoneyGreen"},
    {clSkyBlue, "clSkyBlue"},
    {clCream, "clCream"},
    {clMedGray, "clMedGray"},
    {clScrollBar, "clScrollBar"},
    {clBackground, "clBackground"},
    {clActiveCaption, "clActiveCaption"},
    {clInactiveCaption, "clInactiveCaption"},
    {clMenu, "clMenu"},
    {clWindow, "clWindow"},
    {clWindowFrame, "clWindowFrame"},
    {clMenuText, "clMenuText"},
    {clWindowText, "clWindowText"},
    {clCaptionText, "clCaptionText"},
    {clActiveBorder, "clActiveBorder"},
    {clInactiveBorder, "clInactiveBorder"},
    {clAppWorkSpace, "clAppWorkSpace"},
    {clHighlight, "clHighlight"},
    {clHighlightText, "clHighlightText"},
    {clBtnFace, "clBtnFace"},
    {clBtnShadow, "clBtnShadow"},
    {clGrayText, "clGrayText"},
    {clBtnText, "clBtnText"},
    {clInactiveCaptionText, "clInactiveCaptionText"},
    {clBtnHighlight, "clBtnHighlight"},
    {cl3DDkShadow, "cl3DDkShadow"},
    {cl3DLight, "cl3DLight"},
    {clInfoText, "clInfoText"},
    {clInfoBk, "clInfoBk"},
    {clHotLight, "clHotLight"},
    {clGradientActiveCaption, "clGradientActiveCaption"},
    {clGradientInactiveCaption, "clGradientInactiveCaption"},
    {clNone, "clNone"},
    {clDefault, "clDefault"},
}};

// The classic Windows scheme, so that every workstation draws the same pixels.
constexpr std::array<qint32, 31> kSysColors{{
    0xC8D0D4, // scroll bar
    0xA56E3A, // desktop
    0x6A240A, // active caption
    0x808080, // inactive caption
    0xC8D0D4, // menu
    0xFFFFFF, // window
    0x000000, // window frame
    0x000000, // menu text
    0x000000, // window text
    0xFFFFFF, // caption text
    0xC8D0D4, // active border
    0xC8D0D4, // inactive border
    0x808080, // application workspace
    0x6A240A, // highlight
    0xFFFFFF, // highlight text
    0xC8D0D4, // button face
    0x808080, // button shadow
    0x808080, // grey text
    0x000000, // button text
    0xC8D0D4, // inactive caption text
    0xFFFFFF, // button highlight
    0x404040, // 3-D dark shadow
    0xC8D0D4, // 3-D light
    0x000000, // tooltip text
    0xE1FFFF, // tooltip background
    0xB5B5B5, // unused
    0x800000, // hot-tracked item
    0xF0CAA6, // gradient active caption
    0xC0C0C0, // gradient inactive caption
    0x6A240A, // menu highlight
    0xC8D0D4, // menu bar
}};

} // namespace

qint32 GetSysColor(int index)
{
    if (index < 0 || index >= int(kSysColors.size()))
        return 0;
    return kSysColors[std::size_t(index)];
}

qint32 ColorToRGB(TColor color)
{
    if (IsSystemColor(color))
        return GetSysColor(int(quint32(color) & 0xFF));
    return qint32(quint32(color) & 0xFFFFFFu);
}

QColor toQColor(TColor color)
{
    const qint32 c = ColorToRGB(color);
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

TColor fromQColor(const QColor &color)
{
    return RGB(color.red(), color.green(), color.blue());
}

bool IdentToColor(const QString &ident, TColor &color)
{
    for (const NamedColor &n : kNames) {
        if (ident.compare(QLatin1String(n.ident), Qt::CaseInsensitive) == 0) {
            color = n.value;
            return true;
        }
    }
    return false;
}

QString ColorToIdent(TColor color)
{
    for (const NamedColor &n : kNames) {
        if (n.value == color)
            return QLatin1String(n.ident);
    }
    return {};
}

bool StringToColor(const QString &text, TColor &color)
{
    const QString t = text.trimmed();
    if (IdentToColor(t, color))
        return true;
    bool ok = false;
    qint64 v = 0;
    if (t.startsWith(QLatin1Char('$')))
        v = t.mid(1).toLongLong(&ok, 16);
    else if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        v = t.mid(2).toLongLong(&ok, 16);
    else
        v = t.toLongLong(&ok, 10);
    // Stored values are signed 32-bit; hexadecimal may spell the unsigned form.
    if (!ok || v < qint64(INT32_MIN) || v > qint64(UINT32_MAX))
        return false;
    color = TColor(qint32(quint32(v)));
    return true;
}

QString ColorToString(TColor color)
{
    const QString ident = ColorToIdent(color);
    if (!ident.isEmpty())
        return ident;
    return QStringLiteral("$%1").arg(quint32(color), 8, 16, QLatin1Char('0')).toUpper();
}

TColor BlendColor(TColor a, TColor b, double p, double q)
{
    auto channel = [p, q](int x, int y) { return int(std::trunc(x + (y - x) * p / q)); };
    return RGB(channel(GetRValue(a), GetRValue(b)), channel(GetGValue(a), GetGValue(b)),
               channel(GetBValue(a), GetBValue(b)));
}

} // namespace framework
