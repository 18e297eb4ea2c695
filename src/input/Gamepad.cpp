// Gamepads through SDL2's game-controller interface: SDL's mapping database gives hundreds of
// pads the standard layout (and SDL_GAMECONTROLLERCONFIG the rest). No SDL window: SDL's events
// are read once per turn of GLUT's main loop, before the car's motion step. Each pad's inputs
// are pressed or not; the actions they are bound to are held while any input of any pad bound
// to them is pressed, so that letting go of the D-pad leaves a stick held the same way turning.
#include "input/Gamepad.h"

#include <SDL.h>

#include <array>
#include <cstdio>
#include <iterator>

#include "base/Program.h"
#include "input/Actions.h"

namespace {

struct ButtonInput {
    SDL_GameControllerButton button;
    PadInput input;
};
constexpr ButtonInput kButtons[] = {
    {SDL_CONTROLLER_BUTTON_A, PadInput::A},
    {SDL_CONTROLLER_BUTTON_B, PadInput::B},
    {SDL_CONTROLLER_BUTTON_X, PadInput::X},
    {SDL_CONTROLLER_BUTTON_Y, PadInput::Y},
    {SDL_CONTROLLER_BUTTON_BACK, PadInput::Back},
    {SDL_CONTROLLER_BUTTON_GUIDE, PadInput::Guide},
    {SDL_CONTROLLER_BUTTON_START, PadInput::Start},
    {SDL_CONTROLLER_BUTTON_LEFTSTICK, PadInput::LeftStick},
    {SDL_CONTROLLER_BUTTON_RIGHTSTICK, PadInput::RightStick},
    {SDL_CONTROLLER_BUTTON_LEFTSHOULDER, PadInput::LeftShoulder},
    {SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, PadInput::RightShoulder},
    {SDL_CONTROLLER_BUTTON_DPAD_UP, PadInput::DpadUp},
    {SDL_CONTROLLER_BUTTON_DPAD_DOWN, PadInput::DpadDown},
    {SDL_CONTROLLER_BUTTON_DPAD_LEFT, PadInput::DpadLeft},
    {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, PadInput::DpadRight},
    {SDL_CONTROLLER_BUTTON_MISC1, PadInput::Misc1},
    {SDL_CONTROLLER_BUTTON_PADDLE1, PadInput::Paddle1},
    {SDL_CONTROLLER_BUTTON_PADDLE2, PadInput::Paddle2},
    {SDL_CONTROLLER_BUTTON_PADDLE3, PadInput::Paddle3},
    {SDL_CONTROLLER_BUTTON_PADDLE4, PadInput::Paddle4},
    {SDL_CONTROLLER_BUTTON_TOUCHPAD, PadInput::Touchpad},
};

// A stick's axis is two inputs, one each way (negative: left or up); a trigger's is one.
struct AxisInputs {
    SDL_GameControllerAxis axis;
    PadInput negative, positive;
};
constexpr AxisInputs kAxes[] = {
    {SDL_CONTROLLER_AXIS_LEFTX, PadInput::LeftStickLeft, PadInput::LeftStickRight},
    {SDL_CONTROLLER_AXIS_LEFTY, PadInput::LeftStickUp, PadInput::LeftStickDown},
    {SDL_CONTROLLER_AXIS_RIGHTX, PadInput::RightStickLeft, PadInput::RightStickRight},
    {SDL_CONTROLLER_AXIS_RIGHTY, PadInput::RightStickUp, PadInput::RightStickDown},
    {SDL_CONTROLLER_AXIS_TRIGGERLEFT, PadInput::LeftTrigger, PadInput::LeftTrigger},
    {SDL_CONTROLLER_AXIS_TRIGGERRIGHT, PadInput::RightTrigger, PadInput::RightTrigger},
};

struct Pad {
    SDL_GameController* controller;
    SDL_JoystickID id;
    std::array<bool, kPadInputCount> pressed;  // each input now
};

bool started = false;
std::vector<PadBinding> padTable;            // each input and what it asks for
double deadZone = kDefaultDeadZone / 100.0;  // share of the travel
std::vector<Pad> pads;                       // the pads plugged in, in the order they came
std::array<bool, kActionCount> held{};       // the actions the pads hold down now

// Each action held while any pad presses an input bound to it: pressed as the first such input
// is, let go with the last.
void holdWhatThePadsPress()
{
    std::array<bool, kActionCount> now{};
    for (const Pad& pad : pads) {
        for (const PadBinding& binding : padTable) {
            if (!shiftsGear(binding.action) && pad.pressed[static_cast<int>(binding.input)])
                now[static_cast<int>(binding.action)] = true;
        }
    }
    for (int i = 0; i < kActionCount; ++i) {
        if (now[i] && !held[i])
            pressAction(static_cast<Action>(i), Device::Gamepad);
        else if (!now[i] && held[i])
            releaseAction(static_cast<Action>(i), Device::Gamepad);
    }
    held = now;
}

void setInput(Pad& pad, PadInput input, bool pressed)
{
    bool& was = pad.pressed[static_cast<int>(input)];
    if (was == pressed)
        return;
    was = pressed;
    if (pressed) {
        for (const PadBinding& binding : padTable) {
            // A shift is from the car's gear at the press, once: holding it shifts no further.
            if (binding.input == input && shiftsGear(binding.action))
                tapAction(binding.action, Device::Gamepad);
        }
    }
    holdWhatThePadsPress();
}

Pad* padOf(SDL_JoystickID id)
{
    for (Pad& pad : pads) {
        if (pad.id == id)
            return &pad;
    }
    return nullptr;
}

void openPad(int deviceIndex)
{
    SDL_GameController* controller = SDL_GameControllerOpen(deviceIndex);
    if (!controller)
        return;
    const SDL_JoystickID id = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(controller));
    if (padOf(id)) {
        SDL_GameControllerClose(controller);  // told of twice
        return;
    }
    pads.push_back({controller, id, {}});
}

