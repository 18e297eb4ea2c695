// The game's letters in a real window: the committed table against the letters GLUT draws, read
// back the way the letter generator reads them; and text drawn from the table against the same
// text drawn by GLUT, pixel for pixel, at pens between pixels and in a fading colour.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "GlHarness.h"
#include "LetterReadback.h"
#include "assets/LetterTable.h"
#include "assets/Letters.h"

namespace {

struct FontRow {
    TextFont font;
    void* glutFont;
    const char* name;
};
const FontRow fonts[] = {
    {TextFont::Fixed9x15, GLUT_BITMAP_9_BY_15, "9 by 15"},
    {TextFont::Serif10, GLUT_BITMAP_TIMES_ROMAN_10, "serif 10"},
    {TextFont::Serif24, GLUT_BITMAP_TIMES_ROMAN_24, "serif 24"},
};

std::string described(int advance, int left, int bottom, int width, int height,
                      const std::string& rows)
{
    return "advance " + std::to_string(advance) + ", lit from (" + std::to_string(left) + ", " +
           std::to_string(bottom) + "), " + std::to_string(width) + " x " + std::to_string(height) +
           ": " + rows;
}

TEST(LettersTest, TableHoldsEveryLetterAsGlutDrawsIt)
{
    glViewport(0, 0, harness::kWindowWidth, harness::kWindowHeight);
    for (const FontRow& font : fonts) {
        const std::vector<letters::ReadLetter> read = letters::readLetters(font.glutFont);
        ASSERT_EQ(read.size(), static_cast<size_t>(kLettersPerFont)) << font.name;
        for (int i = 0; i < kLettersPerFont; ++i) {
            const LetterShape& shape = kLetterTable[static_cast<int>(font.font)][i];
            const letters::ReadLetter& glut = read[i];
            std::string glutRows;
            for (const std::string& row : glut.rows)
                glutRows += row;
            EXPECT_EQ(shape.code, static_cast<char>(kFirstLetter + i)) << font.name;
            EXPECT_EQ(
                described(shape.advance, shape.left, shape.bottom, shape.width, shape.height,
                          shape.rows),
                described(glut.advance, glut.left, glut.bottom, glut.width, glut.height, glutRows))
                << font.name << ", letter '" << static_cast<char>(kFirstLetter + i) << "'";
        }
    }
}

std::vector<unsigned char> pictureOf(void (*draw)(const FontRow&, const char*, float, float, bool),
                                     const FontRow& font, const char* text, float x, float y,
                                     bool fading)
{
    glClearColor(0.25f, 0.5f, 0.75f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    draw(font, text, x, y, fading);
    return harness::windowPicture();
}

void setColour(bool fading)
{
    if (fading)
        glColor4f(1.0f, 0.35f, 0.35f, 0.6f);  // a split behind, fading away
    else
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
}

void drawnByGlut(const FontRow& font, const char* text, float x, float y, bool fading)
{
    if (fading) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    } else {
        glDisable(GL_BLEND);
    }
    setColour(fading);
    glRasterPos2f(x, y);
    for (const char* c = text; *c != '\0'; ++c)
        glutBitmapCharacter(font.glutFont, *c);
}

void drawnFromTheTable(const FontRow& font, const char* text, float x, float y, bool fading)
{
    glDisable(GL_BLEND);
    setColour(fading);
    drawText(font.font, text, {x, y});
}

TEST(LettersTest, TextFromTheTableLightsThePixelsGlutLights)
{
    // One unit a pixel over the whole window, moved so that pens fall between pixels.
    glViewport(0, 0, harness::kWindowWidth, harness::kWindowHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, harness::kWindowWidth, 0.0, harness::kWindowHeight, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_TEXTURE_2D);
    glTranslatef(0.125f, 0.0f, 0.0f);
    std::string all;
    for (char c = kFirstLetter; c <= kLastLetter; ++c)
        all += c;
    const std::string halves[2] = {all.substr(0, all.size() / 2), all.substr(all.size() / 2)};
    struct Pen {
        float x, y;
        bool fading;
    };
    const Pen pens[] = {
        {20.0f, 20.0f, false},          // on a pixel's corner
        {31.375f, 300.5f, false},       // between pixels
        {40.99995f, 500.99995f, true},  // a hair short of a corner: GL's rounding
        {2.7f, 700.25f, true},         {-40.0f, 200.0f, false},  // outside the view: nothing
        {900.0f, 60.0f, false},                                  // running off the window's edge
    };
    for (const FontRow& font : fonts)
        for (const std::string& text : halves)
            for (const Pen& pen : pens) {
                const std::vector<unsigned char> glut =
                    pictureOf(drawnByGlut, font, text.c_str(), pen.x, pen.y, pen.fading);
                const std::vector<unsigned char> table =
                    pictureOf(drawnFromTheTable, font, text.c_str(), pen.x, pen.y, pen.fading);
                ASSERT_EQ(glut.size(), table.size());
                int differing = 0, lit = 0;
                for (size_t i = 0; i < glut.size(); i += 3) {
                    differing += glut[i] != table[i] || glut[i + 1] != table[i + 1] ||
                                 glut[i + 2] != table[i + 2];
                    lit += glut[i] != 64;  // not the background's red
                }
                EXPECT_EQ(differing, 0) << font.name << " from (" << pen.x << ", " << pen.y << "), "
                                        << lit << " pixels lit by GLUT: " << text;
            }
}

}  // namespace
