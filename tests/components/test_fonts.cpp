// The designed font of the windows, "MS Sans Serif" at 11 pixels, as the program chooses it over
// the system's own fonts: a metric-close face, never the desktop's wider default sans.
#include "components/controls.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <gtest/gtest.h>

using namespace components;

namespace {

bool isStandIn(const QString &family)
{
    return family == QLatin1String("Liberation Sans") || family == QLatin1String("Arimo");
}

TEST(DesignedFont, ResolvesToTheMetricCloseStandIn)
{
    TFont font;
    const QFontInfo info(font.font());
    EXPECT_TRUE(isStandIn(info.family())) << info.family().toStdString();
    EXPECT_EQ(info.pixelSize(), 11);
}

TEST(DesignedFont, BoldAndUnderlinedLabelsUseTheSameFace)
{
    TFont bold;
    bold.setStyle(fsBold);
    const QFontInfo b(bold.font());
    EXPECT_TRUE(isStandIn(b.family())) << b.family().toStdString();
    EXPECT_TRUE(b.bold());

    TFont underlined;
    underlined.setStyle(fsUnderline);
    const QFontInfo u(underlined.font());
    EXPECT_TRUE(isStandIn(u.family())) << u.family().toStdString();
    EXPECT_TRUE(u.underline());
}

TEST(DesignedFont, WindowsDialogAliasesResolveAlike)
{
    const TFont designed; // the program's choice is made with its first font
    for (const char *name : {"MS Shell Dlg", "MS Shell Dlg 2"}) {
        QFont f(QString::fromLatin1(name));
        f.setPixelSize(11);
        const QFontInfo info(f);
        EXPECT_TRUE(isStandIn(info.family())) << name << " -> " << info.family().toStdString();
    }
}

// The rows of the About box lie 15 to 16 pixels apart; a taller line makes neighbours overlap.
TEST(DesignedFont, LineFitsTheDesignedRowPitch)
{
    TFont font;
    EXPECT_LE(QFontMetrics(font.font()).height(), 15);
}

} // namespace
