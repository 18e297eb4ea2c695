// The game's window: the picture's place in it, the view over it, full screen or a window.
#include "platform/Window.h"

#include <GL/glu.h>
#include "platform/Glut.h"

#include <algorithm>
#include <optional>

#include "assets/PixelScale.h"
#include "platform/Platform.h"

int windowWidth = 640;
int windowHeight = 480;
int viewportWidth = 640;
int viewportHeight = 480;
int viewportLeft = 0;
int viewportBottom = 0;
int pictureDrawnBottom = 0;
bool aspectKept = false;
bool windowShown = false;

namespace {

bool oversized = false;  // larger than the renderer can draw: nothing is drawn

// Full screen, or the window: as the player last asked for it, and the window's size.
bool fullScreenAsked = false;
bool windowToBeSized = false;  // full screen was left: the window's size follows
int windowedWidth = kWindowWidth, windowedHeight = kWindowHeight;

// The picture's place in a window of this size: all of it; or, with the proportions kept, as
// wide as 4:3 allows at the window's height (bars beside it) or as tall as it allows at the
// window's width (bars above and below), to the nearest pixel, in the middle.
void placePicture(int width, int height)
{
    viewportWidth = width;
    viewportHeight = height;
    if (aspectKept && width * 3 > height * 4)
        viewportWidth = (8 * height + 3) / 6;  // height x 4 / 3, rounded
    else if (aspectKept && width * 3 < height * 4)
        viewportHeight = (6 * width + 4) / 8;  // width x 3 / 4, rounded
    viewportLeft = (width - viewportWidth) / 2;
    viewportBottom = (height - viewportHeight) / 2;
    pictureDrawnBottom = height - viewportHeight;
}

// The picture copied from the window's top left corner, to be drawn again in its place: a
// texture of the picture's size, nearest texels and clamped edges (no mipmaps), which every
// renderer the game runs on keeps at any size. Made anew when the picture's size changes.
struct PictureCopy {
    GLuint name = 0;            // 0 until the proportions are first kept
    int width = 0, height = 0;  // texels: the picture's pixels
};
PictureCopy pictureCopy;

void copyThePicture()
{
    if (pictureCopy.name == 0) {
        glGenTextures(1, &pictureCopy.name);
        glBindTexture(GL_TEXTURE_2D, pictureCopy.name);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    }
    glBindTexture(GL_TEXTURE_2D, pictureCopy.name);
    if (pictureCopy.width != viewportWidth || pictureCopy.height != viewportHeight) {
        pictureCopy.width = viewportWidth;
        pictureCopy.height = viewportHeight;
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, viewportWidth, viewportHeight, 0, GL_RGB,
                     GL_UNSIGNED_BYTE, nullptr);
    }
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, pictureDrawnBottom, viewportWidth,
                        viewportHeight);
}

}  // namespace

// With the proportions kept, the picture is drawn at the window's top left corner, exactly as a
// window of its size draws it, then copied to its place in the middle as one square of texels,
// each texel on its pixel, and the bars around it are cleared to the colour beyond the map's
// border. (Drawn in place, the software renderer's textures came out a shade different here and
// there: it works out each pixel's texture position from the window's top left corner, and
// rounds it differently further away.) The game's drawing state is left as it was found, the
// viewport the picture's again.
void showPictureInItsPlace()
{
    if (viewportWidth == windowWidth && viewportHeight == windowHeight)
        return;
    copyThePicture();
    glDisable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);  // the texels as they are
    glViewport(0, 0, windowWidth, windowHeight);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, windowWidth, 0.0, windowHeight, -1.0, 1.0);  // one unit a pixel
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    const int right = viewportLeft + viewportWidth, top = viewportBottom + viewportHeight;
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2i(viewportLeft, viewportBottom);
    glTexCoord2f(1.0f, 0.0f);
    glVertex2i(right, viewportBottom);
    glTexCoord2f(1.0f, 1.0f);
    glVertex2i(right, top);
    glTexCoord2f(0.0f, 1.0f);
    glVertex2i(viewportLeft, top);
    glEnd();
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    const int bars[4][4] = {
        {0, 0, viewportLeft, windowHeight},             // left
        {right, 0, windowWidth - right, windowHeight},  // right
        {0, 0, windowWidth, viewportBottom},            // below
        {0, top, windowWidth, windowHeight - top},      // above
    };
    glEnable(GL_SCISSOR_TEST);
    for (const auto& bar : bars) {
        if (bar[2] <= 0 || bar[3] <= 0)
            continue;
        glScissor(bar[0], bar[1], bar[2], bar[3]);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    glDisable(GL_SCISSOR_TEST);
    glViewport(0, pictureDrawnBottom, viewportWidth, viewportHeight);
}

