#include "cli/commands.h"
#include "emulator/card_slots.h"
#include "platform/encoding.h"
#include "platform/files.h"

#include <cctype>
#include <filesystem>
#include <iostream>

namespace tobrel::cli {
namespace {

using emulator::SlotEmulator;

std::string slotLabel(SlotEmulator which, int index) {
    return std::string(emulator::slotInfo(which).frameCaption) + " Slot" +
           std::to_string(index + 1);
}

bool isDriveLetterPath(const std::string& path) {
    return path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) &&
           path[1] == ':' && (path[2] == '\\' || path[2] == '/');
}

} // namespace

std::string describeRegistryRefusal(const platform::RegistryLocation& location) {
    switch (platform::registryWriteBlock(location)) {
    case platform::RegistryWriteBlock::Unreadable:
        return "the registry file cannot be read";
    case platform::RegistryWriteBlock::ForeignFile:
        return "the registry file is not a Wine registry file; it is left alone";
    case platform::RegistryWriteBlock::WineserverRunning:
        return "Wine is running in " + location.prefix +
               " and would overwrite the change; stop it first (wineserver -k)";
    case platform::RegistryWriteBlock::None:
        break;
    }
    return "the registry file could not be written";
}

namespace {

int printSlots() {
    emulator::CardSlotPaths paths;
    emulator::readCardSlots(paths);
    for (SlotEmulator which : {SlotEmulator::Bleem, SlotEmulator::Vgs}) {
        for (int index = 0; index < emulator::kSlotsPerEmulator; ++index) {
            std::cout << slotLabel(which, index) << '\t' << paths.of(which, index) << '\n';
        }
    }
    return kExitOk;
}

int setSlot(const Arguments& args) {
    if (args.size() != 4) {
        return usageError("slots set needs an emulator, a slot number and a path");
    }
    SlotEmulator which;
    if (args[1] == "bleem" || args[1] == "bleem!") {
        which = SlotEmulator::Bleem;
    } else if (args[1] == "vgs" || args[1] == "VGS") {
        which = SlotEmulator::Vgs;
    } else {
        return usageError("unknown emulator: " + args[1] + " (bleem or vgs)");
    }
    if (args[2] != "1" && args[2] != "2") {
        return usageError("unknown slot: " + args[2] + " (1 or 2)");
    }
    const int index = args[2] == "1" ? 0 : 1;
    const auto location = platform::locateRegistry();

    // Spaces around the path are dropped, as for a file chosen in the panel.
    std::string given = args[3];
    given.erase(0, given.find_first_not_of(' '));
    given.erase(given.find_last_not_of(' ') + 1);

    std::string slotText; // an empty path empties the slot
    if (!given.empty()) {
        // With a Wine prefix, a drive-letter path is taken as the emulators would see it.
        const bool windowsPath =
            location.kind == platform::RegistryStoreKind::WinePrefix && isDriveLetterPath(given);
        std::string localPath = given;
        if (windowsPath) {
            auto mapped = emulator::slotTextToLocalPath(location, given);
            if (!mapped) {
                std::cerr << given << ": no such drive in " << location.prefix << '\n';
                return kExitFailed;
            }
            localPath = *mapped;
        } else if (!given.starts_with('/')) {
            std::error_code error;
            localPath =
                platform::fromFsPath(std::filesystem::absolute(platform::toFsPath(given), error));
        }
        const auto choice = emulator::chooseCardForSlot(which, location, localPath);
        if (!choice.accepted) {
            std::cerr << given << ": " << choice.message << '\n';
            return kExitFailed;
        }
        slotText = windowsPath ? given : choice.slotText;
    }

    if (!platform::fitsCp932(slotText)) {
        std::cerr << given << ": " << emulator::kPathNotForEmulator << '\n';
        return kExitFailed;
    }
    if (!emulator::writeCardSlot(platform::systemRegistry(), which, index, slotText)) {
        std::cerr << location.file << ": " << describeRegistryRefusal(location) << '\n';
        return kExitFailed;
    }
    std::cout << slotLabel(which, index) << '\t' << slotText << '\n';
    return kExitOk;
}

} // namespace

int runSlots(const Arguments& args) {
    if (isModernSlotsCommand(args)) {
        return runModernSlots(args);
    }
    if (args.empty()) {
        return printSlots();
    }
    if (args[0] == "set") {
        return setSlot(args);
    }
    return usageError("unknown slots subcommand: " + args[0]);
}

} // namespace tobrel::cli
