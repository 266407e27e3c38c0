#pragma once
// The names VGS's controller bytes are shown by: keyTable (keys, the two
// joystick axes and twelve joystick buttons) and idTable (controller IDs),
// and which of them each row of the controller panel offers. The order of the
// tables is the order of the selector lists, and a stored code is found again
// only through these positions, so neither table may be reordered.
//
// Positions are counted from 1, as the tables are numbered; items of a
// selector are counted from 0.

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace tobrel::emulator {

struct KeyNameEntry {
    std::uint8_t code;     // the byte stored in the VGS record for this choice
    std::string_view name; // the text shown in the selector
};

inline constexpr int kKeyTableSize = 96;
inline constexpr int kIdTableSize = 17;

// The groups of keyTable. Codes repeat across groups (0 is "EMPTY" and the X
// axis; 48 to 57 are the digits and buttons 1 to 10), so a code names an
// entry only together with the group it is looked up in.
inline constexpr int kKeyboardFirst = 1; // "EMPTY" and the 81 keys
inline constexpr int kKeyboardLast = 82;
inline constexpr int kYAxisPosition = 83;
inline constexpr int kXAxisPosition = 84;
inline constexpr int kButtonFirst = 85;
inline constexpr int kButtonLast = 96;

// Keyboard codes are Windows virtual-key codes; axes and buttons are
// DirectInput joystick-state offsets.
const std::array<KeyNameEntry, kKeyTableSize>& keyTable();
const std::array<KeyNameEntry, kIdTableSize>& idTable();

// The entry at a position (1 to 96, 1 to 17).
const KeyNameEntry& keyEntry(int position);
const KeyNameEntry& idEntry(int position);

// The first position from first to last (inclusive) whose code is code.
std::optional<int> findKeyPosition(std::uint8_t code, int first, int last);
std::optional<int> findIdPosition(std::uint8_t code);

// The PlayStation controls, one per panel row.
inline constexpr int kControllerRows = 14;
inline constexpr std::array<std::string_view, kControllerRows> kRowLabels = {
    "↑：", "↓：",  "←：",  "→：",  "△：",  "○：",      "□：",
    "×：", "L1：", "L2：", "R1：", "R2：", "SELECT：", "START："};

// What the key selectors of a row may hold, besides the keyboard part.
enum class RowGroup {
    UpDown,    // rows 0, 1: the keyboard part, then the Y axis
    LeftRight, // rows 2, 3: the keyboard part, then the X axis
    Buttons,   // rows 4 to 13: the keyboard part, then the twelve buttons
};
RowGroup rowGroup(int row);

// 83, 83 or 94.
int keyItemCount(int row);
// The keyTable position shown by an item of the row's key selector.
int keyItemPosition(int row, int item);
// The item of the row's key selector showing position; nothing when the row's
// list does not hold it.
std::optional<int> keyItemOf(int row, int position);
// The text of an item of the row's key selector.
std::string_view keyItemName(int row, int item);

} // namespace tobrel::emulator
