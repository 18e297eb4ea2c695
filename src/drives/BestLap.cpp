// The best lap on disk: found, read and checked, and written anew by a rename; and the time
// trial's drive kept in memory until a lap is the best.
#include "drives/BestLap.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "base/PlainFile.h"
#include "base/Program.h"
#include "drives/DriveCheck.h"
#include "drives/Recording.h"

namespace {

// The time trial's drive as it goes: the header and every record since the switch.
struct LapKeeper {
    bool keeping = false;
    std::vector<unsigned char> bytes;
    uint32_t frames = 0;
};
LapKeeper keeper;

std::string warningAbout(const std::string& path, const std::string& why)
{
    return "best lap " + path + ": " + why;
}

// The folder and those above it made where missing, as the data folders are: for the player
// alone.
bool makeFolder(const std::string& folder)
{
    for (size_t at = 1; at <= folder.size(); ++at) {
        if (at < folder.size() && folder[at] != '/')
            continue;
        const std::string part = folder.substr(0, at);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
    }
    return true;
}

bool writeAll(int fd, const std::vector<unsigned char>& bytes)
{
    size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC;
            return false;
        }
        written += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

std::string bestLapFile()
{
    return playerFile("XDG_DATA_HOME", ".local/share", "best-lap.rec");
}

std::optional<BestLap> lapOfDrive(Replay drive, std::string& why)
{
    if (!drive.finished) {
        why = "the drive does not end";
        return std::nullopt;
    }
    GameState state;
    uint32_t frames = 0;
    if (const std::string differs = checkDriveStates(drive, state, frames); !differs.empty()) {
        why = "the drive " + differs + " from this game's rules";
        return std::nullopt;
    }
    const TimeTrial& trial = state.trial;
    if (!trial.on || trial.lapsDone == 0 || trial.lastPassed != kFinishPassed ||
        trial.sincePassed != 0) {
        why = "the drive does not end with a lap of the time trial";
        return std::nullopt;
    }
    BestLap lap;
    lap.drive = std::move(drive);
    lap.times = trial.lastLap;
    lap.lapStart = frames - trial.lastLap.frames;
    return lap;
}

std::optional<BestLap> readBestLap(const std::string& path)
{
    struct stat status {};
    if (path.empty() || (lstat(path.c_str(), &status) != 0 && errno == ENOENT))
        return std::nullopt;  // no lap kept yet
    std::string why;
    std::optional<Replay> drive = readReplayFile(path, why);
    std::optional<BestLap> lap = drive ? lapOfDrive(std::move(*drive), why) : std::nullopt;
    if (!lap)
        say(warningAbout(path, why + "; it is left out, and the next best lap replaces it"));
    return lap;
}

bool writeBestLap(const std::string& path, const std::vector<unsigned char>& bytes)
{
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);
    std::string newFile = folder + "/.best-lap.rec.XXXXXX";
    int fd = -1;
    const bool written = makeFolder(folder) && (fd = mkostemp(newFile.data(), O_CLOEXEC)) >= 0 &&
                         writeAll(fd, bytes) && fsync(fd) == 0;
    const int error = errno;
    if (fd >= 0)
        close(fd);
    if (written && std::rename(newFile.c_str(), path.c_str()) == 0) {
        const int folderFd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (folderFd >= 0) {
            fsync(folderFd);  // the rename itself on the disk
            close(folderFd);
        }
        return true;
    }
    const int why = written ? errno : error;
    if (fd >= 0)
        unlink(newFile.c_str());
    say(warningAbout(path, std::string("the new best could not be kept (") + std::strerror(why) +
                               "); the file is as it was"));
    return false;
}

void keepLapDrive(const std::vector<Command>& applied, bool framePlayed, const GameState& game)
{
    for (const Command& command : applied) {
        if (command.kind == Command::Kind::Act && command.action == Action::TimeTrial) {
            keeper.keeping = !keeper.keeping;
            keeper.bytes.clear();
            keeper.frames = 0;
            if (keeper.keeping)
                appendHeader(keeper.bytes, thisGamesHeader());
        }
        if (keeper.keeping)
            appendCommand(keeper.bytes, command);
    }
    // A switch this keeper did not see (a shown drive's) leaves nothing to keep until the next.
    if (keeper.keeping && !game.trial.on)
        keeper.keeping = false;
    if (!keeper.keeping || !framePlayed)
        return;
    keeper.bytes.push_back(kFrameRecord);
    keeper.frames += 1;
    if (keeper.frames % kFramesPerCheckpoint == 0)
        appendCheckpoint(keeper.bytes, checkpointOf(keeper.frames, game));
    if (keeper.bytes.size() > kLargestDrive - kFramesPerCheckpoint * 64) {
        say("the time trial has gone on too long to keep its laps: t twice starts it afresh");
        keeper.keeping = false;
    }
}

std::vector<unsigned char> keptLapDrive(const GameState& game)
{
    if (!keeper.keeping)
        return {};
    std::vector<unsigned char> file = keeper.bytes;
    appendEnd(file, keeper.frames, gameStateDigest(game));
    return file;
}
