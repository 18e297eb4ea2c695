// BMP reader: maps a texture file read-only, checks its headers against its length and turns
// every layout the game takes (palette, 16/24/32 bits, bit fields, run-length) into RGB rows.
// It reports nothing itself: each failure comes back as its message for the loader to show.
#include "assets/BmpReader.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <new>
#include <utility>

namespace {

constexpr const char* kOutOfMemory = "Out of memory.";
constexpr const char* kUnknownFormat = "Unknown DIB file format.";
constexpr const char* kConversionError = "Image file conversion error.";

constexpr uint16_t kFileSignature = 0x4D42;  // "BM" read as a little-endian 16-bit value
constexpr size_t kFileHeaderSize = 14;
constexpr size_t kPixelOffsetField = 10;   // bfOffBits inside the file header
constexpr uint32_t kCoreHeaderSize = 12;   // BITMAPCOREHEADER
constexpr uint32_t kInfoHeaderSize = 40;   // BITMAPINFOHEADER
constexpr size_t kBitFieldMasksSize = 12;  // red, green and blue masks after an info header

enum Compression : uint32_t { kUncompressed = 0, kRunLength8 = 1, kRunLength4 = 2, kBitFields = 3 };

struct Rgb {
    unsigned char red, green, blue;
};

// One colour channel of a 16- or 32-bit pixel: where its bits lie and their largest value.
struct Channel {
    uint32_t mask;
    unsigned shift;
    uint32_t maximum;  // mask >> shift; 0 for an absent channel, which reads as 0
};

// Every picture's header as the conversion sees it: a BITMAPINFOHEADER, whatever the file held.
struct InfoHeader {
    int32_t width;
    int32_t height;  // negative for rows stored top row first
    uint16_t planes;
    uint16_t bitCount;
    uint32_t compression;
    uint32_t sizeImage;  // bytes of pixel data; never trusted: the file's length bounds reads
    int32_t xPelsPerMeter;
    int32_t yPelsPerMeter;
    uint32_t clrUsed;
    uint32_t clrImportant;
};

// How the pixels of one picture turn into red, green and blue.
struct PixelFormat {
    unsigned bitCount;
    Rgb palette[256];  // indices past the file's colour table read as black
    Channel red, green, blue;
};

// Bit-field masks of pixels without their own: 5-5-5 for 16 bits, 8-8-8 for 32 bits.
struct DefaultMasks {
    unsigned bitCount;
    uint32_t red, green, blue;
};
constexpr DefaultMasks kDefaultMasks[] = {
    {16, 0x7C00, 0x03E0, 0x001F},
    {32, 0xFF0000, 0x00FF00, 0x0000FF},
};

uint16_t read16(const unsigned char* p)
{
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

uint32_t read32(const unsigned char* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

InfoHeader normaliseHeader(const unsigned char* dib, uint16_t entries)
{
    InfoHeader info{};
    if (read32(dib) == kCoreHeaderSize) {
        info.width = read16(dib + 4);  // 16-bit unsigned sizes widen without sign
        info.height = read16(dib + 6);
        info.planes = read16(dib + 8);
        info.bitCount = read16(dib + 10);
        info.clrUsed = entries;
        info.clrImportant = entries;
        return info;
    }
    info.width = static_cast<int32_t>(read32(dib + 4));
    info.height = static_cast<int32_t>(read32(dib + 8));
    info.planes = read16(dib + 12);
    info.bitCount = read16(dib + 14);
    info.compression = read32(dib + 16);
    info.sizeImage = read32(dib + 20);
    info.xPelsPerMeter = static_cast<int32_t>(read32(dib + 24));
    info.yPelsPerMeter = static_cast<int32_t>(read32(dib + 28));
    info.clrUsed = read32(dib + 32);
    info.clrImportant = read32(dib + 36);
    return info;
}

bool isSupported(const InfoHeader& info, uint32_t headerSize)
{
    const unsigned bits = info.bitCount;
    const bool topDown = info.height < 0;
    switch (info.compression) {
        case kUncompressed:
            return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
        case kRunLength8:
            return bits == 8 && !topDown;
        case kRunLength4:
            return bits == 4 && !topDown;
        case kBitFields:
            return headerSize == kInfoHeaderSize && (bits == 16 || bits == 32);
        default:
            return false;
    }
}

Channel channelOf(uint32_t mask)
{
    if (mask == 0)
        return {0, 0, 0};
    unsigned shift = 0;
    while (((mask >> shift) & 1u) == 0)
        ++shift;
    return {mask, shift, mask >> shift};
}

unsigned char channelValue(uint32_t pixel, const Channel& channel)
{
    if (channel.maximum == 0)
        return 0;
    const uint64_t value = (pixel & channel.mask) >> channel.shift;
    return static_cast<unsigned char>((value * 255 + channel.maximum / 2) / channel.maximum);
}

// The colour table (3-byte entries after a core header, 4-byte ones after an info header).
void fillPalette(PixelFormat& format, const unsigned char* table, size_t entries, size_t entrySize)
{
    std::fill(std::begin(format.palette), std::end(format.palette), Rgb{0, 0, 0});
    const size_t used = std::min<size_t>(entries, 256);
    for (size_t i = 0; i < used; ++i) {
        const unsigned char* entry = table + i * entrySize;
        format.palette[i] = {entry[2], entry[1], entry[0]};
    }
}

void fillMasks(PixelFormat& format, const InfoHeader& info, const unsigned char* masks)
{
    uint32_t red = 0, green = 0, blue = 0;
    if (info.compression == kBitFields) {
        red = read32(masks);
        green = read32(masks + 4);
        blue = read32(masks + 8);
    } else {
        for (const DefaultMasks& row : kDefaultMasks) {
            if (row.bitCount == info.bitCount) {
                red = row.red;
                green = row.green;
                blue = row.blue;
            }
        }
    }
    format.red = channelOf(red);
    format.green = channelOf(green);
    format.blue = channelOf(blue);
}

// One stored row of an uncompressed picture into `width` packed RGB pixels.
void decodeRow(const PixelFormat& format, const unsigned char* in, unsigned char* out,
               uint32_t width)
{
    switch (format.bitCount) {
        case 24:
            for (uint32_t x = 0; x < width; ++x, in += 3, out += 3) {
                out[0] = in[2];
                out[1] = in[1];
                out[2] = in[0];
            }
            return;
        case 8:
            for (uint32_t x = 0; x < width; ++x, out += 3) {
                const Rgb& colour = format.palette[in[x]];
                out[0] = colour.red;
                out[1] = colour.green;
                out[2] = colour.blue;
            }
            return;
        case 1:
        case 4: {
            const unsigned bits = format.bitCount;
            const unsigned perByte = 8 / bits;
            const unsigned indexMask = (1u << bits) - 1;
            for (uint32_t x = 0; x < width; ++x, out += 3) {
                const unsigned shift =
                    8 - bits * (x % perByte + 1);  // leftmost pixel in the high bits
                const Rgb& colour = format.palette[(in[x / perByte] >> shift) & indexMask];
                out[0] = colour.red;
                out[1] = colour.green;
                out[2] = colour.blue;
            }
            return;
        }
        default: {  // 16 or 32 bits through the channel masks
            const unsigned bytes = format.bitCount / 8;
            for (uint32_t x = 0; x < width; ++x, in += bytes, out += 3) {
                const uint32_t pixel = bytes == 2 ? read16(in) : read32(in);
                out[0] = channelValue(pixel, format.red);
                out[1] = channelValue(pixel, format.green);
                out[2] = channelValue(pixel, format.blue);
            }
            return;
        }
    }
}

// Run-length pixel data into a zero-filled output (pixels the runs skip stay black). Runs past the
// end of a row are cut there. False when the data ends before the picture does.
bool decodeRunLength(const PixelFormat& format, bool fourBits, const unsigned char* data,
                     size_t length, uint32_t width, uint32_t height, unsigned char* out)
{
    uint64_t x = 0, y = 0;
    auto put = [&](unsigned index) {
        if (x < width) {
            unsigned char* pixel = out + (y * width + x) * 3;
            const Rgb& colour = format.palette[index];
            pixel[0] = colour.red;
            pixel[1] = colour.green;
            pixel[2] = colour.blue;
        }
        ++x;
    };
    auto indexAt = [&](const unsigned char* bytes, unsigned i) {
        return fourBits ? (i % 2 == 0 ? bytes[i / 2] >> 4 : bytes[i / 2] & 0x0F) : bytes[i];
    };
    size_t at = 0;
    while (y < height) {
        if (length - at < 2)
            return false;
        const unsigned count = data[at];
        const unsigned code = data[at + 1];
        at += 2;
        if (count > 0) {  // a run of one index, or of two alternating nibbles
            for (unsigned i = 0; i < count; ++i)
                put(fourBits ? (i % 2 == 0 ? code >> 4 : code & 0x0F) : code);
        } else if (code == 0) {  // end of row
            x = 0;
            ++y;
        } else if (code == 1) {  // end of picture
            return true;
        } else if (code == 2) {  // move right and up
            if (length - at < 2)
                return false;
            x += data[at];
            y += data[at + 1];
            at += 2;
        } else {  // `code` indices stored as they are, padded to a 16-bit boundary
            const size_t bytes = fourBits ? (code + 1) / 2 : code;
            if (length - at < bytes)
                return false;
            for (unsigned i = 0; i < code; ++i)
                put(indexAt(data + at, i));
            at += std::min(bytes + bytes % 2, length - at);
        }
    }
    return true;
}

// The whole file in read-only memory, released with the object. Only a plain file with something
// in it is mapped: a pipe, a device or a folder in a picture's place is not opened for reading,
// and the open itself never waits (for a pipe's writer, say).
class MappedFile {
public:
    explicit MappedFile(const char* path)
    {
        descriptor_ = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        struct stat status;
        if (descriptor_ < 0 || fstat(descriptor_, &status) != 0 || !S_ISREG(status.st_mode) ||
            status.st_size <= 0)
            return;
        void* view = mmap(nullptr, static_cast<size_t>(status.st_size), PROT_READ, MAP_PRIVATE,
                          descriptor_, 0);
        if (view == MAP_FAILED)
            return;
        bytes_ = static_cast<const unsigned char*>(view);
        size_ = static_cast<size_t>(status.st_size);
    }
    ~MappedFile()
    {
        if (bytes_)
            munmap(const_cast<unsigned char*>(bytes_), size_);
        if (descriptor_ >= 0)
            close(descriptor_);
    }
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    const unsigned char* bytes() const { return bytes_; }
    size_t size() const { return size_; }

private:
    int descriptor_ = -1;
    const unsigned char* bytes_ = nullptr;
    size_t size_ = 0;
};

}  // namespace

uint16_t paletteEntryCount(const unsigned char* dibHeader)
{
    unsigned bitCount;
    if (read32(dibHeader) == kCoreHeaderSize) {
        bitCount = read16(dibHeader + 10);
    } else {
        const uint32_t clrUsed = read32(dibHeader + 32);
        if (clrUsed != 0)
            return static_cast<uint16_t>(clrUsed);  // the count is 16 bits wide
        bitCount = read16(dibHeader + 14);
    }
    switch (bitCount) {
        case 1:
            return 2;
        case 4:
            return 16;
        case 8:
            return 256;
        default:
            return 0;
    }
}

std::string decodeBmp(const unsigned char* bytes, size_t size, DecodedImage& image,
                      const SizeCheck& fits)
{
    // Where the DIB header is, and the pixel data if a file header says so.
    size_t headerAt = 0;
    bool pixelsKnown = false;
    size_t pixelsAt = 0;
    if (size >= 2 && read16(bytes) == kFileSignature) {
        if (size < kFileHeaderSize)
            return kConversionError;
        headerAt = kFileHeaderSize;
        pixelsAt = read32(bytes + kPixelOffsetField);
        pixelsKnown = true;
    }
    if (size - headerAt < 4)
        return kConversionError;
    const unsigned char* dib = bytes + headerAt;
    const uint32_t headerSize = read32(dib);
    if (headerSize != kCoreHeaderSize && headerSize != kInfoHeaderSize)
        return kUnknownFormat;
    if (size - headerAt < headerSize)
        return kConversionError;

    // The header, the bit-field masks and the colour table must all lie inside the file.
    const uint16_t entries = paletteEntryCount(dib);
    InfoHeader info = normaliseHeader(dib, entries);
    const size_t masksAt = headerAt + headerSize;
    const bool hasMasks = headerSize == kInfoHeaderSize && info.compression == kBitFields;
    const size_t tableAt = masksAt + (hasMasks ? kBitFieldMasksSize : 0);
    const size_t entrySize = headerSize == kCoreHeaderSize ? 3 : 4;
    const size_t tableEnd = tableAt + entrySize * entries;
    if (tableEnd > size)
        return kConversionError;
    if (!pixelsKnown)
        pixelsAt = tableEnd;

    // Sizes: a picture of at least one pixel, whose output stays within the limit.
    if (!isSupported(info, headerSize) || info.width <= 0 || info.height == 0)
        return kConversionError;
    const bool topDown = info.height < 0;
    const uint64_t width = static_cast<uint64_t>(info.width);
    const uint64_t rows = topDown ? static_cast<uint64_t>(-static_cast<int64_t>(info.height))
                                  : static_cast<uint64_t>(info.height);
    if (rows > INT32_MAX)
        return kConversionError;
    // The caller may refuse the size before the file's length is checked or anything is taken.
    if (fits) {
        std::string refusal = fits(info.width, static_cast<int32_t>(rows));
        if (!refusal.empty())
            return refusal;
    }
    const uint64_t outputBytes = width * rows * 3;
    if (outputBytes > kMaxDecodedBytes || pixelsAt > size)
        return kConversionError;
    if (info.sizeImage == 0)
        info.sizeImage = static_cast<uint32_t>((width * info.bitCount + 7) / 8 * rows);
    if (info.clrUsed == 0)
        info.clrUsed = entries;

    const bool runLength = info.compression == kRunLength8 || info.compression == kRunLength4;
    // Stored rows are padded to 4 bytes; the last row's padding may be missing from the file.
    const uint64_t stride = (width * info.bitCount + 31) / 32 * 4;
    const uint64_t lastRowBytes = (width * info.bitCount + 7) / 8;
    if (!runLength && size - pixelsAt < stride * (rows - 1) + lastRowBytes)
        return kConversionError;

    PixelFormat format;
    format.bitCount = info.bitCount;
    fillPalette(format, bytes + tableAt, std::min<size_t>(entries, info.clrUsed), entrySize);
    fillMasks(format, info, bytes + masksAt);

    std::unique_ptr<unsigned char[]> pixels(runLength
                                                ? new (std::nothrow) unsigned char[outputBytes]()
                                                : new (std::nothrow) unsigned char[outputBytes]);
    if (!pixels)
        return kOutOfMemory;
    const unsigned char* data = bytes + pixelsAt;
    const uint64_t outputStride = width * 3;
    if (runLength) {
        if (!decodeRunLength(format, info.compression == kRunLength4, data, size - pixelsAt,
                             static_cast<uint32_t>(width), static_cast<uint32_t>(rows),
                             pixels.get()))
            return kConversionError;
    } else {
        for (uint64_t row = 0; row < rows; ++row) {
            const uint64_t outputRow = topDown ? rows - 1 - row : row;  // bottom row first, always
            decodeRow(format, data + row * stride, pixels.get() + outputRow * outputStride,
                      static_cast<uint32_t>(width));
        }
    }
    image.width = info.width;
    image.height = static_cast<int32_t>(rows);
    image.pixels = std::move(pixels);
    return {};
}

BmpReading readBmpFile(const std::string& folder, const std::string& file, const SizeCheck& fits)
{
    BmpReading reading;
    const MappedFile mapped((folder + "/" + file).c_str());
    if (!mapped.bytes()) {
        reading.failure = "Failed to open DIB file " + file + ".";
        return reading;
    }
    DecodedImage image;
    reading.failure = decodeBmp(mapped.bytes(), mapped.size(), image, fits);
    if (reading.failure.empty())
        reading.image = std::move(image);
    return reading;
}
