// The program's own words over the game's picture: what they say, how long they stay, and where
// they are drawn. None of them is drawn inside the game's picture of a frame, which recorded
// drives keep a digest of.
#include "input/Overlays.h"

#include "platform/Glut.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "session/Notice.h"

namespace {

// Where the words go, in view coordinates: over the map, clear of the panel and of the game's own
// notices, but for the one over a wreck, which covers the game's "Press New" with the key.
constexpr NoticeBox kSoundBox = {24.0f, 30.0f, 46.0f, 38.0f};       // below REPLAY's place
constexpr NoticeBox kYourCarBox = {24.0f, 40.0f, 46.0f, 48.0f};     // REPLAY's place
constexpr NoticeBox kHintBox = {20.0f, -48.0f, 46.0f, -40.0f};      // the bottom right corner
constexpr NoticeBox kNewCarBox = {-12.0f, -25.0f, 32.0f, -17.0f};   // over "Press New"
constexpr NoticeBox kControlsBox = {-26.0f, -46.0f, 48.0f, 46.0f};  // most of the map

constexpr int kNameColumn = 14;  // characters for an action's name in the controls' table
constexpr int kKeysColumn = 22;  // characters for its keys, before its pad inputs

Settings inUse = defaultSettings();
Overlays shown;

// The first of what the settings bind to `action`, as the controls' table names it.
std::string firstBound(const Settings& settings, const char* name, bool onPad)
{
    for (const ControlLine& line : controlLines(settings)) {
        if (line.onPad == onPad && std::string(line.name) == name)
            return line.bound.substr(0, line.bound.find(' '));
    }
    return "";
}

// A pad input as its button is printed: "back" is Back.
std::string padButtonWords(std::string name)
{
    if (!name.empty())
        name[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
    return name;
}

void countDown(TimedWords& words)
{
    if (!words.untilPlayed)
        words.framesLeft = std::max(0, words.framesLeft - 1);
}

void drawTimed(const TimedWords& words, const NoticeBox& box, const PictureArea& area)
{
    if (words.framesLeft > 0)
        drawNotice(words.text.c_str(), box, area);
}

}  // namespace

void showWords(TimedWords& words, const std::string& text, int frames)
{
    words.text = text;
    words.framesLeft = frames;
    words.untilPlayed = false;
}

void showUntilPlayed(TimedWords& words, const std::string& text)
{
    showWords(words, text, 1);
    words.untilPlayed = true;
}

void playerPlayed(Overlays& overlays)
{
    if (overlays.hint.untilPlayed)
        overlays.hint = TimedWords{};
}

bool wordsCounting(const Overlays& overlays)
{
    const auto counting = [](const TimedWords& words) {
        return words.framesLeft > 0 && !words.untilPlayed;
    };
    return counting(overlays.sound) || counting(overlays.yourCar) || counting(overlays.hint);
}

void countFrame(Overlays& overlays)
{
    countDown(overlays.sound);
    countDown(overlays.yourCar);
    countDown(overlays.hint);
}

std::string newCarWords(const Settings& settings, bool padPlays)
{
    const std::string key = firstBound(settings, "new_car", false);
    const std::string button = padPlays ? firstBound(settings, "new_car", true) : "";
    if (button.empty())
        return "Press New or " + key;
    return "Press New, " + key + " or " + padButtonWords(button);
}

std::string controlsHint(const Settings& settings)
{
    return firstBound(settings, "controls", false) + ": controls";
}

std::vector<std::string> controlsTable(const Settings& settings, bool padPlays)
{
    const std::vector<ControlLine> lines = controlLines(settings);
    std::vector<std::string> table;
    char row[160];
    std::snprintf(row, sizeof row, "%-*s%-*s%s", kNameColumn, "CONTROLS", kKeysColumn, "keys",
                  padPlays ? "pad" : "");
    table.push_back(row);
    for (const ControlLine& line : lines) {
        if (line.onPad)
            continue;
        std::string pad;
        for (const ControlLine& other : lines) {
            if (other.onPad && std::string(other.name) == line.name)
                pad = other.bound;
        }
        std::snprintf(row, sizeof row, "%-*s%-*s%s", kNameColumn, line.name, kKeysColumn,
                      line.bound.c_str(), padPlays ? pad.c_str() : "");
        table.push_back(row);
    }
    if (padPlays) {  // the pads' own actions, which no key has
        for (const ControlLine& line : lines) {
            const bool onKeysToo =
                std::any_of(lines.begin(), lines.end(), [&line](const ControlLine& other) {
                    return !other.onPad && std::string(other.name) == line.name;
                });
            if (line.onPad && !onKeysToo) {
                std::snprintf(row, sizeof row, "%-*s%-*s%s", kNameColumn, line.name, kKeysColumn,
                              "", line.bound.c_str());
                table.push_back(row);
            }
        }
    }
    return table;
}

void useOverlaySettings(const Settings& settings)
{
    inUse = settings;
}

Overlays& overlays()
{
    return shown;
}

void soundSwitched(bool muted)
{
    showWords(shown.sound, muted ? "SOUND OFF" : "SOUND ON", kNoticeFrames);
}

void toggleControls()
{
    shown.controlsShown = !shown.controlsShown;
}

void drawOverlays(const GameState& game, const PictureArea& area, bool showingADrive, bool padPlays)
{
    countFrame(shown);  // first: the frame after the last one that shows them shows them gone
    if (game.playerCar.getDamageStatus() == 0.0f && !showingADrive)
        drawNotice(newCarWords(inUse, padPlays).c_str(), kNewCarBox, area);
    if (shown.controlsShown)
        drawNoticeLines(controlsTable(inUse, padPlays), kControlsBox, area);
    drawTimed(shown.hint, kHintBox, area);
    drawTimed(shown.yourCar, kYourCarBox, area);
    drawTimed(shown.sound, kSoundBox, area);
}
