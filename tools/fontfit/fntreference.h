#pragma once

#include <QString>
#include <vector>

// Advance widths of a Windows bitmap font file (.fon/.fnt), strike by strike, as the designed
// font measures text. Qt does not give these advances right for such files, so FreeType reads
// the character table itself.
class FntReference
{
public:
    bool open(const QString &path, QString *error);
    // Width of `text` in the strike of `pixels` character height; -1 without such a strike.
    // Bold is GDI's simulated bold of a bitmap font: one pixel more per character.
    int width(const QString &text, int pixels, bool bold) const;

private:
    struct Strike
    {
        int pixels = 0; // character height (em), what a negative Font.Height asks for
        int firstChar = 0;
        std::vector<int> advances; // from firstChar on
        int defaultAdvance = 0;
    };
    std::vector<Strike> m_strikes;
};
