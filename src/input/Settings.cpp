// The player's settings file: plain "name = value" lines over the game's own keys and buttons.
// Each line stands on its own: a line the game cannot use is one warning and leaves that
// setting as the game has it; no line can take Escape away from quitting, give one key two
// actions, or leave an action without a key.
#include "input/Settings.h"

#include <pwd.h>
#include <unistd.h>
#include "platform/Glut.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <optional>
#include <utility>

#include "base/PlainFile.h"
#include "base/Program.h"
#include "platform/Window.h"

namespace {

// The game's own keys, one row per key.
constexpr KeyBinding kDefaultKeys[] = {
    {{KeyKind::Special, GLUT_KEY_LEFT}, Action::TurnLeft},
    {{KeyKind::Special, GLUT_KEY_RIGHT}, Action::TurnRight},
    {{KeyKind::Special, GLUT_KEY_UP}, Action::Accelerate},
    {{KeyKind::Special, GLUT_KEY_DOWN}, Action::Brake},
    {{KeyKind::Character, '1'}, Action::Gear1},
    {{KeyKind::Character, '2'}, Action::Gear2},
    {{KeyKind::Character, '3'}, Action::Gear3},
    {{KeyKind::Character, '4'}, Action::Gear4},
    {{KeyKind::Character, '5'}, Action::Reverse},
    {{KeyKind::Character, 'l'}, Action::Lights},
    {{KeyKind::Character, 'p'}, Action::Pause},
    {{KeyKind::Character, 'm'}, Action::Mute},
    {{KeyKind::Character, 'n'}, Action::NewCar},
    {{KeyKind::Character, 't'}, Action::TimeTrial},
    {{KeyKind::Special, GLUT_KEY_F11}, Action::FullScreen},  // and Alt+Enter, always
    {{KeyKind::Special, GLUT_KEY_F1}, Action::Controls},
    {kEscapeKey, Action::Quit},
};

// The game's own pad buttons, one row per input. Quitting stays on the keyboard, the Quit button
// and the window's close box: no pad button ends a game by mistake.
constexpr PadBinding kDefaultPad[] = {
    {PadInput::LeftStickLeft, Action::TurnLeft},
    {PadInput::DpadLeft, Action::TurnLeft},
    {PadInput::LeftStickRight, Action::TurnRight},
    {PadInput::DpadRight, Action::TurnRight},
    {PadInput::RightTrigger, Action::Accelerate},
    {PadInput::A, Action::Accelerate},
    {PadInput::LeftTrigger, Action::Brake},
    {PadInput::B, Action::Brake},
    {PadInput::LeftShoulder, Action::GearDown},
    {PadInput::RightShoulder, Action::GearUp},
    {PadInput::Y, Action::Lights},
    {PadInput::Start, Action::Pause},
    {PadInput::Back, Action::NewCar},
};

// SDL's names for the inputs, in the order of PadInput; a stick's directions as SDL writes half
// axes, - for left and up.
constexpr const char* kPadInputNames[] = {
    "a",
    "b",
    "x",
    "y",
    "back",
    "guide",
    "start",
    "leftstick",
    "rightstick",
    "leftshoulder",
    "rightshoulder",
    "dpup",
    "dpdown",
    "dpleft",
    "dpright",
    "misc1",
    "paddle1",
    "paddle2",
    "paddle3",
    "paddle4",
    "touchpad",
    "lefttrigger",
    "righttrigger",
    "-leftx",
    "+leftx",
    "-lefty",
    "+lefty",
    "-rightx",
    "+rightx",
    "-righty",
    "+righty",
};
static_assert(std::size(kPadInputNames) == kPadInputCount, "a name for each pad input");

// What a line can set a key or pad input for: the player's actions.
struct Control {
    const char* name;  // after "key." or "pad."
    Action action;
    bool onKeys, onPad;
};
constexpr Control kControls[] = {
    {"turn_left", Action::TurnLeft, true, true},
    {"turn_right", Action::TurnRight, true, true},
    {"accelerate", Action::Accelerate, true, true},
    {"brake", Action::Brake, true, true},
    {"gear1", Action::Gear1, true, true},
    {"gear2", Action::Gear2, true, true},
    {"gear3", Action::Gear3, true, true},
    {"gear4", Action::Gear4, true, true},
    {"reverse", Action::Reverse, true, true},
    {"gear_down", Action::GearDown, false, true},
    {"gear_up", Action::GearUp, false, true},
    {"lights", Action::Lights, true, true},
    {"pause", Action::Pause, true, true},
    {"mute", Action::Mute, true, true},
    {"new_car", Action::NewCar, true, true},
    {"time_trial", Action::TimeTrial, true, true},
    {"full_screen", Action::FullScreen, true, false},
    {"controls", Action::Controls, true, false},
    {"quit", Action::Quit, true, false},
};
constexpr int kControlCount = static_cast<int>(std::size(kControls));
constexpr int kQuit = kControlCount - 1;

constexpr size_t kLongestLine = 256;                 // characters; settings lines are far shorter
constexpr size_t kLargestFile = 64 * 1024;           // bytes
constexpr size_t kMostPerControl = 4;                // keys or pad inputs for one action
constexpr const char* kMostPerControlWord = "four";  // as a warning says it
constexpr size_t kLongestQuote = 40;                 // characters of the player's text in a warning
constexpr int kMostWarningsShown = 20;               // a file of nothing but mistakes says so once

std::vector<Key> defaultKeysOf(int control)
{
    std::vector<Key> keys;
    for (const KeyBinding& binding : kDefaultKeys) {
        if (kControls[control].action == binding.action)
            keys.push_back(binding.key);
    }
    return keys;
}

std::vector<PadInput> defaultPadOf(int control)
{
    std::vector<PadInput> inputs;
    for (const PadBinding& binding : kDefaultPad) {
        if (kControls[control].action == binding.action)
            inputs.push_back(binding.input);
    }
    return inputs;
}

std::optional<PadInput> padInputOfName(std::string_view name)
{
    for (int i = 0; i < kPadInputCount; ++i) {
        if (name == kPadInputNames[i])
            return static_cast<PadInput>(i);
    }
    return std::nullopt;
}

std::string nameOf(Key key)
{
    return nameOfKey(key);
}
std::string nameOf(PadInput input)
{
    return nameOfPadInput(input);
}

template <typename T>
std::string namesOf(const std::vector<T>& values)
{
    std::string names;
    for (const T& value : values)
        names += (names.empty() ? "" : " ") + nameOf(value);
    return names.empty() ? "none" : names;
}

// The player's text in a warning: printable ASCII as it is, any other byte as \xNN, cut short.
std::string quoted(std::string_view text)
{
    std::string out = "'";
    for (size_t i = 0; i < text.size() && i < kLongestQuote; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= ' ' && c < 0x7f) {
            out += static_cast<char>(c);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
            out += escaped;
        }
    }
    if (text.size() > kLongestQuote)
        out += "...";
    return out + "'";
}

