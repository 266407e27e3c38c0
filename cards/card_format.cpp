#include "cards/card_format.h"

#include "platform/files.h"

namespace tobrel::cards {

bool hasCardSignature(const std::string& path, bool vgsLayout) {
    const std::string_view expected = vgsLayout ? kVgsSignature : kCardSignature;
    platform::InputFile file;
    if (!file.open(path)) {
        return false;
    }
    char start[4] = {};
    long long got = file.read(start, expected.size());
    return got == static_cast<long long>(expected.size()) &&
           std::string_view(start, expected.size()) == expected;
}

bool isValidVgsImage(const std::string& path) {
    auto size = platform::fileSize(path);
    return hasCardSignature(path, true) && size && *size == kVgsImageSize;
}

bool isValidBleemImage(const std::string& path) {
    auto size = platform::fileSize(path);
    return hasCardSignature(path, false) && size && *size == kCardBodySize;
}

} // namespace tobrel::cards
