#include "cards/card_saves.h"

#include "cards/card_format.h"
#include "platform/encoding.h"
#include "platform/files.h"

#include <cstring>
#include <vector>

namespace tobrel::cards {

CardSaves listCardSaves(const std::string& path, bool vgsLayout) {
    CardSaves saves;
    platform::InputFile file;
    if (!file.open(path)) {
        saves.error = "ファイルを開けません: " + platform::describeError(file.errorNumber());
        return saves;
    }
    const std::size_t headerSize = vgsLayout ? kVgsHeaderSize : 0;
    std::vector<unsigned char> image(headerSize + kCardBodySize, 0);
    long long got = file.read(image.data(), image.size());
    if (got < 0) {
        saves.error = "ファイルを読み込めません: " + platform::describeError(file.errorNumber());
        return saves;
    }
    saves.readable = true;

    const unsigned char* body = image.data() + headerSize;
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
        saves.rows.push_back(
            {n, platform::decodeCp932(std::string_view(title, length)), blockCount});
    }
    return saves;
}

} // namespace tobrel::cards
