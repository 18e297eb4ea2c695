// Keyboard and mouse: gears, reverse, lights, Escape, and the dashboard's New and Quit buttons.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <utility>
#include <vector>

#include "GlHarness.h"
#include "dashboard/Toolbar.h"
#include "effects/Particles.h"
#include "input/Input.h"
#include "platform/Window.h"
#include "shell/Game.h"
#include "vehicle/Car.h"

namespace {

// The dashboard's buttons under a window pixel.
bool pointerOnNewButton(int x, int y)
{
    return buttonAtPixel(x, y) == PanelButtonKind::New;
}
bool pointerOnQuitButton(int x, int y)
{
    return buttonAtPixel(x, y) == PanelButtonKind::Quit;
}

constexpr int kPanelGrey = 192;
constexpr int kStillRunning = 7;  // exit code of a death-test child that was not made to quit

class InputTest : public testing::Test {
protected:
    void SetUp() override
    {
        harness::resetGame();
        testing::FLAGS_gtest_death_test_style = "threadsafe";  // a child opens its own window
    }
    void TearDown() override { reshape(harness::kWindowWidth, harness::kWindowHeight); }
};

Car& playerCar()
{
    return harness::game().playerCar;
}

// A key or a button reaches the game at its next frame: these apply it at once, without the
// frame's rules.
void press(unsigned char key)
{
    keyboard(key, 0, 0);
    harness::applyQueuedCommands();
}

void pressSpecial(int key)
{
    specialKey(key, 0, 0);
    harness::applyQueuedCommands();
}

void leftPress(int x, int y)
{
    mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, x, y);
    harness::applyQueuedCommands();
}

void wreckTheCar()
{
    playerCar().setX_centre(42.0f);
    playerCar().setCarDamageStatus(0.0f);
    harness::game().bursts.explosionBurst.life = 0.0f;
}

bool carWasRenewed()
{
    return playerCar().getDamageStatus() == 14.0f && playerCar().getX_centre() == 0.0f &&
           lifeLeft(harness::game().bursts.explosionBurst) == 130.0f;
}

// The colour of a window pixel, counted from the top left as the mouse reports it.
harness::Colour pixel(int x, int y)
{
    return harness::colourAt(-50.0f + (x + 0.5f) * 100.0f / harness::kWindowWidth,
                             50.0f - (y + 0.5f) * 100.0f / harness::kWindowHeight);
}

bool panelGrey(harness::Colour c)
{
    return harness::near(c, kPanelGrey, kPanelGrey, kPanelGrey, 8);
}

TEST_F(InputTest, DigitsOneToFourChooseTheForwardGearsAtAnySpeed)
{
    playerCar().setSpeed(1.3f, 1.3f);
    const float gears[] = {0.5f, 1.0f, 1.5f, 2.0f};
    for (unsigned char key : {'4', '2', '3', '1', '4'}) {
        press(key);
        EXPECT_EQ(playerCar().getGearMax(), gears[key - '1']) << key;
    }
    playerCar().setSpeed(-0.3f, -0.3f);  // rolling backwards makes no difference
    press('2');
    EXPECT_EQ(playerCar().getGearMax(), 1.0f);
    EXPECT_EQ(playerCar().getY_speed(), -0.3f) << "choosing a gear does not change the speed";
    for (unsigned char key : {'0', '6', 'a', ' ', '\r'})
        press(key);
    EXPECT_EQ(playerCar().getGearMax(), 1.0f);
    EXPECT_EQ(harness::game().headlightsOff, 0);
}

