// The game shell: banner, window, callbacks, start-up order and the work of one frame.
#include "shell/Game.h"

#include "platform/Glut.h"

#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <optional>
#include <vector>

#include "drives/BestLap.h"
#include "drives/Ghost.h"
#include "drives/Recording.h"
#include "drives/Replay.h"
#include "input/Actions.h"
#include "input/Gamepad.h"
#include "input/Input.h"
#include "input/Overlays.h"
#include "input/Settings.h"
#include "platform/FramePacer.h"
#include "platform/LeakCheck.h"
#include "platform/Platform.h"
#include "platform/Window.h"
#include "platform/WindowIdentity.h"
#include "session/Draw.h"
#include "session/Notice.h"
#include "session/PlayedGame.h"
#include "session/Step.h"
#include "shell/Options.h"
#include "sound/Sound.h"

bool frameDrawnSinceStep = true;
bool framesPaced = false;

namespace {

constexpr double kFramesPerSecond = 60.0;

// While no frame is drawn the game stands still; this is how long it waits before looking again.
constexpr std::chrono::duration<double> kStandStillWait(1.0 / kFramesPerSecond);

void printLine(const char* text)
{
    std::cout << std::endl << text << std::endl;
}

// Standard input, output and error open, on /dev/null where a launcher closed them: otherwise
// the X connection or a picture file would take their numbers, and an error line written to
// "stderr" would go into the X protocol stream or the file.
void openStandardStreams()
{
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) == -1 && errno == EBADF)
            open("/dev/null", O_RDWR);  // takes the lowest free number: this one
    }
}

// freeglut ends the program with words of its own when there is no X server to talk to; the
// game says it in its own words, naming the display.
bool displayOpens(const Options& options)
{
    const char* name = displayName(options.display);
    if (!name) {
        say("cannot open a display: DISPLAY is not set");
        return false;
    }
    if (!openDisplay(name)) {
        say(std::string("cannot open the display '") + name + "'");
        return false;
    }
    return true;
}

// GLUT started on the display opened, with GLUT's own options of the command line.
void startGlut(Options& options)
{
    std::vector<char*> arguments;
    for (std::string& argument : options.glutArguments)
        arguments.push_back(argument.data());
    int count = static_cast<int>(arguments.size());
    arguments.push_back(nullptr);
    glutInit(&count, arguments.data());
    glutStarted();
    glutInitDisplayMode(GLUT_DOUBLE);
}

// What was written on standard output reached it, or the game says it did not and ends with
// status 1: a full disk or a closed pipe is no success.
int writtenOut(int status)
{
    if (std::fflush(stdout) == 0 && !std::ferror(stdout))
        return status;
    say(std::string("cannot write to standard output: ") + std::strerror(errno));
    return kExitCannotPlay;
}

// Checking recorded drives: no sound, no player, no banner; the drives are played as fast as the
// game can. With a display, in a window just large enough for their pictures, which are then
// compared as well; without one, their states alone.
int checkDrives(Options& options)
{
    DrivesToCheck toCheck = readDrivesToCheck(options.check);
    if (toCheck.drives.empty())
        return kExitCannotPlay;
    const char* name = displayName(options.display);
    if (!name)
        return checkReplays(toCheck, nullptr);
    if (!openDisplay(name)) {
        say(std::string("cannot open the display '") + name + "': pictures are not compared");
        return checkReplays(toCheck, nullptr);
    }
    startGlut(options);
    // Never larger than the screen, whatever a drive claims: the pictures of larger views are
    // not compared.
    glutInitWindowSize(std::min(toCheck.width, glutGet(GLUT_SCREEN_WIDTH)),
                       std::min(toCheck.height, glutGet(GLUT_SCREEN_HEIGHT)));
    glutInitWindowPosition(0, 0);
    glutCreateWindow(windowTitle(WindowPurpose::CheckingDrives).c_str());
    std::atexit(checkLeaksWhileTheDriverIsLoaded);
    // The loaders' progress lines belong to playing: standard output holds the results alone.
    std::streambuf* const progress = std::cout.rdbuf(nullptr);
    initGraphics(findDataFolder(options));
    std::cout.rdbuf(progress);
    std::cout.clear();
    glutReshapeFunc(reshape);
    waitUntilShown();  // before anything is read back from it
    return checkReplays(toCheck, &windowPictures());
}

