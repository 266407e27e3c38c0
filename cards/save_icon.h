#pragma once
// The icon of a save: the palette in its title frame and the first 16x16
// bitmap in the frame after it, decoded into plain RGBA pixels.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace tobrel::cards {

inline constexpr int kIconSide = 16;
inline constexpr std::size_t kIconPixelBytes = kIconSide * kIconSide * 4;
inline constexpr std::size_t kIconFlagOffset = 2;     // 0x11..0x13: one to three frames
inline constexpr std::size_t kIconPaletteOffset = 96; // 16 colours of 16 bits
inline constexpr std::uint8_t kIconFlagOneFrame = 0x11;
inline constexpr std::uint8_t kIconFlagThreeFrames = 0x13;

struct SaveIcon {
    int frameCount = 0; // animation frames the save declares (1..3); only the first is decoded
    // Row by row from the top, four bytes per pixel: red, green, blue, alpha.
    std::array<std::uint8_t, kIconPixelBytes> rgba{};
};

// Decodes the icon of the save whose first block starts at block[0]. Colours
// are 5 bits per channel (red in the low bits); 0x0000 is transparent and any
// other value, 0x8000 included, is opaque. No icon when the frame count byte
// is out of range or block is shorter than the two frames the icon needs.
std::optional<SaveIcon> decodeSaveIcon(std::span<const unsigned char> block);

} // namespace tobrel::cards
