#pragma once
// Builds card image bytes for tests.

#include "cards/card_format.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

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

// Byte 127 of frame (0 header, 1..15 directory) becomes the XOR of bytes 0..126.
inline void sealFrame(std::string& body, int frame) {
    const std::size_t start = cards::kFrameSize * static_cast<std::size_t>(frame);
    char sum = 0;
    for (std::size_t i = 0; i < 127; ++i) {
        sum = static_cast<char>(sum ^ body[start + i]);
    }
    body[start + 127] = sum;
}

// Sets a directory entry's state, length and link, and seals it.
inline void setDirEntry(std::string& body, int n, unsigned char state, unsigned length,
                        unsigned link) {
    char* entry = body.data() + cards::kFrameSize * static_cast<std::size_t>(n);
    entry[0] = static_cast<char>(state);
    for (int i = 0; i < 4; ++i) {
        entry[4 + i] = static_cast<char>((length >> (8 * i)) & 0xFF);
    }
    entry[8] = static_cast<char>(link & 0xFF);
    entry[9] = static_cast<char>(link >> 8);
    sealFrame(body, n);
}

// A formatted card: makeCardBody() with every block free and every frame sealed.
inline std::string makeFormattedCard() {
    std::string body = makeCardBody();
    sealFrame(body, 0);
    for (int n = 1; n <= cards::kSaveBlockCount; ++n) {
        setDirEntry(body, n, 0xA0, 0, 0xFFFF);
    }
    return body;
}

// Stores a save the way a console does: its blocks chained in the given order
// (first 0x51, middle 0x52, last 0x53), its length, and a title frame whose
// icon has iconFrames frames.
inline void addChainedSave(std::string& body, const std::vector<int>& blocks,
                           std::string_view titleCp932, int iconFrames = 1) {
    const int count = static_cast<int>(blocks.size());
    addSave(body, blocks.front(), titleCp932, count);
    body[cards::kBlockSize * static_cast<std::size_t>(blocks.front()) + 2] =
        static_cast<char>(0x10 + iconFrames);
    for (int i = 0; i < count; ++i) {
        const unsigned char state = i == 0 ? 0x51 : (i + 1 == count ? 0x53 : 0x52);
        const unsigned link = i + 1 == count ? 0xFFFF : static_cast<unsigned>(blocks[i + 1] - 1);
        const unsigned length = i == 0 ? static_cast<unsigned>(count) * 8192 : 0;
        setDirEntry(body, blocks[i], state, length, link);
    }
}

inline std::string vgsHeaderBytes() {
    return std::string(reinterpret_cast<const char*>(cards::vgsHeader.data()),
                       cards::vgsHeader.size());
}

inline std::string makeVgsImage(const std::string& body) {
    return vgsHeaderBytes() + body;
}

} // namespace tobrel::testing
