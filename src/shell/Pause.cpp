// The pause key. The frame after the press is drawn as usual and kept, read back before it is
// shown (what is on screen cannot be read back dependably); from then on nothing of the game
// runs: no motion step, no world update, no random number drawn, until p again.
#include "shell/Pause.h"

#include <GL/glut.h>

#include <vector>

#include "effects/Sound.h"
#include "shell/Game.h"

namespace {

enum class State { kPlaying, kPausing, kPaused };
State state = State::kPlaying;
std::vector<unsigned char> keptPicture;  // RGB rows, bottom row first, of the window as it was
int keptWidth = 0, keptHeight = 0;

constexpr const char kWord[] = "PAUSED";

// The word in white on a black box over the map.
void drawWord()
{
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glColor3f(0.0f, 0.0f, 0.0f);
    glRectf(kPausedLeft, kPausedBottom, kPausedRight, kPausedTop);
    glColor3f(1.0f, 1.0f, 1.0f);
    int wordWidth = 0;
    for (const char* c = kWord; *c != '\0'; ++c)
        wordWidth += glutBitmapWidth(GLUT_BITMAP_TIMES_ROMAN_24, *c);
    const double pixelWidth = 100.0 / viewportWidth;
    glRasterPos2f(
        static_cast<float>((kPausedLeft + kPausedRight) / 2.0 - wordWidth / 2.0 * pixelWidth),
        static_cast<float>(kPausedBottom + 2.0));
    for (const char* c = kWord; *c != '\0'; ++c)
        glutBitmapCharacter(GLUT_BITMAP_TIMES_ROMAN_24, *c);
    glPopMatrix();
    glPopAttrib();
}

}  // namespace

bool gamePaused()
{
    return state == State::kPaused;
}

void togglePause()
{
    if (state == State::kPlaying) {
        state = State::kPausing;
        return;
    }
    resumePlay();
}

void resumePlay()
{
    if (state == State::kPaused)
        glutPostRedisplay();
    state = State::kPlaying;
    keptPicture.clear();
    setSoundPaused(!windowShown);
}

void keepFrameWhenPausing()
{
    if (state != State::kPausing)
        return;
    keptWidth = viewportWidth;
    keptHeight = viewportHeight;
    keptPicture.assign(static_cast<size_t>(keptWidth) * keptHeight * 3, 0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, keptWidth, keptHeight, GL_RGB, GL_UNSIGNED_BYTE, keptPicture.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    state = State::kPaused;
    setSoundPaused(true);
    drawWord();
}

void drawPausedFrame()
{
    // The picture as it was, pixel for pixel, from the window's bottom left corner; a window
    // resized since shows it at its old size.
    glClear(GL_COLOR_BUFFER_BIT);
    glPushAttrib(GL_ENABLE_BIT | GL_PIXEL_MODE_BIT);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glRasterPos2f(-50.0f, -50.0f);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glDrawPixels(keptWidth, keptHeight, GL_RGB, GL_UNSIGNED_BYTE, keptPicture.data());
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPopMatrix();
    glPopAttrib();
    drawWord();
}
