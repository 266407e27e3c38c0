#pragma once
// VGS's controller record: the 1,480-byte registry value in which VGS keeps
// the input assignment of one emulated controller, as far as Tobrel
// understands it, and the translation between its entries and the panel's
// selectors. Tobrel edits three fields of each of the first 14 entries; every
// other byte is carried through unchanged, since the record is VGS's own data.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace tobrel::emulator {

inline constexpr std::size_t kControllerRecordSize = 1480;
inline constexpr std::size_t kRecordHeaderSize = 24;
inline constexpr std::size_t kMappingEntrySize = 52;
inline constexpr std::size_t kMappingEntryCount = 28;

// The type tag in storage order; read as little-endian numbers they are the
// four-character codes inpt, kybd and none.
using TypeTag = std::array<std::uint8_t, 4>;
inline constexpr TypeTag kJoystickTag = {0x74, 0x70, 0x6E, 0x69};
inline constexpr TypeTag kKeyboardTag = {0x64, 0x62, 0x79, 0x6B};
inline constexpr TypeTag kEmptyTag = {0x65, 0x6E, 0x6F, 0x6E};

struct MappingEntry {
    TypeTag tag{};                          // offset 0
    std::uint8_t id = 0;                    // offset 4: an idTable code
    std::array<std::uint8_t, 35> opaqueA{}; // offset 5: not interpreted
    std::uint8_t code = 0;                  // offset 40: a keyTable code
    std::array<std::uint8_t, 11> opaqueB{}; // offset 41: not interpreted

    bool operator==(const MappingEntry&) const = default;
};

// Entry k for k = 0 to 13 belongs to panel row k; entries 14 to 27 are never
// interpreted or changed.
struct ControllerRecord {
    std::array<std::uint8_t, kRecordHeaderSize> header{};
    std::array<MappingEntry, kMappingEntryCount> entries{};

    bool operator==(const ControllerRecord&) const = default;
};

using RecordBuffer = std::array<std::uint8_t, kControllerRecordSize>;

// Byte i of the buffer is byte i of the record, field by field.
void unpackControllerRecord(ControllerRecord& record, std::span<const std::uint8_t> buffer);
void packControllerRecord(const ControllerRecord& record, std::span<std::uint8_t> buffer);

// What one panel row shows: the selected item of its ID selector and of its
// key selector.
struct RowSelection {
    int idItem = 0;
    int keyItem = 0;

    bool operator==(const RowSelection&) const = default;
};

// The selection a record entry shows on row. The key code is looked up among
// the axes and buttons for the joystick tag and in the whole table otherwise;
// a code the row's list does not hold shows "EMPTY", and so does an ID byte
// that is no idTable code, so that every selector has a selection.
RowSelection selectionFromEntry(const MappingEntry& entry, int row);

// Stores a row's selection into entry: the ID, and by the key item's text,
// the empty tag for "EMPTY", the joystick tag for an axis or button ("ｺﾝﾄﾛｰﾗ",
// "ﾎﾞﾀﾝ"), the keyboard tag otherwise, with the code of the position the item
// shows. An item outside the lists is stored as "EMPTY". Only the tag, the ID
// and the code are written.
void storeSelectionInEntry(MappingEntry& entry, int row, int idItem, int keyItem,
                           std::string_view keyText);
// The same with the item's own text.
void storeSelectionInEntry(MappingEntry& entry, int row, RowSelection selection);

} // namespace tobrel::emulator
