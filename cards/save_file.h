#pragma once
// Files holding one save: its blocks in chain order, behind a header that
// names it. .mcs/.ps1 (the save's directory frame), .psx (action-replay style,
// 54 bytes), .psv (the PS3's signed file) and the raw save (no header; the
// file's name is the save's name). The format is told by content.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tobrel::cards {

enum class SaveFormat { Mcs, Psx, Psv, Raw };

inline constexpr std::size_t kSaveNameMax = 20; // characters of a save's name
inline constexpr std::size_t kPsxHeaderSize = 54;
inline constexpr std::size_t kPsvHeaderSize = 0x84;

// One save taken off a card: its name (e.g. "BISLPS-01234GAME") and its
// blocks, whole multiples of 8,192 bytes, 1 to 15 of them.
struct SaveData {
    std::string name;
    std::vector<std::uint8_t> blocks;
    int blockCount() const { return static_cast<int>(blocks.size() / 8192); }
    friend bool operator==(const SaveData&, const SaveData&) = default;
};

// "mcs" (also "ps1"), "psx" (also "mcb", "mcx", "pda"), "psv", "raw" or an
// empty extension; nothing for any other.
std::optional<SaveFormat> saveFormatFromExtension(std::string_view extension);
std::string_view saveFormatExtension(SaveFormat format); // "mcs" "psx" "psv" ""

struct SaveFileRead {
    bool ok = false;
    std::string error; // Japanese, when not ok
    SaveFormat format = SaveFormat::Raw;
    SaveData save;
    bool signatureValid = true; // .psv
};

// Reads a single-save file; fileName (without folder) names a raw save.
SaveFileRead parseSaveFile(std::span<const std::uint8_t> bytes, std::string_view fileName);

// The file's bytes; a .psv is signed. Nothing when the save cannot go into
// the format or the system cannot sign.
std::optional<std::vector<std::uint8_t>> packSaveFile(const SaveData& save, SaveFormat format);

// The file name a format gives a save: NAME.mcs, NAME.psx, the PS3's
// <first 12 characters><hex of the rest>.PSV, or the bare name for a raw save.
std::string saveFileName(const SaveData& save, SaveFormat format);

// A usable save name: 1 to 20 bytes, printable ASCII.
bool isValidSaveName(std::string_view name);

} // namespace tobrel::cards
