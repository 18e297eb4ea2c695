// The player's settings file, read with no window: each kind of line the game cannot use is one
// warning naming the file and the line, and that setting stays the game's own; a file that cannot
// be settings is one warning; the game's own settings and every name of the manual page read back
// without a word.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "input/Settings.h"

// Last: Xlib's macros would clash with names above.
#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace {

// The warnings of reading one file of these lines, as the game prints them.
std::vector<std::string> warningsOf(const std::string& text)
{
    std::vector<std::string> warnings;
    parseSettings(text, "my.conf", warnings);
    return warnings;
}

std::string keyOf(const Settings& settings, Action action)
{
    std::string names;
    for (const KeyBinding& binding : settings.keys) {
        if (binding.action == action)
            names += (names.empty() ? "" : " ") + nameOfKey(binding.key);
    }
    return names;
}

TEST(SettingsTest, EachLineTheGameCannotUseIsOneWarningAndKeepsTheGamesOwn)
{
    const std::string longLine = "key.reverse = " + std::string(300, 'x');
    struct Case {
        std::string line;
        std::string warning;  // "" for a line the game takes
    } cases[] = {
        {"# the player's own keys", ""},
        {"key.jump = space", "my.conf:1: 'key.jump' is no setting"},
        {"dead_zone = 150",
         "my.conf:1: dead_zone is a whole number of percent from 5 to 90, not '150'"},
        {"key.brake = l",
         "my.conf:1: l is already the key of key.lights (by default); key.brake keeps the game's "
         "own: Down"},
        {longLine, "my.conf:1: longer than 256 characters"},
        {"key.lights = Escape", "my.conf:1: Escape always quits"},
        {"mute = perhaps", "my.conf:1: mute is yes or no"},
        {"just some words", "my.conf:1: 'just some words' is no 'name = value' line"},
        {"key.pause = \033[31mp", "my.conf:1: a control character, which no setting holds"},
        {"key.gear4 = 4 KP_4 F4 F5 F6", "my.conf:1: key.gear4 takes one to four keys"},
        {"pad.brake = a b x y back", "my.conf:1: pad.brake takes up to four pad inputs"},
        {"key.accelerate = w KP_8   # Up is free", ""},
        {"pad.lights = a", "my.conf:1: a is already the pad input of pad.accelerate"},
        {"pad.new_car = leftstick elbow", "my.conf:1: 'elbow' is no pad button"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line.substr(0, 40));
        const std::vector<std::string> warnings = warningsOf(c.line + "\n");
        if (c.warning.empty()) {
            EXPECT_TRUE(warnings.empty()) << warnings.front();
            continue;
        }
        ASSERT_EQ(warnings.size(), 1u);
        EXPECT_EQ(warnings.front().rfind(c.warning, 0), 0u) << warnings.front();
    }
    // In one file: one warning a line, numbered, and the good lines taken.
    std::string file;
    for (const Case& c : cases)
        file += c.line + "\n";
    std::vector<std::string> warnings;
    const Settings settings = parseSettings(file, "my.conf", warnings);
    ASSERT_EQ(warnings.size(), 12u);
    EXPECT_EQ(warnings[0].rfind("my.conf:2: ", 0), 0u) << warnings[0];
    EXPECT_EQ(warnings[11].rfind("my.conf:14: ", 0), 0u) << warnings[11];
    EXPECT_EQ(keyOf(settings, Action::Accelerate), "w KP_8");
    EXPECT_EQ(keyOf(settings, Action::Brake), "Down");
    EXPECT_EQ(keyOf(settings, Action::Lights), "l");
    EXPECT_EQ(settings.deadZonePercent, kDefaultDeadZone);
    EXPECT_FALSE(settings.mute);
}

// A file of its own in a folder of its own, removed with it.
class SettingsFileTest : public testing::Test {
protected:
    void SetUp() override
    {
        char folderName[] = "/tmp/tarvelo-settings.XXXXXX";
        ASSERT_NE(mkdtemp(folderName), nullptr);
        folder = folderName;
    }
    void TearDown() override { std::filesystem::remove_all(folder); }
    // The warnings readSettings prints for the file at `path`.
    std::string warningsReading(const std::string& path, bool mustExist = true)
    {
        std::FILE* out = std::tmpfile();
        readSettings(path, mustExist, out);
        std::rewind(out);
        std::string text;
        for (int c = std::fgetc(out); c != EOF; c = std::fgetc(out))
            text += static_cast<char>(c);
        std::fclose(out);
        return text;
    }
    std::string folder;
};

