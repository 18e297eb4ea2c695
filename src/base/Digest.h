// A 64-bit digest of bytes (FNV-1a): a fingerprint for telling pictures and game states apart,
// not a protection against anyone who wants them to collide.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr uint64_t kEmptyDigest = 14695981039346656037ull;

// The digest of `count` bytes, going on from `digest` (a digest of what came before them).
inline uint64_t digestOf(const void* bytes, size_t count, uint64_t digest = kEmptyDigest)
{
    const auto* byte = static_cast<const unsigned char*>(bytes);
    for (size_t i = 0; i < count; ++i)
        digest = (digest ^ byte[i]) * 1099511628211ull;
    return digest;
}
