#pragma once
// Moving saves on and off a card: the list with deleted saves, export,
// import, delete, undelete and copy. The card functions work on the 131,072
// card bytes; the file functions read a card file in any container, change it
// and replace it atomically in the same container.

#include "cards/card_container.h"
#include "cards/save_file.h"
#include "cards/save_icon.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tobrel::cards {

struct CardSave {
    int block = 0;           // the save's first block, 1..15
    bool deleted = false;    // A1h rather than 51h
    std::string name;        // from the directory entry, e.g. "BISLPS-01234GAME"
    std::string title;       // decoded from Shift-JIS
    std::vector<int> chain;  // its blocks in order; empty when the chain is broken
    bool restorable = false; // deleted, and undeleteSave would bring it back
    std::optional<SaveIcon> icon;
    int blockCount() const { return static_cast<int>(chain.size()); }
};

// Every save whose first block is 51h or A1h, in block order.
std::vector<CardSave> listAllSaves(std::span<const std::uint8_t> card);

struct SaveEdit {
    bool ok = false;
    std::string error;                // Japanese, when refused
    int block = 0;                    // the save's first block after the change
    std::vector<std::string> givenUp; // deleted saves whose blocks an import took
};

// The save (live or deleted) whose first block is block, its chain whole.
std::optional<SaveData> exportSave(std::span<const std::uint8_t> card, int block,
                                   std::string* error = nullptr);
// Writes save into free blocks, first fit in block order, giving up deleted
// saves (first block first) only when the free blocks are too few. Refused,
// the card unchanged, without room or beside a live save of the same name.
SaveEdit importSave(std::span<std::uint8_t> card, const SaveData& save);
// 51h/52h/53h become A1h/A2h/A3h, links and data kept.
SaveEdit deleteSave(std::span<std::uint8_t> card, int block);
// The reverse, only while every block of the chain is still deleted.
SaveEdit undeleteSave(std::span<std::uint8_t> card, int block);

// The same on files. The card file keeps its container; nothing is written
// when the operation is refused.
SaveEdit importSaveFile(const std::string& cardPath, const SaveData& save);
SaveEdit deleteSaveFile(const std::string& cardPath, int block);
SaveEdit undeleteSaveFile(const std::string& cardPath, int block);
SaveEdit copySaveFile(const std::string& fromPath, int block, const std::string& toPath);

// Reads a single-save file from disk.
SaveFileRead readSaveFile(const std::string& path);

} // namespace tobrel::cards
