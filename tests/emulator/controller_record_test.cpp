// The controller record's layout and the translation between its entries and
// the panel's selectors.

#include "emulator/controller_record.h"
#include "emulator/key_table.h"

#include <gtest/gtest.h>

#include <random>

namespace tobrel::emulator {
namespace {

RecordBuffer patternBuffer(unsigned seed) {
    RecordBuffer buffer;
    std::mt19937 random(seed);
    for (auto& byte : buffer) {
        byte = static_cast<std::uint8_t>(random() | 1); // never zero: a lost byte shows
    }
    return buffer;
}

TEST(ControllerRecord, FieldsSitAtTheirOffsetsAndPackingRestoresEveryByte) {
    const RecordBuffer buffer = patternBuffer(7);
    ControllerRecord record;
    unpackControllerRecord(record, buffer);
    EXPECT_TRUE(std::equal(record.header.begin(), record.header.end(), buffer.begin()));
    for (std::size_t k : {0u, 13u, 14u, 27u}) {
        const std::size_t at = 24 + 52 * k;
        const MappingEntry& entry = record.entries[k];
        EXPECT_TRUE(std::equal(entry.tag.begin(), entry.tag.end(), buffer.begin() + at)) << k;
        EXPECT_EQ(entry.id, buffer[at + 4]) << k;
        EXPECT_TRUE(
            std::equal(entry.opaqueA.begin(), entry.opaqueA.end(), buffer.begin() + at + 5));
        EXPECT_EQ(entry.code, buffer[at + 40]) << k;
        EXPECT_TRUE(
            std::equal(entry.opaqueB.begin(), entry.opaqueB.end(), buffer.begin() + at + 41));
    }
    EXPECT_EQ(record.entries[27].opaqueB.back(), buffer.back());

    RecordBuffer packed{};
    packControllerRecord(record, packed);
    EXPECT_EQ(packed, buffer);

    std::array<std::uint8_t, 1479> shortBuffer{};
    EXPECT_THROW(unpackControllerRecord(record, shortBuffer), std::invalid_argument);
    EXPECT_THROW(packControllerRecord(record, shortBuffer), std::invalid_argument);
}

MappingEntry entryWith(const TypeTag& tag, std::uint8_t id, std::uint8_t code) {
    MappingEntry entry;
    entry.tag = tag;
    entry.id = id;
    entry.code = code;
    return entry;
}

TEST(ControllerRecord, EntriesShowTheItemTheirTagAndCodeNameInTheRowsList) {
    const TypeTag unknownTag = {'x', 'x', 'x', 'x'};
    const struct {
        const char* what;
        int row;
        TypeTag tag;
        std::uint8_t id;
        std::uint8_t code;
        std::string_view idShown;
        std::string_view keyShown;
    } cases[] = {
        {"X axis on left", 2, kJoystickTag, 112, 0, "ID1", "ｺﾝﾄﾛｰﾗ X軸"},
        {"X axis on up", 0, kJoystickTag, 112, 0, "ID1", "EMPTY"},
        {"Y axis on down", 1, kJoystickTag, 0, 4, "EMPTY", "ｺﾝﾄﾛｰﾗ Y軸"},
        {"Y axis on right", 3, kJoystickTag, 0, 4, "EMPTY", "EMPTY"},
        {"keyboard 48", 4, kKeyboardTag, 127, 48, "ID16", "0"},
        {"joystick 48", 4, kJoystickTag, 127, 48, "ID16", "ﾎﾞﾀﾝ01"},
        {"joystick 37", 4, kJoystickTag, 127, 37, "ID16", "EMPTY"},
        {"button on up", 0, kJoystickTag, 113, 59, "ID2", "EMPTY"},
        {"empty tag", 13, kEmptyTag, 0, 0, "EMPTY", "EMPTY"},
        {"keyboard 0", 13, kKeyboardTag, 0, 0, "EMPTY", "EMPTY"},
        {"keyboard code 4 is no key", 0, kKeyboardTag, 0, 4, "EMPTY", "ｺﾝﾄﾛｰﾗ Y軸"},
        {"unknown tag reads as keyboard", 7, unknownTag, 120, 65, "ID9", "A"},
        {"unknown code", 7, kKeyboardTag, 120, 200, "ID9", "EMPTY"},
        {"ID byte that is no ID", 7, kKeyboardTag, 111, 65, "EMPTY", "A"},
        {"numeric keypad", 12, kKeyboardTag, 121, 107, "ID10", "NUM +"},
    };
    for (const auto& item : cases) {
        const RowSelection shown =
            selectionFromEntry(entryWith(item.tag, item.id, item.code), item.row);
        EXPECT_EQ(idEntry(shown.idItem + 1).name, item.idShown) << item.what;
        EXPECT_EQ(keyItemName(item.row, shown.keyItem), item.keyShown) << item.what;
    }
}

TEST(ControllerRecord, SelectionsAreStoredAsTagIdAndCodeAndNothingElse) {
    const struct {
        const char* what;
        int row;
        int idItem;
        int keyItem;
        TypeTag tag;
        std::uint8_t id;
        std::uint8_t code;
    } cases[] = {
        {"EMPTY", 4, 0, 0, kEmptyTag, 0, 0},
        {"digit 0", 4, 1, 31, kKeyboardTag, 112, 48},
        {"last key", 5, 16, 81, kKeyboardTag, 127, 107},
        {"button 1", 6, 2, 82, kJoystickTag, 113, 48},
        {"button 12 on START", 13, 16, 93, kJoystickTag, 127, 59},
        {"Y axis on up", 0, 0, 82, kJoystickTag, 0, 4},
        {"X axis on left", 2, 0, 82, kJoystickTag, 0, 0},
        {"no key selection", 3, 0, -1, kEmptyTag, 0, 0},
        {"key item past the list", 0, 0, 83, kEmptyTag, 0, 0},
        {"no ID selection", 3, -1, 1, kKeyboardTag, 0, 37},
        {"ID item past the list", 3, 17, 1, kKeyboardTag, 0, 37},
    };
    for (const auto& item : cases) {
        MappingEntry entry = entryWith(kKeyboardTag, 0x55, 0x55);
        entry.opaqueA.fill(0xA5);
        entry.opaqueB.fill(0x5A);
        MappingEntry expected = entry;
        expected.tag = item.tag;
        expected.id = item.id;
        expected.code = item.code;
        storeSelectionInEntry(entry, item.row, {item.idItem, item.keyItem});
        EXPECT_EQ(entry, expected) << item.what;
    }

    // The stored tag follows the item's text, as the selector shows it.
    const struct {
        std::string_view text;
        TypeTag tag;
    } texts[] = {{"EMPTY", kEmptyTag},    {"ﾎﾞﾀﾝ05", kJoystickTag}, {"ｺﾝﾄﾛｰﾗ Y軸", kJoystickTag},
                 {"xﾎﾞﾀﾝ", kJoystickTag}, {"A", kKeyboardTag},      {"empty", kKeyboardTag}};
    for (const auto& item : texts) {
        MappingEntry entry;
        storeSelectionInEntry(entry, 4, 0, 0, item.text);
        EXPECT_EQ(entry.tag, item.tag) << item.text;
    }
}

// A record VGS could have written: every byte set, entries 0 to 13 holding an
// ID of the table and a key, axis or button their row lists.
ControllerRecord storedRecord(unsigned seed) {
    const RecordBuffer buffer = patternBuffer(seed);
    ControllerRecord record;
    unpackControllerRecord(record, buffer);
    std::mt19937 random(seed);
    for (int row = 0; row < kControllerRows; ++row) {
        MappingEntry& entry = record.entries[static_cast<std::size_t>(row)];
        entry.id = idTable()[random() % kIdTableSize].code;
        const int item = static_cast<int>(random() % static_cast<unsigned>(keyItemCount(row)));
        const int position = keyItemPosition(row, item);
        entry.code = keyEntry(position).code;
        entry.tag = position == 1 ? kEmptyTag : position <= 82 ? kKeyboardTag : kJoystickTag;
    }
    return record;
}

TEST(ControllerRecord, ShowingAndStoringAgainChangesNoByte) {
    for (unsigned seed = 1; seed <= 200; ++seed) {
        const ControllerRecord original = storedRecord(seed);
        ControllerRecord again = original;
        for (int row = 0; row < kControllerRows; ++row) {
            auto& entry = again.entries[static_cast<std::size_t>(row)];
            storeSelectionInEntry(entry, row, selectionFromEntry(entry, row));
        }
        ASSERT_EQ(again, original) << "seed " << seed;
    }
}

} // namespace
} // namespace tobrel::emulator
