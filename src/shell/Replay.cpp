// Recorded drives: writing one as the game goes, showing one at the game's pace, checking one
// unpaced against the game, and reading the file, which trusts no size it has not limited.
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
#include "dashboard/Toolbar.h"
#include "effects/Particles.h"
#include "shell/Game.h"
#include "shell/Notice.h"
#include "shell/Options.h"
#include "shell/Pause.h"
#include "vehicle/Car.h"
#include "world/World.h"

namespace {

constexpr unsigned char kMagic[8] = {'T', 'A', 'R', 'V', 'E', 'L', 'O', 0x1A};
constexpr uint16_t kFormatVersion = 1;
constexpr size_t kLargestFile = 16u << 20;  // bytes: about a day and a half of driving
constexpr size_t kLongestVersion = 32, kLongestRendererText = 200;
constexpr int kLargestSide = 16384;
constexpr uint32_t kFramesPerCheckpoint = 60;  // a checkpoint for every second of play
constexpr size_t kCheckpointBytes = 4 + 2 + 2 + 8 + 8;

// The actions a drive records, under their codes in the file. Quitting and the sound are the
// player's business, not the game's state, and are not recorded.
struct ActionCode {
    Action action;
    uint8_t code;
};
constexpr ActionCode kActionCodes[] = {
    {Action::TurnLeft, 0}, {Action::TurnRight, 1}, {Action::Accelerate, 2}, {Action::Brake, 3},
    {Action::Gear1, 4},    {Action::Gear2, 5},     {Action::Gear3, 6},      {Action::Gear4, 7},
    {Action::Reverse, 8},  {Action::Lights, 9},    {Action::Pause, 10},     {Action::NewCar, 12},
};

std::optional<uint8_t> codeOfAction(Action action)
{
    for (const ActionCode& row : kActionCodes)
        if (row.action == action)
            return row.code;
    return std::nullopt;
}

// ---- writing -------------------------------------------------------------------------------

struct Recording {
    int fd = -1;
    std::string path;
    std::vector<unsigned char> pending;  // records since the last chunk was written
    uint32_t frames = 0;
    bool failed = false;  // a write went wrong: said once, and the drive goes on unrecorded
};
Recording recording;

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
            recording.failed = true;
            break;
        }
        written += static_cast<size_t>(n);
    }
    recording.pending.clear();
}

void putCheckpoint()
{
    recording.pending.push_back(kCheckpointRecord);
    putNumber(recording.pending, recording.frames);
    putNumber(recording.pending, static_cast<uint16_t>(viewportWidth));
    putNumber(recording.pending, static_cast<uint16_t>(viewportHeight));
    putNumber(recording.pending, gameStateDigest());
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
    putNumber(recording.pending, gameStateDigest());
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

// ---- reading -------------------------------------------------------------------------------

struct Reader {
    const unsigned char* bytes;
    size_t count;
    size_t at = 0;

    bool has(size_t n) const { return count - at >= n; }
    template <typename Number>
    bool number(Number& value)
    {
        if (!has(sizeof(Number)))
            return false;
        uint64_t v = 0;
        for (size_t i = 0; i < sizeof(Number); ++i)
            v |= static_cast<uint64_t>(bytes[at + i]) << (8 * i);
        value = static_cast<Number>(v);
        at += sizeof(Number);
        return true;
    }
    bool text(std::string& value, size_t longest)
    {
        uint8_t length = 0;
        if (!number(length) || length > longest || !has(length))
            return false;
        value.assign(reinterpret_cast<const char*>(bytes + at), length);
        at += length;
        return std::all_of(value.begin(), value.end(),
                           [](char c) { return c >= 0x20 && c < 0x7F; });
    }
};

// ---- showing and checking ------------------------------------------------------------------

// The drive being played back, and how far it has come.
struct Playback {
    Replay replay;
    std::string path;
    size_t next = 0;            // the next record
    size_t nextCheckpoint = 0;  // the next checkpoint's values
    bool showing = false;       // shown in the game's window, at its pace
};
Playback playback;

// The state the game starts in: what the program's start gives every part of it.
void startAsTheProgramDoes()
{
    newGame();
    restartRandom();
    armStartBursts();
    headlightsOff = 0;
    for (int i = 0; i < 4; ++i)
        damageBar[i] = damageBarStart[i];
    angle1 = red = angle2 = 0.0f;
    frameCounter = 1;
    sampleX = sampleY = 0.0f;
}

// Plays records up to the next frame (not drawing it); false at the end of the drive.
bool playToNextFrame(bool applyPauses)
{
    const Replay& replay = playback.replay;
    while (playback.next < replay.records.size()) {
        const uint8_t code = replay.records[playback.next++];
        if (code == kFrameRecord)
            return true;
        if (code == kStepRecord) {
            playerCar.advance();
        } else if (code == kCheckpointRecord || code == kFinalStateRecord) {
            ++playback.nextCheckpoint;
        } else if (const std::optional<Action> action = actionOfCode(code)) {
            // A watched drive leaves the pause to the one watching it: the frames of a paused
            // game were never recorded, so leaving its pauses out changes nothing else.
            if (*action != Action::Pause || applyPauses)
                applyAction(*action);
        }
    }
    return false;
}

std::string describeReason(const std::string& path, const std::string& reason)
{
    return "Error: replay " + path + ": " + reason;
}

}  // namespace

