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
#include "dashboard/Toolbar.h"
#include "effects/Particles.h"
#include "shell/Game.h"
#include "shell/Notice.h"
#include "shell/Options.h"
#include "shell/Pause.h"
#include "vehicle/Car.h"
#include "world/World.h"

namespace {

constexpr uint32_t kFramesPerCheckpoint = 60;  // a checkpoint for every second of play
constexpr unsigned kUnseenFrameList = 100;     // frames checked unseen are compiled into it

// ---- writing -------------------------------------------------------------------------------

struct Recording {
    int fd = -1;
    std::string path;
    std::vector<unsigned char> pending;  // records since the last chunk was written
    uint32_t frames = 0;
    bool created = false;  // the file was made for this drive
    bool begun = false;    // the game started, and the file was written
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

void beginRecording()
{
    if (recording.fd < 0)
        return;
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

int checkReplays(DrivesToCheck& toCheck)
{
    const int roomWidth = glutGet(GLUT_WINDOW_WIDTH);  // the most a picture can be drawn in
    const int roomHeight = glutGet(GLUT_WINDOW_HEIGHT);
    int status = toCheck.allRead ? kExitPlayed : kExitCannotPlay;
    for (auto& [path, drive] : toCheck.drives) {
        const ReplayHeader& header = drive.header;
        // Pictures are the same only with the same pictures, drawn by the same renderer.
        const bool samePictures = header.picturesDigest == picturesDigest &&
                                  header.renderer == glText(GL_RENDERER) &&
                                  header.rendererVersion == glText(GL_VERSION);
        playback = Playback{std::move(drive), path, 0, 0, false};
        startAsTheProgramDoes();
        // Drawn at the size of the recording's view (its first checkpoint's), where the window
        // holds it.
        const Checkpoint* first =
            playback.replay.checkpoints.empty() ? nullptr : &playback.replay.checkpoints.front();
        if (first && first->width != 0)
            reshape(std::min<int>(first->width, roomWidth),
                    std::min<int>(first->height, roomHeight));
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
            const bool drawn = c && c->width <= roomWidth && c->height <= roomHeight;
            if (drawn && (c->width != viewportWidth || c->height != viewportHeight))
                reshape(c->width, c->height);  // the window was resized during the drive
            // A frame nobody looks at has its drawing compiled into a list that is never
            // called: the game's rules run in full, and the renderer draws nothing. Drawn in
            // earnest are the first frame, which sets the renderer up as every frame after it
            // finds it; the frame before a checkpoint, which leaves what the next one may find
            // (the exhaust of a car faster than 10/3 keeps the point size set last); the
            // checkpoint's own; and a frame that keeps its picture for a pause.
            const bool beforeCheckpoint =
                playback.nextCheckpoint < playback.replay.checkpoints.size() &&
                playback.replay.checkpoints[playback.nextCheckpoint].frame == frames + 1;
            const bool unseen = !drawn && frames > 1 && !beforeCheckpoint && !pauseComing();
            if (unseen)
                glNewList(kUnseenFrameList, GL_COMPILE);
            // The game shows every frame before it draws the next, so each frame's drawing starts
            // on a renderer with nothing left to do. So must one drawn here: Mesa's software
            // renderer clears the ground beyond the map's border a shade apart when the clear
            // follows unfinished drawing.
            if (!unseen)
                glFlush();
            drawFrame();
            if (unseen)
                glEndList();
            if (c && gameStateDigest() != c->state)
                difference = "state";
            else if (drawn && samePictures && pictureDigest() != c->picture)
                difference = "picture";
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
