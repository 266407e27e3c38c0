#include "emulator/controller_record.h"

#include "emulator/key_table.h"

#include <algorithm>
#include <stdexcept>

namespace tobrel::emulator {
namespace {

void checkBuffer(std::size_t size) {
    if (size != kControllerRecordSize) {
        throw std::invalid_argument("a controller record is 1,480 bytes, not " +
                                    std::to_string(size));
    }
}

// Copies between a record's fields and the buffer in storage order; the same
// walk serves both directions so they cannot drift apart.
template <typename Record, typename Bytes, typename Copy>
void walkRecord(Record& record, Bytes buffer, Copy copy) {
    std::size_t offset = 0;
    auto field = [&](auto& bytes) {
        copy(std::span(bytes), buffer.subspan(offset, bytes.size()));
        offset += bytes.size();
    };
    auto byte = [&](auto& value) {
        copy(std::span(&value, 1), buffer.subspan(offset, 1));
        offset += 1;
    };
    field(record.header);
    for (auto& entry : record.entries) {
        field(entry.tag);
        byte(entry.id);
        field(entry.opaqueA);
        byte(entry.code);
        field(entry.opaqueB);
    }
}

bool contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

} // namespace

void unpackControllerRecord(ControllerRecord& record, std::span<const std::uint8_t> buffer) {
    checkBuffer(buffer.size());
    walkRecord(record, buffer, [](auto field, auto bytes) {
        std::copy(bytes.begin(), bytes.end(), field.begin());
    });
}

void packControllerRecord(const ControllerRecord& record, std::span<std::uint8_t> buffer) {
    checkBuffer(buffer.size());
    walkRecord(record, buffer, [](auto field, auto bytes) {
        std::copy(field.begin(), field.end(), bytes.begin());
    });
}

RowSelection selectionFromEntry(const MappingEntry& entry, int row) {
    RowSelection selection;
    if (const auto id = findIdPosition(entry.id)) {
        selection.idItem = *id - 1;
    }
    // The tag decides which part of the table the code belongs to: a joystick
    // code never names a key, and the keyboard part is searched first otherwise.
    const bool joystick = entry.tag == kJoystickTag;
    const auto position = joystick ? findKeyPosition(entry.code, kYAxisPosition, kButtonLast)
                                   : findKeyPosition(entry.code, 1, kKeyTableSize);
    if (position) {
        selection.keyItem = keyItemOf(row, *position).value_or(0);
    }
    return selection;
}

void storeSelectionInEntry(MappingEntry& entry, int row, int idItem, int keyItem,
                           std::string_view keyText) {
    entry.id = idItem >= 0 && idItem < kIdTableSize ? idEntry(idItem + 1).code : 0;
    if (keyItem < 0 || keyItem >= keyItemCount(row)) {
        entry.tag = kEmptyTag;
        entry.code = 0;
        return;
    }
    if (keyText == "EMPTY") {
        entry.tag = kEmptyTag;
        entry.code = keyEntry(keyItemPosition(row, keyItem)).code;
    } else if (contains(keyText, "ﾎﾞﾀﾝ") || contains(keyText, "ｺﾝﾄﾛｰﾗ")) {
        entry.tag = kJoystickTag;
        entry.code = keyEntry(keyItemPosition(row, keyItem)).code;
    } else {
        entry.tag = kKeyboardTag;
        entry.code = keyEntry(keyItem + 1).code;
    }
}

void storeSelectionInEntry(MappingEntry& entry, int row, RowSelection selection) {
    const bool listed = selection.keyItem >= 0 && selection.keyItem < keyItemCount(row);
    storeSelectionInEntry(entry, row, selection.idItem, selection.keyItem,
                          listed ? keyItemName(row, selection.keyItem) : std::string_view());
}

} // namespace tobrel::emulator
