// Paints the game's ten textures and writes them as BMP files (usage: make_textures [folder]),
// or the game's icon as PNG files of the desktop's usual sizes (make_textures --icons folder),
// or the same icon as a C++ header of pixels for the game's window (--window-icon file.h).
// The files use six of the layouts the game's reader takes, so every start of the game exercises
// them: 24-bit, 8-bit palette, 4-bit palette, a 12-byte core header, run-length 8-bit and 16-bit
// bit fields, put together with the builder of the reader's tests (tests/BmpBuilder.h). The icon
// files are written by libpng. The output is deterministic; data/ holds it.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <png.h>

#include "BmpBuilder.h"

namespace {

struct Rgb {
    uint8_t red, green, blue;
    bool operator==(const Rgb& other) const
    {
        return red == other.red && green == other.green && blue == other.blue;
    }
};

// A picture as painted: row 0 is the top row.
struct Picture {
    int width, height;
    std::vector<Rgb> texels;

    Picture(int w, int h, Rgb fill) : width(w), height(h), texels(static_cast<size_t>(w) * h, fill)
    {
    }
    Rgb& at(int x, int y) { return texels[static_cast<size_t>(y) * width + x]; }
    const Rgb& at(int x, int y) const { return texels[static_cast<size_t>(y) * width + x]; }
    void fillRect(int left, int top, int right, int bottom,
                  Rgb colour)  // right and bottom excluded
    {
        for (int y = std::max(top, 0); y < std::min(bottom, height); ++y)
            for (int x = std::max(left, 0); x < std::min(right, width); ++x)
                at(x, y) = colour;
    }
};

// A small deterministic generator, so that every run writes the same files.
class Random {
public:
    explicit Random(uint32_t seed) : state_(seed * 2654435761u + 1u) {}
    uint32_t next()
    {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    int below(int n) { return static_cast<int>(next() % static_cast<uint32_t>(n)); }
    double unit() { return (next() & 0xFFFFFF) / double(0x1000000); }

private:
    uint32_t state_;
};

Rgb shade(Rgb c, double factor)
{
    auto scale = [factor](uint8_t v) {
        return static_cast<uint8_t>(std::lround(std::fmin(255.0, std::fmax(0.0, v * factor))));
    };
    return {scale(c.red), scale(c.green), scale(c.blue)};
}

// ---- The pixel font of the logo and the buttons: 5 x 7 cells, '#' set ----

struct Glyph {
    char letter;
    const char* rows[7];
};

constexpr Glyph kFont[] = {
    {'T', {"#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."}},
    {'A', {".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}},
    {'R', {"####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"}},
    {'V', {"#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#.."}},
    {'E', {"#####", "#....", "#....", "####.", "#....", "#....", "#####"}},
    {'L', {"#....", "#....", "#....", "#....", "#....", "#....", "#####"}},
    {'O', {".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
    {'!', {"..#..", "..#..", "..#..", "..#..", "..#..", ".....", "..#.."}},
    {'N', {"#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#", "#...#"}},
    {'e', {".....", ".....", ".###.", "#...#", "#####", "#....", ".###."}},
    {'w', {".....", ".....", "#...#", "#...#", "#.#.#", "#.#.#", ".#.#."}},
    {'Q', {".###.", "#...#", "#...#", "#...#", "#.#.#", "#..#.", ".##.#"}},
    {'u', {".....", ".....", "#...#", "#...#", "#...#", "#..##", ".##.#"}},
    {'i', {"..#..", ".....", ".##..", "..#..", "..#..", "..#..", ".###."}},
    {'t', {".#...", ".#...", "####.", ".#...", ".#...", ".#..#", "..##."}},
};
constexpr int kGlyphWidth = 5;
constexpr int kGlyphHeight = 7;

const Glyph& glyphOf(char letter)
{
    for (const Glyph& glyph : kFont)
        if (glyph.letter == letter)
            return glyph;
    std::fprintf(stderr, "make_textures: no glyph for '%c'\n", letter);
    std::exit(1);
}

// Letters scaled by (sx, sy) texels per font cell, `gap` texels apart.
struct TextStyle {
    int sx, sy, gap;
};

int textWidth(const char* text, TextStyle style)
{
    const int letters = static_cast<int>(std::string(text).size());
    return letters * kGlyphWidth * style.sx + (letters - 1) * style.gap;
}

// Writes `text` with its top-left corner at (left, top); `colourOfRow` colours each glyph row.
template <typename ColourOfRow>
void drawText(Picture& picture, const char* text, int left, int top, TextStyle style,
              ColourOfRow colourOfRow)
{
    for (int i = 0; text[i] != '\0'; ++i) {
        const Glyph& glyph = glyphOf(text[i]);
        const int x0 = left + i * (kGlyphWidth * style.sx + style.gap);
        for (int row = 0; row < kGlyphHeight; ++row)
            for (int column = 0; column < kGlyphWidth; ++column)
                if (glyph.rows[row][column] == '#')
                    picture.fillRect(x0 + column * style.sx, top + row * style.sy,
                                     x0 + (column + 1) * style.sx, top + (row + 1) * style.sy,
                                     colourOfRow(row));
    }
}

// Smooth noise that wraps at the picture's edges, so that the ground tiles without seams.
double tiledNoise(int x, int y, int size, int cell, uint32_t seed)
{
    const int cells = size / cell;
    auto lattice = [&](int i, int j) {
        Random r(seed + static_cast<uint32_t>(((i % cells) * 131 + (j % cells)) * 7919));
        return r.unit();
    };
    const int i = x / cell, j = y / cell;
    const double fx = double(x % cell) / cell, fy = double(y % cell) / cell;
    const double sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
    const double top = lattice(i, j) * (1 - sx) + lattice(i + 1, j) * sx;
    const double bottom = lattice(i, j + 1) * (1 - sx) + lattice(i + 1, j + 1) * sx;
    return top * (1 - sy) + bottom * sy;
}

// ---- The ten pictures ----

// The car seen from above, its front along the bottom row (the car list puts that row at the
// car's front edge), its rear along the top row.
Picture paintCar()
{
    constexpr Rgb kTyreShadow{34, 34, 38};
    constexpr Rgb kBody{196, 28, 36};
    constexpr Rgb kGlass{52, 70, 96};
    constexpr Rgb kStripe{240, 240, 236};
    constexpr Rgb kBumper{150, 150, 156};
    constexpr Rgb kHeadlight{255, 250, 200};
    constexpr Rgb kTailLight{120, 0, 10};
    Picture car(64, 128, kTyreShadow);
    for (int y = 2; y < 126; ++y) {
        for (int x = 2; x < 62; ++x) {
            const double across = std::fabs(x - 31.5) / 30.0;  // 0 at the middle, 1 at the sides
            car.at(x, y) = shade(kBody, 1.15 - 0.45 * across * across);
        }
    }
    // Rounded corners of the body.
    for (int y = 0; y < 128; ++y) {
        for (int x = 0; x < 64; ++x) {
            const double cx = std::min(x - 10.0, 53.0 - x), cy = std::min(y - 10.0, 117.0 - y);
            if (cx < 0 && cy < 0 && cx * cx + cy * cy > 64.0)
                car.at(x, y) = kTyreShadow;
        }
    }
    car.fillRect(10, 40, 54, 66, shade(kBody, 0.85));  // roof
    for (int x : {26, 35})  // racing stripes from the rear to the front, under the glass
        car.fillRect(x, 4, x + 3, 124, kStripe);
    // Windscreen (towards the front) and rear window: glass narrowing towards the roof.
    for (int y = 66; y < 86; ++y) {
        const int inset = 12 - (y - 66) / 5;
        car.fillRect(inset, y, 64 - inset, y + 1, shade(kGlass, 1.0 + 0.02 * (y - 66)));
    }
    for (int y = 26; y < 40; ++y) {
        const int inset = 8 + (y - 26) / 4;
        car.fillRect(inset, y, 64 - inset, y + 1, kGlass);
    }
    car.fillRect(4, 120, 60, 125, kBumper);  // front bumper
    car.fillRect(7, 114, 18, 121, kHeadlight);
    car.fillRect(46, 114, 57, 121, kHeadlight);
    car.fillRect(6, 3, 17, 8, kTailLight);
    car.fillRect(47, 3, 58, 8, kTailLight);
    car.fillRect(0, 70, 3, 76, kBody);  // mirrors, just behind the windscreen's front edge
    car.fillRect(61, 70, 64, 76, kBody);
    return car;
}

// Dry earth with grit and pebbles; it repeats ten times across the map, so it tiles.
Picture paintDirt()
{
    constexpr int kSize = 128;
    constexpr Rgb kEarth{124, 92, 58};
    constexpr Rgb kPebble{150, 144, 132};
    Picture dirt(kSize, kSize, kEarth);
    Random grain(11);
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            const double broad = tiledNoise(x, y, kSize, 32, 101);
            const double fine = tiledNoise(x, y, kSize, 8, 202);
            const double level = 0.55 * broad + 0.3 * fine + 0.15 * grain.unit();
            const int step = static_cast<int>(level * 12);  // twelve shades of earth
            dirt.at(x, y) = shade(kEarth, 0.72 + 0.05 * step);
        }
    }
    Random pebbles(12);
    for (int i = 0; i < 40; ++i) {
        const int px = pebbles.below(kSize), py = pebbles.below(kSize), r = 1 + pebbles.below(2);
        for (int dy = -r; dy <= r; ++dy)
            for (int dx = -r; dx <= r; ++dx)
                if (dx * dx + dy * dy <= r * r)
                    dirt.at((px + dx + kSize) % kSize, (py + dy + kSize) % kSize) =
                        shade(kPebble, dy < 0 ? 1.15 : 0.9);
    }
    return dirt;
}

// Four wooden crates seen from above, each with a frame, planks and a diagonal brace.
Picture paintCrates()
{
    constexpr Rgb kGap{40, 28, 16};
    constexpr Rgb kFrame{196, 150, 92};
    constexpr Rgb kFrameEdge{120, 84, 44};
    constexpr Rgb kPlank{168, 122, 70};
    constexpr Rgb kPlankLine{104, 72, 38};
    constexpr Rgb kNail{60, 60, 64};
    Picture crates(128, 128, kGap);
    for (int cy = 0; cy < 2; ++cy) {
        for (int cx = 0; cx < 2; ++cx) {
            const int left = cx * 64 + 2, top = cy * 64 + 2, size = 60;
            crates.fillRect(left, top, left + size, top + size, kFrame);
            crates.fillRect(left + 8, top + 8, left + size - 8, top + size - 8, kPlank);
            for (int line = top + 8 + 11; line < top + size - 8; line += 11)
                crates.fillRect(left + 8, line, left + size - 8, line + 1, kPlankLine);
            for (int i = 8; i < size - 8; ++i) {  // the brace, corner to corner
                const int x = (cx + cy) % 2 == 0 ? left + i : left + size - 1 - i;
                crates.fillRect(x - 4, top + i, x + 5, top + i + 1, kFrame);
                crates.at(x - 5, top + i) = kFrameEdge;
                crates.at(x + 5, top + i) = kFrameEdge;
            }
            for (int e = 0; e < size; ++e) {  // outer edge and the inner edge of the frame
                crates.at(left + e, top) = kFrameEdge;
                crates.at(left + e, top + size - 1) = kFrameEdge;
                crates.at(left, top + e) = kFrameEdge;
                crates.at(left + size - 1, top + e) = kFrameEdge;
            }
            crates.fillRect(left + 8, top + 8, left + size - 8, top + 9, kFrameEdge);
            crates.fillRect(left + 8, top + size - 9, left + size - 8, top + size - 8, kFrameEdge);
            for (int ny : {4, size - 5})
                for (int nx : {4, size - 5})
                    crates.fillRect(left + nx - 1, top + ny - 1, left + nx + 1, top + ny + 1,
                                    kNail);
        }
    }
    return crates;
}

// A dashboard button with a raised bevel and its word; the button list shows it upright.
Picture paintButton(const char* word, Rgb face)
{
    constexpr Rgb kPanelGrey{192, 192,
                             192};  // the dashboard's grey, showing at the rounded corners
    constexpr Rgb kOutline{30, 30, 30};
    constexpr Rgb kLetter{255, 255, 255};
    constexpr int kWidth = 128, kHeight = 64, kRadius = 8;
    Picture button(kWidth, kHeight, kOutline);
    button.fillRect(2, 2, kWidth - 2, kHeight - 2, shade(face, 1.45));  // light upper-left bevel
    button.fillRect(5, 5, kWidth - 2, kHeight - 2, shade(face, 0.55));  // dark lower-right bevel
    button.fillRect(5, 5, kWidth - 5, kHeight - 5, face);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const int cx = std::min(x - kRadius, kWidth - 1 - kRadius - x);
            const int cy = std::min(y - kRadius, kHeight - 1 - kRadius - y);
            if (cx < 0 && cy < 0 && cx * cx + cy * cy > kRadius * kRadius)
                button.at(x, y) = kPanelGrey;
        }
    }
    constexpr TextStyle kStyle{4, 4, 4};
    const int left = (kWidth - textWidth(word, kStyle)) / 2;
    const int top = (kHeight - kGlyphHeight * kStyle.sy) / 2;
    drawText(button, word, left + 2, top + 2, kStyle,
             [&](int) { return shade(face, 0.4); });  // shadow
    drawText(button, word, left, top, kStyle, [&](int) { return kLetter; });
    return button;
}

Picture paintNewButton()
{
    return paintButton("New", Rgb{40, 128, 64});
}

Picture paintQuitButton()
{
    return paintButton("Quit", Rgb{170, 36, 36});
}

// Clay roof tiles in overlapping rows, each tile's lower edge rounded and shadowed.
Picture paintRoof()
{
    constexpr Rgb kClay{184, 78, 44};
    constexpr Rgb kShadow{84, 30, 18};
    constexpr int kSize = 128, kTileWidth = 16, kTileHeight = 16;
    Picture roof(kSize, kSize, kClay);
    Random tint(5);
    for (int row = 0; row < kSize / kTileHeight; ++row) {
        const int offset = row % 2 == 0 ? 0 : kTileWidth / 2;
        for (int tile = -1; tile <= kSize / kTileWidth; ++tile) {
            const double warmth = 0.9 + 0.06 * tint.below(4);
            const int left = tile * kTileWidth + offset;
            for (int y = 0; y < kTileHeight; ++y) {
                for (int x = 0; x < kTileWidth; ++x) {
                    const int px = left + x, py = row * kTileHeight + y;
                    if (px < 0 || px >= kSize)
                        continue;
                    const double dx = x - (kTileWidth - 1) / 2.0;
                    const double curve =
                        kTileHeight - 4 + std::sqrt(std::fmax(0.0, 16.0 - dx * dx * 0.25));
                    if (y > curve)
                        continue;  // below the tile's rounded edge: the row beneath shows
                    const double light = 1.1 - 0.25 * y / kTileHeight;
                    roof.at(px, py) =
                        y + 1.5 > curve || x == 0 ? kShadow : shade(kClay, warmth * light);
                }
            }
        }
    }
    return roof;
}

// Asphalt: grey grit with lighter stones.
Picture paintRoad()
{
    constexpr Rgb kAsphalt{74, 74, 78};
    Picture road(64, 64, kAsphalt);
    Random grit(21);
    for (Rgb& texel : road.texels)
        texel = shade(kAsphalt, 0.8 + 0.4 * grit.unit());
    for (int i = 0; i < 60; ++i) {
        // Two draws in their own statements: the order of a call's arguments is up to the
        // compiler. The row is drawn first, as the committed picture was made.
        const int y = grit.below(64);
        const int x = grit.below(64);
        road.at(x, y) = Rgb{150, 148, 140};
    }
    return road;
}

// Water: across the river along the picture's width, along it down the picture's height. The
// river stretches the picture about five times more along its course than across it, so the
// light glints, short and thin here, show as long thin ripples along the river.
Picture paintWater()
{
    constexpr Rgb kDeep{26, 74, 140};
    constexpr Rgb kCrest{170, 210, 240};
    constexpr int kWidth = 64, kHeight = 256;
    Picture water(kWidth, kHeight, kDeep);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const double bank = std::fabs(x - 31.5) / 32.0;  // darker towards both banks
            const double swell = 0.5 + 0.5 * std::sin(y * 0.35 + 2.0 * std::sin(x * 0.15));
            const int step = static_cast<int>((1.2 - 0.5 * bank * bank) * 4 + swell * 3);
            water.at(x, y) = shade(kDeep, 0.7 + 0.09 * step);
        }
    }
    Random crests(31);
    for (int i = 0; i < 160; ++i) {
        const int x = 3 + crests.below(kWidth - 6), y = crests.below(kHeight),
                  length = 2 + crests.below(4);
        water.fillRect(x, y, x + 1, y + length, kCrest);
    }
    return water;
}

