// The game shell: banner, window, callbacks, start-up order and the work of one frame.
#include "shell/Game.h"

#include <GL/freeglut.h>

#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <thread>
#include <vector>

#include "assets/CarList.h"
#include "assets/MapList.h"
#include "assets/Textures.h"
#include "dashboard/Toolbar.h"
#include "effects/Particles.h"
#include "effects/Sound.h"
#include "shell/Actions.h"
#include "shell/FramePacer.h"
#include "shell/Gamepad.h"
#include "shell/Input.h"
#include "shell/LeakCheck.h"
#include "shell/Notice.h"
#include "shell/Options.h"
#include "shell/Pause.h"
#include "shell/PixelScale.h"
#include "shell/Replay.h"
#include "shell/Settings.h"
#include "shell/WindowIdentity.h"
#include "vehicle/Car.h"
#include "world/World.h"

// After GLUT and the game's headers: Xlib's macros would clash with names in them.
#include <X11/Xlib.h>

int windowWidth = 640;
int windowHeight = 480;
int viewportWidth = 640;
int viewportHeight = 480;
int viewportLeft = 0;
int viewportBottom = 0;
int pictureDrawnBottom = 0;
bool aspectKept = false;
bool windowShown = false;
bool frameDrawnSinceStep = true;

namespace {

constexpr double kFramesPerSecond = 60.0;
constexpr int kWindowWidth = 1024;  // the window of --window
constexpr int kWindowHeight = 768;
constexpr int kLargestWindowSide = 16384;  // pixels: what renderers draw into, at the least

bool windowOversized = false;  // larger than the renderer can draw: nothing is drawn

// Full screen, or the window: as the player last asked for it, and the window's size.
bool fullScreenAsked = false;
bool windowToBeSized = false;  // full screen was left: the window's size follows
int windowedWidth = kWindowWidth, windowedHeight = kWindowHeight;

// While no frame is drawn the game stands still; this is how long it waits before looking again.
constexpr std::chrono::duration<double> kStandStillWait(1.0 / kFramesPerSecond);

void printLine(const char* text)
{
    std::cout << std::endl << text << std::endl;
}

// Standard input, output and error open, on /dev/null where a launcher closed them: otherwise
// the X connection or a picture file would take their numbers, and an error line written to
// "stderr" would go into the X protocol stream or the file.
void openStandardStreams()
{
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) == -1 && errno == EBADF)
            open("/dev/null", O_RDWR);  // takes the lowest free number: this one
    }
}

// freeglut ends the program with words of its own when there is no X server to talk to; the
// game says it in its own words, naming the display. The connection is kept until GLUT has its
// own: an X server whose last client leaves resets, and would refuse GLUT meanwhile.
Display* openDisplay(const Options& options)
{
    const char* name = options.display.empty() ? std::getenv("DISPLAY") : options.display.c_str();
    if (!name || !*name) {
        std::fprintf(stderr, "tarvelo: cannot open a display: DISPLAY is not set\n");
        return nullptr;
    }
    Display* connection = XOpenDisplay(name);
    if (!connection)
        std::fprintf(stderr, "tarvelo: cannot open the display '%s'\n", name);
    return connection;
}

// The window of --window or -geometry, also the one F11 goes back to from full screen: the size
// asked for, else the usual 1024 x 768. No side is made longer than renderers draw: a larger
// window could not be drawn anyway, and makes some fail as it opens.
void sizeWindow(const Options& options)
{
    const WindowGeometry geometry = options.geometry.value_or(WindowGeometry{});
    windowedWidth =
        geometry.width > 0 ? std::min(geometry.width, kLargestWindowSide) : kWindowWidth;
    windowedHeight =
        geometry.height > 0 ? std::min(geometry.height, kLargestWindowSide) : kWindowHeight;
}

// The window of --window or -geometry at the place asked for (X's -X and -Y from the right and
// bottom edges), else at the top left, unless only a size was given, which the desktop places.
void placeWindow(const Options& options)
{
    const WindowGeometry geometry = options.geometry.value_or(WindowGeometry{});
    const int width = windowedWidth, height = windowedHeight;
    glutInitWindowSize(width, height);
    if (geometry.placed) {
        const int x =
            geometry.fromRight ? glutGet(GLUT_SCREEN_WIDTH) - width - geometry.x : geometry.x;
        const int y =
            geometry.fromBottom ? glutGet(GLUT_SCREEN_HEIGHT) - height - geometry.y : geometry.y;
        glutInitWindowPosition(std::max(0, x), std::max(0, y));
    } else if (!options.geometry) {
        glutInitWindowPosition(0, 0);
    }
}

