// Short notices over the map: a black box with a word or two in white.
#include "session/Notice.h"

#include <GL/gl.h>

#include <algorithm>

#include "assets/Letters.h"
#include "assets/PixelScale.h"

namespace {

constexpr TextFont kFont = TextFont::Serif24;
constexpr float kBaseLineAboveBottom = 2.0f;  // view units from the box's bottom to the text's
constexpr TextFont kLinesFont = TextFont::Fixed9x15;
constexpr int kLinePixels = 17;   // from one line's base line to the next, at 1x
constexpr int kMarginPixels = 8;  // from the box's edges to the lines, at 1x

// A box in black, in view units: a quad (not every renderer has GL's rectangle call).
void drawBox(float left, float bottom, float right, float top)
{
    glColor3f(0.0f, 0.0f, 0.0f);
    glBegin(GL_QUADS);
    glVertex2f(left, bottom);
    glVertex2f(right, bottom);
    glVertex2f(right, top);
    glVertex2f(left, top);
    glEnd();
}

}  // namespace

// The boxes are opaque paint, unblended; the letters blend their texture over them, and the
// game's blending is on again afterwards, even where no letter was shown.
void drawNotice(const char* text, const NoticeBox& box, const PictureArea& area,
                const TextColour& colour)
{
    glDisable(GL_BLEND);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    drawBox(box.left, box.bottom, box.right, box.top);
    glColor4f(colour.red, colour.green, colour.blue, 1.0f);
    const int width = textWidth(kFont, text);
    drawText(kFont, text,
             {static_cast<float>((box.left + box.right) / 2.0 -
                                 width / 2.0 * (2.0 * kViewHalfSize / area.width)),
              static_cast<float>(box.bottom + kBaseLineAboveBottom)});
    glPopMatrix();
    glEnable(GL_BLEND);
}

void drawNoticeLines(const std::vector<std::string>& lines, const NoticeBox& box,
                     const PictureArea& area)
{
    glDisable(GL_BLEND);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    const double unitsPerPixelAcross = 2.0 * kViewHalfSize / area.width;
    const double unitsPerPixelUp = 2.0 * kViewHalfSize / area.height;
    int widest = 0;
    for (const std::string& line : lines)
        widest = std::max(widest, textWidth(kLinesFont, line.c_str()));
    const double needed = (2 * kMarginPixels + kLinePixels * static_cast<int>(lines.size()) + 4) *
                          pixelScale * unitsPerPixelUp;
    const double right = box.left + (2 * kMarginPixels * pixelScale + widest) * unitsPerPixelAcross;
    drawBox(box.left, static_cast<float>(std::max<double>(box.bottom, box.top - needed)),
            static_cast<float>(std::min<double>(box.right, right)), box.top);
    glColor3f(1.0f, 1.0f, 1.0f);
    const double left = box.left + kMarginPixels * pixelScale * unitsPerPixelAcross;
    double baseLine = box.top - (kMarginPixels + kLinePixels) * pixelScale * unitsPerPixelUp;
    std::vector<TextRun> runs;
    for (const std::string& line : lines) {
        if (baseLine < box.bottom)
            break;  // a window too small for them all shows those that fit
        runs.push_back(
            {line.c_str(), kLinesFont, {static_cast<float>(left), static_cast<float>(baseLine)}});
        baseLine -= kLinePixels * pixelScale * unitsPerPixelUp;
    }
    drawTexts(runs.data(), runs.size());
    glPopMatrix();
    glEnable(GL_BLEND);
}
