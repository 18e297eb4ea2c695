// The best lap on disk: a lap's drive read back with its times, every file that cannot be one
// left out with one warning, and a new best that takes the old one's place by a rename, or
// leaves it as it was. No window.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "drives/BestLap.h"

namespace {

namespace fs = std::filesystem;

std::vector<unsigned char> bytesOf(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const std::string& path, const std::vector<unsigned char>& bytes)
{
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

class BestLapTest : public testing::Test {
protected:
    std::string folder;
    const std::string lap = TARVELO_REPLAY_DIR "/lap_clean.rec";

    void SetUp() override
    {
        char name[] = "/tmp/tarvelo-best-lap-XXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        folder = name;
    }
    void TearDown() override { fs::remove_all(folder); }

    // The files in the test's folder, by name.
    std::vector<std::string> filesThere(const std::string& where)
    {
        std::vector<std::string> names;
        for (const fs::directory_entry& entry : fs::directory_iterator(where))
            names.push_back(entry.path().filename().string());
        return names;
    }
};

TEST_F(BestLapTest, ALapsDriveGivesItsTimesAndAnyOtherFileIsOneWarningAndLeftOut)
{
    testing::internal::CaptureStderr();
    const std::optional<BestLap> best = readBestLap(lap);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    ASSERT_TRUE(best);
    EXPECT_EQ(best->times.frames, 530u);  // 8.83 seconds
    EXPECT_EQ(best->lapStart, 22u);       // the frames from the switch to gate 1
    for (int gate = 1; gate < kGateCount; ++gate)
        EXPECT_GT(best->times.atGate[gate], best->times.atGate[gate - 1]);

    const std::vector<unsigned char> good = bytesOf(lap);
    std::vector<unsigned char> cut(good.begin(), good.begin() + good.size() / 2);
    std::vector<unsigned char> otherState = good;
    otherState[otherState.size() - 2] ^= 1;  // the last state's digest
    struct File {
        const char* what;
        std::vector<unsigned char> bytes;
        const char* reason;
    };
    const File files[] = {
        {"a note", {'b', 'e', 's', 't', '\n'}, "not a recorded drive of this game"},
        {"a drive cut short", cut, "cut off"},
        {"a lap ending elsewhere", otherState, "differs at frame 552 (state)"},
        {"a free drive", bytesOf(TARVELO_REPLAY_DIR "/crates_north.rec"),
         "does not end with a lap of the time trial"},
    };
    for (const File& file : files) {
        const std::string path = folder + "/best-lap.rec";
        writeFile(path, file.bytes);
        testing::internal::CaptureStderr();
        EXPECT_FALSE(readBestLap(path)) << file.what;
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(said.rfind("tarvelo: best lap " + path + ": ", 0), 0u) << said;
        EXPECT_NE(said.find(file.reason), std::string::npos) << said;
        EXPECT_EQ(said.find('\n'), said.size() - 1) << file.what << ": one line, " << said;
    }
    testing::internal::CaptureStderr();
    EXPECT_FALSE(readBestLap(folder + "/none.rec"));  // none kept yet: nothing to say
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST_F(BestLapTest, ANewBestTakesTheOldOnesPlaceWholeOrNotAtAll)
{
    const std::string path = folder + "/data/tarvelo/best-lap.rec";  // folders made as needed
    const std::vector<unsigned char> old = {'o', 'l', 'd'};
    ASSERT_TRUE(writeBestLap(path, old));
    EXPECT_EQ(bytesOf(path), old);

    // A file too large to be written (the process's file size limit, as a full disk would)
    // leaves the old best, and no half-written file beside it.
    const std::vector<unsigned char> lapBytes = bytesOf(lap);
    rlimit before{};
    getrlimit(RLIMIT_FSIZE, &before);
    rlimit small = before;
    small.rlim_cur = 1000;
    const sighandler_t was = signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    testing::internal::CaptureStderr();
    const bool written = writeBestLap(path, lapBytes);
    const std::string said = testing::internal::GetCapturedStderr();
    setrlimit(RLIMIT_FSIZE, &before);
    signal(SIGXFSZ, was);
    EXPECT_FALSE(written);
    EXPECT_NE(said.find("the file is as it was"), std::string::npos) << said;
    EXPECT_EQ(bytesOf(path), old);
    EXPECT_EQ(filesThere(folder + "/data/tarvelo"), std::vector<std::string>{"best-lap.rec"});

    ASSERT_TRUE(writeBestLap(path, lapBytes));
    EXPECT_EQ(bytesOf(path), lapBytes);
    EXPECT_EQ(filesThere(folder + "/data/tarvelo"), std::vector<std::string>{"best-lap.rec"});
}

TEST(BestLapFileTest, TheBestLapIsKeptInTheDataFolder)
{
    const char* home = std::getenv("HOME");
    const std::string homeWas = home ? home : "";
    setenv("XDG_DATA_HOME", "/somewhere/data", 1);
    EXPECT_EQ(bestLapFile(), "/somewhere/data/tarvelo/best-lap.rec");
    setenv("XDG_DATA_HOME", "relative/data", 1);  // ignored, as a relative one is to be
    setenv("HOME", "/home/player", 1);
    EXPECT_EQ(bestLapFile(), "/home/player/.local/share/tarvelo/best-lap.rec");
    unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(bestLapFile(), "/home/player/.local/share/tarvelo/best-lap.rec");
    if (home)
        setenv("HOME", homeWas.c_str(), 1);
}

}  // namespace
