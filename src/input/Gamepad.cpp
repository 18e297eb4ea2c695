// Gamepads in the standard layout, as the platform reads them (Platform.h), once per turn of the
// main loop, before the car's motion step. Each pad's inputs are pressed or not; the actions they
// are bound to are held while any input of any pad bound to them is pressed, so that letting go of
// the D-pad leaves a stick held the same way turning.
#include "input/Gamepad.h"

#include <array>
#include <cstdio>
#include <iterator>

#include "base/Program.h"
#include "input/Actions.h"
#include "platform/Platform.h"

namespace {

// A stick's axis is two inputs, one each way (negative: left or up); a trigger's is one. In the
// order of the platform's PadAxis.
struct AxisInputs {
    PadInput negative, positive;
};
constexpr AxisInputs kAxes[kPadAxes] = {
    {PadInput::LeftStickLeft, PadInput::LeftStickRight},
    {PadInput::LeftStickUp, PadInput::LeftStickDown},
    {PadInput::RightStickLeft, PadInput::RightStickRight},
    {PadInput::RightStickUp, PadInput::RightStickDown},
    {PadInput::LeftTrigger, PadInput::LeftTrigger},
    {PadInput::RightTrigger, PadInput::RightTrigger},
};

struct Pad {
    int id;
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

Pad* padOf(int id)
{
    for (Pad& pad : pads) {
        if (pad.id == id)
            return &pad;
    }
    return nullptr;
}

void addPad(int id)
{
    if (!padOf(id))  // not told of twice
        pads.push_back({id, {}});
}

void removePad(int id)
{
    for (auto pad = pads.begin(); pad != pads.end(); ++pad) {
        if (pad->id != id)
            continue;
        pads.erase(pad);
        holdWhatThePadsPress();  // whatever it held is let go: the car does not drive on alone
        return;
    }
}

void moveAxis(Pad& pad, int axis, int value)
{
    if (axis < 0 || axis >= kPadAxes)
        return;
    const AxisInputs& inputs = kAxes[axis];
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
}

void handle(const PadEvent& event)
{
    switch (event.kind) {
        case PadEvent::Kind::Added:
            addPad(event.pad);
            break;
        case PadEvent::Kind::Removed:
            removePad(event.pad);
            break;
        case PadEvent::Kind::Button:
            if (Pad* pad = padOf(event.pad); pad && event.index >= 0 && event.index < kPadButtons)
                setInput(*pad, static_cast<PadInput>(event.index), event.value != 0);
            break;
        case PadEvent::Kind::Axis:
            if (Pad* pad = padOf(event.pad))
                moveAxis(*pad, event.index, event.value);
            break;
    }
}

}  // namespace

bool startGamepads(const std::vector<PadBinding>& bindings, int deadZonePercent)
{
    padTable = bindings;
    deadZone = deadZonePercent / 100.0;
    if (started)
        return true;
    std::string why;
    if (!startPads(why)) {
        say("no gamepads (" + why + "); the game plays by keyboard");
        return false;
    }
    started = true;
    return true;
}

void pollGamepads()
{
    if (!started)
        return;
    PadEvent event;
    while (nextPadEvent(event))
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
        removePad(pads.front().id);
    stopPads();
    started = false;
}
