#pragma once
// The VGS controller mapping as the controller panel and tobrel-cli edit it:
// the two controller records, read from and written to VGS's registry values
// through the registry routines. Everything the panel does except its widgets.

#include "emulator/controller_record.h"
#include "emulator/key_table.h"
#include "platform/registry_store.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tobrel::emulator {

inline constexpr int kControllerCount = 2;

inline constexpr std::string_view kControllersKeyPath =
    "Software\\Connectix\\Connectix Virtual Game Station\\Controllers";
// Controller 1, controller 2.
inline constexpr std::array<std::string_view, kControllerCount> kControllerValueNames = {
    "Bank 00 Slot 00", "Bank 01 Slot 00"};

// Panel texts.
inline constexpr std::array<std::string_view, kControllerCount> kControllerTabCaptions = {
    "Controller1", "Controller2"};
inline constexpr std::string_view kIdLabel = "ｺﾝﾄﾛｰﾗID：";

using ControllerSelections = std::array<RowSelection, kControllerRows>;

// The two records live as long as the mapping: they start as zero bytes, take
// the bytes of every successful read and the selections of every apply, and
// are the source of every byte Tobrel does not edit.
class ControllerMapping {
public:
    // The registry is not owned and must outlive the mapping.
    explicit ControllerMapping(platform::RegistryBackend& registry = platform::systemRegistry());

    // Reads both values, each through a buffer zero-filled for that read, so a
    // short value is padded with zeros. A value that cannot be read (missing,
    // longer than a record) leaves its record as it was. Answers which reads
    // succeeded.
    std::array<bool, kControllerCount> load();

    // What a controller's rows show after a load or apply.
    ControllerSelections selections(int controller) const;

    // Takes the selections of both controllers into the records and writes
    // both values, controller 1 first; the second write happens whatever the
    // first answered. Answers which writes succeeded.
    std::array<bool, kControllerCount>
    apply(const std::array<ControllerSelections, kControllerCount>& selections);

    const ControllerRecord& record(int controller) const;

private:
    platform::RegistryBackend& registry_;
    std::array<ControllerRecord, kControllerCount> records_{};
};

// Finds names as the selectors show them, also as a user types them: the item
// of row's key list, or of the ID list, whose text equals name once both are
// read alike (typedNameKey).
std::optional<int> keyItemByName(int row, std::string_view name);
std::optional<int> idItemByName(std::string_view name);

// A name reduced to the form the selectors use, so that what an input method
// types matches: full-width letters, digits and signs become ASCII, the
// ideographic space a space, katakana and hiragana half-width katakana (a
// voiced one with its separate mark, "ボ" as "ﾎﾞ"), and letters capitals.
// "ボタン１２" and "ﾎﾞﾀﾝ12" give the same text, as do "id16" and "ID16".
std::string typedNameKey(std::string_view name);

// Changes one row of one controller in VGS's stored record and nothing else:
// the value is read, the tag, ID and code of that entry are replaced, and the
// value is written back; the other controller's value is not touched. A value
// that does not exist yet starts as the record the panel's Apply writes for a
// missing one (every row "EMPTY"). A value of any size but 1,480 bytes is left
// alone.
struct RowEdit {
    enum class Outcome {
        Written,
        NotARecord, // the value exists but is not 1,480 bytes (valueSize)
        NotWritten, // the registry refused the write
    };
    Outcome outcome = Outcome::NotWritten;
    std::size_t valueSize = 0; // the stored value's size, as found
    ControllerRecord record{}; // the record as written (Written)
};
RowEdit editControllerRow(platform::RegistryBackend& registry, int controller, int row,
                          RowSelection selection);

} // namespace tobrel::emulator
