// Recorded drives: writing one as the game goes, showing one at the game's pace, and checking
// one unpaced against the game.
#include "shell/Replay.h"

#include <GL/glut.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "assets/Digest.h"
#include "assets/Textures.h"
#include "session/Draw.h"
#include "session/Step.h"
#include "shell/Options.h"
#include "shell/Window.h"

namespace {

constexpr uint32_t kFramesPerCheckpoint = 60;  // a checkpoint for every second of play

// ---- writing -------------------------------------------------------------------------------

struct Recording {
    int fd = -1;
    std::string path;
    std::vector<unsigned char> pending;  // records since the last chunk was written
    uint32_t frames = 0;
    bool created = false;             // the file was made for this drive
    bool begun = false;               // the game started, and the file was written
    const GameState* game = nullptr;  // the game recorded, whose last state ends the file
};
Recording recording;

// A game that ends before it starts (a picture missing) leaves no file it made behind.
void forgetUnbegunRecording()
{
    if (recording.created && !recording.begun)
        unlink(recording.path.c_str());
}

void putBytes(std::vector<unsigned char>& out, const void* bytes, size_t count)
{
    const auto* b = static_cast<const unsigned char*>(bytes);
    out.insert(out.end(), b, b + count);
}

template <typename Number>
void putNumber(std::vector<unsigned char>& out, Number value)
{
    for (size_t i = 0; i < sizeof(Number); ++i)
        out.push_back(static_cast<unsigned char>(static_cast<uint64_t>(value) >> (8 * i)));
}

void putText(std::vector<unsigned char>& out, const std::string& text, size_t longest)
{
    const size_t length = std::min(text.size(), longest);
    out.push_back(static_cast<unsigned char>(length));
    putBytes(out, text.data(), length);
}

std::string glText(GLenum name)
{
    const auto* text = reinterpret_cast<const char*>(glGetString(name));
    return text ? text : "";
}

// Writes what is pending in one go: a killed game leaves whole chunks only.
void writePending()
{
    if (recording.fd < 0 || recording.pending.empty())
        return;
    size_t written = 0;
    while (written < recording.pending.size()) {
        const ssize_t n = write(recording.fd, recording.pending.data() + written,
                                recording.pending.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            std::fprintf(stderr,
                         "tarvelo: the recording %s could not be written (%s); the drive "
                         "goes on unrecorded\n",
                         recording.path.c_str(), std::strerror(errno));
            close(recording.fd);
            recording.fd = -1;
            break;
        }
        written += static_cast<size_t>(n);
    }
    recording.pending.clear();
}

void putCheckpoint(const GameState& game)
{
    recording.pending.push_back(kCheckpointRecord);
    putNumber(recording.pending, recording.frames);
    putNumber(recording.pending, static_cast<uint16_t>(viewportWidth));
    putNumber(recording.pending, static_cast<uint16_t>(viewportHeight));
    putNumber(recording.pending, gameStateDigest(game));
    putNumber(recording.pending, pictureDigest());
}

// The end of the game, however it comes (Escape, Quit, the close box, a terminating signal):
// the state where the drive stands (its picture may be gone with the window), and the end.
void finishRecording()
{
    if (recording.fd < 0)
        return;
    recording.pending.push_back(kFinalStateRecord);
    putNumber(recording.pending, recording.frames);
    putNumber(recording.pending, gameStateDigest(*recording.game));
    recording.pending.push_back(kEndRecord);
    writePending();
    if (recording.fd >= 0)
        close(recording.fd);
    recording.fd = -1;
}

volatile sig_atomic_t terminationAsked = 0;

void askTermination(int)
{
    terminationAsked = 1;
}

// A terminating signal ends the game as it would have, once the recording is finished; looked
// for a few times a second, whatever the game is doing (also hidden, or a wreck).
void finishIfTerminated(int)
{
    if (terminationAsked) {
        finishRecording();
        signal(SIGTERM, SIG_DFL);
        raise(SIGTERM);
    }
    glutTimerFunc(100, finishIfTerminated, 0);
}

// ---- showing and checking ------------------------------------------------------------------

// The drive being shown, and how far it has come.
struct Playback {
    Replay replay;
    size_t next = 0;       // the next record
    bool showing = false;  // shown in the game's window, at its pace
};
Playback playback;

// The commands of a drive's records from `next` up to its next frame record, after `input`
// (pauses left out unless `withPauses`); false at the end of the drive. Checkpoints are counted.
bool commandsToNextFrame(const Replay& replay, size_t& next, size_t& checkpoints,
                         std::vector<Command>& input, bool withPauses)
{
    while (next < replay.records.size()) {
        const uint8_t code = replay.records[next++];
        if (code == kFrameRecord)
            return true;
        if (code == kStepRecord) {
            input.push_back(kMotionStep);
        } else if (code == kCheckpointRecord || code == kFinalStateRecord) {
            ++checkpoints;
        } else if (const std::optional<Action> action = actionOfCode(code)) {
            if (*action != Action::Pause || withPauses)
                input.push_back(act(*action));
        }
    }
    return false;
}

std::string describeReason(const std::string& path, const std::string& reason)
{
    return "Error: replay " + path + ": " + reason;
}

// The checkpoint's picture, drawn from the state at the checkpoint's size. The frame is drawn
// twice: the first sets the renderer up as the frames before it leave it for every frame (the
// dashboard's line width), and the game shows each frame before it draws the next, so the one
// read back starts on a renderer with nothing left to do (Mesa's software renderer clears the
// ground beyond the map's border a shade apart when the clear follows unfinished drawing).
uint64_t checkpointPicture(const GameState& state, const Checkpoint& checkpoint)
{
    if (checkpoint.width != viewportWidth || checkpoint.height != viewportHeight)
        reshape(checkpoint.width, checkpoint.height);  // the window was resized during the drive
    drawGame(state, pictureArea());
    glFinish();
    drawGame(state, pictureArea());
    return pictureDigest();
}

// One drive played back in a state of its own: "" when every checkpoint agrees, else what
// differs, with the frame in `frames`; `picturesCompared` counts the checkpoints whose pictures
// were compared.
std::string checkDrive(const Replay& replay, bool withPictures, int roomWidth, int roomHeight,
                       uint32_t& frames, size_t& picturesCompared)
{
    GameState state;
    std::vector<Command> input;
    size_t next = 0, passed = 0;
    frames = 0;
    picturesCompared = 0;
    for (;;) {
        input.clear();
        if (!commandsToNextFrame(replay, next, passed, input, true)) {
            applyCommands(state, input);  // heard after the last frame, before the game ended
            break;
        }
        ++frames;
        if (!step(state, input))
            return "a frame of a paused game";
        // The checkpoint recorded after this frame, if there is one.
        if (passed >= replay.checkpoints.size())
            continue;
        const Checkpoint& c = replay.checkpoints[passed];
        if (c.frame != frames || c.width == 0)
            continue;
        if (gameStateDigest(state) != c.state)
            return "state";
        if (withPictures && c.width <= roomWidth && c.height <= roomHeight) {
            if (checkpointPicture(state, c) != c.picture)
                return "picture";
            ++picturesCompared;
        }
    }
    // A finished drive ends with the state it was left in.
    if (replay.finished && gameStateDigest(state) != replay.checkpoints.back().state)
        return "state";
    return "";
}

}  // namespace

