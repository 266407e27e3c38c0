#pragma once
// Listing the saves stored on a card image: title and block count per save.

#include <string>
#include <vector>

namespace tobrel::cards {

struct SaveRow {
    int block = 0;      // data block 1..15 where the save begins
    std::string title;  // decoded from Shift-JIS, up to the first NUL
    int blockCount = 0; // blocks the save occupies
};

struct CardSaves {
    bool readable = false; // false: the file could not be opened or read
    std::string error;     // a Japanese reason when not readable
    std::vector<SaveRow> rows;
};

// Lists the saves in directory order: block n is listed when its directory
// entry is 0x51, the block begins "SC" and its block count is not 0. Bytes past
// the end of a short file count as zero. vgsLayout skips the 64-byte header.
CardSaves listCardSaves(const std::string& path, bool vgsLayout);

} // namespace tobrel::cards
