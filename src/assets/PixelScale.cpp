// Sizes in pixels on large screens: the scale, and GLUT's bitmap letters enlarged pixel for pixel.
// GLUT draws its letters with glBitmap, which no zoom affects; so each letter is drawn once in
// white on black, read back, and kept as the pixels it lights, from which the game builds its own
// bitmaps at any scale.
#include "assets/PixelScale.h"

#include <GL/freeglut.h>

#include <algorithm>
#include <vector>

int pixelScale = 1;

namespace {

constexpr unsigned char kFirstLetter = 32;  // the printable ASCII letters, space to tilde
constexpr unsigned char kLastLetter = 126;
constexpr int kLetters = kLastLetter - kFirstLetter + 1;

// One letter of a font: the pixels it lights, where they lie from the raster position, and its
// bitmap at the current scale.
struct Letter {
    int left = 0, bottom = 0;       // the lit pixels' lower left corner from the raster position
    int width = 0, height = 0;      // their extent, 0 for a letter that lights none (space)
    int advance = 0;                // pixels the raster position moves on at GLUT's size
    std::vector<bool> lit;          // width x height, the bottom row first
    std::vector<GLubyte> enlarged;  // rows of whole bytes, bottom first, at the current scale
};

struct Font {
    void* glutFont;
    bool read = false;  // its letters have been read back
    Letter letters[kLetters];
};

Font fonts[] = {
    {GLUT_BITMAP_9_BY_15, false, {}},
    {GLUT_BITMAP_TIMES_ROMAN_10, false, {}},
    {GLUT_BITMAP_TIMES_ROMAN_24, false, {}},
};

Font* fontOf(void* glutFont)
{
    for (Font& font : fonts)
        if (font.glutFont == glutFont)
            return &font;
    return nullptr;
}

// Draws every letter in a cell of its own at the picture's lower left corner, white on black,
// and reads them back. A cell reaches a line's height beyond the letter's advance on every side:
// room for any letter around its raster position. False when the picture is too small for them.
bool readLetters(Font& font)
{
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    const int margin = glutBitmapHeight(font.glutFont);
    int widest = 0;
    for (int c = kFirstLetter; c <= kLastLetter; ++c)
        widest = std::max(widest, glutBitmapWidth(font.glutFont, c));
    const int cellWidth = widest + 2 * margin, cellHeight = 3 * margin;
    const int perRow = viewport[2] / cellWidth;
    if (perRow == 0)
        return false;
    const int rows = (kLetters + perRow - 1) / perRow;
    const int areaWidth = perRow * cellWidth, areaHeight = rows * cellHeight;
    if (areaHeight > viewport[3])
        return false;

    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_SCISSOR_TEST);
    glScissor(viewport[0], viewport[1], areaWidth, areaHeight);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, viewport[2], 0.0, viewport[3], -1.0, 1.0);  // one unit a pixel
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glColor3f(1.0f, 1.0f, 1.0f);
    for (int i = 0; i < kLetters; ++i) {
        glRasterPos2i((i % perRow) * cellWidth + margin, (i / perRow) * cellHeight + margin);
        glutBitmapCharacter(font.glutFont, kFirstLetter + i);
    }
    std::vector<GLubyte> pixels(static_cast<size_t>(areaWidth) * areaHeight);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(viewport[0], viewport[1], areaWidth, areaHeight, GL_RED, GL_UNSIGNED_BYTE,
                 pixels.data());
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glPopClientAttrib();
    glPopAttrib();  // also the matrix mode, the modelview's

    for (int i = 0; i < kLetters; ++i) {
        Letter& letter = font.letters[i];
        const int cellX = (i % perRow) * cellWidth, cellY = (i / perRow) * cellHeight;
        auto litAt = [&](int x, int y) {
            return pixels[static_cast<size_t>(cellY + y) * areaWidth + cellX + x] > 127;
        };
        int left = cellWidth, right = -1, bottom = cellHeight, top = -1;
        for (int y = 0; y < cellHeight; ++y)
            for (int x = 0; x < cellWidth; ++x)
                if (litAt(x, y)) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                    bottom = std::min(bottom, y);
                    top = std::max(top, y);
                }
        letter = Letter{};
        letter.advance = glutBitmapWidth(font.glutFont, kFirstLetter + i);
        if (right < 0)
            continue;  // lights nothing
        letter.left = left - margin;
        letter.bottom = bottom - margin;
        letter.width = right - left + 1;
        letter.height = top - bottom + 1;
        for (int y = bottom; y <= top; ++y)
            for (int x = left; x <= right; ++x)
                letter.lit.push_back(litAt(x, y));
    }
    return true;
}

// The letter's bitmap with each of its pixels a square of `scale` pixels.
void enlarge(Letter& letter, int scale)
{
    const int width = letter.width * scale, height = letter.height * scale;
    const int rowBytes = (width + 7) / 8;
    letter.enlarged.assign(static_cast<size_t>(rowBytes) * height, 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (letter.lit[static_cast<size_t>(y / scale) * letter.width + x / scale])
                letter.enlarged[static_cast<size_t>(y) * rowBytes + x / 8] |=
                    static_cast<GLubyte>(0x80 >> (x % 8));
}

// The scale a font is drawn at: its letters are enlarged only once they have been read.
int scaleOf(const Font* font)
{
    return font && font->read ? pixelScale : 1;
}

}  // namespace

int pixelScaleOf(int pictureHeight)
{
    return std::max(1, pictureHeight / kDesignedHeight);
}

void setPixelScale(int scale)
{
    pixelScale = scale;
    if (scale == 1)
        return;
    for (Font& font : fonts) {
        if (!font.read)
            font.read = readLetters(font);
        if (font.read)
            for (Letter& letter : font.letters)
                enlarge(letter, scale);
    }
}

float scaledPixels(double pixels)
{
    return static_cast<float>(pixels * pixelScale);
}

int textWidth(void* font, const char* text)
{
    int width = 0;
    for (const char* c = text; *c != '\0'; ++c)
        width += glutBitmapWidth(font, *c);
    return width * scaleOf(fontOf(font));
}

void drawText(void* glutFont, const char* text)
{
    const Font* font = fontOf(glutFont);
    const int scale = scaleOf(font);
    if (scale == 1) {
        for (const char* c = text; *c != '\0'; ++c)
            glutBitmapCharacter(glutFont, *c);
        return;
    }
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_SWAP_BYTES, GL_FALSE);
    glPixelStorei(GL_UNPACK_LSB_FIRST, GL_FALSE);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    for (const char* c = text; *c != '\0'; ++c) {
        const unsigned char code = static_cast<unsigned char>(*c);
        if (code < kFirstLetter || code > kLastLetter)
            continue;  // the game writes printable ASCII only
        const Letter& letter = font->letters[code - kFirstLetter];
        static const GLubyte kNothing = 0;
        glBitmap(
            letter.width * scale, letter.height * scale, static_cast<float>(-letter.left * scale),
            static_cast<float>(-letter.bottom * scale), static_cast<float>(letter.advance * scale),
            0.0f, letter.enlarged.empty() ? &kNothing : letter.enlarged.data());
    }
    glPopClientAttrib();
}