TEST_F(InputTest, ReverseOnlyFromADeadStopNotFromATinyRemainder)
{
    for (int i = 0; i < 9; ++i)
        pressSpecial(GLUT_KEY_UP);
    for (int i = 0; i < 5; ++i)
        pressSpecial(GLUT_KEY_DOWN);
    ASSERT_GT(playerCar().getX_speed(), 0.0f);  // the tiny remainder five brake presses leave
    ASSERT_LT(playerCar().getX_speed(), 1e-6f);
    press('5');
    EXPECT_EQ(playerCar().getGearMax(), 0.5f);
    pressSpecial(GLUT_KEY_DOWN);
    ASSERT_EQ(playerCar().getX_speed(), 0.0f);
    press('5');
    EXPECT_EQ(playerCar().getGearMax(), -0.5f);
    pressSpecial(GLUT_KEY_UP);  // and up now drives backwards
    EXPECT_LT(playerCar().getY_speed(), 0.0f);
}

TEST_F(InputTest, LSwitchesTheLightsInEitherCase)
{
    press('l');
    EXPECT_EQ(harness::game().headlightsOff, 1);
    press('L');
    EXPECT_EQ(harness::game().headlightsOff, 0);
    press('L');
    EXPECT_EQ(harness::game().headlightsOff, 1);
    press('l');
    EXPECT_EQ(harness::game().headlightsOff, 0);
}

TEST_F(InputTest, ButtonEdgesAreHitExactlyWhereTheDashboardDrawsThem)
{
    harness::runFrame();
    // Mid-edge pixels at 1024 x 768: each button's dark outline lies just inside the hit area,
    // the panel's grey just outside it. Columns 31..173; New rows 142..218, Quit rows 257..333.
    struct Edge {
        int insideX, insideY, outsideX, outsideY;
    };
    for (int button = 0; button < 2; ++button) {
        const int top = button == 0 ? 142 : 257, bottom = button == 0 ? 218 : 333;
        const int middleY = (top + bottom) / 2;
        const Edge edges[] = {
            {31, middleY, 30, middleY},      // left
            {173, middleY, 174, middleY},    // right
            {100, top, 100, top - 1},        // top
            {100, bottom, 100, bottom + 1},  // bottom
        };
        for (const Edge& e : edges) {
            SCOPED_TRACE(testing::Message() << (button == 0 ? "New" : "Quit") << " inside at ("
                                            << e.insideX << ", " << e.insideY << ")");
            auto onButton = button == 0 ? pointerOnNewButton : pointerOnQuitButton;
            EXPECT_TRUE(onButton(e.insideX, e.insideY));
            EXPECT_FALSE(onButton(e.outsideX, e.outsideY));
            EXPECT_FALSE(panelGrey(pixel(e.insideX, e.insideY)))
                << harness::describe(pixel(e.insideX, e.insideY));
            EXPECT_TRUE(panelGrey(pixel(e.outsideX, e.outsideY)))
                << harness::describe(pixel(e.outsideX, e.outsideY));
        }
    }
    // Between the buttons, and beside them, neither is hit.
    EXPECT_FALSE(pointerOnNewButton(100, 240) || pointerOnQuitButton(100, 240));
    EXPECT_FALSE(pointerOnNewButton(200, 180) || pointerOnQuitButton(200, 300));
}

TEST_F(InputTest, NewStartsAFreshCarOnlyFromInsideItsArea)
{
    for (auto [x, y] : {std::pair{30, 142}, std::pair{174, 218}, std::pair{100, 141},
                        std::pair{100, 219}, std::pair{31, 256}}) {
        wreckTheCar();
        leftPress(x, y);
        EXPECT_FALSE(carWasRenewed()) << "press at (" << x << ", " << y << ")";
    }
    for (auto [x, y] :
         {std::pair{31, 142}, std::pair{173, 218}, std::pair{31, 218}, std::pair{173, 142}}) {
        wreckTheCar();
        leftPress(x, y);
        EXPECT_TRUE(carWasRenewed()) << "press at (" << x << ", " << y << ")";
    }
}

