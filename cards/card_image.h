#pragma once
// Reading a card image file whole, for the listing and the check.

#include <cstdint>
#include <string>
#include <vector>

namespace tobrel::cards {

struct CardImage {
    bool readable = false; // false: the file could not be opened or read
    std::string error;     // a Japanese reason when not readable
    // The VGS header (vgsLayout) and the card body; bytes past the end of a
    // short file are zero.
    std::vector<unsigned char> bytes;
    std::uint64_t fileSize = 0;
};

CardImage readCardImage(const std::string& path, bool vgsLayout);

} // namespace tobrel::cards
