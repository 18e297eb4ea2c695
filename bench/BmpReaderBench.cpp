// Benchmark of the BMP reader: 2048 x 2048 pictures (24-bit and 8-bit palette) decoded from files
// by the game's reader and by stb_image, and a plain copy of the same output size, in one run.
// Each reports output bytes per second; the reader aims at twice stb_image's rate on both.
#include <benchmark/benchmark.h>
#include <stb_image.h>
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "BmpBuilder.h"
#include "assets/BmpReader.h"

namespace {

namespace fs = std::filesystem;

constexpr int kSide = 2048;
constexpr int64_t kOutputBytes = int64_t{kSide} * kSide * 3;

std::vector<uint8_t> trueColourPicture()
{
    BmpBuilder bmp;
    bmp.infoHeader(kSide, kSide, 24).pixelsStartHere();
    std::vector<uint8_t> row(kSide * 3);
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            row[x * 3] = static_cast<uint8_t>(x ^ y);
            row[x * 3 + 1] = static_cast<uint8_t>(x + 2 * y);
            row[x * 3 + 2] = static_cast<uint8_t>(x * y >> 4);
        }
        bmp.row(row);
    }
    return bmp.asFile();
}

std::vector<uint8_t> palettePicture()
{
    BmpBuilder bmp;
    bmp.infoHeader(kSide, kSide, 8);
    for (int i = 0; i < 256; ++i)
        bmp.quad(static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i),
                 static_cast<uint8_t>(i * 7));
    bmp.pixelsStartHere();
    std::vector<uint8_t> row(kSide);
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x)
            row[x] = static_cast<uint8_t>((x / 3) ^ (y / 5));
        bmp.row(row);
    }
    return bmp.asFile();
}

void readerDecode(benchmark::State& state, const std::string& path)
{
    const fs::path file(path);
    const std::string folder = file.parent_path().string(), name = file.filename().string();
    for (auto _ : state) {
        const BmpReading reading = readBmpFile(folder, name);
        const std::optional<DecodedImage>& image = reading.image;
        if (!image) {
            state.SkipWithError("the reader refused the picture");
            return;
        }
        benchmark::DoNotOptimize(image->pixels.get());
    }
    state.SetBytesProcessed(state.iterations() * kOutputBytes);
}

void stbDecode(benchmark::State& state, const std::string& path)
{
    for (auto _ : state) {
        int width = 0, height = 0, channels = 0;
        stbi_uc* pixels = stbi_load(path.c_str(), &width, &height, &channels, 3);
        if (!pixels) {
            state.SkipWithError("stb_image refused the picture");
            return;
        }
        benchmark::DoNotOptimize(pixels);
        stbi_image_free(pixels);
    }
    state.SetBytesProcessed(state.iterations() * kOutputBytes);
}

// The speed of light: one copy of an output's size between two buffers already in memory.
void plainCopy(benchmark::State& state)
{
    std::vector<unsigned char> from(kOutputBytes, 1), to(kOutputBytes, 0);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), from.size());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kOutputBytes);
}

void writeFile(const fs::path& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

int main(int argc, char** argv)
{
    std::string pattern = (fs::temp_directory_path() / "tarvelo-bench-XXXXXX").string();
    const fs::path folder = mkdtemp(pattern.data());
    const std::string trueColour = (folder / "rgb24.bmp").string();
    const std::string palette = (folder / "pal8.bmp").string();
    writeFile(trueColour, trueColourPicture());
    writeFile(palette, palettePicture());

    benchmark::RegisterBenchmark("Reader/24bit", readerDecode, trueColour)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("StbImage/24bit", stbDecode, trueColour)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Reader/8bitPalette", readerDecode, palette)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("StbImage/8bitPalette", stbDecode, palette)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Memcpy/sameOutputSize", plainCopy)->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    fs::remove_all(folder);
    return 0;
}
