// Writes the 24 lamp bitmaps: uncompressed 16-colour bitmaps of a round lamp on silver.
// Run by hand (the "ledbitmaps" target) when the artwork changes; the files are committed.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Rgb
{
    std::uint8_t r, g, b;
};

// The standard 16-colour palette; every colour the lamps use is one of its entries.
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
    Teal = 6,
    Silver = 7,
    Grey = 8,
    Red = 9,
    Lime = 10,
    Yellow = 11,
    Aqua = 14,
    White = 15,
};

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

// Pixels row by row from the top; each a palette index.
std::vector<std::uint8_t> encodeBmp(int size, const std::vector<std::uint8_t> &pixels)
{
    const int rowBytes = ((size + 1) / 2 + 3) / 4 * 4;
    const std::uint32_t paletteBytes = 16 * 4;
    const std::uint32_t offset = 14 + 40 + paletteBytes;
    const std::uint32_t imageBytes = std::uint32_t(rowBytes * size);
    std::vector<std::uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    put32(out, offset + imageBytes);
    put32(out, 0);
    put32(out, offset);
    put32(out, 40);
    put32(out, std::uint32_t(size));
    put32(out, std::uint32_t(size)); // positive: rows stored bottom-up
    put16(out, 1);
    put16(out, 4);
    put32(out, 0); // BI_RGB, uncompressed
    put32(out, imageBytes);
    put32(out, 2835);
    put32(out, 2835);
    put32(out, 16);
    put32(out, 0);
    for (const Rgb &c : kPalette) {
        out.push_back(c.b);
        out.push_back(c.g);
        out.push_back(c.r);
        out.push_back(0);
    }
    for (int y = size - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(std::size_t(rowBytes), 0);
        for (int x = 0; x < size; ++x) {
            const std::uint8_t v = pixels[std::size_t(y * size + x)] & 0x0F;
            row[std::size_t(x / 2)] |= (x % 2 == 0) ? std::uint8_t(v << 4) : v;
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

std::vector<std::uint8_t> drawLamp(int size, std::uint8_t body)
{
    std::vector<std::uint8_t> px(std::size_t(size * size), Silver);
    const double c = (size - 1) / 2.0;
    const double r = size / 2.0 - 0.5;
    const double hx = c - r * 0.38, hy = c - r * 0.38; // highlight, upper left
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const double d = std::hypot(x - c, y - c);
            std::uint8_t v = Silver;
            if (d <= r - 1.0) {
                v = body;
                const double h = std::hypot(x - hx, y - hy);
                if (h <= r * 0.16 + 0.3)
                    v = White;
                else if (h <= r * 0.30 + 0.3)
                    v = Grey;
            } else if (d <= r) {
                v = Black;
            } else if (d <= r + 0.45 && (x - c) * (y - c) > 0) {
                // Softens the stair steps of the rim on the two diagonals.
                v = DarkRed;
            }
            px[std::size_t(y * size + x)] = v;
        }
    }
    return px;
}

} // namespace

int main(int argc, char **argv)
{
    const std::string dir = argc > 1 ? argv[1] : ".";
    struct Lamp
    {
        const char *letter;
        std::uint8_t on, off;
    };
    const Lamp lamps[] = {
        {"Y", Yellow, Olive}, {"R", Red, DarkRed}, {"G", Lime, Green}, {"B", Aqua, Teal}};
    struct Size
    {
        const char *suffix;
        int pixels;
    };
    const Size sizes[] = {{"S", 15}, {"", 23}, {"B", 35}};
    for (const Size &s : sizes) {
        for (const Lamp &l : lamps) {
            for (int lit = 0; lit < 2; ++lit) {
                const std::string name =
                    std::string(l.letter) + (lit ? "ON" : "OFF") + s.suffix + ".bmp";
                const auto bytes = encodeBmp(s.pixels, drawLamp(s.pixels, lit ? l.on : l.off));
                const std::string path = dir + "/" + name;
                std::FILE *f = std::fopen(path.c_str(), "wb");
                if (f == nullptr) {
                    std::fprintf(stderr, "ledgen: cannot write %s\n", path.c_str());
                    return 1;
                }
                const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
                if (std::fclose(f) != 0 || !ok) {
                    std::fprintf(stderr, "ledgen: cannot write %s\n", path.c_str());
                    return 1;
                }
            }
        }
    }
    return 0;
}