// Red bricks in a running bond with light mortar joints.
Picture paintBricks()
{
    constexpr Rgb kMortar{196, 188, 172};
    constexpr Rgb kBrick{158, 58, 40};
    constexpr int kWidth = 128, kHeight = 64, kBrickWidth = 16, kBrickHeight = 8;
    Picture bricks(kWidth, kHeight, kMortar);
    Random tone(41), grain(42);
    for (int row = 0; row < kHeight / kBrickHeight; ++row) {
        const int offset = row % 2 == 0 ? 0 : kBrickWidth / 2;
        for (int b = -1; b <= kWidth / kBrickWidth; ++b) {
            const Rgb colour = shade(kBrick, 0.8 + 0.1 * tone.below(4));
            for (int y = 0; y < kBrickHeight - 1; ++y)  // the last row and column are the joints
                for (int x = 0; x < kBrickWidth - 1; ++x) {
                    const int px = b * kBrickWidth + offset + x;
                    if (px >= 0 && px < kWidth)
                        bricks.at(px, row * kBrickHeight + y) =
                            shade(colour, 0.9 + 0.2 * grain.unit());
                }
        }
    }
    return bricks;
}

// The game's name on a dark blue sign above a chequered strip. The dashboard maps the logo turned
// through a half turn, so the picture is stored turned: it then reads upright on the dashboard.
Picture paintLogo()
{
    constexpr Rgb kFrame{230, 180, 40};
    constexpr int kWidth = 128, kHeight = 64;
    Picture sign(kWidth, kHeight, kFrame);
    for (int y = 2; y < kHeight - 2; ++y)
        sign.fillRect(2, y, kWidth - 2, y + 1, shade(Rgb{30, 50, 150}, 1.2 - 0.7 * y / kHeight));
    for (int y = 46; y < 54; ++y)
        for (int x = 4; x < kWidth - 4; ++x)
            sign.at(x, y) =
                ((x - 4) / 4 + (y - 46) / 4) % 2 == 0 ? Rgb{250, 250, 250} : Rgb{20, 20, 20};
    constexpr TextStyle kStyle{2, 3, 2};
    const int left = (kWidth - textWidth("TARVELO!", kStyle)) / 2;
    constexpr int kTop = 14;
    drawText(sign, "TARVELO!", left + 2, kTop + 2, kStyle, [](int) { return Rgb{0, 0, 0}; });
    drawText(sign, "TARVELO!", left, kTop, kStyle, [](int row) {
        return Rgb{255, static_cast<uint8_t>(240 - row * 22), static_cast<uint8_t>(60 - row * 8)};
    });
    Picture turned(kWidth, kHeight, kFrame);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            turned.at(x, y) = sign.at(kWidth - 1 - x, kHeight - 1 - y);
    return turned;
}

