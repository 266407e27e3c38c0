#pragma once
// The three memory-card image layouts: VGS (.MEM, 64-byte header + card),
// bleem! (.MCD) and PSEmuPro/ePSXe (.MCR), both the bare card.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tobrel::cards {

inline constexpr std::size_t kCardBodySize = 131072;
inline constexpr std::size_t kVgsHeaderSize = 64;
inline constexpr std::size_t kVgsImageSize = kCardBodySize + kVgsHeaderSize; // 131,136
inline constexpr std::size_t kBlockSize = 8192;
inline constexpr std::size_t kFrameSize = 128;
inline constexpr std::size_t kBlockCount = 16;
inline constexpr int kDirEntryCount = 15;  // frames 1..15 of block 0
inline constexpr int kSaveBlockCount = 15; // blocks 1..15
inline constexpr std::size_t kSaveTitleSize = 72;
inline constexpr std::size_t kSaveTitleOffset = 4;
inline constexpr std::size_t kSaveBlockCountOffset = 3;
inline constexpr std::uint8_t kDirFirstBlockOfSave = 0x51;

inline constexpr std::string_view kVgsSignature = "VgsM";
inline constexpr std::string_view kCardSignature = "MC";
inline constexpr std::string_view kSaveSignature = "SC";

inline constexpr std::string_view kVgsExtension = "MEM";
inline constexpr std::string_view kBleemExtension = "MCD";
inline constexpr std::string_view kPsEmuExtension = "MCR";

// The header written in front of every VGS image the program makes.
inline constexpr std::array<std::uint8_t, kVgsHeaderSize> vgsHeader = {
    0x56, 0x67, 0x73, 0x4D, // "VgsM"
    0x01, 0x00, 0x00, 0x00, //
    0x01, 0x00, 0x00, 0x00, //
    0x01, 0x00, 0x00, 0x00, //
    0x00, 0x02, 0x00, 0x00, // 512
    // bytes 20..63 are zero
};

// True when the file begins with "VgsM" (vgsLayout) or "MC" exactly.
// Looks at nothing else, size included; false when it cannot be read.
bool hasCardSignature(const std::string& path, bool vgsLayout);

// Signature and exact size together: the test for a file assigned to an
// emulator slot. Also false when the file cannot be opened or measured.
bool isValidVgsImage(const std::string& path);
bool isValidBleemImage(const std::string& path);

// How a card image file is to be read when nobody says: a file that begins
// "VgsM" and is exactly 131,136 bytes long, or whose name ends in ".MEM" (in
// any letter case), is a VGS image; anything else is a bare card body.
enum class CardFileLayout { Bare, Vgs };
CardFileLayout detectCardLayout(const std::string& path);

} // namespace tobrel::cards
