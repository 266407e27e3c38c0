#pragma once
// Builds card image bytes for tests.

#include "cards/card_format.h"

#include <cstring>
#include <string>
#include <string_view>

namespace tobrel::testing {

// A bleem!/PSEmuPro card body: "MC", an empty directory, and a recognisable
// pattern in every byte past the directory so that copies can be checked.
inline std::string makeCardBody() {
    std::string body(cards::kCardBodySize, '\0');
    for (std::size_t i = cards::kBlockSize; i < body.size(); ++i) {
        body[i] = static_cast<char>((i * 7 + 3) & 0x7F);
    }
    // Block starts must not look like saves unless a test puts one there.
    for (std::size_t n = 1; n < cards::kBlockCount; ++n) {
        body[n * cards::kBlockSize] = 'x';
    }
    body[0] = 'M';
    body[1] = 'C';
    return body;
}

// Puts a save header at data block n (1..15) and marks its directory entry.
inline void addSave(std::string& body, int n, std::string_view titleCp932, int blockCount,
                    unsigned char dirState = cards::kDirFirstBlockOfSave) {
    const std::size_t block = cards::kBlockSize * static_cast<std::size_t>(n);
    body[cards::kFrameSize * static_cast<std::size_t>(n)] = static_cast<char>(dirState);
    body[block] = 'S';
    body[block + 1] = 'C';
    body[block + 2] = 0x11;
    body[block + 3] = static_cast<char>(blockCount);
    std::memset(body.data() + block + cards::kSaveTitleOffset, 0, cards::kSaveTitleSize);
    std::memcpy(body.data() + block + cards::kSaveTitleOffset, titleCp932.data(),
                std::min(titleCp932.size(), cards::kSaveTitleSize));
}

inline std::string vgsHeaderBytes() {
    return std::string(reinterpret_cast<const char*>(cards::vgsHeader.data()),
                       cards::vgsHeader.size());
}

inline std::string makeVgsImage(const std::string& body) {
    return vgsHeaderBytes() + body;
}

} // namespace tobrel::testing
