#include "cards/card_saves.h"

#include "cards/card_format.h"
#include "cards/card_image.h"
#include "platform/encoding.h"

#include <cstring>
#include <span>

namespace tobrel::cards {

CardSaves listCardSaves(const std::string& path, bool vgsLayout) {
    CardSaves saves;
    const auto image = readCardImage(path, vgsLayout);
    if (!image.readable) {
        saves.error = image.error;
        return saves;
    }
    saves.readable = true;
    const std::size_t headerSize = vgsLayout ? kVgsHeaderSize : 0;
    saves.rows = listSaveRows(std::span(image.bytes).subspan(headerSize, kCardBodySize));
    saves.findings = checkCardImage(image.bytes, image.fileSize, vgsLayout);
    return saves;
}

std::vector<SaveRow> listSaveRows(std::span<const unsigned char> card) {
    std::vector<SaveRow> rows;
    const unsigned char* body = card.data();
    for (int n = 1; n <= kSaveBlockCount; ++n) {
        const unsigned char* dirEntry = body + kFrameSize * static_cast<std::size_t>(n);
        const unsigned char* block = body + kBlockSize * static_cast<std::size_t>(n);
        const int blockCount = block[kSaveBlockCountOffset];
        if (std::memcmp(block, kSaveSignature.data(), kSaveSignature.size()) != 0 ||
            blockCount == 0 || dirEntry[0] != kDirFirstBlockOfSave) {
            continue;
        }
        const char* title = reinterpret_cast<const char*>(block + kSaveTitleOffset);
        const std::size_t length = strnlen(title, kSaveTitleSize);
        rows.push_back({n, platform::decodeCp932(std::string_view(title, length)), blockCount,
                        decodeSaveIcon(std::span(block, kBlockSize))});
    }
    return rows;
}

} // namespace tobrel::cards
