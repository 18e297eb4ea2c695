// Reading BMP pictures into packed RGB rows, bottom row first, ready for a texture upload.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

// One decoded picture. Needs no GL: the texture loader uploads it.
struct DecodedImage {
    int32_t width = 0;   // pixels per row, at least 1
    int32_t height = 0;  // rows, at least 1 (also for pictures stored top row first)
    std::unique_ptr<unsigned char[]> pixels;  // width x height x 3 bytes: red, green, blue;
                                              // bottom row first, rows unpadded
};

// What reading one picture gave: the picture, or the one-line message of why not.
struct BmpReading {
    std::optional<DecodedImage> image;
    std::string failure;  // empty when the picture came back; no line end
};

// Asked with a picture's width and height (both at least 1) before any pixel is decoded or
// memory is taken for it: empty to go on, else the message that refuses the picture.
using SizeCheck = std::function<std::string(int32_t width, int32_t height)>;

// Larger pictures are refused: no texture of the game comes near.
constexpr size_t kMaxDecodedBytes = size_t{256} << 20;

// Decode the BMP file `file` in `folder`; only plain files are opened, and never waited for.
BmpReading readBmpFile(const std::string& folder, const std::string& file,
                       const SizeCheck& fits = nullptr);
// Decode the bytes of a BMP file; empty, or the message of the failure.
std::string decodeBmp(const unsigned char* bytes, size_t size, DecodedImage& image,
                      const SizeCheck& fits = nullptr);
// Colour-table entries of a DIB header (12 bytes readable for size 12, else 40).
uint16_t paletteEntryCount(const unsigned char* dibHeader);
