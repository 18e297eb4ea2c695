// Gamepads driving the real game: SDL's virtual game controller in the standard layout, plugged
// in, moved and pulled out between real frames of the game, read by the game's own main-loop step
// as a real pad would be. Each drive is set beside the same drive by held actions, so that a
// pad's held input repeats at the game's pace exactly as a held key does.
#include <SDL.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "GlHarness.h"
#include "effects/Particles.h"
#include "input/Actions.h"
#include "input/Gamepad.h"
#include "input/Settings.h"
#include "vehicle/Car.h"

namespace {

// A pad plugged in for as long as it lives, in SDL's standard layout: every button and axis.
class VirtualPad {
public:
    VirtualPad()
    {
        SDL_VirtualJoystickDesc pad{};
        pad.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        pad.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        pad.naxes = SDL_CONTROLLER_AXIS_MAX;
        pad.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
        pad.name = "TARVELO! test pad";
        const int index = SDL_JoystickAttachVirtualEx(&pad);
        joystick_ = index < 0 ? nullptr : SDL_JoystickOpen(index);
        EXPECT_NE(joystick_, nullptr) << SDL_GetError();
    }
    ~VirtualPad() { pullOut(); }
    void button(SDL_GameControllerButton button, bool down)
    {
        SDL_JoystickSetVirtualButton(joystick_, button, down ? 1 : 0);
    }
    // The axis at a share of its travel: a stick's from -1 (left, up) to 1, a trigger's from 0
    // to 1, which SDL reads from the joystick's whole range.
    void axis(SDL_GameControllerAxis axis, double share)
    {
        const bool trigger =
            axis == SDL_CONTROLLER_AXIS_TRIGGERLEFT || axis == SDL_CONTROLLER_AXIS_TRIGGERRIGHT;
        const double value = trigger ? -32768.0 + share * 65535.0 : share * 32767.0;
        SDL_JoystickSetVirtualAxis(joystick_, axis, static_cast<Sint16>(value));
    }
    void pullOut()
    {
        if (!joystick_)
            return;
        const SDL_JoystickID id = SDL_JoystickInstanceID(joystick_);
        SDL_JoystickClose(joystick_);
        joystick_ = nullptr;
        for (int i = 0; i < SDL_NumJoysticks(); ++i) {
            if (SDL_JoystickGetDeviceInstanceID(i) == id)
                SDL_JoystickDetachVirtual(i);
        }
        pollGamepads();
    }

private:
    SDL_Joystick* joystick_ = nullptr;
};

// The car and the game as a frame showed them.
struct Frame {
    float heading, speed, gearMax, x;
    bool paused;
    int headlightsOff;
    bool operator==(const Frame& o) const
    {
        return heading == o.heading && speed == o.speed && gearMax == o.gearMax && x == o.x &&
               paused == o.paused && headlightsOff == o.headlightsOff;
    }
};

void PrintTo(const Frame& f, std::ostream* out)
{
    *out << "{heading " << f.heading << ", speed " << f.speed << ", gear " << f.gearMax << ", x "
         << f.x << (f.paused ? ", paused" : "") << ", lights off " << f.headlightsOff << "}";
}

// Something done after a frame (from 1), before the main loop's step reads the pads.
using At = harness::Cues::value_type;
VirtualPad* plugged = nullptr;  // the pad of the drive under way

std::vector<Frame> drive(int frames, const harness::Cues& script)
{
    harness::resetGame();
    VirtualPad pad;
    plugged = &pad;
    pollGamepads();  // plugged in
    EXPECT_EQ(gamepadsOpen(), 1);
    std::vector<Frame> record;
    const auto note = [&record] {
        const Car& car = harness::game().playerCar;
        record.push_back({car.getHeading(), car.getY_speed(), car.getGearMax(), car.getX_centre(),
                          gamePaused(harness::game()), harness::game().headlightsOff});
    };
    harness::runFrames(frames, {script, note});
    pad.pullOut();
    releaseActions(Device::Script);
    return record;
}

At padButton(int frame, SDL_GameControllerButton button, bool down)
{
    return {frame, [=] { plugged->button(button, down); }};
}
At padAxis(int frame, SDL_GameControllerAxis axis, double share)
{
    return {frame, [=] { plugged->axis(axis, share); }};
}
At held(int frame, Action action, bool down)
{
    return {frame, [=] {
                down ? pressAction(action, Device::Script) : releaseAction(action, Device::Script);
            }};
}
At tapped(int frame, Action action)
{
    return {frame, [=] { tapAction(action, Device::Script); }};
}
At wreck(int frame)
{
    return {frame, [] {
                harness::game().playerCar.setX_centre(42.0f);
                harness::game().playerCar.setCarDamageStatus(0.0f);
                harness::game().bursts.explosionBurst.life = 0.0f;
            }};
}
At moveCar(int frame)
{
    return {frame, [] { harness::game().playerCar.setX_centre(42.0f); }};
}
At rollCar(int frame, float speed)
{
    return {frame, [=] { harness::game().playerCar.setSpeed(speed, speed); }};
}

class GamepadTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(startGamepads(defaultSettings().pad, kDefaultDeadZone)); }
};