// The window as the player last asked for it. Asked once a frame rather than at each key: GLUT
// changes a window only after it has read every waiting event, so that two presses read
// together would otherwise leave the second one lost instead of cancelling out. Leaving full
// screen gives the window back its size from before (the screen's, when the game started full
// screen) one frame later; so the window's own size is asked for in the frame after, and full
// screen asked for again meanwhile waits for that frame to pass, or the size given back would
// come after it.
void followWindowMode()
{
    if (windowToBeSized) {
        if (!fullScreenAsked) {
            giveWindowBack(windowedWidth, windowedHeight);
        }
        windowToBeSized = false;
        return;
    }
    if (fullScreenAsked == inFullScreen())
        return;
    if (fullScreenAsked) {
        enterFullScreen();
    } else {
        leaveFullScreen();
        windowToBeSized = true;
        glutPostRedisplay();
    }
}

// The size asked for, else the usual one. No side is made longer than renderers draw: a
// larger window could not be drawn anyway, and makes some fail as it opens.
void sizeWindow(const std::optional<WindowGeometry>& asked)
{
    const WindowGeometry geometry = asked.value_or(WindowGeometry{});
    windowedWidth =
        geometry.width > 0 ? std::min(geometry.width, kLargestWindowSide) : kWindowWidth;
    windowedHeight =
        geometry.height > 0 ? std::min(geometry.height, kLargestWindowSide) : kWindowHeight;
}

// The place asked for (X's -X and -Y from the right and bottom edges), else the top left, unless
// only a size was given, which the desktop places.
void placeWindow(const std::optional<WindowGeometry>& asked)
{
    const WindowGeometry geometry = asked.value_or(WindowGeometry{});
    const int width = windowedWidth, height = windowedHeight;
    glutInitWindowSize(width, height);
    if (geometry.placed) {
        const int x =
            geometry.fromRight ? glutGet(GLUT_SCREEN_WIDTH) - width - geometry.x : geometry.x;
        const int y =
            geometry.fromBottom ? glutGet(GLUT_SCREEN_HEIGHT) - height - geometry.y : geometry.y;
        glutInitWindowPosition(std::max(0, x), std::max(0, y));
    } else if (!asked) {
        glutInitWindowPosition(0, 0);
    }
}

PictureArea pictureArea()
{
    return {viewportWidth, viewportHeight, pictureDrawnBottom};
}

ViewPoint viewPointAtPixel(int x, int y)
{
    const int rowsAbove = windowHeight - viewportBottom - viewportHeight;  // over the picture
    return {-kViewHalfSize + (x - viewportLeft + 0.5) * (2.0 * kViewHalfSize) / viewportWidth,
            kViewHalfSize - (y - rowsAbove + 0.5) * (2.0 * kViewHalfSize) / viewportHeight};
}

double viewUnitsPerPixel()
{
    return 2.0 * kViewHalfSize / viewportWidth;
}

namespace {

// The fixed -50..50 view over the picture as placed, at the pixel scale of its height.
void viewThePicture()
{
    glViewport(0, pictureDrawnBottom, viewportWidth, viewportHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(-kViewHalfSize, kViewHalfSize, -kViewHalfSize, kViewHalfSize);
    glMatrixMode(GL_MODELVIEW);
    // Taller pictures draw their text, points and lines larger.
    setPixelScale(pixelScaleOf(viewportHeight));
}

}  // namespace

void reshape(int width, int height)
{
    // A window larger than the renderer can draw is asked back to the largest it can, and
    // nothing is drawn into it meanwhile: some renderers cannot even keep its pixels.
    GLint largest[2] = {width, height};
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, largest);
    oversized = width > largest[0] || height > largest[1];
    if (oversized) {
        glutReshapeWindow(std::min(width, static_cast<int>(largest[0])),
                          std::min(height, static_cast<int>(largest[1])));
        return;
    }
    windowWidth = width;
    windowHeight = height;
    placePicture(width, height);
    viewThePicture();
}

void placeWholePicture(int width, int height)
{
    windowWidth = viewportWidth = width;
    windowHeight = viewportHeight = height;
    viewportLeft = viewportBottom = pictureDrawnBottom = 0;
    viewThePicture();
}

std::string glText(unsigned name)
{
    const auto* text = reinterpret_cast<const char*>(glGetString(name));
    return text ? text : "";
}

bool windowOversized()
{
    return oversized;
}

void askFullScreen(bool fullScreen)
{
    fullScreenAsked = fullScreen;
    if (fullScreen)
        enterFullScreen();
}

void switchWindowMode()
{
    fullScreenAsked = !fullScreenAsked;
    glutPostRedisplay();  // a paused game draws no frames of its own
}
