// The game's text, drawn from the table of letters: one texture holding every letter of the three
// fonts, made the first time text is written, and a textured square for each letter written.
#include "assets/Letters.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "assets/PixelScale.h"

namespace {

// A bitmap's corner lands at floor(x + 0.0001 - origin) in GL's renderer: the letters drawn
// with glBitmap before lit those pixels, so these land by the same rule.
constexpr float kCornerEpsilon = 0.0001f;
constexpr int kCellsAcross = 16;  // letters in a row of a font's cells

// Every letter in one texture, the fonts one above the other: letter i of a font in cell
// (i % kCellsAcross, i / kCellsAcross) of the font's cells, its lit texels opaque at the cell's
// lower left corner, everything else clear. One texture, so that all the text of a frame is
// drawn with one setting of the renderer.
struct LetterTexture {
    GLuint name = 0;            // 0 until text is first written
    int width = 0, height = 0;  // texels, powers of two
    struct FontCells {
        int bottom;         // the texel row the font's cells start at
        int width, height;  // texels of a cell
    } fonts[kTextFonts];
};
LetterTexture letterTexture;

int powerOfTwoFrom(int texels)
{
    int side = 1;
    while (side < texels)
        side *= 2;
    return side;
}

const LetterShape& letterOf(TextFont font, int index)
{
    return kLetterTable[static_cast<int>(font)][index];
}

// Where a letter's texels lie in the texture: its cell's lower left corner.
void cellOf(TextFont font, int index, int& x, int& y)
{
    const LetterTexture::FontCells& cells = letterTexture.fonts[static_cast<int>(font)];
    x = index % kCellsAcross * cells.width;
    y = cells.bottom + index / kCellsAcross * cells.height;
}

void makeLetterTexture()
{
    constexpr int kCellRows = (kLettersPerFont + kCellsAcross - 1) / kCellsAcross;
    LetterTexture& texture = letterTexture;
    int height = 0, width = 0;
    for (int f = 0; f < kTextFonts; ++f) {
        LetterTexture::FontCells& cells = texture.fonts[f];
        cells = {height, 0, 0};
        for (int i = 0; i < kLettersPerFont; ++i) {
            cells.width = std::max(cells.width, letterOf(TextFont(f), i).width + 1);
            cells.height = std::max(cells.height, letterOf(TextFont(f), i).height + 1);
        }
        height += kCellRows * cells.height;
        width = std::max(width, kCellsAcross * cells.width);
    }
    texture.width = powerOfTwoFrom(width);
    texture.height = powerOfTwoFrom(height);
    // White, lit where a letter is: GL colours a texel of white and alpha with the letters'
    // colour and takes their opacity times its own. (An alpha texture would do as much in GL,
    // but the browser's GL colours it black.)
    std::vector<GLubyte> texels(2 * static_cast<size_t>(texture.width) * texture.height, 0);
    for (int f = 0; f < kTextFonts; ++f)
        for (int i = 0; i < kLettersPerFont; ++i) {
            const LetterShape& letter = letterOf(TextFont(f), i);
            int cellX = 0, cellY = 0;
            cellOf(TextFont(f), i, cellX, cellY);
            for (int row = 0; row < letter.height; ++row) {
                const int y = cellY + letter.height - 1 - row;  // the table's top row first
                for (int x = 0; x < letter.width; ++x)
                    if (letter.rows[row * letter.width + x] == '#')
                        texels[2 * (static_cast<size_t>(y) * texture.width + cellX + x) + 1] = 255;
            }
        }
    // Rows a power of two of at least kCellsAcross texels: whole words, as GL unpacks them by
    // default, so that the game's unpacking needs no change here.
    glGenTextures(1, &texture.name);
    glBindTexture(GL_TEXTURE_2D, texture.name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    for (size_t i = 0; i < texels.size(); i += 2)
        texels[i] = 255;
    glTexImage2D(GL_TEXTURE_2D, 0, GL_LUMINANCE_ALPHA, texture.width, texture.height, 0,
                 GL_LUMINANCE_ALPHA, GL_UNSIGNED_BYTE, texels.data());
}

// The pen in window coordinates, worked out as GL works out a raster position, in single
// precision: the point through the product of the projection and the modelview, divided by w,
// then through the viewport. False where the point lies outside the view.
bool penInWindow(PenPlace place, float& x, float& y)
{
    GLfloat modelview[16], projection[16];
    GLint viewport[4];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    GLfloat product[16];  // column by column, as GL keeps matrices
    for (int column = 0; column < 4; ++column)
        for (int row = 0; row < 4; ++row)
            product[column * 4 + row] = projection[row] * modelview[column * 4] +
                                        projection[4 + row] * modelview[column * 4 + 1] +
                                        projection[8 + row] * modelview[column * 4 + 2] +
                                        projection[12 + row] * modelview[column * 4 + 3];
    GLfloat clip[4];
    for (int row = 0; row < 4; ++row)
        clip[row] = place.x * product[row] + place.y * product[4 + row] + product[12 + row];
    for (int axis = 0; axis < 3; ++axis)
        if (clip[axis] < -clip[3] || clip[axis] > clip[3])
            return false;
    const GLfloat halfWidth = static_cast<GLfloat>(viewport[2]) * 0.5f;
    const GLfloat halfHeight = static_cast<GLfloat>(viewport[3]) * 0.5f;
    x = clip[0] / clip[3] * halfWidth + (static_cast<GLfloat>(viewport[0]) + halfWidth);
    y = clip[1] / clip[3] * halfHeight + (static_cast<GLfloat>(viewport[1]) + halfHeight);
    return true;
}

bool printable(char c)
{
    return c >= kFirstLetter && c <= kLastLetter;
}

// The squares of a text's letters from a pen in window coordinates, within a glBegin(GL_QUADS),
// in the viewport's pixels.
void letterSquares(const TextRun& run, float penX, float penY, const GLint (&viewport)[4])
{
    const int scale = pixelScale;
    const float across = 1.0f / static_cast<float>(letterTexture.width);
    const float up = 1.0f / static_cast<float>(letterTexture.height);
    const int baseLine = static_cast<int>(std::floor(penY + kCornerEpsilon)) - viewport[1];
    for (const char* c = run.text; *c != '\0'; ++c) {
        if (!printable(*c))
            continue;
        const int index = *c - kFirstLetter;
        const LetterShape& letter = letterOf(run.font, index);
        if (letter.width > 0) {
            const int left = static_cast<int>(std::floor(penX + kCornerEpsilon)) - viewport[0] +
                             letter.left * scale;
            const int bottom = baseLine + letter.bottom * scale;
            const int right = left + letter.width * scale, top = bottom + letter.height * scale;
            int cellX = 0, cellY = 0;
            cellOf(run.font, index, cellX, cellY);
            const float s0 = static_cast<float>(cellX) * across;
            const float s1 = static_cast<float>(cellX + letter.width) * across;
            const float t0 = static_cast<float>(cellY) * up;
            const float t1 = static_cast<float>(cellY + letter.height) * up;
            glTexCoord2f(s0, t0);
            glVertex2i(left, bottom);
            glTexCoord2f(s1, t0);
            glVertex2i(right, bottom);
            glTexCoord2f(s1, t1);
            glVertex2i(right, top);
            glTexCoord2f(s0, t1);
            glVertex2i(left, top);
        }
        penX += static_cast<float>(letter.advance * scale);  // as GL moves a raster position on
    }
}

}  // namespace

int textWidth(TextFont font, const char* text)
{
    int width = 0;
    for (const char* c = text; *c != '\0'; ++c)
        if (printable(*c))
            width += letterOf(font, *c - kFirstLetter).advance;
    return width * pixelScale;
}

void drawText(TextFont font, const char* text, PenPlace pen)
{
    const TextRun run = {text, font, pen};
    drawTexts(&run, 1);
}

void drawTexts(const TextRun* runs, std::size_t count)
{
    // The pens first, through the matrices the texts are given in.
    std::vector<float> pens(2 * count);
    std::vector<bool> shown(count);
    for (std::size_t i = 0; i < count; ++i)
        shown[i] = penInWindow(runs[i].pen, pens[2 * i], pens[2 * i + 1]);
    if (std::find(shown.begin(), shown.end(), true) == shown.end())
        return;
    if (letterTexture.name == 0)
        makeLetterTexture();

    // Unlit texels leave the picture as it is; lit ones write the colour at its alpha. Blending
    // stays on afterwards and texturing goes off again, as the game's drawing has them.
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, letterTexture.name);
    GLint viewport[4];
    beginViewportPixels(viewport);
    glBegin(GL_QUADS);
    for (std::size_t i = 0; i < count; ++i)
        if (shown[i])
            letterSquares(runs[i], pens[2 * i], pens[2 * i + 1], viewport);
    glEnd();
    endViewportPixels();
    glDisable(GL_TEXTURE_2D);
}
