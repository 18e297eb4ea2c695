// The command line, parsed before the window opens, and the search for the pictures.
#include "shell/Options.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <getopt.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "input/Settings.h"
#include "platform/Platform.h"

namespace fs = std::filesystem;

namespace {

// GLUT's own options, which glutInit takes out of the command line itself.
struct GlutOption {
    const char* name;
    bool takesValue;
};
constexpr GlutOption kGlutOptions[] = {
    {"-display", true}, {"-geometry", true}, {"-iconic", false},
    {"-direct", false}, {"-gldebug", false}, {"-sync", false},
};

constexpr int kLargestGeometrySide = 32767;  // X keeps window sizes in 15 bits

// X's geometry WxH+X+Y, of which each half may be left out. The game reads it itself, so that
// a mistake is told before any window opens and a position alone places the usual window.
std::optional<WindowGeometry> parseGeometry(const char* text)
{
    int x = 0, y = 0;
    unsigned width = 0, height = 0;
    const int given = readGeometry(text, x, y, width, height);
    if (given == NoValue)
        return std::nullopt;  // also text with anything after a geometry
    WindowGeometry geometry;
    if (given & (WidthValue | HeightValue)) {
        if (!(given & WidthValue) || !(given & HeightValue) || width == 0 || height == 0 ||
            width > kLargestGeometrySide || height > kLargestGeometrySide)
            return std::nullopt;
        geometry.width = static_cast<int>(width);
        geometry.height = static_cast<int>(height);
    }
    if (given & (XValue | YValue)) {
        if (!(given & XValue) || !(given & YValue))
            return std::nullopt;
        geometry.placed = true;
        geometry.x = std::abs(x);
        geometry.y = std::abs(y);
        geometry.fromRight = (given & XNegative) != 0;
        geometry.fromBottom = (given & YNegative) != 0;
    }
    return geometry;
}

const GlutOption* glutOption(const char* argument)
{
    for (const GlutOption& option : kGlutOptions)
        if (std::strcmp(argument, option.name) == 0)
            return &option;
    return nullptr;
}

// One line on the error stream for a mistake on the command line, and the status it ends with.
int mistake(const std::string& what)
{
    say(what + " (try 'tarvelo --help')");
    return kExitMistake;
}

void printHelp(std::FILE* out)
{
    std::fprintf(
        out,
        "Usage: tarvelo [OPTION]...\n"
        "Drive a car over a map seen from above: TARVELO!, a top-down driving game.\n"
        "\n"
        "      --data=DIR        read the ten pictures from DIR\n"
        "      --window          play in a %d x %d window instead of full screen\n"
        "      --mute            start without sound (m switches it on and off)\n"
        "      --aspect=MODE     stretch (the default): the picture covers the whole screen;\n"
        "                        keep: it keeps the 4:3 proportions it was drawn in, in the\n"
        "                        middle, with bars in the colour around the map beside it\n"
        "      --settings=FILE   read the player's settings from FILE instead of\n"
        "                        $XDG_CONFIG_HOME/tarvelo/settings.conf (else\n"
        "                        ~/.config/tarvelo/settings.conf)\n"
        "      --print-settings  write the game's own settings, explained, as a file to\n"
        "                        start from, and exit\n"
        "      --time-trial      start in the time trial: a lap of eight gates against the\n"
        "                        clock (t switches it on and off at a standstill), against\n"
        "                        the best lap, kept in $XDG_DATA_HOME/tarvelo/best-lap.rec\n"
        "                        (else ~/.local/share/tarvelo/best-lap.rec) and driven\n"
        "                        beside the car as a translucent ghost\n"
        "      --no-ghost        hide the best lap's ghost\n"
        "      --record=FILE     record the drive into FILE, to be watched or checked later\n"
        "      --replay=FILE     show the drive recorded in FILE, then take over the car\n"
        "      --check FILE...   play recorded drives back unshown and check the game\n"
        "                        against them: one line a file, status 0 when all are ok\n"
        "      --help            show this help and exit\n"
        "      --version         show the version and exit\n"
        "\n"
        "The X options -display NAME, -geometry WxH+X+Y (a window of that size, at most\n"
        "%d pixels a side, at that place; either half may be left out), -iconic, -direct,\n"
        "-gldebug and -sync are passed on to the window system.\n"
        "\n"
        "The pictures are read from DIR; else from the folder in TARVELO_DATA; else from the\n"
        "current folder, if it holds Car.bmp; else from the installed folder, %s.\n"
        "\n"
        "Keys: arrows accelerate, brake and turn; 1 to 4 choose a gear, 5 reverse; l switches\n"
        "the lights; p pauses, m mutes; t starts or leaves the time trial at a standstill;\n"
        "F1 shows the controls; F11 or Alt+Enter switches between full screen and a window;\n"
        "Escape or the Quit button ends the game, n or the New button brings a fresh car\n"
        "after a wreck.\n"
        "\n"
        "Gamepad: the left stick or the D-pad turns, the right trigger or A accelerates, the\n"
        "left trigger or B brakes; the shoulder buttons shift a gear down and up (1 to 4, and\n"
        "reverse at a standstill); Y switches the lights, Start pauses, Back brings a fresh car\n"
        "after a wreck. Pads may come and go while the game runs.\n"
        "\n"
        "The settings file can choose other keys and pad buttons for every action, the pads'\n"
        "dead zone (25 percent of a stick's travel), and starting muted or in a window; the\n"
        "command line goes over it. Escape always quits.\n"
        "\n"
        "Exit status: 0 when the game is left (Escape, Quit, the window's close box) and after\n"
        "--help, --version or --print-settings; 1 when a picture, the display or a recorded\n"
        "drive cannot be used, or a checked drive differs; 2 for a mistake on the command\n"
        "line.\n",
        kWindowWidth, kWindowHeight, kLargestWindowSide, TARVELO_INSTALLED_DATA_DIR);
}

void printVersion(std::FILE* out)
{
    std::fprintf(out,
                 "tarvelo %s\n"
                 "Copyright (C) 2026 the TARVELO! team\n"
                 "MIT licence: you may use, change and share it; see the LICENSE file.\n"
                 "There is NO WARRANTY, to the extent permitted by law.\n",
                 TARVELO_VERSION);
}

bool holdsCarPicture(const fs::path& folder)
{
    std::error_code error;
    return fs::exists(fs::symlink_status(folder / "Car.bmp", error));
}

// The folder the running program is in; empty if the system does not say.
fs::path programFolder()
{
    std::error_code error;
    const fs::path program = fs::read_symlink("/proc/self/exe", error);
    return error ? fs::path() : program.parent_path();
}

// The installed picture folder beside the program: <bin>/<relative path to the data folder>.
std::string folderBesideProgram()
{
    const fs::path bin = programFolder();
    if (bin.empty())
        return "";
    std::error_code error;
    const fs::path folder = fs::weakly_canonical(bin / TARVELO_DATA_DIR_FROM_BIN, error);
    return error ? "" : folder.string();
}

// A game not installed, run from the folder it was built in: the build leaves there, beside the
// program, the name of its source tree's pictures folder. It is not built into the program, so
// that every build of one commit gives the same program, in whatever folder.
std::string picturesOfTheBuildsSource()
{
    const fs::path bin = programFolder();
    if (bin.empty())
        return "";
    std::ifstream note(bin / "tarvelo-source-pictures");
    std::string folder;
    std::getline(note, folder);
    return folder;
}

// The game's own options: each with the value it takes and what it does. Those that print
// something (the help, the version, the settings) end the program there.
enum class Takes { Nothing, File, Folder, Aspect };

struct GameOption {
    const char* name;
    Takes takes;
    void (*apply)(Options& options, const char* value);
    void (*print)(std::FILE* out);
};

constexpr GameOption kGameOptions[] = {
    {"help", Takes::Nothing, nullptr, printHelp},
    {"version", Takes::Nothing, nullptr, printVersion},
    {"print-settings", Takes::Nothing, nullptr, printDefaultSettings},
    {"data", Takes::Folder, [](Options& o, const char* folder) { o.dataFolder = folder; }, nullptr},
    {"settings", Takes::File, [](Options& o, const char* file) { o.settingsFile = file; }, nullptr},
    {"record", Takes::File, [](Options& o, const char* file) { o.record = file; }, nullptr},
    {"replay", Takes::File, [](Options& o, const char* file) { o.replay = file; }, nullptr},
    {"window", Takes::Nothing, [](Options& o, const char*) { o.window = true; }, nullptr},
    {"mute", Takes::Nothing, [](Options& o, const char*) { o.mute = true; }, nullptr},
    {"time-trial", Takes::Nothing, [](Options& o, const char*) { o.timeTrial = true; }, nullptr},
    {"no-ghost", Takes::Nothing, [](Options& o, const char*) { o.noGhost = true; }, nullptr},
    {"aspect", Takes::Aspect,
     [](Options& o, const char* mode) { o.keepAspect = std::strcmp(mode, "keep") == 0; }, nullptr},
    // The files to check follow, among the arguments left over.
    {"check", Takes::Nothing, [](Options& o, const char*) { o.check.emplace_back(); }, nullptr},
};
constexpr int kGameOptionCount = sizeof kGameOptions / sizeof kGameOptions[0];

// The game's options as getopt_long takes them: each answers with its place in the table, plus 1.
std::vector<option> longOptions()
{
    std::vector<option> table;
    for (int i = 0; i < kGameOptionCount; ++i) {
        const GameOption& game = kGameOptions[i];
        table.push_back({game.name, game.takes == Takes::Nothing ? no_argument : required_argument,
                         nullptr, i + 1});
    }
    table.push_back({nullptr, 0, nullptr, 0});
    return table;
}

// What is wrong with an option's value, if anything.
std::optional<std::string> badValue(const GameOption& game, const char* value)
{
    const std::string name = std::string("--") + game.name;
    switch (game.takes) {
        case Takes::Nothing:
            return std::nullopt;
        case Takes::File:
            if (*value == '\0')
                return "option '" + name + "' needs a file";
            return std::nullopt;
        case Takes::Folder:
            if (*value == '\0')
                return "option '" + name + "' needs a folder";
            return std::nullopt;
        case Takes::Aspect:
            if (std::strcmp(value, "keep") != 0 && std::strcmp(value, "stretch") != 0)
                return "'" + name + "' takes stretch or keep, not '" + value + "'";
            return std::nullopt;
    }
    return std::nullopt;
}

// getopt_long's word on an argument it could not take, in the game's words: `typed` as given.
std::string notTaken(int code, const char* typed)
{
    if (code == ':')
        return std::string("option '") + typed + "' needs a value";
    if (optopt >= 1 && optopt <= kGameOptionCount)  // one of ours that takes no value, given one
        return "option '" + std::string(typed, std::strcspn(typed, "=")) + "' takes no value";
    if (optopt != 0)  // a single letter, perhaps among others after one dash
        return std::string("unknown option '-") + static_cast<char>(optopt) + "'";
    return std::string("unknown option '") + typed + "'";
}

// GLUT's options taken out of the command line, in their order, for glutInit; -geometry read by
// the game itself. The rest is left in `ours`, after the program's name. A status for a mistake.
std::optional<int> takeGlutOptions(int argc, char** argv, Options& options,
                                   std::vector<char*>& ours)
{
    ours = {argv[0]};
    options.glutArguments = {argv[0]};
    for (int i = 1; i < argc; ++i) {
        const GlutOption* glut = glutOption(argv[i]);
        if (!glut) {
            ours.push_back(argv[i]);
            continue;
        }
        if (glut->takesValue && i + 1 >= argc)
            return mistake(std::string("option '") + argv[i] + "' needs a value");
        if (std::strcmp(glut->name, "-geometry") == 0) {
            options.geometry = parseGeometry(argv[++i]);
            if (!options.geometry)
                return mistake(std::string("'") + argv[i] +
                               "' is no window geometry: give WxH, +X+Y or WxH+X+Y with sides of "
                               "1 to " +
                               std::to_string(kLargestGeometrySide) + " pixels");
            options.window = true;
            continue;
        }
        options.glutArguments.push_back(argv[i]);
        if (glut->takesValue)
            options.glutArguments.push_back(argv[++i]);
        if (std::strcmp(glut->name, "-display") == 0)
            options.display = argv[i];
    }
    return std::nullopt;
}

}  // namespace