std::string_view trimmed(std::string_view text)
{
    const auto space = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && space(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && space(text.back()))
        text.remove_suffix(1);
    return text;
}

std::vector<std::string_view> words(std::string_view text)
{
    std::vector<std::string_view> list;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = std::min(text.find_first_of(" \t", start), text.size());
        if (end > start)
            list.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return list;
}

// What the lines chose for the keys or the pad inputs of each control, and on which line.
template <typename T>
struct Chosen {
    std::vector<T> values[kControlCount];
    int line[kControlCount] = {};  // 0: the game's own
};

// The reading of one file.
class Reader {
public:
    explicit Reader(const std::string& path) : path_(path)
    {
        for (int c = 0; c < kControlCount; ++c) {
            keys_.values[c] = defaultKeysOf(c);
            pad_.values[c] = defaultPadOf(c);
        }
    }

    void readLine(std::string_view line, int number);
    Settings settle();
    void warn(int line, const std::string& text)
    {
        warnings_.push_back({line, path_ + ":" + std::to_string(line) + ": " + text});
    }
    void passOnWarnings(std::vector<std::string>& to)  // in the order of the lines
    {
        std::stable_sort(warnings_.begin(), warnings_.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        for (auto& warning : warnings_)
            to.push_back(std::move(warning.second));
        warnings_.clear();
    }

private:
    void readKeys(int control, std::string_view value, int line);
    void readPad(int control, std::string_view value, int line);
    void readDeadZone(std::string_view value, int line);
    void readYesOrNo(bool& setting, std::string_view name, std::string_view value, int line);
    template <typename T>
    void settleConflicts(Chosen<T>& chosen, std::vector<T> (*defaults)(int), const char* prefix,
                         const char* what);

    std::string path_;
    std::vector<std::pair<int, std::string>> warnings_;  // each with its line
    Chosen<Key> keys_;
    Chosen<PadInput> pad_;
    Settings settings_ = defaultSettings();
};

// The line number of the byte at `offset`, from 1.
int lineOf(std::string_view text, size_t offset)
{
    return 1 + static_cast<int>(std::count(text.begin(), text.begin() + offset, '\n'));
}

// A character no line of settings holds: below space but the tab (and the line's end), or DEL.
bool isControl(char c)
{
    return (static_cast<unsigned char>(c) < ' ' && c != '\t' && c != '\n') || c == 0x7f;
}

// Where the second line holding a control character has its first, if there is one.
std::optional<size_t> secondLineWithControl(std::string_view text)
{
    int linesSeen = 0;
    size_t i = 0;
    while (i < text.size()) {
        const bool lineEnd = text[i] == '\r' && (i + 1 == text.size() || text[i + 1] == '\n');
        if (!isControl(text[i]) || lineEnd) {  // a line ended as on another system
            ++i;
            continue;
        }
        if (++linesSeen == 2)
            return i;
        i = std::min(text.find('\n', i), text.size());
    }
    return std::nullopt;
}

std::optional<bool> yesOrNo(std::string_view value)
{
    if (value == "yes" || value == "true" || value == "on")
        return true;
    if (value == "no" || value == "false" || value == "off")
        return false;
    return std::nullopt;
}

// The line without its comment and the spaces around it. A comment starts at a # at the start
// or after a space: no setting's name or value holds one there.
std::string_view withoutComment(std::string_view line)
{
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '#' && (i == 0 || line[i - 1] == ' ' || line[i - 1] == '\t'))
            return trimmed(line.substr(0, i));
    }
    return trimmed(line);
}

