#pragma once
// Listing the saves stored on a card image: title and block count per save,
// with each save's icon and the card's health check read from the same bytes.

#include "cards/card_check.h"
#include "cards/save_icon.h"

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tobrel::cards {

struct SaveRow {
    int block = 0;      // data block 1..15 where the save begins
    std::string title;  // decoded from Shift-JIS, up to the first NUL
    int blockCount = 0; // blocks the save occupies
    std::optional<SaveIcon> icon;
};

struct CardSaves {
    bool readable = false; // false: the file could not be opened or read
    std::string error;     // a Japanese reason when not readable
    std::vector<SaveRow> rows;
    std::vector<CardFinding> findings; // empty for a sound card
};

// Lists the saves in directory order: block n is listed when its directory
// entry is 0x51, the block begins "SC" and its block count is not 0. Bytes past
// the end of a short file count as zero. vgsLayout skips the 64-byte header.
// The icons and the findings never change which saves are listed.
CardSaves listCardSaves(const std::string& path, bool vgsLayout);

// The same rows from a card body of kCardBodySize bytes.
std::vector<SaveRow> listSaveRows(std::span<const unsigned char> body);

} // namespace tobrel::cards