TEST_F(SettingsFileTest, AFileThatCannotBeSettingsIsOneWarningAndTheGamesOwnSettings)
{
    const std::string binary = folder + "/binary.conf", large = folder + "/large.conf",
                      pipe = folder + "/pipe";
    std::ofstream(binary) << "key.lights = l\n" << std::string(1, '\0') << "more\n";
    const std::string noNul = folder + "/no-nul.conf";  // a picture's bytes, say: no NUL in them
    std::ofstream(noNul) << "\x7f"
                            "ELF\x02\x01\n\x03\x04key.lights = k\n\x05\n\x06\n";
    std::ofstream out(large);
    for (int i = 0; i < 3000; ++i)
        out << "# a comment line that only makes the file larger: " << i << "\n";
    out.close();
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    struct Case {
        std::string path;
        std::string warning;
    } cases[] = {
        {binary,
         "tarvelo: " + binary + ":2: a NUL byte: this is no text file, and none of it is used"},
        {noNul, "tarvelo: " + noNul +
                    ":2: control characters on more than one line: this is no text file, and "
                    "none of it is used"},
        {folder, "tarvelo: the settings file " + folder +
                     " is a folder; the game's own settings "
                     "are used"},
        {folder + "/none.conf",
         "tarvelo: the settings file " + folder +
             "/none.conf cannot be read: No such file or directory; the game's "
             "own settings are used"},
        {pipe, "tarvelo: the settings file " + pipe +
                   " is no plain file; the game's own settings "
                   "are used"},
        {large, "tarvelo: the settings file " + large +
                    " is larger than 64 KiB, too large for "
                    "settings; the game's own settings are used"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(warningsReading(c.path), c.warning + "\n");
    }
    // The usual file, missing, is the player having none: no warning.
    EXPECT_EQ(warningsReading(folder + "/none.conf", false), "");
}

TEST_F(SettingsFileTest, TheGamesOwnSettingsAndEveryNameOfTheManualPageReadBackWithoutAWord)
{
    const std::string own = folder + "/own.conf";
    std::FILE* out = std::fopen(own.c_str(), "w");
    ASSERT_NE(out, nullptr);
    printDefaultSettings(out);
    std::fclose(out);
    EXPECT_EQ(warningsReading(own), "");

    // The words below each tag of the manual page's lists of names: the keys' list, then the
    // pads'.
    std::ifstream manual(TARVELO_MANUAL_PAGE);
    ASSERT_TRUE(manual) << TARVELO_MANUAL_PAGE;
    std::vector<std::string> keys, pads;
    std::vector<std::string>* list = nullptr;
    bool tag = false, inList = false;
    for (std::string line; std::getline(manual, line);) {
        if (line.find("every name below a tag, from here to the pad") != std::string::npos)
            list = &keys;
        else if (line.find("every name below a tag, from here to the environment") !=
                 std::string::npos)
            list = &pads;
        else if (line.rfind(".SS Pad inputs", 0) == 0 || line.rfind(".SH ENVIRONMENT", 0) == 0)
            list = nullptr;
        if (!list)
            continue;
        if (line.rfind(".TP", 0) == 0) {
            tag = inList = true;
            continue;
        }
        if (line.rfind(".", 0) == 0) {
            inList = false;
            continue;
        }
        if (tag) {
            tag = false;  // the tag's own words
            continue;
        }
        if (!inList)
            continue;
        for (size_t at; (at = line.find("\\-")) != std::string::npos;)
            line.replace(at, 2, "-");
        std::istringstream words(line);
        for (std::string word; words >> word;) {
            if (word != "Escape")
                list->push_back(word);
        }
    }
    EXPECT_GE(keys.size(), 120u);
    EXPECT_EQ(pads.size(), 31u);
    std::string names;
    for (const std::string& key : keys)
        names += "key.lights = " + key + "\n";
    names += "key.lights = l\n";
    for (const std::string& pad : pads)
        names += "pad.lights = " + pad + "\n";
    names += "pad.lights = y\n";
    std::ofstream(folder + "/names.conf") << names;
    EXPECT_EQ(warningsReading(folder + "/names.conf"), "");
}

}  // namespace

// The game's own table of key names is X's: every Latin-1 character's key, the control keys and
// the keypad's (with Num Lock on and off) have the name Xlib gives them, and read back by it.
TEST(SettingsTest, TheGamesKeyNamesAreXlibsOwn)
{
    struct Named {
        KeySym keysym;
        Key key;
        bool canonical;  // the name the game writes for the key (Num Lock off's reads back too)
    };
    std::vector<Named> keys;
    for (KeySym c = 0x20; c <= 0xff; ++c) {
        const Key key = inOneCase({KeyKind::Character, static_cast<int>(c)});
        if (c <= 0x7e || c >= 0xa0)  // a capital reads back as its small letter
            keys.push_back({c, key, key.code == static_cast<int>(c)});
    }
    for (auto [keysym, character] : {std::pair<KeySym, int>{XK_BackSpace, 8},
                                     {XK_Tab, 9},
                                     {XK_Return, 13},
                                     {XK_Escape, 27},
                                     {XK_Delete, 127}})
        keys.push_back({keysym, {KeyKind::Character, character}, true});
    const std::pair<KeySym, KeySym> keypad[] = {
        {XK_KP_0, XK_KP_Insert},       {XK_KP_1, XK_KP_End},
        {XK_KP_2, XK_KP_Down},         {XK_KP_3, XK_KP_Next},
        {XK_KP_4, XK_KP_Left},         {XK_KP_5, XK_KP_Begin},
        {XK_KP_6, XK_KP_Right},        {XK_KP_7, XK_KP_Home},
        {XK_KP_8, XK_KP_Up},           {XK_KP_9, XK_KP_Prior},
        {XK_KP_Decimal, XK_KP_Delete}, {XK_KP_Enter, XK_KP_Enter},
        {XK_KP_Add, XK_KP_Add},        {XK_KP_Subtract, XK_KP_Subtract}};
    for (auto [on, off] : keypad) {
        keys.push_back({on, {KeyKind::Keypad, static_cast<int>(on)}, true});
        keys.push_back({off, {KeyKind::Keypad, static_cast<int>(on)}, false});
    }
    for (const Named& named : keys) {
        const std::string x = XKeysymToString(named.keysym);
        EXPECT_EQ(keyOfName(x), named.key) << x;
        if (named.canonical) {
            EXPECT_EQ(nameOfKey(named.key), x);
        }
    }
}