// ---- Writing BMP files, with the builder the reader's tests put their files together with ----

enum class Layout {
    kTrueColour24,  // info header, 24 bits per pixel
    kPalette8,      // info header, 8-bit indices into a colour table
    kPalette4,      // info header, 4-bit indices
    kCorePalette4,  // 12-byte core header, 4-bit indices, 3-byte table entries
    kRunLength8,    // info header, run-length coded 8-bit indices
    kBitFields565,  // info header, 16 bits per pixel with red-green-blue masks 5-6-5
};

std::vector<Rgb> paletteOf(const Picture& picture, size_t limit, const char* name)
{
    std::vector<Rgb> palette;
    for (const Rgb& texel : picture.texels) {
        bool known = false;
        for (const Rgb& colour : palette)
            known = known || colour == texel;
        if (!known)
            palette.push_back(texel);
    }
    if (palette.size() > limit) {
        std::fprintf(stderr, "make_textures: %s has %zu colours, more than %zu\n", name,
                     palette.size(), limit);
        std::exit(1);
    }
    return palette;
}

uint8_t indexOf(const std::vector<Rgb>& palette, Rgb colour)
{
    for (size_t i = 0; i < palette.size(); ++i)
        if (palette[i] == colour)
            return static_cast<uint8_t>(i);
    return 0;
}

