#include "emulator/controller_mapping.h"

#include "emulator/modCard_Key.h"

#include <stdexcept>
#include <string>

namespace tobrel::emulator {
namespace {

std::size_t controllerIndex(int controller) {
    if (controller < 0 || controller >= kControllerCount) {
        throw std::out_of_range("controller " + std::to_string(controller));
    }
    return static_cast<std::size_t>(controller);
}

} // namespace

ControllerMapping::ControllerMapping(platform::RegistryBackend& registry) : registry_(registry) {}

std::array<bool, kControllerCount> ControllerMapping::load() {
    std::array<bool, kControllerCount> read{};
    for (std::size_t c = 0; c < records_.size(); ++c) {
        RecordBuffer buffer{}; // fresh per value: a short value takes no bytes of the other
        read[c] = readRegBinary(registry_, kCurrentUser, kControllersKeyPath,
                                kControllerValueNames[c], buffer);
        if (read[c]) {
            unpackControllerRecord(records_[c], buffer);
        }
    }
    return read;
}

ControllerSelections ControllerMapping::selections(int controller) const {
    const ControllerRecord& source = record(controller);
    ControllerSelections rows;
    for (int row = 0; row < kControllerRows; ++row) {
        rows[static_cast<std::size_t>(row)] =
            selectionFromEntry(source.entries[static_cast<std::size_t>(row)], row);
    }
    return rows;
}

std::array<bool, kControllerCount>
ControllerMapping::apply(const std::array<ControllerSelections, kControllerCount>& selections) {
    for (std::size_t c = 0; c < records_.size(); ++c) {
        for (int row = 0; row < kControllerRows; ++row) {
            const auto r = static_cast<std::size_t>(row);
            storeSelectionInEntry(records_[c].entries[r], row, selections[c][r]);
        }
    }
    std::array<bool, kControllerCount> written{};
    for (std::size_t c = 0; c < records_.size(); ++c) {
        RecordBuffer buffer{};
        packControllerRecord(records_[c], buffer);
        written[c] = writeRegBinary(registry_, kCurrentUser, kControllersKeyPath,
                                    kControllerValueNames[c], buffer);
    }
    return written;
}

const ControllerRecord& ControllerMapping::record(int controller) const {
    return records_[controllerIndex(controller)];
}

std::optional<int> keyItemByName(int row, std::string_view name) {
    for (int item = 0; item < keyItemCount(row); ++item) {
        if (keyItemName(row, item) == name) {
            return item;
        }
    }
    return std::nullopt;
}

std::optional<int> idItemByName(std::string_view name) {
    for (int item = 0; item < kIdTableSize; ++item) {
        if (idEntry(item + 1).name == name) {
            return item;
        }
    }
    return std::nullopt;
}

} // namespace tobrel::emulator
