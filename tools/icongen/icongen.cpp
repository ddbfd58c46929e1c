// Writes the program's icon: one 32 x 32 image in 16 colours (4 bits per pixel) with its
// transparency mask, as an icon file. The drawing follows daypane.svg: a navy window with a
// silver toolbar, a green and a red lamp, two buttons, and a page with lines and the day's sun.
// Run by hand (the "programicon" target) when the artwork changes; the file is committed.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Rgb
{
    std::uint8_t r, g, b;
};

// The standard 16-colour palette.
const Rgb kPalette[16] = {
    {0, 0, 0},     {128, 0, 0},     {0, 128, 0},     {128, 128, 0},   {0, 0, 128}, {128, 0, 128},
    {0, 128, 128}, {192, 192, 192}, {128, 128, 128}, {255, 0, 0},     {0, 255, 0}, {255, 255, 0},
    {0, 0, 255},   {255, 0, 255},   {0, 255, 255},   {255, 255, 255},
};

enum Index : std::uint8_t {
    Black = 0,
    DarkRed = 1,
    Green = 2,
    Olive = 3,
    Navy = 4,
    Silver = 7,
    Grey = 8,
    Red = 9,
    Lime = 10,
    Yellow = 11,
    White = 15,
    Clear = 0xFF, // not a colour: a transparent pixel
};

constexpr int kSize = 32;

struct Canvas
{
    std::vector<std::uint8_t> px = std::vector<std::uint8_t>(kSize * kSize, Clear);
    void set(int x, int y, std::uint8_t v)
    {
        if (x >= 0 && x < kSize && y >= 0 && y < kSize)
            px[std::size_t(y * kSize + x)] = v;
    }
    // Both corners included.
    void fill(int x0, int y0, int x1, int y1, std::uint8_t v)
    {
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x)
                set(x, y, v);
    }
};

Canvas draw()
{
    Canvas c;
    // The window, its corners rounded by one pixel.
    c.fill(2, 3, 29, 28, Navy);
    for (const auto &[x, y] : {std::pair{2, 3}, {29, 3}, {2, 28}, {29, 28}})
        c.set(x, y, Clear);
    // The toolbar with its lamps and two buttons.
    c.fill(4, 5, 27, 9, Silver);
    struct Lamp
    {
        int x;
        std::uint8_t body, rim;
    };
    for (const Lamp &l : {Lamp{7, Lime, Green}, Lamp{11, Red, DarkRed}}) {
        const int x = l.x;
        const std::uint8_t body = l.body;
        c.fill(x - 1, 6, x + 1, 8, l.rim);
        c.fill(x - 1, 7, x + 1, 7, body);
        c.fill(x, 6, x, 8, body);
    }
    for (const int x : {14, 21}) {
        c.fill(x, 6, x + 5, 8, White);
        c.fill(x, 9, x + 5, 9, Grey);
    }
    // The page: lines of text and the sun.
    c.fill(4, 11, 27, 26, White);
    for (const auto &[y, right] : {std::pair{13, 15}, {16, 14}, {19, 15}, {22, 12}, {24, 24}})
        c.fill(6, y, right, y, Grey);
    const int sx = 22, sy = 17;
    for (int y = -2; y <= 2; ++y)
        for (int x = -2; x <= 2; ++x)
            if (x * x + y * y <= 5)
                c.set(sx + x, sy + y, Yellow);
    c.set(sx - 2, sy - 2, Olive);
    for (const auto &[dx, dy] :
         {std::pair{0, -4}, {0, 4}, {-4, 0}, {4, 0}, {-3, -3}, {3, -3}, {-3, 3}, {3, 3}})
        c.set(sx + dx, sy + dy, Yellow);
    return c;
}

void put16(std::vector<std::uint8_t> &out, std::uint32_t v)
{
    out.push_back(std::uint8_t(v));
    out.push_back(std::uint8_t(v >> 8));
}

void put32(std::vector<std::uint8_t> &out, std::uint32_t v)
{
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

// One image: the header of a bitmap twice as high (colour rows, then mask rows), the palette,
// the 4-bit colour rows and the 1-bit mask rows, both bottom-up.
std::vector<std::uint8_t> encodeIcon(const Canvas &c)
{
    const std::uint32_t xorRow = kSize / 2, andRow = kSize / 8; // both multiples of 4
    const std::uint32_t imageBytes = (xorRow + andRow) * kSize;
    const std::uint32_t resourceBytes = 40 + 16 * 4 + imageBytes;
    std::vector<std::uint8_t> out;
    put16(out, 0);
    put16(out, 1); // an icon
    put16(out, 1); // one image
    out.push_back(kSize);
    out.push_back(kSize);
    out.push_back(16); // colours
    out.push_back(0);
    put16(out, 1);
    put16(out, 4);
    put32(out, resourceBytes);
    put32(out, 6 + 16);
    put32(out, 40);
    put32(out, kSize);
    put32(out, kSize * 2);
    put16(out, 1);
    put16(out, 4);
    put32(out, 0); // uncompressed
    put32(out, imageBytes);
    put32(out, 0);
    put32(out, 0);
    put32(out, 16);
    put32(out, 0);
    for (const Rgb &p : kPalette) {
        out.push_back(p.b);
        out.push_back(p.g);
        out.push_back(p.r);
        out.push_back(0);
    }
    for (int y = kSize - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(xorRow, 0);
        for (int x = 0; x < kSize; ++x) {
            const std::uint8_t v = c.px[std::size_t(y * kSize + x)];
            const std::uint8_t i = v == Clear ? std::uint8_t(Black) : v;
            row[std::size_t(x / 2)] |= (x % 2 == 0) ? std::uint8_t(i << 4) : i;
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    for (int y = kSize - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(andRow, 0);
        for (int x = 0; x < kSize; ++x)
            if (c.px[std::size_t(y * kSize + x)] == Clear)
                row[std::size_t(x / 8)] |= std::uint8_t(0x80 >> (x % 8));
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

} // namespace

int main(int argc, char **argv)
{
    const std::string path = argc > 1 ? argv[1] : "daypane32.ico";
    const auto bytes = encodeIcon(draw());
    std::FILE *f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) {
        std::fprintf(stderr, "icongen: cannot write %s\n", path.c_str());
        return 1;
    }
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (std::fclose(f) != 0 || !ok) {
        std::fprintf(stderr, "icongen: cannot write %s\n", path.c_str());
        return 1;
    }
    return 0;
}