// Row y's stored bytes, before padding; run-length rows are their 8-bit indices, to be coded.
std::vector<uint8_t> rowBytes(const Picture& picture, int y, Layout layout,
                              const std::vector<Rgb>& palette)
{
    std::vector<uint8_t> bytes;
    for (int x = 0; x < picture.width; ++x) {
        const Rgb& texel = picture.at(x, y);
        switch (layout) {
            case Layout::kTrueColour24:
                bytes.insert(bytes.end(), {texel.blue, texel.green, texel.red});
                break;
            case Layout::kPalette8:
            case Layout::kRunLength8:
                bytes.push_back(indexOf(palette, texel));
                break;
            case Layout::kPalette4:
            case Layout::kCorePalette4:
                if (x % 2 == 0)
                    bytes.push_back(static_cast<uint8_t>(indexOf(palette, texel) << 4));
                else
                    bytes.back() |= indexOf(palette, texel);
                break;
            case Layout::kBitFields565: {
                const unsigned value =
                    (texel.red >> 3) << 11 | (texel.green >> 2) << 5 | texel.blue >> 3;
                bytes.insert(bytes.end(),
                             {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)});
                break;
            }
        }
    }
    return bytes;
}

// Run-length coding of one row of 8-bit indices: runs of one index, literal stretches of three
// or more, and an end of row, or of the picture after its last row.
void putRunLengthRow(BmpBuilder& out, const std::vector<uint8_t>& row, bool last)
{
    size_t x = 0;
    while (x < row.size()) {
        size_t run = 1;
        while (x + run < row.size() && run < 255 && row[x + run] == row[x])
            ++run;
        if (run >= 2) {
            out.u8(static_cast<uint8_t>(run)).u8(row[x]);
            x += run;
            continue;
        }
        size_t literal = 1;  // up to the next pair of equal indices
        while (x + literal < row.size() && literal < 255 &&
               !(x + literal + 1 < row.size() && row[x + literal] == row[x + literal + 1]))
            ++literal;
        if (literal < 3) {
            for (size_t i = 0; i < literal; ++i)
                out.u8(1).u8(row[x + i]);
        } else {
            out.u8(0).u8(static_cast<uint8_t>(literal));
            for (size_t i = 0; i < literal; ++i)
                out.u8(row[x + i]);
            if (literal % 2 != 0)
                out.u8(0);
        }
        x += literal;
    }
    out.u8(0).u8(last ? 1 : 0);
}

