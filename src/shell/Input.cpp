// Keyboard and mouse: the player's gear lever, light switch and the dashboard's two buttons.
#include "shell/Input.h"

#include <GL/glut.h>

#include <cstdlib>

#include "effects/Particles.h"
#include "effects/Sound.h"
#include "shell/Game.h"
#include "shell/Pause.h"
#include "vehicle/Car.h"

int headlightsOff = 0;

namespace {

constexpr unsigned char kEscape = 27;

// The buttons as the dashboard draws them, in view coordinates, bounds inclusive.
struct ButtonArea {
    float left, right, bottom, top;
};
constexpr ButtonArea kNewButton = {-47.0f, -33.0f, 21.5f, 31.5f};
constexpr ButtonArea kQuitButton = {-47.0f, -33.0f, 6.5f, 16.5f};

// A window pixel is taken at its centre and mapped onto the -50..50 view the window shows.
bool pointerOn(const ButtonArea& area, int x, int y)
{
    const double viewX = -50.0 + (x + 0.5) * 100.0 / viewportWidth;
    const double viewY = 50.0 - (y + 0.5) * 100.0 / viewportHeight;
    return viewX >= area.left && viewX <= area.right && viewY >= area.bottom && viewY <= area.top;
}

}  // namespace

bool pointerOnNewButton(int x, int y)
{
    return pointerOn(kNewButton, x, y);
}
bool pointerOnQuitButton(int x, int y)
{
    return pointerOn(kQuitButton, x, y);
}

void specialKey(int key, int /*x*/, int /*y*/)
{
    if (gamePaused())
        return;  // the car waits, whatever is pressed
    switch (key) {
        case GLUT_KEY_LEFT:
            playerCar.turnLeft();
            break;
        case GLUT_KEY_UP:
            playerCar.accelerate();
            break;
        case GLUT_KEY_RIGHT:
            playerCar.turnRight();
            break;
        case GLUT_KEY_DOWN:
            playerCar.brake();
            break;
        default:
            break;
    }
}

void keyboard(unsigned char key, int /*x*/, int /*y*/)
{
    if (key == kEscape)
        std::exit(EXIT_SUCCESS);  // leaving on purpose is a success
    if (key == 'p' || key == 'P') {
        togglePause();
        return;
    }
    if (key == 'm' || key == 'M') {
        setSoundMuted(!soundMuted());
        return;
    }
    if (gamePaused())
        return;  // no gear or light changes while the game stands still
    switch (key) {
        case '1':
            playerCar.setGearMax(0.5f);
            break;
        case '2':
            playerCar.setGearMax(1.0f);
            break;
        case '3':
            playerCar.setGearMax(1.5f);
            break;
        case '4':
            playerCar.setGearMax(2.0f);
            break;
        case '5':
            if (playerCar.getX_speed() == 0.0f)  // reverse only at a dead stop
                playerCar.setGearMax(-0.5f);
            break;
        case 'l':
        case 'L':
            headlightsOff = headlightsOff == 1 ? 0 : 1;
            break;
        default:
            break;
    }
}

void mouse(int button, int state, int x, int y)
{
    if (button != GLUT_LEFT_BUTTON || state != GLUT_DOWN)
        return;
    if (pointerOnQuitButton(x, y))
        std::exit(EXIT_SUCCESS);
    if (pointerOnNewButton(x, y) && playerCar.getDamageStatus() == 0.0f) {
        resetToStart(playerCar);
        armBurst(explosionBurst, 130.0f, 10.0f, 10.0f, 0.0f, 0.0f, -1.0f, 1.0f, 0.0f, 360.0f);
        glutIdleFunc(idle);
        resumePlay();  // a fresh car plays at once
    }
}

void passiveMotion(int x, int y)
{
    const bool onButton = pointerOnNewButton(x, y) || pointerOnQuitButton(x, y);
    glutSetCursor(onButton ? GLUT_CURSOR_INFO : GLUT_CURSOR_LEFT_ARROW);
}