// The game is ending: on the way out GLUT takes its window down, which it tells as the close box.
bool leaving = false;

void markLeaving()
{
    leaving = true;
}

// The window's close box leaves the game as Quit does, at once, before GLUT takes the window and
// the graphics driver down: the sanitizer build's leak check needs the driver still loaded.
void closeBoxPressed()
{
    if (!leaving)
        tapAction(Action::Quit, Device::Mouse);
}

// The car the program last saw: a new one lets go of what was held for the old one.
unsigned carSeen = 1;

// What the program does about a step: a new car lets go of every action held and of the wreck's
// sounds; a frame of play sounds and asks for the next (the dashboard and a wreck's fire go on
// with no motion step); a paused game is silent.
void followTheGame(const GameState& game, bool played)
{
    if (game.carNumber != carSeen) {
        carSeen = game.carNumber;
        releaseAllActions();
        soundNewGame();
    }
    if (played) {
        setSoundPaused(!windowShown);
        soundFrame(frameFactsOf(game));
        glutPostRedisplay();
    }
    setSoundPaused(gamePaused(game) || !windowShown);
}

// The time trial's laps as the program follows them: the best so far, and the lap each split is
// measured against (the best as the lap began), which are the player's, not the game's state.
struct LapBoard {
    std::optional<LapTimes> best;
    std::optional<LapTimes> againstThisLap;  // the best as the running lap began
    std::optional<LapTimes> againstLastLap;  // the best as the lap last finished began
    uint32_t lapsSeen = 0;
    bool runningSeen = false;
};
LapBoard laps;

bool ghostWanted = true;  // not --no-ghost

// The best lap kept from earlier games, if there is one that checks against this game, and its
// ghost.
void readTheBestLap(const Options& options)
{
    ghostWanted = !options.noGhost;
    std::optional<BestLap> kept = readBestLap(bestLapFile());
    if (!kept)
        return;
    laps.best = kept->times;
    if (ghostWanted)
        useGhostLap(std::move(kept));
}

// A lap finished faster than the best: kept on disk with its drive, which ends with it, and
// driven by the ghost from the next lap on.
void keepTheBestLap(const GameState& game)
{
    const std::vector<unsigned char> drive = keptLapDrive(game);
    if (drive.empty())
        return;
    if (!bestLapFile().empty())
        writeBestLap(bestLapFile(), drive);
    std::string why;
    std::optional<Replay> replay = parseReplay(drive.data(), drive.size(), why);
    std::optional<BestLap> lap = replay ? lapOfDrive(std::move(*replay), why) : std::nullopt;
    if (!lap)
        say("the best lap just driven does not check against the game (" + why + "): no ghost");
    if (ghostWanted)
        useGhostLap(std::move(lap));
}

// After a frame is kept: a finished lap may be the best; a lap begun is measured against the
// best now.
void followTheLaps(const GameState& game)
{
    const TimeTrial& trial = game.trial;
    if (trial.lapsDone == laps.lapsSeen + 1) {
        laps.againstLastLap = laps.againstThisLap;
        if (!laps.best || trial.lastLap.frames < laps.best->frames) {
            laps.best = trial.lastLap;
            keepTheBestLap(game);
        }
        laps.againstThisLap = laps.best;
        startGhostLap();
    } else if (trial.lapRunning && !laps.runningSeen) {
        laps.againstThisLap = laps.best;
        startGhostLap();
    } else if (!trial.lapRunning && laps.runningSeen) {
        stopGhost();  // a wreck or New, or the time trial left
    }
    laps.lapsSeen = trial.lapsDone;
    laps.runningSeen = trial.lapRunning;
}

// What the split of the gate passed last is measured against.
const LapTimes* splitMeasure(const TimeTrial& trial)
{
    const std::optional<LapTimes>& against =
        trial.lastPassed == kFinishPassed ? laps.againstLastLap : laps.againstThisLap;
    return against ? &*against : nullptr;
}