std::vector<uint8_t> encodeBmp(const Picture& picture, Layout layout, const char* name)
{
    const bool core = layout == Layout::kCorePalette4;
    std::vector<Rgb> palette;
    uint16_t bitCount = 24;
    uint32_t compression = 0;
    switch (layout) {
        case Layout::kTrueColour24:
            break;
        case Layout::kPalette8:
        case Layout::kRunLength8:
            palette = paletteOf(picture, 256, name);
            bitCount = 8;
            compression = layout == Layout::kRunLength8 ? 1 : 0;
            break;
        case Layout::kPalette4:
        case Layout::kCorePalette4:
            palette = paletteOf(picture, 16, name);
            bitCount = 4;
            break;
        case Layout::kBitFields565:
            bitCount = 16;
            compression = 3;
            break;
    }
    if (core)
        palette.resize(16, Rgb{0, 0, 0});  // a core header's table always has 2^bits entries

    BmpBuilder pixels;  // the stored rows, bottom row first, each padded to 4 bytes
    for (int y = picture.height - 1; y >= 0; --y) {
        const std::vector<uint8_t> row = rowBytes(picture, y, layout, palette);
        if (layout == Layout::kRunLength8)
            putRunLengthRow(pixels, row, y == 0);
        else
            pixels.row(row);
    }
    const std::vector<uint8_t> pixelBytes = pixels.asBareDib();

    BmpBuilder bmp;
    if (core)
        bmp.coreHeader(static_cast<uint16_t>(picture.width), static_cast<uint16_t>(picture.height),
                       bitCount);
    else
        bmp.infoHeader(picture.width, picture.height, bitCount, compression,
                       static_cast<uint32_t>(palette.size()),
                       static_cast<uint32_t>(pixelBytes.size()));
    if (layout == Layout::kBitFields565)
        bmp.masks(0xF800, 0x07E0, 0x001F);
    for (const Rgb& colour : palette) {
        if (core)
            bmp.triple(colour.red, colour.green, colour.blue);
        else
            bmp.quad(colour.red, colour.green, colour.blue);
    }
    return bmp.pixelsStartHere().raw(pixelBytes).asFile();
}

