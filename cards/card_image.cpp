#include "cards/card_image.h"

#include "cards/card_format.h"
#include "platform/files.h"

namespace tobrel::cards {

CardImage readCardImage(const std::string& path, bool vgsLayout) {
    CardImage image;
    platform::InputFile file;
    if (!file.open(path)) {
        image.error = "ファイルを開けません: " + platform::describeError(file.errorNumber());
        return image;
    }
    const std::size_t expected = (vgsLayout ? kVgsHeaderSize : 0) + kCardBodySize;
    // One byte more than an image holds tells a long file from an exact one.
    image.bytes.assign(expected + 1, 0);
    const long long got = file.read(image.bytes.data(), image.bytes.size());
    if (got < 0) {
        image.error = "ファイルを読み込めません: " + platform::describeError(file.errorNumber());
        image.bytes.clear();
        return image;
    }
    image.fileSize = static_cast<std::uint64_t>(got);
    if (image.fileSize > expected) {
        image.fileSize = platform::fileSize(path).value_or(image.fileSize);
    }
    image.bytes.resize(expected);
    image.readable = true;
    return image;
}

} // namespace tobrel::cards
