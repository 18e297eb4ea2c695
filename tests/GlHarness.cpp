// Test harness: one real freeglut window, the real start-up, frames run by hand, pixels read back.
#include "GlHarness.h"

#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "input/Actions.h"
#include "input/Input.h"
#include "platform/LeakCheck.h"
#include "platform/Window.h"
#include "session/Draw.h"
#include "session/PlayedGame.h"
#include "session/Step.h"
#include "shell/Game.h"

#include "TestGame.h"
#include "VirtualServer.h"

namespace harness {

namespace {

// The window must not run game frames on its own: the tests decide when a frame happens.
bool exposed = false;  // the window has been shown, and asked once for its picture

void noFrame()
{
    exposed = true;
}

int ownScreenWidth = 0, ownScreenHeight = 0;  // a screen of the program's own, if declared
VirtualServer ownServer;
pid_t ownServerStarter = 0;  // the process that started it: children of death tests leave it be

void stopOwnServer()
{
    if (getpid() == ownServerStarter)
        stopVirtualServer(ownServer);
}

// A bare Xvfb of the declared size, for the program's own screen.
std::string startOwnServer()
{
    ownServer = startVirtualServer(ownScreenWidth, ownScreenHeight);
    if (ownServer.display.empty())
        return "no virtual X server of " + std::to_string(ownScreenWidth) + "x" +
               std::to_string(ownScreenHeight) + "x24 (is Xvfb installed?)";
    ownServerStarter = getpid();
    std::atexit(stopOwnServer);
    setenv("DISPLAY", ownServer.display.c_str(), 1);
    return "";
}

// After the frame numbered `shown`: the script's note, then its cues for that frame.
void afterFrame(const Script& script, int shown)
{
    if (script.noted)
        script.noted();
    for (auto [cue, end] = script.cues.equal_range(shown); cue != end; ++cue)
        cue->second();
}

struct {
    const Script* script;
    int shown, last;
} loop;  // the run of the main loop under way

void scriptedFrame()
{
    display();
    ++loop.shown;
    const GLenum error = glGetError();
    EXPECT_EQ(error, static_cast<GLenum>(GL_NO_ERROR))
        << "frame " << loop.shown << ": GL error 0x" << std::hex << error;
    afterFrame(*loop.script, loop.shown);
    if (loop.shown >= loop.last)
        leaveMainLoop();
}

}  // namespace

OwnScreen::OwnScreen(int width, int height)
{
    ownScreenWidth = width;
    ownScreenHeight = height;
}

void resizeWindow(int width, int height)
{
    glutReshapeWindow(width, height);
    for (int i = 0; i < 1000; ++i) {
        glutMainLoopEvent();
        if (glutGet(GLUT_WINDOW_WIDTH) == width && glutGet(GLUT_WINDOW_HEIGHT) == height)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_EQ(glutGet(GLUT_WINDOW_WIDTH), width);
    ASSERT_EQ(glutGet(GLUT_WINDOW_HEIGHT), height);
    reshape(width, height);
}

std::string dataFolder()
{
    return TARVELO_DATA_DIR;
}

std::string findTestDisplay()
{
    if (ownScreenWidth > 0)
        return startOwnServer();
    // Under CTest the tests' own virtual X server writes its display name to a file; a missing
    // file means that no server could be started here.
    if (const char* file = std::getenv("TARVELO_TEST_DISPLAY_FILE")) {
        std::string display;
        std::ifstream(file) >> display;
        if (display.empty())
            return std::string("no virtual X server for the tests (") + file +
                   " is missing: is Xvfb installed?)";
        setenv("DISPLAY", display.c_str(), 1);
    }
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display)
        return "no X server: DISPLAY is not set (run the tests through ctest, which starts one)";
    // freeglut ends the whole program when it cannot connect, so ask first.
    Display* connection = XOpenDisplay(display);
    if (!connection)
        return std::string("cannot connect to the X server ") + display;
    XCloseDisplay(connection);
    return "";
}

void openGameWindow(int* argc, char** argv)
{
    glutInit(argc, argv);
    glutInitDisplayMode(GLUT_DOUBLE);
    glutInitWindowSize(kWindowWidth, kWindowHeight);
    glutInitWindowPosition(0, 0);
    glutCreateWindow("TARVELO! tests");
    // Also in the children of death tests, which leave through exit().
    std::atexit(checkLeaksWhileTheDriverIsLoaded);
    glutDisplayFunc(noFrame);
    glutReshapeFunc(reshape);
    initGraphics(dataFolder());
    // Let the X server map the window, and the window manager show it, before anything is read
    // back from it: until the first exposure (five seconds at most on a busy machine), then a
    // moment more for the manager's own settling.
    for (int i = 0; i < 1000 && !exposed; ++i) {
        glutMainLoopEvent();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    for (int i = 0; i < 20; ++i) {
        glutMainLoopEvent();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    reshape(kWindowWidth, kWindowHeight);
}

GameState& game()
{
    return playedGame();
}

void resetGame()
{
    playedGame() = GameState{};
    queuedCommands().clear();
    releaseAllActions();
    glutIdleFunc(idle);
}

void applyQueuedCommands()
{
    applyCommands(playedGame(), queuedCommands());
    queuedCommands().clear();
}

void runFrame()
{
    display();
    glFinish();
    const GLenum error = glGetError();
    EXPECT_EQ(error, static_cast<GLenum>(GL_NO_ERROR)) << "GL error 0x" << std::hex << error;
}

double viewToPixels(double coordinate, int pixels)
{
    return (coordinate + 50.0) / 100.0 * pixels;
}

int pixelOfView(double coordinate, int pixels)
{
    return static_cast<int>(std::floor(viewToPixels(coordinate, pixels)));
}

Colour colourAt(float x, float y)
{
    const int px = pixelOfView(x, kWindowWidth);
    const int py = pixelOfView(y, kWindowHeight);
    unsigned char rgb[3] = {0, 0, 0};
    // Mesa's software renderer shows a frame by copying the back buffer into the window and
    // keeps it intact; its front buffer reads back as black. So the frame is read from the back.
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(px, py, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, rgb);
    return {rgb[0], rgb[1], rgb[2]};
}

bool near(Colour c, int red, int green, int blue, int tolerance)
{
    return std::abs(c.red - red) <= tolerance && std::abs(c.green - green) <= tolerance &&
           std::abs(c.blue - blue) <= tolerance;
}

std::string describe(Colour c)
{
    return "(" + std::to_string(c.red) + ", " + std::to_string(c.green) + ", " +
           std::to_string(c.blue) + ")";
}

void expectColourAt(float x, float y, Colour expected)
{
    const Colour seen = colourAt(x, y);
    EXPECT_TRUE(near(seen, expected.red, expected.green, expected.blue))
        << "at view point (" << x << ", " << y << "): saw " << describe(seen) << ", expected "
        << describe(expected);
}

void placeCar(float x, float y)
{
    testgame::placeCar(playedGame().playerCar, x, y);
}

void expectCarAtStartValues()
{
    testgame::expectCarAtStartValues(playedGame());
}

void expectModelviewKeptBy(void (*draw)())
{
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glTranslatef(3.0f, -7.0f, 0.0f);
    GLfloat before[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, before);
    draw();
    GLfloat after[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, after);
    glPopMatrix();
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(after[i], before[i]) << "element " << i;
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

std::vector<unsigned char> windowPicture(int width, int height)
{
    glFinish();
    std::vector<unsigned char> rgb(static_cast<size_t>(width) * height * 3);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    return rgb;
}

std::vector<float> feedbackOf(const std::function<void()>& draw, int capacity)
{
    std::vector<GLfloat> buffer(static_cast<size_t>(capacity));
    glFeedbackBuffer(capacity, GL_3D_COLOR, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    const GLint used = glRenderMode(GL_RENDER);
    EXPECT_GE(used, 0) << "feedback buffer too small";
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    buffer.resize(static_cast<size_t>(std::max(used, 0)));
    return buffer;
}

void leaveMainLoop()
{
    checkLeaksWhileTheDriverIsLoaded();  // leaving the loop unloads the GL driver
    glutLeaveMainLoop();
}

void runMainLoopFor(unsigned ms)
{
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_GLUTMAINLOOP_RETURNS);
    glutPostRedisplay();
    glutTimerFunc(
        ms, [](int) { leaveMainLoop(); }, 0);
    glutMainLoop();
}

void runFrames(int frames, const Script& script)
{
    for (int shown = 1; shown <= frames; ++shown) {
        runFrame();
        afterFrame(script, shown);
        idle();
    }
}

int runMainLoopFrames(int frames, const Script& script, bool paced, unsigned ms)
{
    loop = {&script, 0, frames};
    framesPaced = paced;
    registerInputCallbacks();
    watchSight();
    glutIdleFunc(idle);
    glutDisplayFunc(scriptedFrame);
    runMainLoopFor(ms);
    framesPaced = false;
    return loop.shown;
}

Sight sight;

void watchSight()
{
    glutWindowStatusFunc([](int state) {
        windowStatus(state);
        sight.now = windowShown;
        sight.lost = sight.lost || !sight.now;
    });
}

}  // namespace harness

// Lists the tests without an X server; runs them in the game window, or reports them all skipped,
// with the reason, where no X server can be had (CTest reads the SKIPPED mark).
int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    // The games the tests start play their sound through OpenAL Soft's silent backend.
    setenv("ALSOFT_CONF", TARVELO_QUIET_ALSOFT_CONF, 0);
    if (!testing::FLAGS_gtest_list_tests) {
        const std::string missing = harness::findTestDisplay();
        if (!missing.empty()) {
            std::printf("[  SKIPPED ] every test of %s: %s\n", argv[0], missing.c_str());
            return 0;
        }
        harness::openGameWindow(&argc, argv);
    }
    return RUN_ALL_TESTS();
}