// One frame into the back buffer, not yet shown: the commands since the last frame (a recorded
// drive being shown brings its own up to its next frame) stepped, then the picture drawn in its
// place in the window; a paused game, or a shown drive held by the watcher, shows the frame it
// stands at. Returns whether it was a
// frame of play, which lets the car take its next step.
bool composeFrame()
{
    pollGamepads();  // a wreck has no idle turns, and its pad's Back must be heard
    GameState& game = playedGame();
    if (replayShowing() && shownDriveHeld()) {
        // The watcher holds the drive still: its frame again, under PAUSED and REPLAY.
        setSoundPaused(true);
        drawGame(game, pictureArea());
        drawNotice("PAUSED", kPausedBox, pictureArea());
        drawNotice("REPLAY", kReplayBox, pictureArea());
        drawOverlays(game, pictureArea(), true, gamepadsOpen() > 0);
        showPictureInItsPlace();
        return false;
    }
    std::vector<Command>& input = queuedCommands();
    if (replayShowing()) {
        feedShownDrive(game, input);
        if (!replayShowing())  // its end: the car is the player's from here
            showWords(overlays().yourCar, "YOUR CAR", kNoticeFrames);
    }
    static std::vector<Command> applied;  // kept: a frame costs no allocation
    applied.clear();
    const bool played = step(game, input, &applied);
    input.clear();
    if (std::any_of(applied.begin(), applied.end(),
                    [](const Command& command) { return command.kind == Command::Kind::Act; }))
        playerPlayed(overlays());  // the start's hint goes
    followTheGame(game, played);
    drawGame(game, pictureArea());
    recordStep(applied, played, game);
    if (!replayShowing())  // a shown drive's laps are not the player's
        keepLapDrive(applied, played, game);
    if (played)
        stepGhost();
    followTheLaps(game);
    if (const GameState* ghost = ghostShown())
        drawGhost(*ghost, game, pictureArea());
    drawSplit(game.trial, splitMeasure(game.trial), pictureArea());
    if (replayShowing())
        drawNotice("REPLAY", kReplayBox, pictureArea());
    drawOverlays(game, pictureArea(), replayShowing(), gamepadsOpen() > 0);
    showPictureInItsPlace();
    return played;
}

// The player's settings, under the command line's: its --mute and --window add to theirs. The
// keys and the words on the screen follow them.
Settings settingsUnder(Options& options)
{
    const Settings settings =
        readSettings(settingsFile(options.settingsFile), !options.settingsFile.empty(), stderr);
    options.mute = options.mute || settings.mute;
    options.window = options.window || settings.window;
    useKeys(settings.keys);
    useOverlaySettings(settings);
    return settings;
}

// The drive to record or show opened; why it cannot be, if so.
std::optional<std::string> openDrive(const Options& options)
{
    if (!options.record.empty())
        return openRecording(options.record);
    if (!options.replay.empty())
        return openReplay(options.replay);
    return std::nullopt;
}

// The game's window: full screen, or the window asked for; named, with its icon. The leak check
// and the mark of leaving run at exit before the GL driver is unloaded and before GLUT's own
// ending.
void openGameWindow(const Options& options)
{
    aspectKept = options.keepAspect;
    sizeWindow(options.geometry);
    if (!options.window) {
        // The window opens already covering the screen: a desktop without a window manager
        // cannot make it full screen, and would otherwise show it shifted off the top left.
        glutInitWindowSize(glutGet(GLUT_SCREEN_WIDTH), glutGet(GLUT_SCREEN_HEIGHT));
        glutInitWindowPosition(0, 0);
    } else {
        placeWindow(options.geometry);
    }
    const std::string title = windowTitle(WindowPurpose::Playing);
    glutCreateWindow(title.c_str());
    windowMade(title);
    std::atexit(checkLeaksWhileTheDriverIsLoaded);
    std::atexit(markLeaving);
}

