#include "cli/commands.h"
#include "emulator/controller_mapping.h"

#include <array>
#include <iostream>
#include <optional>
#include <string>

namespace tobrel::cli {
namespace {

using emulator::ControllerMapping;
using emulator::ControllerSelections;

// One row as the panel shows it: controller (1, 2), row, ID, key.
void printRow(int controller, int row, const emulator::RowSelection& shown) {
    std::cout << controller + 1 << '\t' << row << '\t' << emulator::idEntry(shown.idItem + 1).name
              << '\t' << emulator::keyItemName(row, shown.keyItem) << '\n';
}

int printMapping() {
    ControllerMapping mapping;
    mapping.load(); // a value that cannot be read shows as all "EMPTY", as in the panel
    for (int controller = 0; controller < emulator::kControllerCount; ++controller) {
        const ControllerSelections rows = mapping.selections(controller);
        for (int row = 0; row < emulator::kControllerRows; ++row) {
            printRow(controller, row, rows[static_cast<std::size_t>(row)]);
        }
    }
    return kExitOk;
}

// A number from 0 to limit - 1 written as the output prints it: decimal
// digits without a sign or leading zero.
std::optional<int> smallNumber(const std::string& text, int limit) {
    if (text.empty() || text.size() > 2 || (text.size() > 1 && text[0] == '0') ||
        text.find_first_not_of("0123456789") != std::string::npos) {
        return std::nullopt;
    }
    const int value = std::stoi(text);
    return value < limit ? std::optional<int>(value) : std::nullopt;
}

int setRow(const Arguments& args) {
    if (args.size() != 5) {
        return usageError("controller set needs a controller, a row, an ID and a key");
    }
    const auto controllerNumber = smallNumber(args[1], 3);
    if (!controllerNumber || *controllerNumber == 0) {
        return usageError("unknown controller: " + args[1] + " (1 or 2)");
    }
    const auto row = smallNumber(args[2], emulator::kControllerRows);
    if (!row) {
        return usageError("unknown row: " + args[2] + " (0 to 13)");
    }
    const int controller = *controllerNumber - 1;
    const auto idItem = emulator::idItemByName(args[3]);
    if (!idItem) {
        std::cerr << args[3] << ": not a controller ID (EMPTY, ID1 to ID16)\n";
        return kExitFailed;
    }
    const auto keyItem = emulator::keyItemByName(*row, args[4]);
    if (!keyItem) {
        std::cerr << args[4] << ": not in the list of row " << *row << '\n';
        return kExitFailed;
    }

    // Loaded and applied as the panel's Get and Apply do: both values are written.
    ControllerMapping mapping;
    mapping.load();
    std::array<ControllerSelections, emulator::kControllerCount> selections = {
        mapping.selections(0), mapping.selections(1)};
    selections[static_cast<std::size_t>(controller)][static_cast<std::size_t>(*row)] = {*idItem,
                                                                                        *keyItem};
    const auto written = mapping.apply(selections);
    bool failed = false;
    for (std::size_t c = 0; c < written.size(); ++c) {
        if (!written[c]) {
            const auto location = platform::locateRegistry();
            std::cerr << location.file << ": \"" << emulator::kControllerValueNames[c]
                      << "\" not written: " << describeRegistryRefusal(location) << '\n';
            failed = true;
        }
    }
    if (failed) {
        return kExitFailed;
    }
    printRow(controller, *row, mapping.selections(controller)[static_cast<std::size_t>(*row)]);
    return kExitOk;
}

} // namespace

int runController(const Arguments& args) {
    if (args.empty()) {
        return printMapping();
    }
    if (args[0] == "set") {
        return setRow(args);
    }
    return usageError("unknown controller subcommand: " + args[0]);
}

} // namespace tobrel::cli
