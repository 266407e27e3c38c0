// tobrel-cli slots --found / --emulator NAME [set SLOT PATH | swap]: the card
// slots of DuckStation, PCSX-Redux, PCSX-R and ePSXe.

#include "cards/conversion.h"
#include "cli/commands.h"
#include "emulator/modern_slots.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/wine/prefix.h"

#include <filesystem>
#include <iostream>

namespace tobrel::cli {
namespace {

using emulator::EmulatorSettings;

struct ModernArguments {
    bool found = false;
    std::string emulator;
    std::string build; // "linux" or "windows"; empty: whichever is found
    Arguments rest;
};

std::optional<ModernArguments> parse(const Arguments& args, std::string& error) {
    ModernArguments parsed;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--found") {
            parsed.found = true;
        } else if (args[i] == "--emulator" || args[i] == "--build") {
            if (i + 1 >= args.size()) {
                error = args[i] + " needs a value";
                return std::nullopt;
            }
            std::string& target = args[i] == "--emulator" ? parsed.emulator : parsed.build;
            target = args[++i];
        } else {
            parsed.rest.push_back(args[i]);
        }
    }
    return parsed;
}

std::string buildName(const EmulatorSettings& settings) {
    return settings.windowsBuild ? "windows" : "linux";
}

int printFound() {
    for (const auto& settings : emulator::findEmulators(emulator::currentSearchPlaces())) {
        std::cout << settings.info().cliName << '\t' << buildName(settings) << '\t'
                  << emulator::describeSettingsPlace(settings) << '\n';
    }
    return kExitOk;
}

std::string slotLabel(const EmulatorSettings& settings, int index) {
    return std::string(settings.info().caption) + " Slot" + std::to_string(index + 1);
}

int printSlots(const EmulatorSettings& settings) {
    const auto reading = emulator::readModernSlots(settings);
    if (!reading.ok) {
        std::cerr << reading.error << '\n';
        return kExitFailed;
    }
    for (int index = 0; index < 2; ++index) {
        const auto& slot = reading.perSlot[static_cast<std::size_t>(index)];
        std::cout << slotLabel(settings, index) << '\t' << slot.value.value_or("");
        if (slot.value && !slot.usesCardFile) {
            const auto& keys = settings.layout().perSlot[static_cast<std::size_t>(index)];
            std::cout << "\t(使われていません: " << keys.enableKey << "="
                      << (slot.enableState.empty() ? "なし" : slot.enableState) << ")";
        }
        std::cout << '\n';
    }
    for (const auto& note : reading.notes) {
        std::cerr << note << '\n';
    }
    return kExitOk;
}

// The card the user named, as a file of this system: a drive-letter path is
// taken as the emulator under Wine would see it.
std::optional<std::string> localCardPath(const EmulatorSettings& settings, std::string given) {
    given.erase(0, given.find_first_not_of(' '));
    given.erase(given.find_last_not_of(' ') + 1);
    if (!settings.winePrefix.empty() && platform::isWindowsFormPath(given)) {
        return platform::windowsPathToUnix(settings.winePrefix, given);
    }
    if (!std::filesystem::path(platform::toFsPath(given)).is_absolute()) {
        std::error_code error;
        return platform::fromFsPath(std::filesystem::absolute(platform::toFsPath(given), error));
    }
    return given;
}

int setSlot(const EmulatorSettings& settings, const Arguments& rest) {
    if (rest.size() != 3 || (rest[1] != "1" && rest[1] != "2") || rest[2].empty()) {
        return usageError("slots set --emulator NAME needs a slot number (1 or 2) and a card path");
    }
    const int index = rest[1] == "1" ? 0 : 1;
    const auto local = localCardPath(settings, rest[2]);
    if (!local) {
        std::cerr << rest[2] << ": このﾄﾞﾗｲﾌﾞは " << settings.winePrefix << " にありません。\n";
        return kExitFailed;
    }
    const auto change = emulator::setModernSlot(settings, index, *local);
    if (!change.ok) {
        std::cerr << rest[2] << ": " << change.message << '\n';
        if (change.offerConversion) {
            std::cerr << "変換するには: tobrel-cli convert --to mcr " << *local << '\n';
        }
        return kExitFailed;
    }
    std::cout << slotLabel(settings, index) << '\t'
              << change.stored[static_cast<std::size_t>(index)].value_or("") << '\n';
    return kExitOk;
}

int swapSlots(const EmulatorSettings& settings) {
    const auto change = emulator::swapModernSlots(settings);
    if (!change.ok) {
        std::cerr << change.message << '\n';
        return kExitFailed;
    }
    for (int index = 0; index < 2; ++index) {
        std::cout << slotLabel(settings, index) << '\t'
                  << change.stored[static_cast<std::size_t>(index)].value_or("") << '\n';
    }
    return kExitOk;
}

} // namespace

bool isModernSlotsCommand(const Arguments& args) {
    for (const auto& arg : args) {
        if (arg == "--emulator" || arg == "--found") {
            return true;
        }
    }
    return false;
}

int runModernSlots(const Arguments& args) {
    std::string error;
    const auto parsed = parse(args, error);
    if (!parsed) {
        return usageError(error);
    }
    if (parsed->found) {
        if (!parsed->emulator.empty() || !parsed->rest.empty()) {
            return usageError("slots --found takes nothing else");
        }
        return printFound();
    }
    const auto which = emulator::modernEmulatorFromName(parsed->emulator);
    if (!which) {
        return usageError("unknown emulator: " + parsed->emulator +
                          " (duckstation, pcsx-redux, pcsxr or epsxe)");
    }
    if (!parsed->build.empty() && parsed->build != "linux" && parsed->build != "windows") {
        return usageError("unknown build: " + parsed->build + " (linux or windows)");
    }
    std::vector<EmulatorSettings> candidates;
    for (const auto& settings : emulator::findEmulators(emulator::currentSearchPlaces())) {
        if (settings.emulator == *which &&
            (parsed->build.empty() || parsed->build == buildName(settings))) {
            candidates.push_back(settings);
        }
    }
    const auto& caption = emulator::modernEmulatorInfo(*which).caption;
    if (candidates.empty()) {
        std::cerr << caption << "の設定が見つかりません。\n";
        return kExitFailed;
    }
    if (candidates.size() > 1) {
        std::string places;
        for (const auto& settings : candidates) {
            places += "\n  --build " + buildName(settings) + "\t" +
                      emulator::describeSettingsPlace(settings);
        }
        return usageError(std::string(caption) +
                          " is found twice; choose one with --build:" + places);
    }
    const auto& settings = candidates.front();
    if (parsed->rest.empty()) {
        return printSlots(settings);
    }
    if (parsed->rest[0] == "set") {
        return setSlot(settings, parsed->rest);
    }
    if (parsed->rest[0] == "swap" && parsed->rest.size() == 1) {
        return swapSlots(settings);
    }
    return usageError("unknown slots subcommand: " + parsed->rest[0]);
}

} // namespace tobrel::cli
