#include "cards/card_format.h"
#include "cards/save_icon.h"

#include <gtest/gtest.h>

namespace tobrel::cards {
namespace {

struct PaletteEntry {
    std::uint16_t colour;
    std::array<std::uint8_t, 4> rgba;
};

// One entry per palette slot: transparency, each channel alone, both ends and
// the middle of the 5-bit range, and bit 15 on opaque colours.
const std::array<PaletteEntry, 16> kPalette = {{
    {0x0000, {0, 0, 0, 0}},
    {0x8000, {0, 0, 0, 255}},
    {0x001F, {255, 0, 0, 255}},
    {0x03E0, {0, 255, 0, 255}},
    {0x7C00, {0, 0, 255, 255}},
    {0x7FFF, {255, 255, 255, 255}},
    {0xFFFF, {255, 255, 255, 255}},
    {0x0001, {8, 0, 0, 255}},
    {0x0010, {132, 0, 0, 255}},
    {0x0200, {0, 132, 0, 255}},
    {0x4000, {0, 0, 132, 255}},
    {0x8421, {8, 8, 8, 255}},
    {0x294A, {82, 82, 82, 255}},
    {0x7C1F, {255, 0, 255, 255}},
    {0x03FF, {255, 255, 0, 255}},
    {0x0C63, {24, 24, 24, 255}},
}};

// Palette index of pixel (x, y); differs between the two pixels of each byte.
int patternIndex(int x, int y) {
    return (x + 3 * y) % 16;
}

// The first block of a save with kPalette and the pattern in its first icon frame.
std::string iconBlock(unsigned char flag) {
    std::string block(kBlockSize, '\x5A');
    block[2] = static_cast<char>(flag);
    for (std::size_t i = 0; i < kPalette.size(); ++i) {
        block[kIconPaletteOffset + 2 * i] = static_cast<char>(kPalette[i].colour & 0xFF);
        block[kIconPaletteOffset + 2 * i + 1] = static_cast<char>(kPalette[i].colour >> 8);
    }
    for (int y = 0; y < kIconSide; ++y) {
        for (int x = 0; x < kIconSide; x += 2) {
            block[kFrameSize + static_cast<std::size_t>(y * 8 + x / 2)] =
                static_cast<char>(patternIndex(x, y) | (patternIndex(x + 1, y) << 4));
        }
    }
    return block;
}

std::span<const unsigned char> bytesOf(const std::string& text) {
    return {reinterpret_cast<const unsigned char*>(text.data()), text.size()};
}

TEST(DecodeSaveIcon, PixelsMatchThePaletteAndBitmapExactly) {
    const auto icon = decodeSaveIcon(bytesOf(iconBlock(0x11)));
    ASSERT_TRUE(icon.has_value());
    for (int y = 0; y < kIconSide; ++y) {
        for (int x = 0; x < kIconSide; ++x) {
            const auto* pixel = icon->rgba.data() + 4 * (y * kIconSide + x);
            const auto& expected = kPalette[static_cast<std::size_t>(patternIndex(x, y))].rgba;
            ASSERT_EQ((std::array<std::uint8_t, 4>{pixel[0], pixel[1], pixel[2], pixel[3]}),
                      expected)
                << "pixel " << x << "," << y;
        }
    }
}

TEST(DecodeSaveIcon, FrameCountComesFromTheFlagAndOutOfRangeGivesNoIcon) {
    const struct {
        unsigned char flag;
        int frames; // 0: no icon
    } cases[] = {{0x11, 1}, {0x12, 2}, {0x13, 3}, {0x00, 0}, {0x10, 0}, {0x14, 0}, {0xFF, 0}};
    for (const auto& c : cases) {
        const auto icon = decodeSaveIcon(bytesOf(iconBlock(c.flag)));
        EXPECT_EQ(icon ? icon->frameCount : 0, c.frames) << "flag " << int(c.flag);
    }
    // Too short to hold the bitmap frame.
    const std::string cut = iconBlock(0x11).substr(0, 2 * kFrameSize - 1);
    EXPECT_FALSE(decodeSaveIcon(bytesOf(cut)).has_value());
}

} // namespace
} // namespace tobrel::cards