// Checking recorded drives: a window just large enough for their pictures, no sound, no
// player; the drives are played as fast as the game can.
int checkInAWindow(DrivesToCheck& toCheck, const Options& options)
{
    glutInitWindowSize(toCheck.width, toCheck.height);
    glutInitWindowPosition(0, 0);
    glutCreateWindow("TARVELO! b" TARVELO_VERSION " - checking recorded drives");
    std::atexit(checkLeaksWhileTheDriverIsLoaded);
    initGraphics(findDataFolder(options));
    // Shown before anything is read back from it.
    static bool exposed = false;
    glutDisplayFunc([] { exposed = true; });
    glutReshapeFunc(reshape);
    for (int i = 0; i < 1000 && !exposed; ++i) {
        glutMainLoopEvent();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return checkReplays(toCheck);
}

// The panel covers the window's left fifth with opaque paint, so the map, the car and the world's
// effects are drawn only from its edge rightwards (two columns to spare): the same picture for
// a fifth less work.
void clipToTheMap()
{
    const double panelShare = (kPanelRight + kViewHalfSize) / (2.0 * kViewHalfSize);
    const int left = std::max(0, static_cast<int>(std::floor(panelShare * viewportWidth)) - 2);
    glScissor(left, pictureDrawnBottom, viewportWidth - left, viewportHeight);
    glEnable(GL_SCISSOR_TEST);
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
        if (!fullScreenAsked)
            glutReshapeWindow(windowedWidth, windowedHeight);
        windowToBeSized = false;
        return;
    }
    if (fullScreenAsked == (glutGet(GLUT_FULL_SCREEN) != 0))
        return;
    if (fullScreenAsked) {
        glutFullScreen();
    } else {
        glutLeaveFullScreen();
        windowToBeSized = true;
        glutPostRedisplay();
    }
}

// The game is ending: on the way out GLUT takes its window down, which it tells as the close box.
bool leaving = false;

void markLeaving()
{
    leaving = true;
}

// The window's close box leaves the game as Quit does, at once, before GLUT takes the window and
// the graphics driver down: the sanitizer build's leak check needs the driver still loaded.
void closeBoxPressed()
{
    if (!leaving)
        tapAction(Action::Quit, Device::Mouse);
}

}  // namespace

FramePacer framePacer(kFramesPerSecond);

