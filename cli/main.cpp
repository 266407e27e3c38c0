// tobrel-cli: Tobrel's conversions and listings for scripts and batch work.
// It holds no logic of its own; every command calls the same core as the window.

#include "cli/commands.h"
#include "platform/command_line.h"

#include <iostream>
#include <string_view>

namespace tobrel::cli {

namespace {
constexpr std::string_view kUsage = R"(usage:
  tobrel-cli convert DIRECTION FILE...
      Converts each FILE and writes the result beside it.
      DIRECTION: 0 or vgs-bleem     VGS (.MEM) to bleem! (.MCD)
                 1 or vgs-psemu     VGS (.MEM) to PSEmuPro/ePSXe (.MCR)
                 2 or bleem-vgs     bleem! (.MCD) to VGS (.MEM)
                 3 or bleem-psemu   bleem! (.MCD) to PSEmuPro/ePSXe (.MCR)
                 4 or psemu-vgs     PSEmuPro/ePSXe (.MCR) to VGS (.MEM)
                 5 or psemu-bleem   PSEmuPro/ePSXe (.MCR) to bleem! (.MCD)
  tobrel-cli convert --to FORMAT FILE...
      Writes the card of each FILE (raw, VGS, DexDrive .gme or PSP/Vita .vmp,
      told by content) beside it as FORMAT: raw, mcr, mcd (the raw card), mem
      (VGS), gme (DexDrive) or vmp (PSP/Vita, signed).
  tobrel-cli saves [--vgs] [--all | --icons DIR] FILE
      Lists the saves on a card image (any container): title, a tab, block count.
      --all lists deleted saves too: first block, state (live or deleted),
      name, title and block count, separated by tabs.
      --vgs reads FILE as a VGS image (64-byte header first); without it a
      file that begins "VgsM" and is 131,136 bytes long, or whose name ends
      in .MEM, is read as one too.
      --icons writes each save's icon into DIR (made when missing) as
      NAME_NN.png (NAME: FILE's name without extension, NN: the save's first
      block) and adds a tab and that path to its line (nothing after the tab
      for a save without an icon).
  tobrel-cli check [--vgs] FILE...
      Checks each card image: header, directory checksums, block states and
      each save's chain of blocks. One line per finding: file, a tab, block
      (0 for the header and the file itself), a tab, what is wrong.
      --vgs and the layout of each file: as for saves.
      Exit status 0 only when every card is sound.
  tobrel-cli export CARD BLOCK [OUT]
      Writes the save whose first block is BLOCK (1-15) into a new file OUT;
      its type follows OUT's extension: .mcs/.ps1, .psx, .psv (signed), none
      for a raw save. Without OUT: NAME.mcs beside CARD. Prints the file.
  tobrel-cli import CARD SAVEFILE...
      Puts each save file (.mcs, .ps1, .psx, .psv or a raw save) onto CARD,
      rewriting CARD in its own container. Prints first block, a tab, name.
  tobrel-cli delete CARD BLOCK
  tobrel-cli undelete CARD BLOCK
      Marks a save deleted, keeping it restorable, or brings it back.
  tobrel-cli copy FROM BLOCK TO
      Copies a save from card FROM onto card TO; prints its first block there.
  tobrel-cli slots
      Prints the card image path of each memory-card slot of bleem! and VGS:
      label, a tab, path.
  tobrel-cli slots set bleem|vgs 1|2 PATH
      Puts the card image PATH into that slot after checking it (bleem!: an
      "MC" file of 131,072 bytes; VGS: a "VgsM" file of 131,136 bytes).
      An empty PATH ("") empties the slot.
      The registry is $TOBREL_REGISTRY, else $WINEPREFIX/user.reg (default
      ~/.wine) when that folder is a Wine prefix (it holds system.reg,
      user.reg or dosdevices), else ~/.config/tobrel/user.reg.
  tobrel-cli slots --found
      Lists the emulators of today whose settings are on this system: name,
      a tab, build (linux, or windows: natively or under Wine), a tab, where
      the settings are.
  tobrel-cli slots --emulator NAME [--build linux|windows]
      Prints the two card slots of NAME (duckstation, pcsx-redux, pcsxr,
      epsxe): label, a tab, path as stored; a third column when the slot
      does not load that file. --build chooses when both builds are found.
  tobrel-cli slots set --emulator NAME [--build B] 1|2 PATH
      Puts the card PATH (a card of 131,072 bytes) into that slot and makes
      the slot use it, changing nothing else in the emulator's settings.
      Refused while the emulator (or, under Wine, the prefix's wineserver)
      runs: it writes its settings back when it exits.
  tobrel-cli slots swap --emulator NAME [--build B]
      Exchanges the two slots.
  tobrel-cli controller
      Prints the VGS controller mapping as the controller panel shows it, one
      row per line: controller (1 or 2), a tab, row (0 up, 1 down, 2 left,
      3 right, 4 triangle, 5 circle, 6 square, 7 cross, 8 L1, 9 L2, 10 R1,
      11 R2, 12 SELECT, 13 START), a tab, controller ID, a tab, key.
  tobrel-cli controller set 1|2 ROW ID KEY
      Sets one row by the names the panel's selectors show (ID: EMPTY, ID1 to
      ID16; KEY: e.g. A, "PAGE UP", "ｺﾝﾄﾛｰﾗ X軸", ﾎﾞﾀﾝ12), also typed in
      full-width characters or another letter case (ボタン１２, id16). Only
      that row's entry of that controller's record changes; a stored value
      that is not a 1,480-byte record is left alone (exit status 1).
  tobrel-cli codelist FILE
      Writes the Japanese sections of the [pec]Codelist file FILE into
      codelist_japan.inf in the same folder and prints that path.
exit status: 0 all done, 1 something failed, 2 bad usage
)";
} // namespace

int usageError(const std::string& message) {
    std::cerr << "tobrel-cli: " << message << "\n\n" << kUsage;
    return kExitUsage;
}

} // namespace tobrel::cli

int main(int argc, char** argv) {
    using namespace tobrel::cli;
    const auto arguments = tobrel::platform::commandLineArguments(argc, argv);
    if (arguments.empty()) {
        return usageError("no command given");
    }
    const std::string_view command = arguments.front();
    const Arguments args(arguments.begin() + 1, arguments.end());
    if (command == "-h" || command == "--help" || command == "help") {
        std::cout << kUsage;
        return kExitOk;
    }
    if (command == "convert") {
        return runConvert(args);
    }
    if (command == "saves") {
        return runSaves(args);
    }
    if (command == "check") {
        return runCheck(args);
    }
    if (command == "export") {
        return runExport(args);
    }
    if (command == "import") {
        return runImport(args);
    }
    if (command == "delete") {
        return runDelete(args);
    }
    if (command == "undelete") {
        return runUndelete(args);
    }
    if (command == "copy") {
        return runCopy(args);
    }
    if (command == "slots") {
        return runSlots(args);
    }
    if (command == "controller") {
        return runController(args);
    }
    if (command == "codelist") {
        return runCodelist(args);
    }
    return usageError("unknown command: " + std::string(command));
}