std::optional<Action> actionOfCode(uint8_t code)
{
    for (const ActionCode& row : kActionCodes)
        if (row.code == code)
            return row.action;
    return std::nullopt;
}

uint64_t gameStateDigest()
{
    uint64_t d = digestOf(&playerCar, sizeof playerCar);
    d = digestOf(&headingRadians, sizeof headingRadians, d);
    const uint32_t random = static_cast<uint32_t>(randomGeneratorState());
    d = digestOf(&random, sizeof random, d);
    for (const ParticleBurst* burst : {&explosionBurst, &contactBurst, &repairBurst})
        d = digestOf(burst, sizeof *burst, d);
    const unsigned char paused = gamePaused() ? 1 : 0;
    d = digestOf(&paused, 1, d);
    d = digestOf(&headlightsOff, sizeof headlightsOff, d);
    d = digestOf(&frameCounter, sizeof frameCounter, d);
    d = digestOf(&sampleX, sizeof sampleX, d);
    d = digestOf(&sampleY, sizeof sampleY, d);
    d = digestOf(damageBar, sizeof damageBar, d);
    const float needles[3] = {angle1, red, angle2};
    return digestOf(needles, sizeof needles, d);
}

uint64_t pictureDigest()
{
    static std::vector<unsigned char> pixels;  // kept: a read every second costs no allocation
    pixels.resize(static_cast<size_t>(viewportWidth) * viewportHeight * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, viewportWidth, viewportHeight, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    return digestOf(pixels.data(), pixels.size());
}

std::optional<std::string> openRecording(const std::string& path)
{
    // Only the file named is ever written: not what a link points at, not a folder or a pipe,
    // and not a file of something else.
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
    if (fd < 0)
        return "Error: record " + path + ": " + std::strerror(errno);
    struct stat status {};
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        close(fd);
        return "Error: record " + path + ": not a plain file";
    }
    if (status.st_size > 0) {
        unsigned char magic[sizeof kMagic] = {};
        if (pread(fd, magic, sizeof magic, 0) != static_cast<ssize_t>(sizeof magic) ||
            std::memcmp(magic, kMagic, sizeof magic) != 0) {
            close(fd);
            return "Error: record " + path + ": the file exists and is not a recorded drive";
        }
    }
    if (ftruncate(fd, 0) != 0) {
        close(fd);
        return "Error: record " + path + ": " + std::strerror(errno);
    }
    recording.fd = fd;
    recording.path = path;
    return std::nullopt;
}

