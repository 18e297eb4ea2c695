// The player's settings: the keys and pad buttons of each action, the pads' dead zone, starting
// muted or in a window. Read from one plain text file, which the game never writes; whatever a
// line holds that the game cannot use is one warning, and the game's own default for that line.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "input/Keys.h"
#include "session/Commands.h"

// A gamepad's inputs in SDL's standard layout, each as a press: the buttons, the triggers past
// the dead zone, and each stick's four directions past the dead zone.
enum class PadInput {
    A,
    B,
    X,
    Y,
    Back,
    Guide,
    Start,
    LeftStick,
    RightStick,
    LeftShoulder,
    RightShoulder,
    DpadUp,
    DpadDown,
    DpadLeft,
    DpadRight,
    Misc1,
    Paddle1,
    Paddle2,
    Paddle3,
    Paddle4,
    Touchpad,
    LeftTrigger,
    RightTrigger,
    LeftStickLeft,
    LeftStickRight,
    LeftStickUp,
    LeftStickDown,
    RightStickLeft,
    RightStickRight,
    RightStickUp,
    RightStickDown,
};
constexpr int kPadInputCount = static_cast<int>(PadInput::RightStickDown) + 1;
const char* nameOfPadInput(PadInput input);  // SDL's names: a, leftshoulder, +leftx, ...

struct KeyBinding {
    Key key;
    Action action;
};
struct PadBinding {
    PadInput input;
    Action action;  // what the input asks for; a gear down or up is asked once per press
};

constexpr int kDefaultDeadZone = 25;  // percent of a stick's or trigger's travel
constexpr int kSmallestDeadZone = 5;  // a worn stick rests off its centre by a few percent
constexpr int kLargestDeadZone = 90;

struct Settings {
    std::vector<KeyBinding> keys;  // each key and its action; no key twice; Escape quits
    std::vector<PadBinding> pad;   // each pad input and what it asks for; no input twice
    int deadZonePercent = kDefaultDeadZone;
    bool mute = false;    // the game starts silent
    bool window = false;  // the game starts in a window
};

Settings defaultSettings();  // the game's own keys and buttons

// The file the game reads: --settings FILE, else $XDG_CONFIG_HOME/tarvelo/settings.conf, else
// ~/.config/tarvelo/settings.conf; "" where there is no home folder to look in.
std::string settingsFile(const std::string& given);
// The settings of the file, over the defaults: one line on `warnings` for each line the game
// cannot use (and one for a file that cannot be read, unless it is missing and `mustExist` is
// false), naming the file and the line.
Settings readSettings(const std::string& path, bool mustExist, std::FILE* warnings);
// The same from the file's contents: each warning appended to `warnings`, without the program's
// name.
Settings parseSettings(std::string_view text, const std::string& path,
                       std::vector<std::string>& warnings);
void printDefaultSettings(std::FILE* out);  // a file of the defaults, explained, to start from

// One line of the controls as --print-settings writes them: the action's name, on the keys or
// the pads, and what the settings bind to it ("Left", "-leftx dpleft"; "" for none). The keys'
// lines come first, then the pads', each in the order of the settings file.
struct ControlLine {
    const char* name;   // "turn_left", after "key." or "pad."
    bool onPad;         // a pad's line
    std::string bound;  // the keys' or inputs' names, one space apart
};
std::vector<ControlLine> controlLines(
    const Settings& settings);  // a file of the defaults, explained, to start from
