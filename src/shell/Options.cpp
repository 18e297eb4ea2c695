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
    const int given = XParseGeometry(text, &x, &y, &width, &height);
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

// The options that take no value come last, from kWindow on.
enum OptionCode {
    kData = 1,
    kSettings,
    kRecord,
    kReplay,
    kAspect,
    kWindow,
    kMute,
    kPrintSettings,
    kCheck,
    kHelp,
    kVersion
};

constexpr option kLongOptions[] = {
    {"help", no_argument, nullptr, kHelp},
    {"version", no_argument, nullptr, kVersion},
    {"data", required_argument, nullptr, kData},
    {"settings", required_argument, nullptr, kSettings},
    {"print-settings", no_argument, nullptr, kPrintSettings},
    {"window", no_argument, nullptr, kWindow},
    {"mute", no_argument, nullptr, kMute},
    {"aspect", required_argument, nullptr, kAspect},
    {"check", no_argument, nullptr, kCheck},
    {"record", required_argument, nullptr, kRecord},
    {"replay", required_argument, nullptr, kReplay},
    {nullptr, 0, nullptr, 0},
};

const char* nameOfOption(int code)
{
    for (const option& o : kLongOptions) {
        if (o.val == code)
            return o.name;
    }
    return "";
}

void printHelp()
{
    std::printf(
        "Usage: tarvelo [OPTION]...\n"
        "Drive a car over a map seen from above: TARVELO!, a top-down driving game.\n"
        "\n"
        "      --data=DIR        read the ten pictures from DIR\n"
        "      --window          play in a 1024 x 768 window instead of full screen\n"
        "      --mute            start without sound (m switches it on and off)\n"
        "      --aspect=MODE     stretch (the default): the picture covers the whole screen;\n"
        "                        keep: it keeps the 4:3 proportions it was drawn in, in the\n"
        "                        middle, with bars in the colour around the map beside it\n"
        "      --settings=FILE   read the player's settings from FILE instead of\n"
        "                        $XDG_CONFIG_HOME/tarvelo/settings.conf (else\n"
        "                        ~/.config/tarvelo/settings.conf)\n"
        "      --print-settings  write the game's own settings, explained, as a file to\n"
        "                        start from, and exit\n"
        "      --record=FILE     record the drive into FILE, to be watched or checked later\n"
        "      --replay=FILE     show the drive recorded in FILE, then take over the car\n"
        "      --check FILE...   play recorded drives back unshown and check the game\n"
        "                        against them: one line a file, status 0 when all are ok\n"
        "      --help            show this help and exit\n"
        "      --version         show the version and exit\n"
        "\n"
        "The X options -display NAME, -geometry WxH+X+Y (a window of that size, at most\n"
        "16384 pixels a side, at that place; either half may be left out), -iconic, -direct,\n"
        "-gldebug and -sync are passed on to the window system.\n"
        "\n"
        "The pictures are read from DIR; else from the folder in TARVELO_DATA; else from the\n"
        "current folder, if it holds Car.bmp; else from the installed folder, %s.\n"
        "\n"
        "Keys: arrows accelerate, brake and turn; 1 to 4 choose a gear, 5 reverse; l switches\n"
        "the lights; p pauses, m mutes; F1 shows the controls; F11 or Alt+Enter switches\n"
        "between full screen and a window; Escape or the Quit button ends the game, n or the\n"
        "New button brings a fresh car after a wreck.\n"
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
        TARVELO_INSTALLED_DATA_DIR);
}