void beginRecording()
{
    if (recording.fd < 0)
        return;
    std::vector<unsigned char>& out = recording.pending;
    putBytes(out, kMagic, sizeof kMagic);
    putNumber(out, kFormatVersion);
    putText(out, TARVELO_VERSION, kLongestVersion);
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

void noteAction(Action action)
{
    if (recording.fd < 0)
        return;
    if (const std::optional<uint8_t> code = codeOfAction(action))
        recording.pending.push_back(*code);
}

void noteStep()
{
    if (recording.fd >= 0)
        recording.pending.push_back(kStepRecord);
}

void playReplayToNextFrame()
{
    if (playback.showing && !playToNextFrame(false))
        playback.showing = false;  // the end of the drive: the player takes over the car here
}

void noteFrameDrawn()
{
    if (recording.fd < 0)
        return;
    recording.pending.push_back(kFrameRecord);
    recording.frames += 1;
    if (recording.frames % kFramesPerCheckpoint == 0) {
        putCheckpoint();
        writePending();
    }
}

bool replayShowing()
{
    return playback.showing;
}

void drawReplayNotice()
{
    if (playback.showing)
        drawNotice("REPLAY", kReplayBox);
}

std::optional<std::string> openReplay(const std::string& path)
{
    std::string error;
    std::optional<Replay> replay = readReplayFile(path, error);
    if (!replay)
        return describeReason(path, error);
    playback.replay = std::move(*replay);
    playback.path = path;
    playback.showing = true;
    return std::nullopt;
}

std::optional<Replay> parseReplay(const unsigned char* bytes, size_t count, std::string& error)
{
    Reader in{bytes, count};
    Replay replay;
    if (!in.has(sizeof kMagic) || std::memcmp(bytes, kMagic, sizeof kMagic) != 0) {
        error = count == 0 ? "the file is empty" : "not a recorded drive of this game";
        return std::nullopt;
    }
    in.at = sizeof kMagic;
    uint16_t version = 0;
    if (!in.number(version)) {
        error = "cut off in its header";
        return std::nullopt;
    }
    if (version != kFormatVersion) {
        error = "recorded in format " + std::to_string(version) + ", this game reads format " +
                std::to_string(kFormatVersion);
        return std::nullopt;
    }
    ReplayHeader& header = replay.header;
    if (!in.text(header.gameVersion, kLongestVersion) || !in.number(header.picturesDigest) ||
        !in.text(header.renderer, kLongestRendererText) ||
        !in.text(header.rendererVersion, kLongestRendererText)) {
        error = "its header is cut off or damaged";
        return std::nullopt;
    }
    uint32_t frames = 0;
    size_t lastWhole = in.at;  // where the last complete second ends
    while (in.at < count) {
        const size_t where = in.at;
        uint8_t code = 0;
        in.number(code);
        if (code == kEndRecord) {
            if (replay.records.empty() || replay.records.back() != kFinalStateRecord) {
                error =
                    "an end without the state the drive ended in, at byte " + std::to_string(where);
                return std::nullopt;
            }
            if (in.at != count) {
                error = "bytes after the end of the drive, at byte " + std::to_string(in.at);
                return std::nullopt;
            }
            replay.finished = true;
            lastWhole = count;
            break;
        }
        if (code == kFrameRecord) {
            ++frames;
        } else if (code == kFinalStateRecord) {
            Checkpoint c{};
            if (!in.number(c.frame) || !in.number(c.state) || c.frame != frames || !in.has(1) ||
                bytes[in.at] != kEndRecord) {
                error = "a damaged last state at byte " + std::to_string(where);
                return std::nullopt;
            }
            replay.checkpoints.push_back(c);
        } else if (code == kCheckpointRecord) {
            Checkpoint c{};
            if (!in.number(c.frame) || !in.number(c.width) || !in.number(c.height) ||
                !in.number(c.state) || !in.number(c.picture)) {
                error = "cut off in a checkpoint at byte " + std::to_string(where);
                return std::nullopt;
            }
            if (c.frame != frames || c.width == 0 || c.height == 0 || c.width > kLargestSide ||
                c.height > kLargestSide) {
                error = "a damaged checkpoint at byte " + std::to_string(where);
                return std::nullopt;
            }
            replay.checkpoints.push_back(c);
            lastWhole = in.at;
        } else if (code != kStepRecord && !actionOfCode(code)) {
            error = "an unknown record at byte " + std::to_string(where);
            return std::nullopt;
        }
        replay.records.push_back(code);
    }
    if (lastWhole != count) {
        error = "cut off at byte " + std::to_string(count) + ", in the middle of a second";
        return std::nullopt;
    }
    return replay;
}

std::optional<Replay> readReplayFile(const std::string& path, std::string& error)
{
    // Not opened for reading until it is known to be a plain file: a pipe would wait for ever.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = std::strerror(errno);
        return std::nullopt;
    }
    struct stat status {};
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        close(fd);
        error = "not a plain file";
        return std::nullopt;
    }
    if (static_cast<uint64_t>(status.st_size) > kLargestFile) {
        close(fd);
        error = "larger than any recorded drive (" + std::to_string(kLargestFile >> 20) + " MiB)";
        return std::nullopt;
    }
    std::vector<unsigned char> bytes(static_cast<size_t>(status.st_size));
    size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t n = read(fd, bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += static_cast<size_t>(n);
    }
    close(fd);
    if (got != bytes.size()) {
        error = "could not be read to its end";
        return std::nullopt;
    }
    return parseReplay(bytes.data(), bytes.size(), error);
}