void Reader::readLine(std::string_view line, int number)
{
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);  // written on another system
    if (line.size() > kLongestLine) {
        warn(number, "longer than " + std::to_string(kLongestLine) + " characters; ignored");
        return;
    }
    if (std::any_of(line.begin(), line.end(), isControl)) {
        warn(number, "a control character, which no setting holds; ignored");
        return;
    }
    line = withoutComment(line);
    if (line.empty())
        return;
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
        warn(number, quoted(line) + " is no 'name = value' line; ignored");
        return;
    }
    const std::string_view name = trimmed(line.substr(0, equals));
    const std::string_view value = trimmed(line.substr(equals + 1));
    const std::string_view device = name.substr(0, 4);
    for (int c = 0; c < kControlCount; ++c) {
        if (name.substr(std::min<size_t>(4, name.size())) != kControls[c].name)
            continue;
        if (kControls[c].onKeys && device == "key.")
            return readKeys(c, value, number);
        if (kControls[c].onPad && device == "pad.")
            return readPad(c, value, number);
    }
    if (name == "dead_zone")
        return readDeadZone(value, number);
    if (name == "mute" || name == "window")
        return readYesOrNo(name == "mute" ? settings_.mute : settings_.window, name, value, number);
    warn(number, quoted(name) + " is no setting (tarvelo --print-settings lists them); ignored");
}

