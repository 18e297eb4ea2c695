// The pause key. The frame after the press is drawn as usual and kept, copied before it is
// shown (what is on screen cannot be read back dependably) into a texture that lives as long as
// the game, so that pausing costs no memory of its own; from then on nothing of the game runs:
// no motion step, no world update, no random number drawn, until p again.
#include "shell/Pause.h"

#include <GL/glut.h>

#include <algorithm>

#include "effects/Sound.h"
#include "shell/Game.h"
#include "shell/Notice.h"

namespace {

enum class State { kPlaying, kPausing, kPaused };
State state = State::kPlaying;

// The kept picture: the picture's pixels in the bottom left corner of a texture with sides of a
// power of two, which every GL takes; made larger only when a larger picture is paused.
GLuint keptTexture = 0;
int textureWidth = 0, textureHeight = 0;
int keptWidth = 0, keptHeight = 0;

int powerOfTwoFrom(int pixels)
{
    int side = 1;
    while (side < pixels)
        side *= 2;
    return side;
}

void keepPicture()
{
    GLint largest = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    keptWidth = std::min(viewportWidth, static_cast<int>(largest));
    keptHeight = std::min(viewportHeight, static_cast<int>(largest));
    if (keptTexture == 0)
        glGenTextures(1, &keptTexture);
    glPushAttrib(GL_TEXTURE_BIT);
    glBindTexture(GL_TEXTURE_2D, keptTexture);
    if (keptWidth > textureWidth || keptHeight > textureHeight) {
        textureWidth = std::max(textureWidth, powerOfTwoFrom(keptWidth));
        textureHeight = std::max(textureHeight, powerOfTwoFrom(keptHeight));
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, textureWidth, textureHeight, 0, GL_RGB,
                     GL_UNSIGNED_BYTE, nullptr);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    }
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, pictureDrawnBottom, keptWidth, keptHeight);
    glPopAttrib();
}

}  // namespace

bool gamePaused()
{
    return state == State::kPaused;
}

bool pauseComing()
{
    return state == State::kPausing;
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
    setSoundPaused(!windowShown);
}

void keepFrameWhenPausing()
{
    if (state != State::kPausing)
        return;
    keepPicture();
    state = State::kPaused;
    setSoundPaused(true);
    drawNotice("PAUSED", kPausedBox);
}

void drawPausedFrame()
{
    // The picture as it was, pixel for pixel, over the picture as it is drawn; a window
    // resized since, or switched to or from full screen, shows it stretched over the new picture.
    glClear(GL_COLOR_BUFFER_BIT);
    glPushAttrib(GL_ENABLE_BIT | GL_TEXTURE_BIT | GL_CURRENT_BIT);
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glBindTexture(GL_TEXTURE_2D, keptTexture);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, keptWidth, 0.0, keptHeight, -1.0, 1.0);  // one unit a pixel of the kept picture
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    const float right = static_cast<float>(keptWidth) / static_cast<float>(textureWidth);
    const float top = static_cast<float>(keptHeight) / static_cast<float>(textureHeight);
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2i(0, 0);
    glTexCoord2f(right, 0.0f);
    glVertex2i(keptWidth, 0);
    glTexCoord2f(right, top);
    glVertex2i(keptWidth, keptHeight);
    glTexCoord2f(0.0f, top);
    glVertex2i(0, keptHeight);
    glEnd();
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopAttrib();
    drawNotice("PAUSED", kPausedBox);
}