std::optional<int> parseOptions(int argc, char** argv, Options& options)
{
    std::vector<char*> ours;
    if (const std::optional<int> status = takeGlutOptions(argc, argv, options, ours))
        return status;
    const int count = static_cast<int>(ours.size());
    ours.push_back(nullptr);
    const std::vector<option> table = longOptions();
    opterr = 0;  // one line of our own for a mistake, not getopt's
    optind = 0;  // a fresh scan, also when called again
    // ":" first: a missing value is told apart from an unknown option.
    for (int code; (code = getopt_long(count, ours.data(), ":", table.data(), nullptr)) != -1;) {
        if (code < 1 || code > kGameOptionCount)
            return mistake(notTaken(code, ours[optind - 1]));
        const GameOption& game = kGameOptions[code - 1];
        if (const std::optional<std::string> bad = badValue(game, optarg))
            return mistake(*bad);
        if (game.print) {
            game.print(stdout);
            return kExitPlayed;
        }
        game.apply(options, optarg);
    }
    if (!options.check.empty()) {
        options.check.assign(ours.begin() + optind, ours.begin() + count);
        if (options.check.empty())
            return mistake("--check needs one or more recorded drives");
        optind = count;
    }
    if (optind < count)
        return mistake(std::string("unexpected argument '") + ours[optind] + "'");
    if ((!options.record.empty()) + (!options.replay.empty()) + (!options.check.empty()) > 1)
        return mistake("--record, --replay and --check go one at a time");
    return std::nullopt;
}

std::string findDataFolder(const Options& options)
{
    if (!options.dataFolder.empty())
        return options.dataFolder;
    if (const char* variable = std::getenv("TARVELO_DATA"); variable && *variable)
        return variable;
    if (holdsCarPicture(".")) {
        std::error_code error;
        const fs::path here = fs::current_path(error);  // named in full in an error line
        return error ? "." : here.string();
    }
    if (const std::string beside = folderBesideProgram();
        !beside.empty() && holdsCarPicture(beside))
        return beside;
    if (!holdsCarPicture(TARVELO_INSTALLED_DATA_DIR)) {
        // A game not installed, started from anywhere.
        if (const std::string source = picturesOfTheBuildsSource();
            !source.empty() && holdsCarPicture(source))
            return source;
    }
    return TARVELO_INSTALLED_DATA_DIR;
}

std::optional<std::string> missingDataFolder(const Options& options)
{
    std::error_code error;
    if (options.dataFolder.empty() || fs::is_directory(options.dataFolder, error))
        return std::nullopt;
    return "the pictures folder " + options.dataFolder + " is missing";
}
