// The game's window: the picture's place in it, the view over it, full screen or a window.
#include "platform/Window.h"

#include <GL/freeglut.h>
#include <GL/glu.h>

#include <algorithm>
#include <optional>

#include "assets/PixelScale.h"

// After GLUT and the game's headers: Xlib's macros would clash with names in them.
#include <GL/glx.h>

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

// Where the window was before full screen, where no window manager keeps it: the game puts it
// back there itself (GLUT alone put it back off the screen's top left, as far as it had been
// from it).
struct Place {
    int x, y;
};
std::optional<Place> placeBeforeFullScreen;

// The window's place on the screen, where it stands on the screen itself and no window manager
// has framed it; nothing otherwise.
std::optional<Place> unmanagedPlace()
{
    Display* display = glXGetCurrentDisplay();
    const ::Window window = glXGetCurrentDrawable();
    if (!display || !window)
        return std::nullopt;
    ::Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, window, &root, &parent, &children, &count))
        return std::nullopt;
    if (children)
        XFree(children);
    if (parent != root)
        return std::nullopt;  // framed: the window manager puts it back
    int x = 0, y = 0;
    ::Window child = 0;
    if (!XTranslateCoordinates(display, window, root, 0, 0, &x, &y, &child))
        return std::nullopt;
    return Place{x, y};
}

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

}  // namespace

// With the proportions kept, the picture is drawn at the window's top left corner, exactly as a
// window of its size draws it, then moved to its place in the middle, and the bars around it are
// cleared to the colour beyond the map's border. (Drawn in place, the software renderer's
// textures came out a shade different here and there: it works out each pixel's texture
// position from the window's top left corner, and rounds it differently further away.)
void showPictureInItsPlace()
{
    if (viewportWidth == windowWidth && viewportHeight == windowHeight)
        return;
    glPushAttrib(GL_ENABLE_BIT | GL_VIEWPORT_BIT | GL_SCISSOR_BIT | GL_TRANSFORM_BIT);
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_SCISSOR_TEST);
    glViewport(0, 0, windowWidth, windowHeight);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, windowWidth, 0.0, windowHeight, -1.0, 1.0);  // one unit a pixel
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    // The raster position at the corner, then moved by whole pixels: no rounding on the way.
    // The copy works as if the picture were read first and then drawn: overlapping is fine.
    glRasterPos2i(0, 0);
    glBitmap(0, 0, 0.0f, 0.0f, static_cast<float>(viewportLeft), static_cast<float>(viewportBottom),
             nullptr);
    glCopyPixels(0, pictureDrawnBottom, viewportWidth, viewportHeight, GL_COLOR);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    const int right = viewportLeft + viewportWidth, top = viewportBottom + viewportHeight;
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
    glPopAttrib();
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
            glutReshapeWindow(windowedWidth, windowedHeight);
            if (placeBeforeFullScreen)
                glutPositionWindow(placeBeforeFullScreen->x, placeBeforeFullScreen->y);
        }
        windowToBeSized = false;
        return;
    }
    if (fullScreenAsked == (glutGet(GLUT_FULL_SCREEN) != 0))
        return;
    if (fullScreenAsked) {
        placeBeforeFullScreen = unmanagedPlace();
        glutFullScreen();
    } else {
        glutLeaveFullScreen();
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
        glutFullScreen();
}

void switchWindowMode()
{
    fullScreenAsked = !fullScreenAsked;
    glutPostRedisplay();  // a paused game draws no frames of its own
}
