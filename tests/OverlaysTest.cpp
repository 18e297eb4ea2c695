// The program's own words over the picture, with no window: they name the player's own keys and
// pad buttons, the controls' table holds every line --print-settings writes for the keys, and
// timed words stay their frames, the start's hint until the player plays.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "input/Overlays.h"

namespace {

Settings settingsOf(const std::string& text)
{
    std::vector<std::string> warnings;
    const Settings settings = parseSettings(text, "my.conf", warnings);
    EXPECT_TRUE(warnings.empty()) << warnings.front();
    return settings;
}

// The table's row of an action: its name, then what is bound to it.
std::string rowOf(const std::vector<std::string>& table, const std::string& name)
{
    for (const std::string& row : table) {
        if (row.compare(0, name.size() + 1, name + " ") == 0)
            return row;
    }
    return "";
}

TEST(OverlaysTest, WordsNameThePlayersOwnKeysAndButtons)
{
    struct Case {
        const char* settings;
        bool padPlays;
        const char* newCar;    // over a wreck
        const char* hint;      // as the game starts
        const char* row;       // an action's row in the controls' table
        const char* rowHolds;  // what that row shows bound
    };
    const Case cases[] = {
        {"", false, "Press New or n", "F1: controls", "new_car", "n"},
        {"", true, "Press New, n or Back", "F1: controls", "new_car", "back"},
        {"key.new_car = F5 n\n", false, "Press New or F5", "F1: controls", "new_car", "F5 n"},
        {"pad.new_car = x\n", true, "Press New, n or X", "F1: controls", "new_car", "x"},
        {"pad.new_car =\n", true, "Press New or n", "F1: controls", "gear_up", "rightshoulder"},
        {"key.controls = F2\n", false, "Press New or n", "F2: controls", "controls", "F2"},
        {"key.accelerate = w Up\n", false, "Press New or n", "F1: controls", "accelerate", "w Up"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.settings) + (c.padPlays ? " (a pad plays)" : ""));
        const Settings settings = settingsOf(c.settings);
        EXPECT_EQ(newCarWords(settings, c.padPlays), c.newCar);
        EXPECT_EQ(controlsHint(settings), c.hint);
        const std::string row = rowOf(controlsTable(settings, c.padPlays), c.row);
        EXPECT_NE(row.find(std::string(" ") + c.rowHolds), std::string::npos) << row;
    }
}

TEST(OverlaysTest, ControlsTableHoldsEveryKeyLineOfPrintSettings)
{
    std::FILE* out = std::tmpfile();
    ASSERT_NE(out, nullptr);
    printDefaultSettings(out);
    std::rewind(out);
    std::string printed;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, out))
        printed += buffer;
    std::fclose(out);
    const std::vector<std::string> table = controlsTable(defaultSettings(), false);
    std::istringstream lines(printed);
    int keyLines = 0;
    for (std::string line; std::getline(lines, line);) {
        if (line.compare(0, 4, "key.") != 0)
            continue;
        ++keyLines;
        const size_t equals = line.find(" = ");
        const std::string row = rowOf(table, line.substr(4, equals - 4));
        EXPECT_NE(row.find(line.substr(equals + 3)), std::string::npos) << line << " / " << row;
    }
    EXPECT_EQ(keyLines + 1, static_cast<int>(table.size())) << "a heading and a row per action";
}

TEST(OverlaysTest, TimedWordsStayTheirFramesAndTheHintUntilThePlayerPlays)
{
    Overlays overlays;
    showWords(overlays.sound, "SOUND OFF", kNoticeFrames);
    showUntilPlayed(overlays.hint, "F1: controls");
    const int played = kNoticeFrames + 500;  // the player's first command, long after the start
    for (int frame = 1; frame <= played + 1; ++frame) {
        if (frame == played)
            playerPlayed(overlays);
        countFrame(overlays);  // as each frame drawn counts before it draws
        SCOPED_TRACE(frame);
        EXPECT_EQ(overlays.sound.framesLeft > 0, frame < kNoticeFrames);
        EXPECT_EQ(overlays.hint.framesLeft > 0, frame < played);
        // Frames are wanted for words that count down, not for the hint standing still.
        EXPECT_EQ(wordsCounting(overlays), frame < kNoticeFrames);
    }
}

}  // namespace