void Reader::readDeadZone(std::string_view value, int line)
{
    std::string_view digits = value;
    if (!digits.empty() && digits.back() == '%')
        digits.remove_suffix(1);
    int percent = -1;
    if (!digits.empty() && digits.size() <= 3 &&
        std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        percent = std::atoi(std::string(digits).c_str());
    if (percent < kSmallestDeadZone || percent > kLargestDeadZone) {
        warn(line, "dead_zone is a whole number of percent from " +
                       std::to_string(kSmallestDeadZone) + " to " +
                       std::to_string(kLargestDeadZone) + ", not " + quoted(value) + "; ignored");
        return;
    }
    settings_.deadZonePercent = percent;
}

void Reader::readYesOrNo(bool& setting, std::string_view name, std::string_view value, int line)
{
    if (const std::optional<bool> yes = yesOrNo(value))
        setting = *yes;
    else
        warn(line, std::string(name) + " is yes or no, not " + quoted(value) + "; ignored");
}

void Reader::readKeys(int control, std::string_view value, int line)
{
    const std::string setting = std::string("key.") + kControls[control].name;
    std::vector<Key> keys;
    for (const std::string_view name : words(value)) {
        const std::optional<Key> key = keyOfName(name);
        if (!key) {
            warn(line, quoted(name) + " is no key name (the manual page lists them); ignored");
            return;
        }
        if (*key == kEscapeKey && control != kQuit) {
            warn(line, "Escape always quits, and is no other action's key; ignored");
            return;
        }
        if (std::find(keys.begin(), keys.end(), *key) == keys.end())
            keys.push_back(*key);
    }
    if (control == kQuit && std::find(keys.begin(), keys.end(), kEscapeKey) == keys.end())
        keys.push_back(kEscapeKey);  // besides the player's own
    if (keys.empty() || keys.size() > kMostPerControl + (control == kQuit ? 1 : 0)) {
        warn(line, setting + " takes one to " + kMostPerControlWord + " keys; ignored");
        return;
    }
    keys_.values[control] = keys;
    keys_.line[control] = line;
}

void Reader::readPad(int control, std::string_view value, int line)
{
    const std::string setting = std::string("pad.") + kControls[control].name;
    std::vector<PadInput> inputs;
    for (const std::string_view name : words(value)) {
        const std::optional<PadInput> input = padInputOfName(name);
        if (!input) {
            warn(line, quoted(name) +
                           " is no pad button, trigger or stick direction (the manual page "
                           "lists them); ignored");
            return;
        }
        if (std::find(inputs.begin(), inputs.end(), *input) == inputs.end())
            inputs.push_back(*input);
    }
    if (inputs.size() > kMostPerControl) {
        warn(line, setting + " takes up to " + kMostPerControlWord + " pad inputs; ignored");
        return;
    }
    pad_.values[control] = inputs;
    pad_.line[control] = line;
}

// One key or pad input for two controls: the line that gave it to the second one does not count,
// and that control keeps the game's own. A line loses to the game's own, and the later of two
// lines to the earlier; the game's own never clash with each other, so this ends.
template <typename T>
void Reader::settleConflicts(Chosen<T>& chosen, std::vector<T> (*defaults)(int), const char* prefix,
                             const char* what)
{
    for (int settled = 0; settled <= kControlCount; ++settled) {
        std::optional<std::pair<int, int>> clash;  // the control that loses, and the other
        T value{};
        for (int i = 0; i < kControlCount && !clash; ++i) {
            for (int j = i + 1; j < kControlCount && !clash; ++j) {
                for (const T& v : chosen.values[i]) {
                    if (std::find(chosen.values[j].begin(), chosen.values[j].end(), v) ==
                        chosen.values[j].end())
                        continue;
                    const bool iLoses = chosen.line[j] == 0 ||
                                        (chosen.line[i] != 0 && chosen.line[i] > chosen.line[j]);
                    clash = iLoses ? std::pair{i, j} : std::pair{j, i};
                    value = v;
                    break;
                }
            }
        }
        if (!clash)
            return;
        const auto [loser, other] = *clash;
        if (chosen.line[loser] == 0)
            return;  // the game's own clash: cannot happen
        const std::string owner = chosen.line[other] == 0
                                      ? "by default"
                                      : "on line " + std::to_string(chosen.line[other]);
        chosen.values[loser] = defaults(loser);
        warn(chosen.line[loser], nameOf(value) + " is already the " + what + " of " + prefix +
                                     kControls[other].name + " (" + owner + "); " + prefix +
                                     kControls[loser].name +
                                     " keeps the game's own: " + namesOf(chosen.values[loser]));
        chosen.line[loser] = 0;
    }
}

Settings Reader::settle()
{
    settleConflicts(keys_, defaultKeysOf, "key.", "key");
    settleConflicts(pad_, defaultPadOf, "pad.", "pad input");
    settings_.keys.clear();
    settings_.pad.clear();
    for (int c = 0; c < kControlCount; ++c) {
        for (const Key& key : keys_.values[c])
            settings_.keys.push_back({key, kControls[c].action});
        for (const PadInput& input : pad_.values[c])
            settings_.pad.push_back({input, kControls[c].action});
    }
    return settings_;
}

void printLine(std::FILE* out, const char* text)
{
    std::fprintf(out, "%s\n", text);
}

}  // namespace