void printVersion()
{
    std::printf(
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

}  // namespace

std::optional<int> parseOptions(int argc, char** argv, Options& options)
{
    // GLUT's options first: taken out, in their order, for glutInit; the rest for getopt_long.
    std::vector<char*> ours{argv[0]};
    options.glutArguments = {argv[0]};
    for (int i = 1; i < argc; ++i) {
        const GlutOption* glut = glutOption(argv[i]);
        if (!glut) {
            ours.push_back(argv[i]);
            continue;
        }
        if (glut->takesValue && i + 1 >= argc) {
            std::fprintf(stderr, "tarvelo: option '%s' needs a value (try 'tarvelo --help')\n",
                         argv[i]);
            return kExitMistake;
        }
        if (std::strcmp(glut->name, "-geometry") == 0) {
            options.geometry = parseGeometry(argv[++i]);
            if (!options.geometry) {
                std::fprintf(stderr,
                             "tarvelo: '%s' is no window geometry: give WxH, +X+Y or WxH+X+Y "
                             "with sides of 1 to %d pixels (try 'tarvelo --help')\n",
                             argv[i], kLargestGeometrySide);
                return kExitMistake;
            }
            options.window = true;
            continue;
        }
        options.glutArguments.push_back(argv[i]);
        if (glut->takesValue)
            options.glutArguments.push_back(argv[++i]);
        if (std::strcmp(glut->name, "-display") == 0)
            options.display = argv[i];
    }
    ours.push_back(nullptr);

    opterr = 0;  // one line of our own for a mistake, not getopt's
    optind = 0;  // a fresh scan, also when called again
    const int count = static_cast<int>(ours.size()) - 1;
    for (;;) {
        // ":" first: a missing value is told apart from an unknown option.
        const int code = getopt_long(count, ours.data(), ":", kLongOptions, nullptr);
        if (code == -1)
            break;
        switch (code) {
            case kHelp:
                printHelp();
                return kExitPlayed;
            case kVersion:
                printVersion();
                return kExitPlayed;
            case kData:
                if (*optarg == '\0') {
                    std::fprintf(
                        stderr, "tarvelo: option '--data' needs a folder (try 'tarvelo --help')\n");
                    return kExitMistake;
                }
                options.dataFolder = optarg;
                break;
            case kPrintSettings:
                printDefaultSettings(stdout);
                return kExitPlayed;
            case kWindow:
                options.window = true;
                break;
            case kMute:
                options.mute = true;
                break;
            case kAspect:
                if (std::strcmp(optarg, "keep") != 0 && std::strcmp(optarg, "stretch") != 0) {
                    std::fprintf(stderr,
                                 "tarvelo: '--aspect' takes stretch or keep, not '%s' (try "
                                 "'tarvelo --help')\n",
                                 optarg);
                    return kExitMistake;
                }
                options.keepAspect = std::strcmp(optarg, "keep") == 0;
                break;
            case kCheck:
                options.check.emplace_back();  // the files follow, among the arguments
                break;
            case kSettings:
            case kRecord:
            case kReplay:
                if (*optarg == '\0') {
                    std::fprintf(stderr,
                                 "tarvelo: option '--%s' needs a file (try 'tarvelo --help')\n",
                                 nameOfOption(code));
                    return kExitMistake;
                }
                (code == kSettings ? options.settingsFile
                 : code == kRecord ? options.record
                                   : options.replay) = optarg;
                break;
            case ':':
                std::fprintf(stderr, "tarvelo: option '%s' needs a value (try 'tarvelo --help')\n",
                             ours[optind - 1]);
                return kExitMistake;
            default:
                if (optopt >= kWindow && optopt <= kVersion) {
                    // One of ours that takes no value, given one: named as typed, up to the '='.
                    const char* typed = ours[optind - 1];
                    std::fprintf(stderr,
                                 "tarvelo: option '%.*s' takes no value (try 'tarvelo --help')\n",
                                 static_cast<int>(std::strcspn(typed, "=")), typed);
                } else if (optopt != 0) {  // a single letter, perhaps among others after one dash
                    std::fprintf(stderr, "tarvelo: unknown option '-%c' (try 'tarvelo --help')\n",
                                 optopt);
                } else {
                    std::fprintf(stderr, "tarvelo: unknown option '%s' (try 'tarvelo --help')\n",
                                 ours[optind - 1]);
                }
                return kExitMistake;
        }
    }
    if (!options.check.empty()) {
        options.check.assign(ours.begin() + optind, ours.begin() + count);
        if (options.check.empty()) {
            std::fprintf(stderr,
                         "tarvelo: --check needs one or more recorded drives (try "
                         "'tarvelo --help')\n");
            return kExitMistake;
        }
        optind = count;
    }
    if (optind < count) {
        std::fprintf(stderr, "tarvelo: unexpected argument '%s' (try 'tarvelo --help')\n",
                     ours[optind]);
        return kExitMistake;
    }
    if ((!options.record.empty()) + (!options.replay.empty()) + (!options.check.empty()) > 1) {
        std::fprintf(stderr,
                     "tarvelo: --record, --replay and --check go one at a time (try "
                     "'tarvelo --help')\n");
        return kExitMistake;
    }
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
    return "tarvelo: the pictures folder " + options.dataFolder + " is missing";
}
