// Recording a drive. The new drive is written into a file of its own in the folder of the file
// named, without a name until it holds a whole second; then it takes the file's place in one
// rename, so that an old drive is only ever replaced by a new one of a second or more. From then
// on every second is written whole, or the file is cut back to the last whole second.
#include "drives/Recording.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include "platform/Glut.h"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "assets/Textures.h"
#include "base/Digest.h"
#include "base/Program.h"
#include "drives/ReplayFile.h"
#include "platform/Window.h"

namespace {

struct Recording {
    std::string path;       // the file named
    std::string name;       // its name in its folder
    int folder = -1;        // its folder, where the new drive is given the file's name
    int fd = -1;            // the new drive, written as the game goes
    std::string ownName;    // the new drive's name until it takes the file's, where the folder
                            // cannot hold a file without a name
    bool inPlace = false;   // the new drive has taken the file's place
    bool oldDrive = false;  // the file held a drive before this game
    off_t whole = 0;        // bytes written up to the end of the last whole second
    std::vector<unsigned char> pending;  // records since the last whole second was written
    uint32_t frames = 0;
    const GameState* game = nullptr;  // the game recorded, whose last state ends the file
};
Recording recording;

std::string refusal(const std::string& path, const std::string& why)
{
    return "record " + path + ": " + why;
}

// No second game records into the same file: a game recording holds a name in the abstract
// namespace of Unix sockets, made of the file's folder and name, for as long as it runs. The
// system lets go of it when the game ends, however it ends, and it leaves nothing on the disk.
// False when another game holds the name.
bool holdTheFilesName(const struct stat& folder, const std::string& name)
{
    uint64_t digest = digestOf(&folder.st_dev, sizeof folder.st_dev);
    digest = digestOf(&folder.st_ino, sizeof folder.st_ino, digest);
    digest = digestOf(name.data(), name.size(), digest);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const int length =
        std::snprintf(address.sun_path + 1, sizeof address.sun_path - 1,
                      "tarvelo-recording-%016llx", static_cast<unsigned long long>(digest));
    const int holder = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (holder < 0)
        return true;  // no socket to tell with: as before there were any
    const socklen_t size = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + length);
    if (bind(holder, reinterpret_cast<const sockaddr*>(&address), size) != 0) {
        close(holder);
        return errno != EADDRINUSE;
    }
    return true;  // the socket stays open for the whole game
}

// The file named, looked at without following a link: nothing, or an earlier drive (empty when
// it may be written).
std::string whyNotTheFile(int folder, const std::string& name)
{
    struct stat status {};
    if (fstatat(folder, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT ? "" : std::strerror(errno);
    if (S_ISLNK(status.st_mode))
        return "a link; name the file itself";
    if (S_ISDIR(status.st_mode))
        return std::strerror(EISDIR);
    if (!S_ISREG(status.st_mode))
        return "not a plain file";
    if (status.st_size == 0)
        return "";
    unsigned char magic[sizeof kReplayMagic] = {};
    const int fd = openat(folder, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    const bool drive = fd >= 0 &&
                       pread(fd, magic, sizeof magic, 0) == static_cast<ssize_t>(sizeof magic) &&
                       std::memcmp(magic, kReplayMagic, sizeof magic) == 0;
    if (fd >= 0)
        close(fd);
    if (!drive)
        return "the file exists and is not a recorded drive";
    recording.oldDrive = true;
    return "";
}

// A file for the new drive in the folder, without a name where the folder allows it (it then
// vanishes with a game killed before its first second), else under a hidden name of its own.
int openNewDrive(const std::string& folderPath)
{
#ifndef __EMSCRIPTEN__  // the browser's files in memory have no nameless ones
    const int fd = openat(recording.folder, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0644);
    if (fd >= 0 || (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL))
        return fd;
#endif
    std::string ownName = folderPath + "/." + recording.name + ".XXXXXX";
    const int named = mkostemp(ownName.data(), O_CLOEXEC);
    if (named >= 0) {
        const mode_t mask = umask(0);
        umask(mask);
        fchmod(named, 0644 & ~mask);
        recording.ownName = ownName.substr(folderPath.size() + 1);
    }
    return named;
}

void stopRecording(const char* what)
{
    say("the recording " + recording.path + " could not be " + what + " (" + std::strerror(errno) +
        "); the drive goes on unrecorded");
    close(recording.fd);
    recording.fd = -1;
    if (!recording.ownName.empty() && !recording.inPlace)
        unlinkat(recording.folder, recording.ownName.c_str(), 0);
}

// The new drive takes the file's place in one step: an old drive is there until it has.
void putInPlace()
{
    if (recording.fd < 0 || recording.inPlace)
        return;
    std::string linked = recording.ownName;
    if (linked.empty()) {
        // Linked under a name of its own first, which then replaces the file's.
        const std::string self = "/proc/self/fd/" + std::to_string(recording.fd);
        for (int attempt = 0; attempt < 100 && linked.empty(); ++attempt) {
            const std::string name = "." + recording.name + "." + std::to_string(getpid()) + "." +
                                     std::to_string(attempt);
            if (linkat(AT_FDCWD, self.c_str(), recording.folder, name.c_str(), AT_SYMLINK_FOLLOW) ==
                0)
                linked = name;
            else if (errno != EEXIST)
                break;
        }
    }
    if (linked.empty() ||
        renameat(recording.folder, linked.c_str(), recording.folder, recording.name.c_str()) != 0) {
        const int error = errno;
        if (!linked.empty() && recording.ownName.empty())
            unlinkat(recording.folder, linked.c_str(), 0);
        errno = error;
        stopRecording("put in its place");
        return;
    }
    recording.inPlace = true;
}

// Writes what is pending in one go. Should the disk refuse part of it, the file is cut back to
// the last whole second, which checks ok, and the drive goes on unrecorded.
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
            const int error = n < 0 ? errno : ENOSPC;
            if (ftruncate(recording.fd, recording.whole) == 0)
                fsync(recording.fd);
            errno = error;
            stopRecording("written");
            break;
        }
        written += static_cast<size_t>(n);
    }
    recording.whole += static_cast<off_t>(written);
    recording.pending.clear();
}

