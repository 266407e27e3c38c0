#include "cli/commands.h"
#include "emulator/controller_mapping.h"

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
        return usageError("unknown controller ID: " + args[3] + " (EMPTY, ID1 to ID16)");
    }
    const auto keyItem = emulator::keyItemByName(*row, args[4]);
    if (!keyItem) {
        return usageError("unknown key for row " + std::to_string(*row) + ": " + args[4]);
    }

    // Only this entry of this controller's value changes; the panel's Apply
    // writes every row of both, which is not what one named row asks for.
    const auto valueName = emulator::kControllerValueNames[static_cast<std::size_t>(controller)];
    const auto edit = emulator::editControllerRow(platform::systemRegistry(), controller, *row,
                                                  {*idItem, *keyItem});
    switch (edit.outcome) {
    case emulator::RowEdit::Outcome::NotARecord:
        std::cerr << platform::locateRegistry().file << ": \"" << valueName << "\" is "
                  << edit.valueSize << " bytes, not a controller record of "
                  << emulator::kControllerRecordSize << "; nothing written\n";
        return kExitFailed;
    case emulator::RowEdit::Outcome::NotWritten: {
        const auto location = platform::locateRegistry();
        std::cerr << location.file << ": \"" << valueName
                  << "\" not written: " << describeRegistryRefusal(location) << '\n';
        return kExitFailed;
    }
    case emulator::RowEdit::Outcome::Written:
        break;
    }
    printRow(
        controller, *row,
        emulator::selectionFromEntry(edit.record.entries[static_cast<std::size_t>(*row)], *row));
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