TEST_F(InputTest, ButtonAreasFollowTheWindowSize)
{
    // Full HD: columns 58..325; New rows 200..307; Quit rows 362..469.
    reshape(1920, 1080);
    EXPECT_TRUE(pointerOnNewButton(58, 200));
    EXPECT_TRUE(pointerOnNewButton(325, 307));
    EXPECT_FALSE(pointerOnNewButton(57, 250));
    EXPECT_FALSE(pointerOnNewButton(326, 250));
    EXPECT_FALSE(pointerOnNewButton(100, 199));
    EXPECT_FALSE(pointerOnNewButton(100, 308));
    EXPECT_TRUE(pointerOnQuitButton(58, 362));
    EXPECT_TRUE(pointerOnQuitButton(325, 469));
    EXPECT_FALSE(pointerOnQuitButton(200, 361));
    EXPECT_FALSE(pointerOnQuitButton(200, 470));
    // A press that would be on New in a 1024 x 768 window is on the panel here.
    wreckTheCar();
    leftPress(40, 150);
    EXPECT_FALSE(carWasRenewed());
    leftPress(300, 300);
    EXPECT_TRUE(carWasRenewed());
}

TEST_F(InputTest, NewDoesNothingWhileTheCarIsIntact)
{
    playerCar().setX_centre(42.0f);
    playerCar().setSpeed(1.0f, 1.0f);
    playerCar().setCarDamageStatus(0.5f);
    leftPress(100, 180);
    EXPECT_EQ(playerCar().getX_centre(), 42.0f);
    EXPECT_EQ(playerCar().getX_speed(), 1.0f);
    EXPECT_EQ(playerCar().getDamageStatus(), 0.5f);
    EXPECT_EQ(lifeLeft(harness::game().bursts.explosionBurst), 100.0f);
}

TEST_F(InputTest, OtherButtonsAndReleasesDoNothing)
{
    wreckTheCar();
    for (int button : {GLUT_RIGHT_BUTTON, GLUT_MIDDLE_BUTTON})
        mouse(button, GLUT_DOWN, 100, 180);
    mouse(GLUT_LEFT_BUTTON, GLUT_UP, 100, 180);
    harness::applyQueuedCommands();
    EXPECT_FALSE(carWasRenewed());
    // Over Quit they do not end the game either.
    EXPECT_EXIT(
        {
            mouse(GLUT_RIGHT_BUTTON, GLUT_DOWN, 100, 300);
            mouse(GLUT_MIDDLE_BUTTON, GLUT_DOWN, 100, 300);
            mouse(GLUT_LEFT_BUTTON, GLUT_UP, 100, 300);
            std::exit(kStillRunning);
        },
        testing::ExitedWithCode(kStillRunning), "");
}

TEST_F(InputTest, EscapeEndsTheGameWithSuccess)
{
    EXPECT_EXIT(press(27), testing::ExitedWithCode(0), "");
}

TEST_F(InputTest, QuitEndsTheGameWithSuccessFromAnyCornerOfIt)
{
    EXPECT_EXIT(leftPress(31, 257), testing::ExitedWithCode(0), "");
    EXPECT_EXIT(leftPress(173, 333), testing::ExitedWithCode(0), "");
    EXPECT_EXIT(
        {
            leftPress(100, 256);
            leftPress(100, 334);
            std::exit(kStillRunning);
        },
        testing::ExitedWithCode(kStillRunning), "");
}

TEST_F(InputTest, EveryKeyOfTheControlsGivesItsAction)
{
    // The game's own keys, as the settings give them; a letter in either case.
    for (const KeyBinding& binding : defaultSettings().keys) {
        EXPECT_EQ(actionOfKey(binding.key), binding.action) << nameOfKey(binding.key);
        const int code = binding.key.code;
        if (binding.key.kind == KeyKind::Character && code >= 'a' && code <= 'z') {
            EXPECT_EQ(actionOfKey({KeyKind::Character, code - 'a' + 'A'}), binding.action)
                << nameOfKey(binding.key) << " in upper case";
        }
    }
    for (const Key key :
         {Key{KeyKind::Character, '0'}, Key{KeyKind::Character, '6'}, Key{KeyKind::Character, 'a'},
          Key{KeyKind::Character, ' '}, Key{KeyKind::Special, GLUT_KEY_F2},
          Key{KeyKind::Special, '1'}, Key{KeyKind::Keypad, '1'}})
        EXPECT_EQ(actionOfKey(key), std::nullopt) << key.code;
}

