// Fuzz target: any bytes given to the BMP reader as a texture file's contents must come back as
// a well-formed picture or a refusal, without reading or writing out of bounds; a size that the
// loader refuses never comes back as a picture.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "assets/BmpReader.h"

namespace {

constexpr int32_t kLargestSide = 16384;  // as the game's graphics driver takes

// Refuses what the game's loader would, from the size alone, as the loader does.
std::string refuseLargeSides(int32_t width, int32_t height)
{
    if (width < 1 || height < 1)
        std::abort();  // the reader asks only about pictures of at least one pixel
    return width > kLargestSide || height > kLargestSide ? "too large" : "";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The reader works on a mapped file of exactly this length; a copy of the same length lets
    // AddressSanitizer catch a read one byte past its end.
    unsigned char* bytes = static_cast<unsigned char*>(std::malloc(size == 0 ? 1 : size));
    if (size > 0)
        std::memcpy(bytes, data, size);
    DecodedImage image;
    const std::string failure = decodeBmp(bytes, size, image, refuseLargeSides);
    std::free(bytes);
    if (!failure.empty()) {
        if (image.pixels)
            std::abort();  // a refusal hands back no picture
        return 0;
    }
    if (image.width <= 0 || image.height <= 0 || !image.pixels)
        std::abort();
    if (image.width > kLargestSide || image.height > kLargestSide)
        std::abort();  // a picture the size check refused came back all the same
    const size_t outputBytes =
        static_cast<size_t>(image.width) * static_cast<size_t>(image.height) * 3;
    if (outputBytes > kMaxDecodedBytes)
        std::abort();
    // Touch every output byte: the buffer must be as large as the picture says.
    unsigned sum = 0;
    for (size_t i = 0; i < outputBytes; i += 1)
        sum += image.pixels[i];
    volatile unsigned sink = sum;
    (void)sink;
    return 0;
}
