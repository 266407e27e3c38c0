#include "cards/save_icon.h"

#include "cards/card_format.h"

#include <algorithm>

namespace tobrel::cards {

namespace {

// Spreads a 5-bit channel over 0..255 so that 31 gives 255.
std::uint8_t expandChannel(unsigned value) {
    return static_cast<std::uint8_t>((value << 3) | (value >> 2));
}

} // namespace

std::optional<SaveIcon> decodeSaveIcon(std::span<const unsigned char> block) {
    if (block.size() < 2 * kFrameSize) {
        return std::nullopt;
    }
    const unsigned flag = block[kIconFlagOffset];
    if (flag < kIconFlagOneFrame || flag > kIconFlagThreeFrames) {
        return std::nullopt;
    }
    SaveIcon icon;
    icon.frameCount = static_cast<int>(flag - kIconFlagOneFrame) + 1;

    std::array<std::array<std::uint8_t, 4>, 16> palette{};
    for (std::size_t i = 0; i < palette.size(); ++i) {
        const unsigned colour = block[kIconPaletteOffset + 2 * i] |
                                (static_cast<unsigned>(block[kIconPaletteOffset + 2 * i + 1]) << 8);
        palette[i] = {expandChannel(colour & 0x1F), expandChannel((colour >> 5) & 0x1F),
                      expandChannel((colour >> 10) & 0x1F),
                      static_cast<std::uint8_t>(colour == 0 ? 0 : 255)};
    }
    // Two pixels per byte, the left one in the low nibble.
    const unsigned char* bitmap = block.data() + kFrameSize;
    for (std::size_t pixel = 0; pixel < kIconSide * kIconSide; ++pixel) {
        const unsigned char pair = bitmap[pixel / 2];
        const unsigned index = (pixel % 2 == 0) ? (pair & 0x0F) : (pair >> 4);
        const auto& colour = palette[index];
        std::copy(colour.begin(), colour.end(), icon.rgba.begin() + 4 * pixel);
    }
    return icon;
}

} // namespace tobrel::cards