const char* nameOfPadInput(PadInput input)
{
    return kPadInputNames[static_cast<int>(input)];
}

std::vector<ControlLine> controlLines(const Settings& settings)
{
    std::vector<ControlLine> lines;
    for (const bool pad : {false, true}) {
        for (const Control& control : kControls) {
            if (!(pad ? control.onPad : control.onKeys))
                continue;
            std::string bound;
            const auto add = [&bound](const std::string& name) {
                bound += (bound.empty() ? "" : " ") + name;
            };
            if (pad) {
                for (const PadBinding& binding : settings.pad)
                    if (binding.action == control.action)
                        add(nameOf(binding.input));
            } else {
                for (const KeyBinding& binding : settings.keys)
                    if (binding.action == control.action)
                        add(nameOf(binding.key));
            }
            lines.push_back({control.name, pad, bound});
        }
    }
    return lines;
}

Settings defaultSettings()
{
    Settings settings;
    settings.keys.assign(std::begin(kDefaultKeys), std::end(kDefaultKeys));
    settings.pad.assign(std::begin(kDefaultPad), std::end(kDefaultPad));
    return settings;
}

std::string settingsFile(const std::string& given)
{
    if (!given.empty())
        return given;
    return playerFile("XDG_CONFIG_HOME", ".config", "settings.conf");
}

Settings parseSettings(std::string_view text, const std::string& path,
                       std::vector<std::string>& warnings)
{
    Reader reader(path);
    if (const size_t nul = text.find('\0'); nul != std::string_view::npos) {
        reader.warn(lineOf(text, nul), "a NUL byte: this is no text file, and none of it is used");
        reader.passOnWarnings(warnings);
        return defaultSettings();
    }
    // Control characters on more than one line: a file of some other kind, which is one warning
    // rather than one for each of its lines.
    if (const std::optional<size_t> second = secondLineWithControl(text)) {
        reader.warn(lineOf(text, *second),
                    "control characters on more than one line: this is no text file, and none "
                    "of it is used");
        reader.passOnWarnings(warnings);
        return defaultSettings();
    }
    if (text.substr(0, 3) == "\xef\xbb\xbf")
        text.remove_prefix(3);  // the byte order mark some editors write
    int number = 1;
    while (!text.empty()) {
        const size_t end = std::min(text.find('\n'), text.size());
        reader.readLine(text.substr(0, end), number);
        text.remove_prefix(std::min(end + 1, text.size()));
        ++number;
    }
    const Settings settings = reader.settle();
    reader.passOnWarnings(warnings);
    return settings;
}