void putCheckpoint(const GameState& game)
{
    appendCheckpoint(recording.pending, checkpointOf(recording.frames, game));
}

// The end of the game, however it comes (Escape, Quit, the close box, a signal that ends it):
// the state where the drive stands (its picture may be gone with the window), and the end. A
// drive of less than a second takes the file's place only where it held no drive before.
void finishRecording()
{
    if (recording.fd < 0)
        return;
    appendEnd(recording.pending, recording.frames, gameStateDigest(*recording.game));
    writePending();
    if (recording.fd >= 0 && !recording.inPlace && recording.oldDrive) {
        say("the drive lasted less than a second: " + recording.path + " keeps the drive it held");
        if (!recording.ownName.empty())
            unlinkat(recording.folder, recording.ownName.c_str(), 0);
    } else {
        putInPlace();
    }
    if (recording.fd >= 0)
        close(recording.fd);
    recording.fd = -1;
}

// Every signal that would end the game ends it as it would have, once the recording is
// finished: looked for a few times a second, whatever the game is doing (also hidden, or a
// wreck).
constexpr int kEndingSignals[] = {SIGHUP,  SIGINT,  SIGQUIT, SIGTERM, SIGUSR1,   SIGUSR2,
                                  SIGALRM, SIGPIPE, SIGXCPU, SIGXFSZ, SIGVTALRM, SIGPROF};
volatile sig_atomic_t endingSignal = 0;

void noteEndingSignal(int signal)
{
    endingSignal = signal;
}

void finishIfEnding(int)
{
    if (const int signal = endingSignal) {
        finishRecording();
        ::signal(signal, SIG_DFL);
        raise(signal);
    }
    glutTimerFunc(100, finishIfEnding, 0);
}

}  // namespace

uint64_t pictureDigest()
{
    // Read as RGBA, which every GL reads (the browser's reads nothing else), and digested as RGB.
    static std::vector<unsigned char> pixels;  // kept: a read every second costs no allocation
    const size_t count = static_cast<size_t>(viewportWidth) * viewportHeight;
    pixels.resize(count * 4);
    glReadPixels(0, pictureDrawnBottom, viewportWidth, viewportHeight, GL_RGBA, GL_UNSIGNED_BYTE,
                 pixels.data());
    for (size_t i = 0; i < count; ++i) {
        pixels[3 * i] = pixels[4 * i];
        pixels[3 * i + 1] = pixels[4 * i + 1];
        pixels[3 * i + 2] = pixels[4 * i + 2];
    }
    return digestOf(pixels.data(), count * 3);
}

ReplayHeader thisGamesHeader()
{
    ReplayHeader header;
    header.gameVersion = TARVELO_VERSION;
    header.picturesDigest = picturesDigest;
    header.renderer = glText(GL_RENDERER);
    header.rendererVersion = glText(GL_VERSION);
    return header;
}

Checkpoint checkpointOf(uint32_t frames, const GameState& game)
{
    return {frames, static_cast<uint16_t>(viewportWidth), static_cast<uint16_t>(viewportHeight),
            gameStateDigest(game), pictureDigest()};
}

std::optional<std::string> openRecording(const std::string& path)
{
    const size_t slash = path.rfind('/');
    const std::string folderPath = slash == std::string::npos ? "."
                                   : slash == 0               ? "/"
                                                              : path.substr(0, slash);
    recording.name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (recording.name.empty())
        return refusal(path, std::strerror(EISDIR));
    recording.folder = open(folderPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (recording.folder < 0)
        return refusal(path, std::strerror(errno));
    if (const std::string why = whyNotTheFile(recording.folder, recording.name); !why.empty())
        return refusal(path, why);
    struct stat folder {};
    if (fstat(recording.folder, &folder) != 0 || !holdTheFilesName(folder, recording.name))
        return refusal(path, "another game is recording into it");
    recording.fd = openNewDrive(folderPath);
    if (recording.fd < 0)
        return refusal(path, std::strerror(errno));
    recording.path = path;
    return std::nullopt;
}

void beginRecording(const GameState& game)
{
    if (recording.fd < 0)
        return;
    recording.game = &game;
    appendHeader(recording.pending, thisGamesHeader());
    writePending();
    std::atexit(finishRecording);
    struct sigaction action {};
    action.sa_handler = noteEndingSignal;
    for (const int signal : kEndingSignals) {
        // A signal ignored by whoever started the game (nohup's hangup) stays ignored.
        struct sigaction before {};
        if (sigaction(signal, nullptr, &before) == 0 && before.sa_handler != SIG_IGN)
            sigaction(signal, &action, nullptr);
    }
    glutTimerFunc(100, finishIfEnding, 0);
}

void recordStep(const std::vector<Command>& applied, bool framePlayed, const GameState& game)
{
    if (recording.fd < 0)
        return;
    for (const Command& command : applied)
        appendCommand(recording.pending, command);
    if (!framePlayed)
        return;
    recording.pending.push_back(kFrameRecord);
    recording.frames += 1;
    if (recording.frames % kFramesPerCheckpoint == 0) {
        putCheckpoint(game);
        writePending();
        putInPlace();  // a whole second: the new drive may replace an old one
    }
}