int runGame(int argc, char** argv)
{
    openStandardStreams();
    Options options;
    if (const std::optional<int> status = parseOptions(argc, argv, options))
        return *status;
    // The player's settings, under the command line's: its --mute and --window add to theirs.
    const Settings settings =
        readSettings(settingsFile(options.settingsFile), !options.settingsFile.empty(), stderr);
    options.mute = options.mute || settings.mute;
    options.window = options.window || settings.window;
    useKeys(settings.keys);
    // A drive to record, show or check is looked at before the display is.
    if (const std::optional<std::string> why =
            !options.record.empty()   ? openRecording(options.record)
            : !options.replay.empty() ? openReplay(options.replay)
                                      : std::nullopt) {
        std::fprintf(stderr, "%s\n", why->c_str());
        return kExitCannotPlay;
    }
    DrivesToCheck toCheck;
    if (!options.check.empty()) {
        toCheck = readDrivesToCheck(options.check);
        if (toCheck.drives.empty())
            return kExitCannotPlay;
    }
    Display* const display = openDisplay(options);
    if (!display)
        return kExitCannotPlay;

    printLine(" TARVELO! a top-down driving game, made by the TARVELO! team in 2026");
    printLine(" Please wait...");
    printLine(" Initialising OpenGL...");

    std::vector<char*> glutArguments;
    for (std::string& argument : options.glutArguments)
        glutArguments.push_back(argument.data());
    int glutCount = static_cast<int>(glutArguments.size());
    glutArguments.push_back(nullptr);
    glutInit(&glutCount, glutArguments.data());
    XCloseDisplay(display);
    glutInitDisplayMode(GLUT_DOUBLE);
    if (!options.check.empty())
        return checkInAWindow(toCheck, options);
    aspectKept = options.keepAspect;
    sizeWindow(options);
    if (!options.window) {
        // The window opens already covering the screen: a desktop without a window manager
        // cannot make it full screen, and would otherwise show it shifted off the top left.
        glutInitWindowSize(glutGet(GLUT_SCREEN_WIDTH), glutGet(GLUT_SCREEN_HEIGHT));
        glutInitWindowPosition(0, 0);
    } else {
        placeWindow(options);
    }
    glutCreateWindow("TARVELO! b" TARVELO_VERSION " - by the TARVELO! team");
    identifyWindow();  // its class and icon, for the desktop's task bar
    std::atexit(checkLeaksWhileTheDriverIsLoaded);  // runs before the GL driver is unloaded at exit
    std::atexit(markLeaving);                       // before GLUT's own ending, as the above
    SoundSettings sound;
    sound.muted = options.mute;
    if (startSound(sound))
        std::atexit(stopSound);  // before the leak check, which runs after it

    registerInputCallbacks();
    glutCloseFunc(closeBoxPressed);
    glutIdleFunc(idle);

    initGraphics(findDataFolder(options));
    beginRecording();
    // Once the game can play: a missing picture ends it without waiting on the pads.
    if (startGamepads(settings.pad, settings.deadZonePercent))
        std::atexit(stopGamepads);

    glutDisplayFunc(pacedDisplay);
    glutReshapeFunc(reshape);

    fullScreenAsked = !options.window;
    if (fullScreenAsked)
        glutFullScreen();
    glutMainLoop();
    return 0;
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

void newGame()
{
    resetToStart(playerCar);
    armBurst(explosionBurst, kExplosionAfterNew);
    releaseAllActions();
    resumePlay();
    soundNewGame();
    glutIdleFunc(idle);
}

void initGraphics(const std::string& pictureFolder)
{
    loadTextures(pictureFolder);
    buildDisplayLists();
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glShadeModel(GL_SMOOTH);
    glEnable(GL_POINT_SMOOTH);
    glClearColor(0.164f, 0.344f, 0.133f, 1.0f);  // dark green beyond the map's border
}

void buildDisplayLists()
{
    buildCarList();
    toolbarObjects();
    buildMapList();
}

void switchWindowMode()
{
    fullScreenAsked = !fullScreenAsked;
    glutPostRedisplay();  // a paused game draws no frames of its own
}

namespace {

// One frame into the back buffer, not yet shown: the kept picture of a paused game, or a frame
// of play (a recorded drive being shown brings its actions and steps up to it first), in its
// place in the window. Returns whether it was a frame of play, which lets the car take its next
// step.
bool composeFrame()
{
    pollGamepads();  // a wreck has no idle turns, and its pad's Back must be heard
    if (gamePaused()) {
        drawPausedFrame();
        showPictureInItsPlace();
        return false;
    }
    playReplayToNextFrame();
    drawFrame();
    noteFrameDrawn();
    drawReplayNotice();
    showPictureInItsPlace();
    return true;
}

}  // namespace

void drawFrame()
{
    clipToTheMap();
    glClear(GL_COLOR_BUFFER_BIT);
    drawScene(playerCar);
    if (playerCar.getDamageStatus() != 0.0f)
        playerCar.draw(headlightsOff);
    updateWorld(playerCar, explosionBurst, contactBurst, repairBurst);
    glDisable(GL_SCISSOR_TEST);
    drawToolBar(playerCar);
    if (playerCar.getDamageStatus() == 0.0f)
        drawNotice("Press New", kPressNewBox);  // the game waits for the player
    soundFrame(playerCar, angle1);              // the sounds of this frame's events start now
    playerCar.setDamage(0.0f);                  // this frame's damage has been applied exactly once
    keepFrameWhenPausing();
}

void display()
{
    followWindowMode();
    if (windowOversized)
        return;  // until the window is back within the renderer's reach
    const bool played = composeFrame();
    glutSwapBuffers();
    if (played)
        frameDrawnSinceStep = true;
}

// The renderer does its drawing when a frame is handed over, taking longer for some frames than
// for others. So the drawing is finished first and the swap waits for the frame's slot: every
// picture appears at the start of its own 1/60 s, however long it took to draw.
void pacedDisplay()
{
    followWindowMode();
    if (windowOversized)
        return;  // until the window is back within the renderer's reach
    const bool played = composeFrame();
    glFinish();
    framePacer.waitForSlot();
    glutSwapBuffers();
    if (played)
        frameDrawnSinceStep = true;
}

void reshape(int width, int height)
{
    // A window larger than the renderer can draw is asked back to the largest it can, and
    // nothing is drawn into it meanwhile: some renderers cannot even keep its pixels.
    GLint largest[2] = {width, height};
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, largest);
    windowOversized = width > largest[0] || height > largest[1];
    if (windowOversized) {
        glutReshapeWindow(std::min(width, static_cast<int>(largest[0])),
                          std::min(height, static_cast<int>(largest[1])));
        return;
    }
    windowWidth = width;
    windowHeight = height;
    placePicture(width, height);
    glViewport(0, pictureDrawnBottom, viewportWidth, viewportHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(-kViewHalfSize, kViewHalfSize, -kViewHalfSize, kViewHalfSize);
    glMatrixMode(GL_MODELVIEW);
    // Taller pictures draw their text, points and lines larger: the dashboard's lists again.
    if (const int scale = pixelScaleOf(viewportHeight); scale != pixelScale) {
        setPixelScale(scale);
        buildScaledLists();
    }
}

// One motion step for each frame drawn. A window that is minimised, on another desktop or covered
// gets no frames, and then the car waits where it stands instead of driving on unseen; so does a
// paused game.
void idle()
{
    letGoIfKeyboardGone();
    pollGamepads();  // also while paused: Start plays on
    if (!frameDrawnSinceStep || gamePaused()) {
        std::this_thread::sleep_for(kStandStillWait);
        return;
    }
    frameDrawnSinceStep = false;
    if (!replayShowing())  // a recorded drive being shown makes its own steps
        motionStep();
}

void motionStep()
{
    repeatHeldActions();
    noteStep();
    playerCar.advance();
}

void drawScene(Car car)
{
    glPushMatrix();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(-car.getX_centre(), -car.getY_centre(), 0.0f);
    glCallList(kMapList);
    glPopMatrix();
}
