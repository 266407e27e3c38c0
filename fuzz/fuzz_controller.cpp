// Any bytes as VGS's two controller values. Properties: a load followed by an
// apply of the selections it shows writes back every byte Tobrel does not
// edit (header, opaque fields, entries 14..27; a short value padded with
// zeros); an entry that meets the round-trip condition (an ID of the table
// and a key its row lists under its own tag) comes back unchanged; a second
// load and apply changes nothing more.
#include "emulator/controller_mapping.h"
#include "emulator/key_table.h"
#include "fuzz/fuzz_support.h"

#include <map>
#include <string>
#include <vector>

using namespace tobrel;
using namespace tobrel::emulator;

namespace {

// A registry holding one key's binary values in memory.
class MemoryRegistry final : public platform::RegistryBackend {
public:
    std::map<std::string, std::vector<std::uint8_t>, std::less<>> values;

    std::optional<platform::RegistryKey> openKey(platform::RegistryRoot,
                                                 std::string_view path) override {
        fuzz::require(path == kControllersKeyPath, "the controllers key is used");
        return 1;
    }
    std::optional<platform::RegistryKey> createKey(platform::RegistryRoot root,
                                                   std::string_view path) override {
        return openKey(root, path);
    }
    bool queryValue(platform::RegistryKey, std::string_view name, std::span<std::uint8_t> buffer,
                    std::size_t* delivered) override {
        const auto found = values.find(name);
        if (found == values.end()) {
            return false;
        }
        if (found->second.size() > buffer.size()) {
            if (delivered != nullptr) {
                *delivered = found->second.size();
            }
            return false;
        }
        std::copy(found->second.begin(), found->second.end(), buffer.begin());
        if (delivered != nullptr) {
            *delivered = found->second.size();
        }
        return true;
    }
    bool setValue(platform::RegistryKey, std::string_view name, std::uint32_t,
                  std::span<const std::uint8_t> data) override {
        values[std::string(name)].assign(data.begin(), data.end());
        return true;
    }
    void closeKey(platform::RegistryKey) override {}
};

bool meetsRoundTrip(const MappingEntry& entry, int row) {
    if (!findIdPosition(entry.id)) {
        return false;
    }
    std::optional<int> position;
    if (entry.tag == kJoystickTag) {
        position = findKeyPosition(entry.code, kYAxisPosition, kButtonLast);
    } else if (entry.tag == kKeyboardTag) {
        position = findKeyPosition(entry.code, kKeyboardFirst, kKeyTableSize);
        if (position && (*position == kKeyboardFirst || *position > kKeyboardLast)) {
            position.reset(); // "EMPTY" or a joystick code under the keyboard tag
        }
    }
    return position && keyItemOf(row, *position).has_value();
}

ControllerRecord recordOf(const std::vector<std::uint8_t>& bytes) {
    RecordBuffer buffer{};
    std::copy(bytes.begin(), bytes.end(), buffer.begin());
    ControllerRecord record;
    unpackControllerRecord(record, buffer);
    return record;
}

void loadAndApply(MemoryRegistry& registry) {
    ControllerMapping mapping(registry);
    mapping.load();
    mapping.apply({mapping.selections(0), mapping.selections(1)});
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    fuzz::Input input(data, size);
    MemoryRegistry registry;
    const std::size_t firstSize = (input.byte() << 8 | input.byte()) % (kControllerRecordSize + 8);
    const std::string_view rest = input.rest();
    const std::string_view first = rest.substr(0, std::min(firstSize, rest.size()));
    const std::string_view second = rest.substr(first.size());
    registry.values[std::string(kControllerValueNames[0])].assign(first.begin(), first.end());
    registry.values[std::string(kControllerValueNames[1])].assign(second.begin(), second.end());
    const auto before = registry.values;

    loadAndApply(registry);
    for (std::size_t c = 0; c < kControllerValueNames.size(); ++c) {
        const auto& written = registry.values[std::string(kControllerValueNames[c])];
        fuzz::require(written.size() == kControllerRecordSize, "a whole record is written");
        const auto& old = before.at(std::string(kControllerValueNames[c]));
        if (old.size() > kControllerRecordSize) {
            continue; // unreadable: the record written is the zero record's selections
        }
        const ControllerRecord original = recordOf(old);
        const ControllerRecord result = recordOf(written);
        fuzz::require(result.header == original.header, "the header is kept");
        for (std::size_t e = 0; e < kMappingEntryCount; ++e) {
            const MappingEntry& was = original.entries[e];
            const MappingEntry& is = result.entries[e];
            fuzz::require(is.opaqueA == was.opaqueA && is.opaqueB == was.opaqueB,
                          "fields Tobrel does not interpret are kept");
            const int row = static_cast<int>(e);
            if (row >= kControllerRows || meetsRoundTrip(was, row)) {
                fuzz::require(is == was, "an entry meeting the round trip comes back unchanged");
            }
        }
    }

    const auto once = registry.values;
    loadAndApply(registry);
    fuzz::require(registry.values == once, "a second load and apply changes nothing");
    return 0;
}