struct TextureFile {
    const char* name;
    Picture (*paint)();
    Layout layout;
};

// In the game's slot order.
constexpr TextureFile kTextureFiles[] = {
    {"Car.bmp", paintCar, Layout::kTrueColour24},
    {"Dirt.bmp", paintDirt, Layout::kPalette8},
    {"Box1.bmp", paintCrates, Layout::kPalette4},
    {"New.bmp", paintNewButton, Layout::kCorePalette4},
    {"Quit.bmp", paintQuitButton, Layout::kCorePalette4},
    {"Roof.bmp", paintRoof, Layout::kRunLength8},
    {"Road.bmp", paintRoad, Layout::kTrueColour24},
    {"Water.bmp", paintWater, Layout::kPalette4},
    {"Bricks.bmp", paintBricks, Layout::kBitFields565},
    {"Logo.bmp", paintLogo, Layout::kPalette8},
};

// ---- The icon: the car heading up the road, as PNG ----

// The car picture (front along its bottom row) turned front up, over the road, `side` pixels
// square.
Picture paintIcon(int side)
{
    const Picture road = paintRoad(), car = paintCar();
    Picture icon(side, side, Rgb{0, 0, 0});
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            icon.at(x, y) = road.at(x * 128 / side % road.width, y * 128 / side % road.height);
    const int carHeight = side * 7 / 8, carWidth = carHeight / 2;
    const int left = (side - carWidth) / 2, top = (side - carHeight) / 2;
    for (int y = 0; y < carHeight; ++y)
        for (int x = 0; x < carWidth; ++x)
            icon.at(left + x, top + y) =
                car.at(x * car.width / carWidth, car.height - 1 - y * car.height / carHeight);
    return icon;
}

