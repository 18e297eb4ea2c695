// BMP files put together byte by byte (headers, colour tables, rows), so that every case shows
// what its file says: the reader's tests and its benchmark build their pictures with it, and the
// texture generator (tools/make_textures.cpp) writes the game's ten pictures with it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class BmpBuilder {
public:
    // A 40-byte BITMAPINFOHEADER; sizeImage and the resolutions stay as given (0 and 72 dpi).
    BmpBuilder& infoHeader(int32_t width, int32_t height, uint16_t bitCount,
                           uint32_t compression = 0, uint32_t clrUsed = 0, uint32_t sizeImage = 0)
    {
        u32(40).u32(static_cast<uint32_t>(width)).u32(static_cast<uint32_t>(height));
        u16(1).u16(bitCount);
        return u32(compression).u32(sizeImage).u32(2835).u32(2835).u32(clrUsed).u32(0);
    }
    // A 12-byte BITMAPCOREHEADER.
    BmpBuilder& coreHeader(uint16_t width, uint16_t height, uint16_t bitCount)
    {
        return u32(12).u16(width).u16(height).u16(1).u16(bitCount);
    }
    // A header of another size (the 108- and 124-byte versions): info fields, then zeros.
    BmpBuilder& headerOfSize(uint32_t size, int32_t width, int32_t height, uint16_t bitCount)
    {
        const size_t start = bytes_.size();
        infoHeader(width, height, bitCount);
        bytes_[start] = static_cast<uint8_t>(size);
        while (bytes_.size() - start < size)
            u8(0);
        return *this;
    }
    // An RGBQUAD colour entry: blue, green, red, reserved.
    BmpBuilder& quad(uint8_t red, uint8_t green, uint8_t blue)
    {
        return u8(blue).u8(green).u8(red).u8(0);
    }
    // An RGBTRIPLE colour entry of a core header: blue, green, red.
    BmpBuilder& triple(uint8_t red, uint8_t green, uint8_t blue)
    {
        return u8(blue).u8(green).u8(red);
    }
    // The red, green and blue masks of BI_BITFIELDS pixels.
    BmpBuilder& masks(uint32_t red, uint32_t green, uint32_t blue)
    {
        return u32(red).u32(green).u32(blue);
    }

    // Marks where the pixel data starts: bfOffBits of asFile().
    BmpBuilder& pixelsStartHere()
    {
        pixelsAt_ = bytes_.size();
        return *this;
    }
    // One stored row, padded to a multiple of 4 bytes with `padding`.
    BmpBuilder& row(const std::vector<uint8_t>& bytes, uint8_t padding = 0)
    {
        raw(bytes);
        for (size_t n = bytes.size(); n % 4 != 0; ++n)
            u8(padding);
        return *this;
    }
    BmpBuilder& raw(const std::vector<uint8_t>& bytes)
    {
        bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
        return *this;
    }
    BmpBuilder& u8(uint8_t v)
    {
        bytes_.push_back(v);
        return *this;
    }
    BmpBuilder& u16(uint16_t v)
    {
        return u8(static_cast<uint8_t>(v)).u8(static_cast<uint8_t>(v >> 8));
    }
    BmpBuilder& u32(uint32_t v)
    {
        return u16(static_cast<uint16_t>(v)).u16(static_cast<uint16_t>(v >> 16));
    }

    // The 14-byte file header ("BM", size, reserved, bfOffBits) in front of everything built.
    std::vector<uint8_t> asFile() const { return asFile(static_cast<uint32_t>(14 + pixelsAt_)); }
    std::vector<uint8_t> asFile(uint32_t pixelOffset) const
    {
        BmpBuilder file;
        file.u8('B').u8('M').u32(static_cast<uint32_t>(14 + bytes_.size())).u32(0).u32(pixelOffset);
        return file.raw(bytes_).bytes_;
    }
    // Everything built, without a file header.
    std::vector<uint8_t> asBareDib() const { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
    size_t pixelsAt_ = 0;
};
