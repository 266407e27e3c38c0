#include "cards/card_format.h"

#include "platform/files.h"

#include <algorithm>
#include <cctype>

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

CardFileLayout detectCardLayout(const std::string& path) {
    if (isValidVgsImage(path)) {
        return CardFileLayout::Vgs;
    }
    const std::string extension = platform::fromFsPath(platform::toFsPath(path).extension());
    const bool mem = extension.size() == kVgsExtension.size() + 1 &&
                     std::equal(kVgsExtension.begin(), kVgsExtension.end(), extension.begin() + 1,
                                [](char wanted, char got) {
                                    return wanted == std::toupper(static_cast<unsigned char>(got));
                                });
    return mem ? CardFileLayout::Vgs : CardFileLayout::Bare;
}

} // namespace tobrel::cards
