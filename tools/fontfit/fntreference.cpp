#include "fntreference.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_WINFONTS_H

namespace {

struct Library
{
    FT_Library lib = nullptr;
    Library() { FT_Init_FreeType(&lib); }
    ~Library() { FT_Done_FreeType(lib); }
};

} // namespace

bool FntReference::open(const QString &path, QString *error)
{
    static Library library;
    if (library.lib == nullptr) {
        *error = QStringLiteral("FreeType cannot start");
        return false;
    }
    const QByteArray file = path.toLocal8Bit();
    FT_Long faces = 1;
    for (FT_Long i = 0; i < faces; ++i) {
        FT_Face face = nullptr;
        if (FT_New_Face(library.lib, file.constData(), i, &face) != 0) {
            *error = QStringLiteral("%1: not a font file FreeType can read").arg(path);
            return false;
        }
        faces = face->num_faces;
        FT_WinFNT_HeaderRec header;
        if (FT_Get_WinFNT_Header(face, &header) != 0 || face->num_fixed_sizes != 1 ||
            FT_Select_Size(face, 0) != 0) {
            FT_Done_Face(face);
            *error = QStringLiteral("%1: not a Windows bitmap font").arg(path);
            return false;
        }
        Strike s;
        s.pixels = int(face->available_sizes[0].y_ppem >> 6);
        s.firstChar = header.first_char;
        // The winfnt driver numbers glyphs from 1 in character order; glyph 0 is the default.
        const auto advanceOf = [&](FT_UInt glyph) {
            return FT_Load_Glyph(face, glyph, FT_LOAD_DEFAULT) == 0
                       ? int(face->glyph->advance.x >> 6)
                       : 0;
        };
        s.defaultAdvance = advanceOf(0);
        for (int c = header.first_char; c <= header.last_char; ++c)
            s.advances.push_back(advanceOf(FT_UInt(c - header.first_char + 1)));
        m_strikes.push_back(std::move(s));
        FT_Done_Face(face);
    }
    if (m_strikes.empty()) {
        *error = QStringLiteral("%1: no strikes").arg(path);
        return false;
    }
    return true;
}

int FntReference::width(const QString &text, int pixels, bool bold) const
{
    for (const Strike &s : m_strikes) {
        if (s.pixels != pixels)
            continue;
        int w = 0;
        for (const QChar ch : text) {
            // The captions are ASCII; Latin-1 stands for the ANSI code page above that.
            const int i = int(ch.unicode()) - s.firstChar;
            w += i >= 0 && i < int(s.advances.size()) ? s.advances[size_t(i)] : s.defaultAdvance;
            if (bold)
                ++w;
        }
        return w;
    }
    return -1;
}