// The sound, muted as asked (and said so on the screen as m says it), and the hint of the
// controls' key until the player plays, unless a drive is shown.
void startSoundAndWords(const Options& options, const Settings& settings)
{
    SoundSettings sound;
    sound.muted = options.mute;
    if (startSound(sound))
        std::atexit(stopSound);  // before the leak check, which runs after it
    if (options.mute)
        switchSound(true);
    if (options.replay.empty())
        showUntilPlayed(overlays().hint, controlsHint(settings));
}

}  // namespace

FramePacer framePacer(kFramesPerSecond);

int runGame(int argc, char** argv)
{
    openStandardStreams();
    Options options;
    if (const std::optional<int> status = parseOptions(argc, argv, options))
        return writtenOut(*status);
    if (const std::optional<std::string> missing = missingDataFolder(options)) {
        say(*missing);
        return kExitCannotPlay;
    }
    if (!options.check.empty())
        return writtenOut(checkDrives(options));
    const Settings settings = settingsUnder(options);
    // A drive to record or show is looked at before the display is.
    if (const std::optional<std::string> why = openDrive(options)) {
        say(*why);
        return kExitCannotPlay;
    }
    readTheBestLap(options);
    if (!displayOpens(options))
        return kExitCannotPlay;

    printLine(" TARVELO! a top-down driving game, made by the TARVELO! team in 2026");
    printLine(" Please wait...");
    printLine(" Initialising OpenGL...");

    startGlut(options);
    openGameWindow(options);
    startSoundAndWords(options, settings);
    registerInputCallbacks();
    whenClosed(closeBoxPressed);
    glutIdleFunc(idle);

    initGraphics(findDataFolder(options));
    beginRecording(playedGame());
    if (options.timeTrial && options.replay.empty())
        queueCommand(act(Action::TimeTrial));  // the first frame's: the car stands at the start
    // Once the game can play: a missing picture ends it without waiting on the pads.
    if (startGamepads(settings.pad, settings.deadZonePercent))
        std::atexit(stopGamepads);

    framesPaced = waitsForFrames();
    glutDisplayFunc(display);
    glutReshapeFunc(reshape);

    askFullScreen(!options.window);
    glutMainLoop();
    return 0;
}

// The renderer does its drawing when a frame is handed over, taking longer for some frames than
// for others; so a paced frame is finished first and the swap waits for its slot: every picture
// appears at the start of its own 1/60 s, however long it took to draw.
void display()
{
    followWindowMode();
    if (windowOversized())
        return;  // until the window is back within the renderer's reach
    // The page's frames come at the screen's rate: on a screen faster than 60 Hz the game skips
    // those between its own slots, and the picture shown stays.
    if (!waitsForFrames() && !framePacer.slotCome()) {
        glutPostRedisplay();
        return;
    }
    const bool played = composeFrame();
    if (framesPaced) {
        glFinish();
        framePacer.waitForSlot();
    }
    glutSwapBuffers();
    if (played)
        frameDrawnSinceStep = true;
}

// One motion step for each frame drawn. A window that is minimised, on another desktop or covered
// gets no frames, and then the car waits where it stands instead of driving on unseen; so does a
// paused game. A wreck takes no step until New, and its frames go on at their pace.
void idle()
{
    letGoIfKeyboardGone();
    pollGamepads();  // also while paused: Start plays on
    if (!frameDrawnSinceStep || !framePlays(playedGame(), queuedCommands())) {
        // A game standing still draws no frames, but the program's timed words go on: frames
        // at the game's pace until they are gone.
        if ((gamePaused(playedGame()) || shownDriveHeld()) && wordsCounting(overlays()))
            glutPostRedisplay();
        sleepUntil(
            std::chrono::steady_clock::now() +
            std::chrono::duration_cast<std::chrono::steady_clock::duration>(kStandStillWait));
        return;
    }
    frameDrawnSinceStep = false;
    // A recorded drive being shown makes its own steps.
    if (!replayShowing() && motionStepDue(playedGame(), queuedCommands()))
        motionStep();
}

void motionStep()
{
    repeatHeldActions();
    queueCommand(kMotionStep);
    glutPostRedisplay();
}