uint64_t pictureDigest()
{
    static std::vector<unsigned char> pixels;  // kept: a read every second costs no allocation
    pixels.resize(static_cast<size_t>(viewportWidth) * viewportHeight * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, pictureDrawnBottom, viewportWidth, viewportHeight, GL_RGB, GL_UNSIGNED_BYTE,
                 pixels.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    return digestOf(pixels.data(), pixels.size());
}

std::optional<std::string> openRecording(const std::string& path)
{
    // Only the file named is ever written: not what a link points at, not a folder or a pipe,
    // and not a file of something else. Nothing is written to it before the game has started.
    constexpr int kFlags = O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
    int fd = open(path.c_str(), kFlags | O_CREAT | O_EXCL, 0644);
    recording.created = fd >= 0;
    if (fd < 0 && errno == EEXIST)
        fd = open(path.c_str(), kFlags);
    if (fd < 0 && errno == ELOOP)
        return "Error: record " + path + ": a link; name the file itself";
    if (fd < 0)
        return "Error: record " + path + ": " + std::strerror(errno);
    struct stat status {};
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        close(fd);
        return "Error: record " + path + ": not a plain file";
    }
    if (status.st_size > 0) {
        unsigned char magic[sizeof kReplayMagic] = {};
        if (pread(fd, magic, sizeof magic, 0) != static_cast<ssize_t>(sizeof magic) ||
            std::memcmp(magic, kReplayMagic, sizeof magic) != 0) {
            close(fd);
            return "Error: record " + path + ": the file exists and is not a recorded drive";
        }
    }
    recording.fd = fd;
    recording.path = path;
    std::atexit(forgetUnbegunRecording);
    return std::nullopt;
}

