#include "platform/wine/names.h"

#include "platform/encoding.h"

#include <algorithm>

namespace tobrel::platform::wine {

char16_t lowerCaseUnit(char16_t c) {
    // The alphabets a Japanese user's key and value names realistically use:
    // Latin (with Latin-1 and Extended-A), Greek, Cyrillic and full-width Latin.
    if ((c >= u'A' && c <= u'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7) ||
        (c >= 0x391 && c <= 0x3AB && c != 0x3A2) || (c >= 0x410 && c <= 0x42F) ||
        (c >= 0xFF21 && c <= 0xFF3A)) {
        return static_cast<char16_t>(c + 32);
    }
    if (c >= 0x400 && c <= 0x40F) {
        return static_cast<char16_t>(c + 80);
    }
    if (c == 0x386) {
        return 0x3AC;
    }
    if (c >= 0x388 && c <= 0x38A) {
        return static_cast<char16_t>(c + 37);
    }
    if (c == 0x38C) {
        return 0x3CC;
    }
    if (c == 0x38E || c == 0x38F) {
        return static_cast<char16_t>(c + 63);
    }
    if (c == 0x178) {
        return 0xFF;
    }
    if (c >= 0x100 && c <= 0x17E && c != 0x130 && c != 0x131 && c != 0x138 && c != 0x149) {
        const bool upperIsEven = c < 0x139 || (c >= 0x14A && c < 0x179);
        if ((c % 2 == 0) == upperIsEven) {
            return static_cast<char16_t>(c + 1);
        }
    }
    return c;
}

bool namesEqual(std::u16string_view a, std::u16string_view b) {
    return a.size() == b.size() && compareNames(a, b) == 0;
}

int compareNames(std::u16string_view a, std::u16string_view b) {
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const char16_t x = lowerCaseUnit(a[i]);
        const char16_t y = lowerCaseUnit(b[i]);
        if (x != y) {
            return x < y ? -1 : 1;
        }
    }
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

bool keyPathsEqual(const KeyPath& a, const KeyPath& b) {
    return a.size() == b.size() && compareKeyPaths(a, b) == 0;
}

std::optional<KeyPath> splitKeyPath(std::string_view utf8Path) {
    KeyPath path;
    std::size_t start = 0;
    while (start <= utf8Path.size()) {
        std::size_t end = utf8Path.find('\\', start);
        if (end == std::string_view::npos) {
            end = utf8Path.size();
        }
        if (end > start) {
            auto component = utf8ToUtf16(utf8Path.substr(start, end - start));
            if (!component) {
                return std::nullopt;
            }
            path.push_back(std::move(*component));
        }
        start = end + 1;
    }
    return path;
}

int compareKeyPaths(const KeyPath& a, const KeyPath& b) {
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        if (int order = compareNames(a[i], b[i]); order != 0) {
            return order;
        }
    }
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

} // namespace tobrel::platform::wine
