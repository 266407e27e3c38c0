#include "emulator/card_slots.h"

#include "cards/card_format.h"
#include "emulator/modCard_Key.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "platform/wine/prefix.h"

#include <stdexcept>

namespace tobrel::emulator {
namespace {

constexpr SlotEmulator kEmulatorOrder[] = {SlotEmulator::Bleem, SlotEmulator::Vgs};

std::size_t slotIndex(int index) {
    if (index < 0 || index >= kSlotsPerEmulator) {
        throw std::out_of_range("memory card slot index " + std::to_string(index));
    }
    return static_cast<std::size_t>(index);
}

std::string_view trimSpaces(std::string_view text) {
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    return text;
}

} // namespace

const SlotEmulatorInfo& slotInfo(SlotEmulator emulator) {
    return emulator == SlotEmulator::Bleem ? kBleemSlots : kVgsSlots;
}

std::string& CardSlotPaths::of(SlotEmulator emulator, int index) {
    return (emulator == SlotEmulator::Bleem ? bleem : vgs)[slotIndex(index)];
}

const std::string& CardSlotPaths::of(SlotEmulator emulator, int index) const {
    return (emulator == SlotEmulator::Bleem ? bleem : vgs)[slotIndex(index)];
}

bool readCardSlot(platform::RegistryBackend& registry, SlotEmulator emulator, int index,
                  std::string& path) {
    const auto& info = slotInfo(emulator);
    return readRegString(registry, kCurrentUser, info.keyPath, info.valueNames[slotIndex(index)],
                         path);
}

bool writeCardSlot(platform::RegistryBackend& registry, SlotEmulator emulator, int index,
                   std::string_view path) {
    const auto& info = slotInfo(emulator);
    std::string terminated(path);
    terminated += '\0';
    return writeRegString(registry, kCurrentUser, info.keyPath, info.valueNames[slotIndex(index)],
                          terminated);
}

void readCardSlots(platform::RegistryBackend& registry, CardSlotPaths& paths) {
    for (SlotEmulator emulator : kEmulatorOrder) {
        for (int index = 0; index < kSlotsPerEmulator; ++index) {
            readCardSlot(registry, emulator, index, paths.of(emulator, index));
        }
    }
}

void readCardSlots(CardSlotPaths& paths) {
    readCardSlots(platform::systemRegistry(), paths);
}

bool applyCardSlots(platform::RegistryBackend& registry, const CardSlotPaths& paths) {
    bool all = true;
    for (SlotEmulator emulator : kEmulatorOrder) {
        for (int index = 0; index < kSlotsPerEmulator; ++index) {
            all = writeCardSlot(registry, emulator, index, paths.of(emulator, index)) && all;
        }
    }
    return all;
}

bool applyCardSlots(const CardSlotPaths& paths) {
    return applyCardSlots(platform::systemRegistry(), paths);
}

bool checkCardForSlot(SlotEmulator emulator, const std::string& localPath) {
    const auto& info = slotInfo(emulator);
    if (!cards::hasCardSignature(localPath, info.vgsSignature)) {
        return false; // also when the file cannot be opened or read
    }
    const auto length = platform::fileSize(localPath);
    return length && *length == info.requiredLength;
}

std::optional<std::string> slotTextToLocalPath(const platform::RegistryLocation& location,
                                               std::string_view slotText) {
    if (location.kind == platform::RegistryStoreKind::OwnFile) {
        return std::string(slotText);
    }
    return platform::windowsPathToUnix(location.prefix, slotText);
}

std::optional<std::string> localPathToSlotText(const platform::RegistryLocation& location,
                                               std::string_view localPath) {
    if (location.kind == platform::RegistryStoreKind::OwnFile) {
        return std::string(localPath);
    }
    return platform::unixPathToWindows(location.prefix, localPath);
}

SlotChoice chooseCardForSlot(SlotEmulator emulator, const platform::RegistryLocation& location,
                             std::string_view chosenLocalPath) {
    const std::string path(trimSpaces(chosenLocalPath));
    SlotChoice choice;
    if (!checkCardForSlot(emulator, path)) {
        choice.message = slotInfo(emulator).rejectionMessage;
        return choice;
    }
    const auto local = localPathToSlotText(location, path);
    if (!local) {
        choice.message = kPathOutsideDrives;
        return choice;
    }
    // A name in Shift-JIS bytes reads as its text, whose code page 932 form is
    // those very bytes again.
    const auto text = platform::nameForDisplay(*local);
    if (!platform::fitsCp932(text)) {
        choice.message = kPathNotForEmulator;
        return choice;
    }
    choice.accepted = true;
    choice.slotText = text;
    return choice;
}

} // namespace tobrel::emulator
