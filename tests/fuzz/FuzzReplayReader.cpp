// Fuzz target: any bytes read as a recorded drive come back as a well-formed drive or as one
// reason, without reading out of bounds and without an allocation larger than the bytes allow.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "drives/ReplayFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // A copy of exactly this length: AddressSanitizer catches a read one byte past its end.
    unsigned char* bytes = static_cast<unsigned char*>(std::malloc(size == 0 ? 1 : size));
    if (size > 0)
        std::memcpy(bytes, data, size);
    std::string error;
    const std::optional<Replay> replay = parseReplay(bytes, size, error);
    std::free(bytes);
    if (!replay) {
        if (error.empty())
            std::abort();  // a refusal always says why
        return 0;
    }
    // Every record and checkpoint came from the bytes, one byte or more each.
    if (replay->records.size() + replay->checkpoints.size() > size)
        std::abort();
    uint32_t frames = 0;
    size_t checkpoint = 0;
    for (uint8_t code : replay->records) {
        if (code == kFrameRecord)
            ++frames;
        else if (code == kCheckpointRecord || code == kFinalStateRecord) {
            if (checkpoint >= replay->checkpoints.size() ||
                replay->checkpoints[checkpoint++].frame != frames)
                std::abort();  // each checkpoint counts the frames before it
        } else if (code != kStepRecord && !actionOfCode(code))
            std::abort();
    }
    if (checkpoint != replay->checkpoints.size())
        std::abort();
    return 0;
}