Settings readSettings(const std::string& path, bool mustExist, std::FILE* warnings)
{
    const auto cannot = [&](const std::string& why) {
        say("the settings file " + path + " " + why + "; the game's own settings are used",
            warnings);
        return defaultSettings();
    };
    if (path.empty())
        return defaultSettings();
    const FileContents file = readPlainFile(path, kLargestFile);
    switch (file.trouble) {
        case FileTrouble::None:
            break;
        case FileTrouble::CannotOpen:
            if (file.error == ENOENT && !mustExist)
                return defaultSettings();  // the player has none
            [[fallthrough]];
        case FileTrouble::CannotRead:
            return cannot(std::string("cannot be read: ") + std::strerror(file.error));
        case FileTrouble::Folder:
            return cannot("is a folder");
        case FileTrouble::NotPlain:
            return cannot("is no plain file");
        case FileTrouble::TooLarge:
            return cannot("is larger than " + std::to_string(kLargestFile / 1024) +
                          " KiB, too large for settings");
    }
    std::vector<std::string> lines;
    const Settings settings = parseSettings(file.bytes, path, lines);
    const int count = static_cast<int>(lines.size());
    for (int i = 0; i < count && i < kMostWarningsShown; ++i)
        say(lines[static_cast<size_t>(i)], warnings);
    if (count > kMostWarningsShown)
        say(path + ": and " + std::to_string(count - kMostWarningsShown) +
                " more lines that cannot be used",
            warnings);
    return settings;
}

void printDefaultSettings(std::FILE* out)
{
    const Settings defaults = defaultSettings();
    printLine(out,
              "# TARVELO! settings. Save as ~/.config/tarvelo/settings.conf (or\n"
              "# $XDG_CONFIG_HOME/tarvelo/settings.conf) and change what you like; a setting left\n"
              "# out keeps the game's own. Lines are \"name = value\"; a # starts a comment. The\n"
              "# game reads this file and never writes it.\n"
              "#\n"
              "# Keys: one to four for each action, by X's names for them as xev shows them (Up,\n"
              "# F5, a, space, Return, KP_1, ampersand, eacute ...) or as the character itself\n"
              "# (&, é); letters in either case. No key does two things; Escape always quits and\n"
              "# Alt+Enter always switches between full screen and a window.");
    const std::vector<ControlLine> lines = controlLines(defaults);
    for (const ControlLine& line : lines) {
        if (!line.onPad)
            std::fprintf(out, "key.%s = %s\n", line.name, line.bound.c_str());
    }
    printLine(out,
              "#\n"
              "# Gamepad inputs, by SDL's names: the buttons a b x y back guide start leftstick\n"
              "# rightstick leftshoulder rightshoulder dpup dpdown dpleft dpright misc1 paddle1\n"
              "# paddle2 paddle3 paddle4 touchpad, the triggers lefttrigger righttrigger, and the\n"
              "# sticks' directions -leftx +leftx -lefty +lefty -rightx +rightx -righty +righty\n"
              "# (- is left or up). Up to four for each action; none leaves it to the keyboard.\n"
              "# gear_down and gear_up shift from the car's gear through 1 to 4, and down from 1\n"
              "# to reverse at a standstill. Quitting stays on the keyboard.");
    for (const ControlLine& line : lines) {
        if (line.onPad)
            std::fprintf(out, "pad.%s =%s%s\n", line.name, line.bound.empty() ? "" : " ",
                         line.bound.c_str());
    }
    std::fprintf(out,
                 "#\n"
                 "# How far a stick or trigger moves before it counts: %d to %d percent of its\n"
                 "# travel.\n"
                 "dead_zone = %d\n"
                 "# Start without sound (yes or no), as --mute; m switches the sound on and off.\n"
                 "mute = %s\n"
                 "# Start in a %d x %d window instead of full screen (yes or no), as --window.\n"
                 "window = %s\n",
                 kSmallestDeadZone, kLargestDeadZone, defaults.deadZonePercent,
                 defaults.mute ? "yes" : "no", kWindowWidth, kWindowHeight,
                 defaults.window ? "yes" : "no");
}
