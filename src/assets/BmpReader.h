// Reading BMP pictures into packed RGB rows, bottom row first, ready for a texture upload.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

// One decoded picture. Needs no GL: the texture loader uploads it.
struct DecodedImage {
    int32_t width = 0;                        // pixels per row, at least 1
    int32_t height = 0;                       // rows, at least 1 (also for pictures stored top row first)
    std::unique_ptr<unsigned char[]> pixels;  // width x height x 3 bytes: red, green, blue; bottom row first, rows unpadded
};

constexpr size_t kMaxDecodedBytes = size_t{256} << 20;  // larger pictures are refused: no texture of the game comes near

std::optional<DecodedImage> readBmpFile(const char* fileName);  // decode one BMP file; on failure one "Error" line on stderr and nothing back
const char* decodeBmp(const unsigned char* bytes, size_t size, DecodedImage& image);  // decode a BMP file's bytes; nullptr, or the failure's message
uint16_t paletteEntryCount(const unsigned char* dibHeader);  // colour-table entries of a DIB header (12 bytes readable for size 12, else 40)