// An 8-bit RGB PNG of the picture, written by libpng.
bool writePng(const std::string& path, const Picture& picture)
{
    static_assert(sizeof(Rgb) == 3, "the texels are the RGB rows libpng takes");
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(picture.width);
    image.height = static_cast<png_uint_32>(picture.height);
    image.format = PNG_FORMAT_RGB;
    const bool written =
        png_image_write_to_file(&image, path.c_str(), 0, picture.texels.data(), 0, nullptr) != 0;
    if (!written)
        std::fprintf(stderr, "make_textures: cannot write %s: %s\n", path.c_str(), image.message);
    png_image_free(&image);
    return written;
}

bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    const bool written = file && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (file && std::fclose(file) != 0)
        return false;
    if (!written)
        std::fprintf(stderr, "make_textures: cannot write %s\n", path.c_str());
    return written;
}

constexpr int kIconSides[] = {32, 48, 64, 128, 256};
constexpr int kWindowIconSides[] = {32, 48, 64, 128};  // what task bars and switchers show

// The icon's sizes as the window's _NET_WM_ICON property lists them: each its width, its height,
// then its pixels row by row from the top as 0xAARRGGBB, all opaque.
std::vector<uint8_t> encodeWindowIconHeader()
{
    std::string text =
        "// The game's icon for its window, painted at build time by tools/make_textures.cpp\n"
        "// --window-icon: for each size its width, its height and its pixels row by row from the\n"
        "// top as 0xAARRGGBB, as the window's _NET_WM_ICON property lists them.\n"
        "#pragma once\n\n#include <cstdint>\n\nconstexpr uint32_t kWindowIconPixels[] = {\n";
    char value[16];
    for (const int side : kWindowIconSides) {
        text += "    " + std::to_string(side) + ", " + std::to_string(side) + ",\n";
        const Picture icon = paintIcon(side);
        for (size_t i = 0; i < icon.texels.size(); ++i) {
            const Rgb& texel = icon.texels[i];
            std::snprintf(value, sizeof value, "0xff%02x%02x%02x,", texel.red, texel.green,
                          texel.blue);
            text += (i % 8 == 0 ? "    " : " ") + std::string(value) + (i % 8 == 7 ? "\n" : "");
        }
    }
    text += "};\n";
    return std::vector<uint8_t>(text.begin(), text.end());
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::string(argv[1]) == "--icons") {
        for (const int side : kIconSides) {
            const std::string path =
                std::string(argv[2]) + "/tarvelo-" + std::to_string(side) + ".png";
            if (!writePng(path, paintIcon(side)))
                return 1;
        }
        return 0;
    }
    if (argc == 3 && std::string(argv[1]) == "--window-icon")
        return writeFile(argv[2], encodeWindowIconHeader()) ? 0 : 1;
    const std::string folder = argc > 1 ? argv[1] : ".";
    for (const TextureFile& texture : kTextureFiles) {
        const std::vector<uint8_t> bytes = encodeBmp(texture.paint(), texture.layout, texture.name);
        const std::string path = folder + "/" + texture.name;
        if (!writeFile(path, bytes))
            return 1;
        std::printf("%s: %zu bytes\n", path.c_str(), bytes.size());
    }
    return 0;
}