void beginRecording(const GameState& game)
{
    if (recording.fd < 0)
        return;
    recording.game = &game;
    recording.begun = true;
    if (ftruncate(recording.fd, 0) != 0) {
        std::fprintf(stderr, "tarvelo: the recording %s could not be started (%s)\n",
                     recording.path.c_str(), std::strerror(errno));
        close(recording.fd);
        recording.fd = -1;
        return;
    }
    std::vector<unsigned char>& out = recording.pending;
    putBytes(out, kReplayMagic, sizeof kReplayMagic);
    putNumber(out, kReplayFormatVersion);
    putText(out, TARVELO_VERSION, kLongestVersionText);
    putNumber(out, picturesDigest);
    putText(out, glText(GL_RENDERER), kLongestRendererText);
    putText(out, glText(GL_VERSION), kLongestRendererText);
    writePending();
    std::atexit(finishRecording);
    struct sigaction action {};
    action.sa_handler = askTermination;
    sigaction(SIGTERM, &action, nullptr);
    glutTimerFunc(100, finishIfTerminated, 0);
}

void recordStep(const std::vector<Command>& applied, bool framePlayed, const GameState& game)
{
    if (recording.fd < 0)
        return;
    for (const Command& command : applied) {
        if (command.kind == Command::Kind::MotionStep)
            recording.pending.push_back(kStepRecord);
        else if (const std::optional<uint8_t> code = codeOfAction(command.action))
            recording.pending.push_back(*code);
    }
    if (!framePlayed)
        return;
    recording.pending.push_back(kFrameRecord);
    recording.frames += 1;
    if (recording.frames % kFramesPerCheckpoint == 0) {
        putCheckpoint(game);
        writePending();
    }
}

bool replayShowing()
{
    return playback.showing;
}

void feedShownDrive(std::vector<Command>& input)
{
    size_t checkpoints = 0;
    if (playback.showing &&
        !commandsToNextFrame(playback.replay, playback.next, checkpoints, input, false))
        playback.showing = false;  // the end of the drive: the player takes over the car here
}

std::optional<std::string> openReplay(const std::string& path)
{
    std::string error;
    std::optional<Replay> replay = readReplayFile(path, error);
    if (!replay)
        return describeReason(path, error);
    playback.replay = std::move(*replay);
    playback.showing = true;
    return std::nullopt;
}

DrivesToCheck readDrivesToCheck(const std::vector<std::string>& paths)
{
    DrivesToCheck toCheck;
    for (const std::string& path : paths) {
        std::string error;
        std::optional<Replay> replay = readReplayFile(path, error);
        if (!replay) {
            std::fprintf(stderr, "%s\n", describeReason(path, error).c_str());
            toCheck.allRead = false;
            continue;
        }
        for (const Checkpoint& c : replay->checkpoints) {
            toCheck.width = std::max(toCheck.width, static_cast<int>(c.width));
            toCheck.height = std::max(toCheck.height, static_cast<int>(c.height));
        }
        toCheck.drives.emplace_back(path, std::move(*replay));
    }
    return toCheck;
}

int checkReplays(DrivesToCheck& toCheck, PictureCheck pictures)
{
    const bool window = pictures == PictureCheck::InThisWindow;
    const int roomWidth = window ? glutGet(GLUT_WINDOW_WIDTH) : 0;    // the most a picture can be
    const int roomHeight = window ? glutGet(GLUT_WINDOW_HEIGHT) : 0;  // drawn in
    int status = toCheck.allRead ? kExitPlayed : kExitCannotPlay;
    for (auto& [path, drive] : toCheck.drives) {
        const ReplayHeader& header = drive.header;
        // Pictures are the same only with the same pictures, drawn by the same renderer.
        const bool samePictures = window && header.picturesDigest == picturesDigest &&
                                  header.renderer == glText(GL_RENDERER) &&
                                  header.rendererVersion == glText(GL_VERSION);
        uint32_t frames = 0;
        size_t picturesCompared = 0;
        const std::string difference =
            checkDrive(drive, samePictures, roomWidth, roomHeight, frames, picturesCompared);
        size_t pictured = 0;  // the checkpoints that have a picture
        for (const Checkpoint& c : drive.checkpoints)
            pictured += c.width != 0 ? 1 : 0;
        if (!difference.empty()) {
            std::printf("%s: differs at frame %u (%s)\n", path.c_str(), frames, difference.c_str());
            status = kExitCannotPlay;
        } else if (!window) {
            std::printf("%s: ok, %u frames (state only)\n", path.c_str(), frames);
        } else if (!samePictures) {
            std::printf(
                "%s: ok, %u frames (state only: the pictures or the renderer differ from "
                "the recording's)\n",
                path.c_str(), frames);
        } else if (picturesCompared < pictured) {
            std::printf("%s: ok, %u frames (pictures at %zu of %zu checkpoints)\n", path.c_str(),
                        frames, picturesCompared, pictured);
        } else {
            std::printf("%s: ok, %u frames\n", path.c_str(), frames);
        }
        std::fflush(stdout);
    }
    return status;
}
