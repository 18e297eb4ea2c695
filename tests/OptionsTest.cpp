// The command line, read with no window: every mistake is one line of the game's own and status
// 2; what is given reaches the options, GLUT's own passed on in their order.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/Options.h"

namespace {

struct Parsed {
    std::optional<int> status;
    std::string out, err;
    Options options;
};

Parsed parse(std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), "tarvelo");
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    Parsed parsed;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    parsed.status = parseOptions(static_cast<int>(arguments.size()), argv.data(), parsed.options);
    parsed.err = testing::internal::GetCapturedStderr();
    parsed.out = testing::internal::GetCapturedStdout();
    return parsed;
}

TEST(OptionsTest, EachMistakeIsOneLineOfTheGamesOwnAndStatusTwo)
{
    const std::string geometryHelp =
        "is no window geometry: give WxH, +X+Y or WxH+X+Y with sides "
        "of 1 to 32767 pixels (try 'tarvelo --help')";
    struct Case {
        std::vector<std::string> arguments;
        std::string line;
    } cases[] = {
        {{"--help=1"}, "option '--help' takes no value"},
        {{"--window=1"}, "option '--window' takes no value"},
        {{"--mute=1"}, "option '--mute' takes no value"},
        {{"--print-settings=1"}, "option '--print-settings' takes no value"},
        {{"--check=1"}, "option '--check' takes no value"},
        {{"--settings="}, "option '--settings' needs a file"},
        {{"--settings"}, "option '--settings' needs a value"},
        {{"--record="}, "option '--record' needs a file"},
        {{"--data="}, "option '--data' needs a folder"},
        {{"--aspect=wide"}, "'--aspect' takes stretch or keep, not 'wide'"},
        {{"--aspect"}, "option '--aspect' needs a value"},
        {{"--fast"}, "unknown option '--fast'"},
        {{"-x"}, "unknown option '-x'"},
        {{"here"}, "unexpected argument 'here'"},
        {{"--check"}, "--check needs one or more recorded drives"},
        {{"--record", "a.rec", "--replay", "b.rec"},
         "--record, --replay and --check go one at a time"},
        {{"-display"}, "option '-display' needs a value"},
        {{"-geometry", "bogus"}, "'bogus' " + geometryHelp},
        {{"-geometry", "0x0"}, "'0x0' " + geometryHelp},
        {{"-geometry", "640x"}, "'640x' " + geometryHelp},
        {{"-geometry", "640x480+10"}, "'640x480+10' " + geometryHelp},
        {{"-geometry", "100000x100"}, "'100000x100' " + geometryHelp},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.front());
        const Parsed parsed = parse(c.arguments);
        EXPECT_EQ(parsed.status, kExitMistake);
        const std::string expected = c.line.find("(try") == std::string::npos
                                         ? "tarvelo: " + c.line + " (try 'tarvelo --help')\n"
                                         : "tarvelo: " + c.line + "\n";
        EXPECT_EQ(parsed.err, expected);
        EXPECT_EQ(parsed.out, "");
    }
}

TEST(OptionsTest, WhatIsGivenReachesTheOptionsAndGlutsOwnArePassedOn)
{
    Parsed p = parse({"--window", "--mute", "--aspect=keep", "--data=pictures", "--settings",
                      "my.conf", "-display", ":5", "-iconic", "--record=drive.rec"});
    EXPECT_EQ(p.status, std::nullopt) << p.err;
    EXPECT_TRUE(p.options.window);
    EXPECT_TRUE(p.options.mute);
    EXPECT_TRUE(p.options.keepAspect);
    EXPECT_EQ(p.options.dataFolder, "pictures");
    EXPECT_EQ(p.options.settingsFile, "my.conf");
    EXPECT_EQ(p.options.display, ":5");
    EXPECT_EQ(p.options.record, "drive.rec");
    EXPECT_EQ(p.options.glutArguments,
              (std::vector<std::string>{"tarvelo", "-display", ":5", "-iconic"}));

    p = parse({"--aspect", "stretch", "--check", "a.rec", "b.rec"});
    EXPECT_EQ(p.status, std::nullopt) << p.err;
    EXPECT_FALSE(p.options.keepAspect);
    EXPECT_EQ(p.options.check, (std::vector<std::string>{"a.rec", "b.rec"}));

    // A geometry is checked here and is the game's own: a window, sized and placed as asked.
    p = parse({"-geometry", "+100+50"});
    ASSERT_TRUE(p.options.geometry);
    EXPECT_TRUE(p.options.window);
    EXPECT_EQ(p.options.geometry->width, 0);
    EXPECT_TRUE(p.options.geometry->placed);
    EXPECT_EQ(p.options.geometry->x, 100);
    EXPECT_EQ(p.options.geometry->y, 50);
    p = parse({"-geometry", "800x600-0-0"});
    ASSERT_TRUE(p.options.geometry);
    EXPECT_EQ(p.options.geometry->width, 800);
    EXPECT_EQ(p.options.geometry->height, 600);
    EXPECT_TRUE(p.options.geometry->fromRight);
    EXPECT_TRUE(p.options.geometry->fromBottom);
    EXPECT_EQ(p.options.glutArguments, (std::vector<std::string>{"tarvelo"}));

    // The help, the version and the game's own settings are shown, and the game ends well.
    for (const char* shown : {"--help", "--version", "--print-settings"}) {
        p = parse({shown});
        EXPECT_EQ(p.status, kExitPlayed) << shown;
        EXPECT_NE(p.out, "") << shown;
        EXPECT_EQ(p.err, "") << shown;
    }
}

}  // namespace
