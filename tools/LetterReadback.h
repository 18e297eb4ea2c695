// GLUT's bitmap letters read back from a real window: the letter generator writes the game's
// table of letters from them, and a window test checks the committed table against them.
// GLUT draws its letters with glBitmap; so each letter is drawn once in white on black in a cell
// of its own at the corner of the viewport, and read back as the pixels it lights.
#pragma once

#include <GL/freeglut.h>

#include <algorithm>
#include <string>
#include <vector>

#include "assets/LetterTable.h"

namespace letters {

// One letter as GLUT draws it at a raster position on a whole pixel.
struct ReadLetter {
    int advance = 0;                // pixels the raster position moves on
    int left = 0, bottom = 0;       // the lit pixels' lower left corner from the raster position
    int width = 0, height = 0;      // their extent, 0 for a letter that lights none (space)
    std::vector<std::string> rows;  // top row first, '#' lit and '.' not
};

// Every printable letter of `font`, in code order, read back through the viewport's lower left
// corner (whose pixels it leaves changed); empty when the viewport is too small for them. A cell
// reaches a line's height beyond the letter's advance on every side: room for any letter around
// its raster position.
inline std::vector<ReadLetter> readLetters(void* font)
{
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    const int margin = glutBitmapHeight(font);
    int widest = 0;
    for (int c = kFirstLetter; c <= kLastLetter; ++c)
        widest = std::max(widest, glutBitmapWidth(font, c));
    const int cellWidth = widest + 2 * margin, cellHeight = 3 * margin;
    const int perRow = viewport[2] / cellWidth;
    if (perRow == 0)
        return {};
    const int rows = (kLettersPerFont + perRow - 1) / perRow;
    const int areaWidth = perRow * cellWidth, areaHeight = rows * cellHeight;
    if (areaHeight > viewport[3])
        return {};

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
    for (int i = 0; i < kLettersPerFont; ++i) {
        glRasterPos2i((i % perRow) * cellWidth + margin, (i / perRow) * cellHeight + margin);
        glutBitmapCharacter(font, kFirstLetter + i);
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

    std::vector<ReadLetter> letters(kLettersPerFont);
    for (int i = 0; i < kLettersPerFont; ++i) {
        ReadLetter& letter = letters[i];
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
        letter.advance = glutBitmapWidth(font, kFirstLetter + i);
        if (right < 0)
            continue;  // lights nothing
        letter.left = left - margin;
        letter.bottom = bottom - margin;
        letter.width = right - left + 1;
        letter.height = top - bottom + 1;
        for (int y = top; y >= bottom; --y) {
            std::string row;
            for (int x = left; x <= right; ++x)
                row += litAt(x, y) ? '#' : '.';
            letter.rows.push_back(row);
        }
    }
    return letters;
}

}  // namespace letters