TEST_F(GamepadTest, APadPlaysTheGameAsHeldActionsDo)
{
    constexpr SDL_GameControllerAxis kStickX = SDL_CONTROLLER_AXIS_LEFTX;
    struct Case {
        const char* what;
        int frames;
        harness::Cues pad, same;  // the pad's drive, and the same by actions
        bool changesTheCar;       // the drive leaves the car other than it starts
    };
    const Case cases[] = {
        {"the stick right, past the dead zone, turns right and repeats like a held arrow",
         40,
         {padAxis(1, kStickX, 0.5), padAxis(31, kStickX, 0.0)},
         {held(1, Action::TurnRight, true), held(31, Action::TurnRight, false)},
         true},
        {"the stick back within the dead zone lets go; left turns left",
         40,
         {padAxis(1, kStickX, 0.9), padAxis(21, kStickX, 0.21), padAxis(26, kStickX, -1.0),
          padAxis(40, kStickX, 0.0)},
         {held(1, Action::TurnRight, true), held(21, Action::TurnRight, false),
          held(26, Action::TurnLeft, true), held(40, Action::TurnLeft, false)},
         true},
        {"a stick inside the dead zone does nothing, either way",
         40,
         {padAxis(1, kStickX, 0.24), padAxis(21, kStickX, -0.24), padAxis(31, kStickX, 0.0),
          padAxis(33, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 0.24)},
         {},
         false},
        {"the D-pad turns; with the stick held too, the turn lasts until both let go",
         50,
         {padButton(1, SDL_CONTROLLER_BUTTON_DPAD_LEFT, true), padAxis(11, kStickX, -0.6),
          padButton(21, SDL_CONTROLLER_BUTTON_DPAD_LEFT, false), padAxis(41, kStickX, 0.0)},
         {held(1, Action::TurnLeft, true), held(41, Action::TurnLeft, false)},
         true},
        {"the right trigger accelerates and repeats; the left trigger brakes",
         60,
         {padAxis(1, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 1.0),
          padAxis(31, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 0.0),
          padAxis(36, SDL_CONTROLLER_AXIS_TRIGGERLEFT, 0.8),
          padAxis(51, SDL_CONTROLLER_AXIS_TRIGGERLEFT, 0.0)},
         {held(1, Action::Accelerate, true), held(31, Action::Accelerate, false),
          held(36, Action::Brake, true), held(51, Action::Brake, false)},
         true},
        {"A accelerates and B brakes, held like the triggers",
         60,
         {padButton(1, SDL_CONTROLLER_BUTTON_A, true),
          padButton(31, SDL_CONTROLLER_BUTTON_A, false),
          padButton(36, SDL_CONTROLLER_BUTTON_B, true),
          padButton(51, SDL_CONTROLLER_BUTTON_B, false)},
         {held(1, Action::Accelerate, true), held(31, Action::Accelerate, false),
          held(36, Action::Brake, true), held(51, Action::Brake, false)},
         true},
        {"the shoulders shift up through 1 to 4 and down to reverse at a standstill",
         20,
         {padButton(1, SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, true),
          padButton(2, SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, false),
          padButton(3, SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, true),
          padButton(4, SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, false),
          padButton(5, SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, true),
          padButton(6, SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, false),
          padButton(7, SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, true),  // fourth stays fourth
          padButton(8, SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, false),
          padButton(9, SDL_CONTROLLER_BUTTON_LEFTSHOULDER, true),
          padButton(10, SDL_CONTROLLER_BUTTON_LEFTSHOULDER, false),
          padButton(11, SDL_CONTROLLER_BUTTON_LEFTSHOULDER, true),
          padButton(12, SDL_CONTROLLER_BUTTON_LEFTSHOULDER, false),
          padButton(13, SDL_CONTROLLER_BUTTON_LEFTSHOULDER, true),
          padButton(14, SDL_CONTROLLER_BUTTON_LEFTSHOULDER, false),
          padButton(15, SDL_CONTROLLER_BUTTON_LEFTSHOULDER, true),  // first to reverse
          padButton(16, SDL_CONTROLLER_BUTTON_LEFTSHOULDER, false),
          padButton(17, SDL_CONTROLLER_BUTTON_LEFTSHOULDER, true),  // reverse stays reverse
          padButton(18, SDL_CONTROLLER_BUTTON_LEFTSHOULDER, false),
          padButton(19, SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, true)},  // back to first
         {tapped(1, Action::Gear2), tapped(3, Action::Gear3), tapped(5, Action::Gear4),
          tapped(9, Action::Gear3), tapped(11, Action::Gear2), tapped(13, Action::Gear1),
          tapped(15, Action::Reverse), tapped(19, Action::Gear1)},
         true},
        {"down from first while the car rolls is no reverse",
         6,
         {rollCar(1, 0.2f), padButton(3, SDL_CONTROLLER_BUTTON_LEFTSHOULDER, true)},
         {rollCar(1, 0.2f)},
         true},
        {"Y switches the lights; Start pauses, and Start again plays on",
         30,
         {padButton(1, SDL_CONTROLLER_BUTTON_Y, true), padButton(4, SDL_CONTROLLER_BUTTON_Y, false),
          padButton(6, SDL_CONTROLLER_BUTTON_START, true),
          padButton(7, SDL_CONTROLLER_BUTTON_START, false),
          padAxis(13, kStickX, 1.0),  // unheard while paused
          padButton(21, SDL_CONTROLLER_BUTTON_START, true),
          padButton(22, SDL_CONTROLLER_BUTTON_START, false)},
         {tapped(1, Action::Lights), tapped(6, Action::Pause), tapped(21, Action::Pause)},
         true},
        {"Back brings a new car after a wreck and nothing before",
         12,
         {moveCar(1), padButton(3, SDL_CONTROLLER_BUTTON_BACK, true),
          padButton(4, SDL_CONTROLLER_BUTTON_BACK, false), wreck(6),
          padButton(9, SDL_CONTROLLER_BUTTON_BACK, true)},
         {moveCar(1), wreck(6), tapped(9, Action::NewCar)},
         true},
        {"pulling the pad out mid-turn stops the turning",
         50,
         {padAxis(1, kStickX, 1.0),
          padButton(1, SDL_CONTROLLER_BUTTON_A, true),
          {26, [] { plugged->pullOut(); }}},
         {held(1, Action::TurnRight, true), held(1, Action::Accelerate, true),
          held(26, Action::TurnRight, false), held(26, Action::Accelerate, false)},
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<Frame> byPad = drive(c.frames, c.pad);
        const std::vector<Frame> byActions = drive(c.frames, c.same);
        EXPECT_EQ(byPad, byActions);
        const std::vector<Frame> untouched = drive(c.frames, {});
        EXPECT_EQ(byPad != untouched, c.changesTheCar);
    }
}

// Every button and trigger by SDL's own name in the settings, bound to the lights: a press
// switches them, whichever input it is.
TEST_F(GamepadTest, EveryInputBySdlsNameCanBeBound)
{
    std::vector<std::pair<std::string, At>> inputs;
    // SDL's virtual pads have every button of the layout but the touchpad.
    for (int b = 0; b < SDL_CONTROLLER_BUTTON_TOUCHPAD; ++b) {
        const auto button = static_cast<SDL_GameControllerButton>(b);
        inputs.push_back(
            {SDL_GameControllerGetStringForButton(button), padButton(2, button, true)});
    }
    for (const SDL_GameControllerAxis trigger :
         {SDL_CONTROLLER_AXIS_TRIGGERLEFT, SDL_CONTROLLER_AXIS_TRIGGERRIGHT})
        inputs.push_back({SDL_GameControllerGetStringForAxis(trigger), padAxis(2, trigger, 1.0)});
    for (const SDL_GameControllerAxis stick :
         {SDL_CONTROLLER_AXIS_LEFTX, SDL_CONTROLLER_AXIS_LEFTY, SDL_CONTROLLER_AXIS_RIGHTX,
          SDL_CONTROLLER_AXIS_RIGHTY}) {
        const std::string name = SDL_GameControllerGetStringForAxis(stick);
        inputs.push_back({"-" + name, padAxis(2, stick, -1.0)});
        inputs.push_back({"+" + name, padAxis(2, stick, 1.0)});
    }
    ASSERT_EQ(inputs.size(), static_cast<size_t>(kPadInputCount - 1));
    for (const auto& [name, press] : inputs) {
        SCOPED_TRACE(name);
        // Every other action without a pad input, so that none holds this one already.
        std::string text;
        for (const char* control : {"turn_left", "turn_right", "accelerate", "brake", "gear_down",
                                    "gear_up", "pause", "new_car"})
            text += std::string("pad.") + control + " =\n";
        text += "pad.lights = " + name + "\n";
        std::vector<std::string> warnings;
        const Settings settings = parseSettings(text, "pads.conf", warnings);
        EXPECT_TRUE(warnings.empty()) << warnings.front();
        startGamepads(settings.pad, kDefaultDeadZone);
        const std::vector<Frame> frames = drive(3, {press});
        EXPECT_EQ(frames[0].headlightsOff, 0);
        EXPECT_EQ(frames[2].headlightsOff, 1);
    }
}

}  // namespace