void closePad(SDL_JoystickID id)
{
    for (auto pad = pads.begin(); pad != pads.end(); ++pad) {
        if (pad->id != id)
            continue;
        SDL_GameControllerClose(pad->controller);
        pads.erase(pad);
        holdWhatThePadsPress();  // whatever it held is let go: the car does not drive on alone
        return;
    }
}

void moveAxis(Pad& pad, Uint8 axis, Sint16 value)
{
    for (const AxisInputs& inputs : kAxes) {
        if (inputs.axis != axis)
            continue;
        // Pressed past the dead zone, let go within it.
        const double travel = value >= 0 ? value / 32767.0 : value / 32768.0;
        const bool negative = -travel > deadZone;
        const bool positive = travel > deadZone;
        if (inputs.negative == inputs.positive) {
            setInput(pad, inputs.positive, positive);  // a trigger
            return;
        }
        // The way it is no longer pushed first: a stick thrown across lets go before it turns.
        setInput(pad, negative ? inputs.positive : inputs.negative, false);
        setInput(pad, inputs.negative, negative);
        setInput(pad, inputs.positive, positive);
        return;
    }
}

void pressButton(Pad& pad, Uint8 button, bool pressed)
{
    for (const ButtonInput& input : kButtons) {
        if (input.button == button)
            setInput(pad, input.input, pressed);
    }
}

void handle(const SDL_Event& event)
{
    switch (event.type) {
        case SDL_CONTROLLERDEVICEADDED:
            openPad(event.cdevice.which);
            break;
        case SDL_CONTROLLERDEVICEREMOVED:
            closePad(event.cdevice.which);
            break;
        case SDL_CONTROLLERBUTTONDOWN:
        case SDL_CONTROLLERBUTTONUP:
            if (Pad* pad = padOf(event.cbutton.which))
                pressButton(*pad, event.cbutton.button, event.type == SDL_CONTROLLERBUTTONDOWN);
            break;
        case SDL_CONTROLLERAXISMOTION:
            if (Pad* pad = padOf(event.caxis.which))
                moveAxis(*pad, event.caxis.axis, event.caxis.value);
            break;
        default:
            break;  // the joysticks' own events, of which the controllers' are made
    }
}

}  // namespace

bool startGamepads(const std::vector<PadBinding>& bindings, int deadZonePercent)
{
    padTable = bindings;
    deadZone = deadZonePercent / 100.0;
    if (started)
        return true;
    // Input only: the game keeps its own signals, and its window is GLUT's, which SDL does not
    // know, so the pads are heard whichever window has the keyboard.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
        say(std::string("no gamepads (") + SDL_GetError() + "); the game plays by keyboard");
        return false;
    }
    started = true;
    return true;
}

void pollGamepads()
{
    if (!started)
        return;
    SDL_Event event;
    while (SDL_PollEvent(&event))
        handle(event);
}

int gamepadsOpen()
{
    return static_cast<int>(pads.size());
}

void stopGamepads()
{
    if (!started)
        return;
    while (!pads.empty())
        closePad(pads.front().id);
    SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    SDL_Quit();
    started = false;
}
