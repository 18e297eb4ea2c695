// Recorded drives: showing one at the game's pace, and drawing the pictures a check compares.
#include "drives/Replay.h"

#include "assets/Textures.h"
#include "drives/Recording.h"
#include "platform/Glut.h"
#include "platform/Platform.h"
#include "platform/Window.h"
#include "session/Draw.h"
#include "session/Step.h"

namespace {

// The drive being shown, and how far it has come.
struct Playback {
    Replay replay;
    size_t next = 0;       // the next record
    size_t passed = 0;     // the checkpoint records read
    uint32_t frames = 0;   // the frames fed
    int agreed = 0;        // the checkpoints found alike, -1 once one differs
    bool showing = false;  // shown in the game's window, at its pace
    bool held = false;     // the watcher holds it still
};
Playback playback;

// One more checkpoint compared with the game's state.
void compareState(const GameState& game, uint64_t recorded)
{
    if (playback.agreed >= 0)
        playback.agreed = gameStateDigest(game) == recorded ? playback.agreed + 1 : -1;
}

// The check's window at a checkpoint's size, asked for and waited on: the software renderer's
// pixels depend on where in the window they lie, so a picture is drawn as its recording drew it
// only in a window of its own size. False where the window does not take that size (a window
// manager that holds it, a smaller screen): that picture is not compared. Once refused, the
// window is not asked again.
bool windowOfSize(int width, int height)
{
    static bool refused = false;
    if (glutGet(GLUT_WINDOW_WIDTH) == width && glutGet(GLUT_WINDOW_HEIGHT) == height)
        return true;
    if (refused)
        return false;
    refused = !resizeWindow(width, height);
    glutSwapBuffers();  // the renderer takes the window's new size at a swap
    return !refused;
}

// The checkpoint's picture, drawn from the state in a window of its size. The frame is drawn
// twice: the first sets the renderer up as the frames before it leave it for every frame (the
// dashboard's line width), and the game shows each frame before it draws the next, so the one
// read back starts on a renderer with nothing left to do (Mesa's software renderer clears the
// ground beyond the map's border a shade apart when the clear follows unfinished drawing).
uint64_t checkpointPicture(const GameState& state, const Checkpoint& checkpoint)
{
    placeWholePicture(checkpoint.width, checkpoint.height);
    drawGame(state, pictureArea());
    glFinish();
    drawGame(state, pictureArea());
    return pictureDigest();
}

// The game's window draws the checkpoints' pictures.
class WindowPictures final : public CheckpointPictures {
public:
    bool samePictures(const ReplayHeader& header) const override
    {
        return header.picturesDigest == picturesDigest;
    }
    bool sameRenderer(const ReplayHeader& header) const override
    {
        return header.renderer == glText(GL_RENDERER) &&
               header.rendererVersion == glText(GL_VERSION);
    }
    std::optional<uint64_t> picture(const GameState& state, const Checkpoint& checkpoint) override
    {
        if (!windowOfSize(checkpoint.width, checkpoint.height))
            return std::nullopt;
        return checkpointPicture(state, checkpoint);
    }
};

}  // namespace

bool replayShowing()
{
    return playback.showing;
}

void feedShownDrive(const GameState& game, std::vector<Command>& input)
{
    if (!playback.showing || playback.held)
        return;
    // The game after the last frame fed, against the checkpoint recorded after that frame.
    if (const Checkpoint* c = checkpointAfter(playback.replay, playback.passed, playback.frames))
        compareState(game, c->state);
    const size_t heard = input.size();
    if (commandsOfNextFrame(playback.replay, playback.next, playback.passed, input)) {
        ++playback.frames;
        return;
    }
    // Its end: the player takes over the car here. A finished drive's last commands were heard
    // before the game ended, in the state it was left in.
    if (playback.replay.finished) {
        GameState end = game;
        applyCommands(end, std::vector<Command>(input.begin() + heard, input.end()));
        compareState(end, playback.replay.checkpoints.back().state);
    }
    playback.showing = playback.held = false;
}

int shownDriveAgreement()
{
    return playback.agreed;
}

void holdShownDrive()
{
    playback.held = playback.showing && !playback.held;
}

bool shownDriveHeld()
{
    return playback.held;
}

std::optional<std::string> openReplay(const std::string& path)
{
    std::string error;
    std::optional<Replay> replay = readReplayFile(path, error);
    if (!replay)
        return refusedDrive(path, error);
    playback = Playback{};
    playback.replay = std::move(*replay);
    playback.showing = true;
    return std::nullopt;
}

CheckpointPictures& windowPictures()
{
    static WindowPictures window;
    return window;
}