TEST_F(InputTest, NBringsANewCarAfterAWreckAndNothingBefore)
{
    playerCar().setX_centre(42.0f);
    press('n');
    EXPECT_EQ(playerCar().getX_centre(), 42.0f);
    EXPECT_EQ(lifeLeft(harness::game().bursts.explosionBurst), 100.0f);
    for (unsigned char key : {'n', 'N'}) {
        wreckTheCar();
        press(key);
        EXPECT_TRUE(carWasRenewed()) << key;
    }
}

// The car's speed over 40 frames, each followed by its motion step, Up held down from the first.
std::vector<float> speedsWithUpHeld(void (*hold)(), void (*letGo)())
{
    harness::resetGame();
    std::vector<float> speeds;
    hold();
    for (int step = 0; step < 40; ++step) {
        harness::runFrame();
        motionStep();
        harness::applyQueuedCommands();  // the step's repeats and its move, as the next frame will
        speeds.push_back(playerCar().getY_speed());
    }
    letGo();
    return speeds;
}

TEST_F(InputTest, AHeldActionRepeatsAtTheGamesPaceWhateverHoldsIt)
{
    const std::vector<float> byKey =
        speedsWithUpHeld([] { specialKeyPressed(GLUT_KEY_UP, 0, 0); },
                         [] { specialKeyReleased(GLUT_KEY_UP, 0, 0); });
    const std::vector<float> byHand =
        speedsWithUpHeld([] { pressAction(Action::Accelerate, Device::Script); },
                         [] { releaseAction(Action::Accelerate, Device::Script); });
    EXPECT_EQ(byKey, byHand);
    // One step at the press, the first repeat 15 steps later, then one every second step.
    EXPECT_EQ(byKey[13], byKey[0]);
    EXPECT_GT(byKey[14], byKey[13]);
    EXPECT_EQ(byKey[15], byKey[14]);
    EXPECT_GT(byKey[16], byKey[15]);
}

TEST_F(InputTest, AButtonMovedInItsTableIsDrawnAndHitWhereItNowIs)
{
    const PanelButton quitWas = panelButtons[1];
    panelButtons[1].bottom -= 10.0f;  // Quit 10 units further down, just over the gear gate
    panelButtons[1].top -= 10.0f;
    toolbarObjects();
    harness::runFrame();
    const int column = 100, oldRow = 295, newRow = 372;  // view y 11.6 and 1.5
    const harness::Colour atOld = pixel(column, oldRow), atNew = pixel(column, newRow);
    const bool hitOld = pointerOnQuitButton(column, oldRow);
    const bool hitNew = pointerOnQuitButton(column, newRow);
    panelButtons[1] = quitWas;
    toolbarObjects();
    harness::runFrame();
    EXPECT_TRUE(panelGrey(atOld)) << harness::describe(atOld);
    EXPECT_FALSE(panelGrey(atNew)) << harness::describe(atNew);
    EXPECT_FALSE(hitOld);
    EXPECT_TRUE(hitNew);
    EXPECT_FALSE(panelGrey(pixel(column, oldRow))) << "the button is back";
}

TEST_F(InputTest, PointerBecomesAHandOverEitherButtonEvenOverAnIdleNew)
{
    passiveMotion(100, 180);
    EXPECT_EQ(glutGet(GLUT_WINDOW_CURSOR), GLUT_CURSOR_INFO);
    passiveMotion(100, 240);
    EXPECT_EQ(glutGet(GLUT_WINDOW_CURSOR), GLUT_CURSOR_LEFT_ARROW);
    passiveMotion(173, 333);
    EXPECT_EQ(glutGet(GLUT_WINDOW_CURSOR), GLUT_CURSOR_INFO);
    passiveMotion(174, 333);
    EXPECT_EQ(glutGet(GLUT_WINDOW_CURSOR), GLUT_CURSOR_LEFT_ARROW);
}

}  // namespace
