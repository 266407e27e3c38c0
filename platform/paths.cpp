#include "platform/paths.h"

namespace tobrel::platform {
namespace {

bool startsCharacter(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
}

enum class SeparatorSearch { Found, NoneAtAll, OutsideWindow };

struct LastSeparator {
    SeparatorSearch result = SeparatorSearch::NoneAtAll;
    std::size_t index = 0;
};

// Walks back over at most kPathWindow characters looking for a separator.
LastSeparator findLastSeparator(std::string_view path) {
    std::size_t characters = 0;
    for (std::size_t i = path.size(); i > 0; --i) {
        char byte = path[i - 1];
        if (!startsCharacter(byte)) {
            continue; // inside a multi-byte character: no separator here
        }
        if (++characters > kPathWindow) {
            bool anyFurther = nameStart(path.substr(0, i)) > 0;
            return {anyFurther ? SeparatorSearch::OutsideWindow : SeparatorSearch::NoneAtAll, 0};
        }
        if (isSeparatorIn(path, byte)) {
            return {SeparatorSearch::Found, i - 1};
        }
    }
    return {};
}

} // namespace

bool isWindowsFormPath(std::string_view path) {
    const auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    return path.size() >= 2 && letter(path[0]) && path[1] == ':';
}

bool isSeparatorIn(std::string_view path, char c) {
    return c == '/' || (c == '\\' && isWindowsFormPath(path));
}

std::size_t nameStart(std::string_view path) {
    std::size_t pos = path.size();
    while (pos > 0 && !isSeparatorIn(path, path[pos - 1])) {
        --pos;
    }
    return pos;
}

std::string directoryOf(std::string_view path) {
    LastSeparator last = findLastSeparator(path);
    if (last.result != SeparatorSearch::Found) {
        return {};
    }
    return std::string(path.substr(0, last.index + 1));
}

std::string fileNameOf(std::string_view path) {
    LastSeparator last = findLastSeparator(path);
    switch (last.result) {
    case SeparatorSearch::Found:
        return std::string(path.substr(last.index + 1));
    case SeparatorSearch::NoneAtAll:
        return std::string(path);
    case SeparatorSearch::OutsideWindow:
        break;
    }
    return {};
}

} // namespace tobrel::platform
