// Tests of the texture loading: the ten pictures in their fixed texture names, pictures of any
// width, and the end of the game when a texture file is missing.
#include <GL/gl.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
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

// The texture named 13 + slot must hold exactly the picture of `file`: size, filters and texels.
void expectTextureHolds(TextureSlot slot, const char* file)
{
    SCOPED_TRACE(file);
    const std::optional<DecodedImage> image = readBmpFile(file);
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
        expectTextureHolds(static_cast<TextureSlot>(k), textureFiles[k]);
    harness::runFrame();
}

// Pictures whose rows are not a multiple of 4 bytes long still upload texel for texel.
TEST(Textures, PicturesOfAnyWidthUploadUnchanged)
{
    const fs::path data = fs::current_path();
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
    fs::current_path(folder.path);
    testing::internal::CaptureStdout();
    loadTextures(".");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "\n Loading textures...\n");
    for (int k = 0; k < kTextureCount; ++k)
        expectTextureHolds(static_cast<TextureSlot>(k), textureFiles[k]);

    // Back to the game's own pictures for whatever runs next.
    fs::current_path(data);
    testing::internal::CaptureStdout();
    loadTextures(".");
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
GameRun runGameIn(const fs::path& folder)
{
    const fs::path outPath = folder / "stdout.txt", errPath = folder / "stderr.txt";
    const pid_t child = fork();
    if (child == 0) {
        const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (chdir(folder.c_str()) != 0 || out < 0 || err < 0 || dup2(out, 1) < 0 ||
            dup2(err, 2) < 0)
            _exit(127);
        execl(TARVELO_GAME_PATH, TARVELO_GAME_PATH, static_cast<char*>(nullptr));
        _exit(127);
    }
    GameRun run;
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
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

TEST(Textures, AMissingFileEndsTheGameAfterOneErrorLineNamingIt)
{
    const fs::path data = fs::current_path();
    for (int missing = 0; missing < kTextureCount; ++missing) {
        SCOPED_TRACE(textureFiles[missing]);
        TempFolder folder;
        for (int k = 0; k < kTextureCount; ++k)
            if (k != missing)
                fs::copy_file(data / textureFiles[k], folder.path / textureFiles[k]);
        const GameRun run = runGameIn(folder.path);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err,
                  std::string("Error: Failed to open DIB file ./") + textureFiles[missing] + ".\n");
        const std::string progress = "\n Loading textures...\n";
        ASSERT_GE(run.out.size(), progress.size()) << run.out;
        EXPECT_EQ(run.out.substr(run.out.size() - progress.size()), progress)
            << "nothing may follow the textures' progress line:\n"
            << run.out;
    }
}

}  // namespace
