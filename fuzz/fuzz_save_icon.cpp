// Any bytes as the first block of a save. Properties: an icon exactly when the
// frame count byte says one to three and both frames are there; every pixel is
// one of the palette's sixteen colours, transparent only for 0x0000.
#include "cards/save_icon.h"
#include "fuzz/fuzz_support.h"

#include <array>
#include <cstdint>

using namespace tobrel;

namespace {

std::array<std::uint8_t, 4> paletteColour(const unsigned char* palette, int index) {
    const auto value =
        static_cast<std::uint16_t>(palette[index * 2] | (palette[index * 2 + 1] << 8));
    auto spread = [](unsigned v) { return static_cast<std::uint8_t>((v << 3) | (v >> 2)); };
    return {spread(value & 31u), spread((value >> 5) & 31u), spread((value >> 10) & 31u),
            static_cast<std::uint8_t>(value == 0 ? 0 : 255)};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    constexpr std::size_t kFrame = 128;
    const auto icon = cards::decodeSaveIcon({data, size});
    const bool flagOk = size > cards::kIconFlagOffset &&
                        data[cards::kIconFlagOffset] >= cards::kIconFlagOneFrame &&
                        data[cards::kIconFlagOffset] <= cards::kIconFlagThreeFrames;
    fuzz::require(icon.has_value() == (flagOk && size >= 2 * kFrame),
                  "an icon exactly for a valid frame count and two whole frames");
    if (!icon) {
        return 0;
    }
    fuzz::require(icon->frameCount == data[cards::kIconFlagOffset] - 0x10,
                  "the frame count is the flag's");
    const unsigned char* palette = data + cards::kIconPaletteOffset;
    const unsigned char* bitmap = data + kFrame;
    for (int pixel = 0; pixel < cards::kIconSide * cards::kIconSide; ++pixel) {
        const int index = (bitmap[pixel / 2] >> ((pixel % 2) * 4)) & 15;
        const auto expected = paletteColour(palette, index);
        for (std::size_t channel = 0; channel < 4; ++channel) {
            fuzz::require(icon->rgba[static_cast<std::size_t>(pixel) * 4 + channel] ==
                              expected[channel],
                          "each pixel is its palette colour");
        }
    }
    return 0;
}
