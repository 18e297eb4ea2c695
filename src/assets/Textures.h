// The game's ten textures: which file goes into which fixed texture name, and their loading.
#pragma once

#include <cstdint>
#include <string>

// Slot k of the table is read from its file and lives in the texture named 13 + k.
enum TextureSlot {
    kCarTexture,
    kDirtTexture,
    kBox1Texture,
    kNewTexture,
    kQuitTexture,
    kRoofTexture,
    kRoadTexture,
    kWaterTexture,
    kBricksTexture,
    kLogoTexture,
    kTextureCount
};

constexpr unsigned kFirstTextureName = 13;
constexpr unsigned textureName(TextureSlot slot)
{
    return kFirstTextureName + slot;
}

extern const char* const textureFiles[kTextureCount];  // file names, in slot order
extern uint64_t picturesDigest;  // of the ten pictures as read: each one's size and pixels

// Read and upload all ten from `folder`; at the first picture that cannot be used, one line
// "tarvelo: <file> in <folder>: <why>" on stderr, and the game ends with status 1.
void loadTextures(const std::string& folder);