void checkWindowSize(const std::vector<std::string>& paths, int& width, int& height)
{
    width = 1;
    height = 1;
    for (const std::string& path : paths) {
        std::string error;
        if (const std::optional<Replay> replay = readReplayFile(path, error)) {
            for (const Checkpoint& c : replay->checkpoints) {
                width = std::max(width, static_cast<int>(c.width));
                height = std::max(height, static_cast<int>(c.height));
            }
        }
    }
}

int checkReplays(const std::vector<std::string>& paths)
{
    const int windowWidth = glutGet(GLUT_WINDOW_WIDTH);
    const int windowHeight = glutGet(GLUT_WINDOW_HEIGHT);
    int status = kExitPlayed;
    for (const std::string& path : paths) {
        std::string error;
        std::optional<Replay> replay = readReplayFile(path, error);
        if (!replay) {
            std::fprintf(stderr, "%s\n", describeReason(path, error).c_str());
            status = kExitCannotPlay;
            continue;
        }
        const ReplayHeader& header = replay->header;
        // Pictures are the same only with the same pictures, drawn by the same renderer.
        const bool samePictures = header.picturesDigest == picturesDigest &&
                                  header.renderer == glText(GL_RENDERER) &&
                                  header.rendererVersion == glText(GL_VERSION);
        playback = Playback{std::move(*replay), path, 0, 0, false};
        startAsTheProgramDoes();
        // Frames between checkpoints are drawn into a single pixel: the game's rules run in
        // full, and the renderer has next to nothing to fill.
        reshape(1, 1);
        uint32_t frames = 0;
        std::string difference;
        while (difference.empty() && playToNextFrame(true)) {
            ++frames;
            const bool checkpointFrame =
                playback.nextCheckpoint < playback.replay.checkpoints.size() &&
                playback.replay.checkpoints[playback.nextCheckpoint].frame == frames &&
                playback.replay.checkpoints[playback.nextCheckpoint].width != 0;
            const Checkpoint* c =
                checkpointFrame ? &playback.replay.checkpoints[playback.nextCheckpoint] : nullptr;
            const bool drawn = c && c->width <= windowWidth && c->height <= windowHeight;
            if (drawn) {
                reshape(c->width, c->height);
                // The game shows every frame before it draws the next, so each frame's drawing
                // starts on a renderer with nothing left to do. So must this one: Mesa's
                // software renderer clears the ground beyond the map's border a shade apart
                // when the clear follows unfinished drawing.
                glFlush();
            }
            drawFrame();
            if (c && gameStateDigest() != c->state)
                difference = "state";
            else if (drawn && samePictures && pictureDigest() != c->picture)
                difference = "picture";
            if (drawn)
                reshape(1, 1);
        }
        // A finished drive ends with the state it was left in.
        if (difference.empty() && playback.replay.finished &&
            gameStateDigest() != playback.replay.checkpoints.back().state)
            difference = "state";
        if (difference.empty()) {
            std::printf("%s: ok, %u frames\n", path.c_str(), frames);
        } else {
            std::printf("%s: differs at frame %u (%s)\n", path.c_str(), frames, difference.c_str());
            status = kExitCannotPlay;
        }
        std::fflush(stdout);
    }
    return status;
}
