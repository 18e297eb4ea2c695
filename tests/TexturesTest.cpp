// Tests of the texture loading: the ten pictures in their fixed texture names, pictures of any
// width, and the end of the game, in one line naming the picture, when one is missing, broken,
// too large for the graphics driver, or no plain file at all.
#include <GL/gl.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "BmpBuilder.h"
#include "GlHarness.h"
#include "assets/BmpReader.h"
#include "assets/Textures.h"

namespace {

namespace fs = std::filesystem;

struct TempFolder {
    TempFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "tarvelo-textures-XXXXXX").string();
        path = mkdtemp(pattern.data());
    }
    explicit TempFolder(const fs::path& fixed) : path(fixed)  // made afresh
    {
        fs::remove_all(path);
        fs::create_directories(path);
    }
    ~TempFolder() { fs::remove_all(path); }
    fs::path path;
};

std::string fileText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeFile(const fs::path& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

// A folder holding a copy of the game's ten pictures (from the source tree), each of
// which a test may replace.
struct PictureFolder : TempFolder {
    PictureFolder() { copyPictures(); }
    explicit PictureFolder(const fs::path& fixed) : TempFolder(fixed) { copyPictures(); }
    void copyPictures()
    {
        for (int k = 0; k < kTextureCount; ++k)
            fs::copy_file(fs::path(harness::dataFolder()) / textureFiles[k],
                          path / textureFiles[k]);
    }
    // The picture's place, emptied for whatever the test puts there.
    fs::path place(const char* file) const
    {
        fs::remove(path / file);
        return path / file;
    }
};

// A complete 24-bit picture of `width` x `height` grey pixels.
std::vector<uint8_t> greyPicture(int32_t width, int32_t height)
{
    BmpBuilder bmp;
    bmp.infoHeader(width, height, 24).pixelsStartHere();
    const std::vector<uint8_t> row(static_cast<size_t>(width) * 3, 0x80);
    for (int32_t y = 0; y < height; ++y)
        bmp.row(row);
    return bmp.asFile();
}

GLint largestTextureSide()
{
    GLint largest = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    return largest;
}

// The refusal of a picture too large for this test's graphics driver (the game's is the same).
std::string tooLarge(int64_t width, int64_t height)
{
    const std::string largest = std::to_string(largestTextureSide());
    return "The picture is " + std::to_string(width) + " x " + std::to_string(height) +
           " pixels, larger than the graphics driver takes (at most " + largest + " x " + largest +
           ").";
}

// The texture named 13 + slot must hold exactly the picture of `file`: size, filters and texels.
void expectTextureHolds(TextureSlot slot, const std::string& folder, const char* file)
{
    SCOPED_TRACE(file);
    const std::optional<DecodedImage> image = readBmpFile(folder, file).image;
    ASSERT_TRUE(image);
    glBindTexture(GL_TEXTURE_2D, textureName(slot));
    GLint width = 0, height = 0, minFilter = 0, magFilter = 0, format = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
    EXPECT_EQ(width, image->width);
    EXPECT_EQ(height, image->height);
    EXPECT_TRUE(format == 3 || format == GL_RGB || format == GL_RGB8)
        << "internal format 0x" << std::hex << format;
    EXPECT_EQ(minFilter, GL_LINEAR);
    EXPECT_EQ(magFilter, GL_LINEAR);

    const size_t bytes = static_cast<size_t>(image->width) * image->height * 3;
    std::vector<unsigned char> texels(bytes + 4, 0xEE);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
    size_t differing = 0;
    for (size_t i = 0; i < bytes; ++i)
        differing += texels[i] != image->pixels[i];
    EXPECT_EQ(differing, 0u) << "of " << bytes << " texel bytes";
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(Textures, TheTenFilesLiveInTextureNames13To22)
{
    // The harness's start-up has loaded them from data/, the working folder.
    for (int k = 0; k < kTextureCount; ++k)
        expectTextureHolds(static_cast<TextureSlot>(k), harness::dataFolder(), textureFiles[k]);
    harness::runFrame();
}

// Pictures whose rows are not a multiple of 4 bytes long still upload texel for texel.
TEST(Textures, PicturesOfAnyWidthUploadUnchanged)
{
    TempFolder folder;
    for (int k = 0; k < kTextureCount; ++k) {
        const int width = 1 + k, height = 1 + k % 3;
        BmpBuilder bmp;
        bmp.infoHeader(width, height, 24).pixelsStartHere();
        for (int row = 0; row < height; ++row) {
            std::vector<uint8_t> bytes;
            for (int x = 0; x < width; ++x)
                bytes.insert(bytes.end(),
                             {static_cast<uint8_t>(x * 20), static_cast<uint8_t>(row * 60),
                              static_cast<uint8_t>(200 - k * 10)});
            bmp.row(bytes);
        }
        const std::vector<uint8_t> file = bmp.asFile();
        std::ofstream(folder.path / textureFiles[k], std::ios::binary)
            .write(reinterpret_cast<const char*>(file.data()),
                   static_cast<std::streamsize>(file.size()));
    }
    testing::internal::CaptureStdout();
    loadTextures(folder.path.string());
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "\n Loading textures...\n");
    for (int k = 0; k < kTextureCount; ++k)
        expectTextureHolds(static_cast<TextureSlot>(k), folder.path.string(), textureFiles[k]);

    // Back to the game's own pictures for whatever runs next.
    testing::internal::CaptureStdout();
    loadTextures(harness::dataFolder());
    testing::internal::GetCapturedStdout();
    GLint alignment = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    EXPECT_EQ(alignment, 4) << "the loader leaves OpenGL's default unpack alignment behind";
    harness::runFrame();
}

struct GameRun {
    int status = -1;  // exit status, or -1 when it did not end by itself within the time
    std::string out, err;
};

// Runs the real game from `folder` on this test's X server, with a time limit.
GameRun runGameIn(const fs::path& folder,
                  std::chrono::milliseconds limit = std::chrono::milliseconds(30000))
{
    const fs::path outPath = folder / "stdout.txt", errPath = folder / "stderr.txt";
    const pid_t child = fork();
    if (child == 0) {
        const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (chdir(folder.c_str()) != 0 || out < 0 || err < 0 || dup2(out, 1) < 0 ||
            dup2(err, 2) < 0)
            _exit(127);
        // The folder given as "." even when Car.bmp is the picture missing from it.
        execl(TARVELO_GAME_PATH, TARVELO_GAME_PATH, "--data", ".", static_cast<char*>(nullptr));
        _exit(127);
    }
    GameRun run;
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            status = -1;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (status != -1 && WIFEXITED(status))
        run.status = WEXITSTATUS(status);
    run.out = fileText(outPath);
    run.err = fileText(errPath);
    return run;
}

// The game ended with status 1 right after the textures' progress line, and its only words on
// stderr were the line about `file` in the working folder.
void expectEndedOn(const GameRun& run, const char* file, const std::string& message)
{
    EXPECT_EQ(run.status, 1) << "-1: still running at the time limit, or ended by a signal";
    EXPECT_EQ(run.err, "tarvelo: " + std::string(file) + " in .: " + message + "\n");
    const std::string progress = "\n Loading textures...\n";
    ASSERT_GE(run.out.size(), progress.size()) << run.out;
    EXPECT_EQ(run.out.substr(run.out.size() - progress.size()), progress)
        << "nothing may follow the textures' progress line:\n"
        << run.out;
}

TEST(Textures, AMissingFileEndsTheGameAfterOneErrorLineNamingIt)
{
    for (int missing = 0; missing < kTextureCount; ++missing) {
        SCOPED_TRACE(textureFiles[missing]);
        PictureFolder folder;
        folder.place(textureFiles[missing]);
        expectEndedOn(runGameIn(folder.path), textureFiles[missing],
                      std::string("Failed to open DIB file ") + textureFiles[missing] + ".");
    }
}

// A header may announce any size: what the driver cannot take is refused before it is decoded
// or uploaded, naming its size; the largest the driver takes still loads.
TEST(Textures, PicturesTooLargeForTheDriverEndTheGameStatingTheirSize)
{
    const GLint largest = largestTextureSide();
    ASSERT_GT(largest, 0);
    {
        SCOPED_TRACE("Roof.bmp, its run-length header changed to 40,000,000 x 1");
        PictureFolder folder;
        std::vector<uint8_t> roof;
        for (const char c : fileText(fs::path(harness::dataFolder()) / "Roof.bmp"))
            roof.push_back(static_cast<uint8_t>(c));
        BmpBuilder size;
        size.u32(40000000).u32(1);
        const std::vector<uint8_t> sizeBytes = size.asBareDib();
        std::copy(sizeBytes.begin(), sizeBytes.end(), roof.begin() + 18);  // biWidth, biHeight
        writeFile(folder.place("Roof.bmp"), roof);
        expectEndedOn(runGameIn(folder.path), "Roof.bmp", tooLarge(40000000, 1));
    }
    for (const bool wide : {true, false}) {
        const int32_t width = wide ? largest + 1 : 1, height = wide ? 1 : largest + 1;
        SCOPED_TRACE("Road.bmp, " + std::to_string(width) + " x " + std::to_string(height));
        PictureFolder folder;
        writeFile(folder.place("Road.bmp"), greyPicture(width, height));
        expectEndedOn(runGameIn(folder.path), "Road.bmp", tooLarge(width, height));
    }

    PictureFolder widest;
    writeFile(widest.place("Road.bmp"), greyPicture(largest, 1));
    testing::internal::CaptureStderr();
    loadTextures(widest.path.string());
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    glBindTexture(GL_TEXTURE_2D, textureName(kRoadTexture));
    GLint width = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    EXPECT_EQ(width, largest);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    loadTextures(harness::dataFolder());  // the game's own pictures again for whatever runs next
    harness::runFrame();
}

// Neither a pipe that nobody writes to nor a device is read: each ends the game at once. A game
// that waited on the pipe, or read the device, would never end: the usual 30 s is its backstop,
// so that a loaded machine's slow start is not taken for a wait.
TEST(Textures, PipesAndDevicesInPlaceOfAPictureEndTheGameAtOnce)
{
    {
        SCOPED_TRACE("a named pipe as Logo.bmp");
        PictureFolder folder;
        ASSERT_EQ(mkfifo(folder.place("Logo.bmp").c_str(), 0644), 0);
        expectEndedOn(runGameIn(folder.path), "Logo.bmp", "Failed to open DIB file Logo.bmp.");
    }
    {
        SCOPED_TRACE("Car.bmp, a link to /dev/zero");
        PictureFolder folder;
        fs::create_symlink("/dev/zero", folder.place("Car.bmp"));
        expectEndedOn(runGameIn(folder.path), "Car.bmp", "Failed to open DIB file Car.bmp.");
    }
}

// Broken contents end the game with the reader's message and the picture's name.
TEST(Textures, BrokenPicturesEndTheGameNamingTheFile)
{
    struct Case {
        const char* file;
        std::vector<uint8_t> bytes;
        const char* message;
    };
    std::vector<uint8_t> water;
    for (const char c : fileText(fs::path(harness::dataFolder()) / "Water.bmp"))
        water.push_back(static_cast<uint8_t>(c));
    water.resize(water.size() / 2);
    std::mt19937 random(14);  // the same bytes in every run
    std::vector<uint8_t> noise(4096);
    for (uint8_t& byte : noise)
        byte = static_cast<uint8_t>(random());
    BmpBuilder newer;  // saved with the 108-byte header of newer programs
    newer.headerOfSize(108, 128, 64, 24).pixelsStartHere();
    newer.raw(std::vector<uint8_t>(128 * 64 * 3, 0x40));
    const Case cases[] = {
        {"Water.bmp", water, "Image file conversion error."},
        {"Dirt.bmp", {}, "Failed to open DIB file Dirt.bmp."},
        {"Bricks.bmp", noise, "Unknown DIB file format."},
        {"New.bmp", newer.asFile(), "Unknown DIB file format."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        PictureFolder folder;
        writeFile(folder.place(c.file), c.bytes);
        expectEndedOn(runGameIn(folder.path), c.file, c.message);
    }
}

// The line names the folder exactly as the loader was given it.
TEST(Textures, TheErrorLineNamesTheFolderAsGiven)
{
    testing::FLAGS_gtest_death_test_style = "threadsafe";  // the child opens its own window
    // The child runs this test again: it must find the folder under the same name, beside the
    // game in the build folder.
    PictureFolder folder(fs::path(TARVELO_GAME_PATH).parent_path() / "TexturesTest-pictures");
    writeFile(folder.place("Quit.bmp"), {'B', 'M', 1, 2, 3});
    const std::string given = folder.path.string() + "/./";
    EXPECT_EXIT(loadTextures(given), testing::ExitedWithCode(1),
                testing::Eq("tarvelo: Quit.bmp in " + given + ": Image file conversion error.\n"));
}

}  // namespace
