// Short notices over the map: a black box with a word or two in white.
#include "session/Notice.h"

#include <GL/glut.h>

#include "assets/PixelScale.h"

namespace {

void* const kFont = GLUT_BITMAP_TIMES_ROMAN_24;
constexpr float kBaseLineAboveBottom = 2.0f;  // view units from the box's bottom to the text's

}  // namespace

void drawNotice(const char* text, const NoticeBox& box, const PictureArea& area)
{
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glColor3f(0.0f, 0.0f, 0.0f);
    glRectf(box.left, box.bottom, box.right, box.top);
    glColor3f(1.0f, 1.0f, 1.0f);
    const int width = textWidth(kFont, text);
    glRasterPos2f(static_cast<float>((box.left + box.right) / 2.0 -
                                     width / 2.0 * (2.0 * kViewHalfSize / area.width)),
                  static_cast<float>(box.bottom + kBaseLineAboveBottom));
    drawText(kFont, text);
    glPopMatrix();
    glPopAttrib();
}
