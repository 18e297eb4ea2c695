// Reading BMP pictures into packed RGB rows, bottom row first, ready for a texture upload.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

// One decoded picture. Needs no GL: the texture loader uploads it.
struct DecodedImage {
    int32_t width = 0;   // pixels per row, at least 1
    int32_t height = 0;  // rows, at least 1 (also for pictures stored top row first)
    std::unique_ptr<unsigned char[]> pixels;  // width x height x 3 bytes: red, green, blue;
                                              // bottom row first, rows unpadded
};

// Larger pictures are refused: no texture of the game comes near.
constexpr size_t kMaxDecodedBytes = size_t{256} << 20;

// Decode one BMP file; on failure one "Error" line on stderr and nothing back.
std::optional<DecodedImage> readBmpFile(const char* fileName);
// Decode the bytes of a BMP file; nullptr, or the message of the failure.
const char* decodeBmp(const unsigned char* bytes, size_t size, DecodedImage& image);
// Colour-table entries of a DIB header (12 bytes readable for size 12, else 40).
uint16_t paletteEntryCount(const unsigned char* dibHeader);
