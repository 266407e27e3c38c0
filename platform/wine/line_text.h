#pragma once
// Small lexical helpers for the lines of Wine's registry file.

#include <cstddef>
#include <string_view>

namespace tobrel::platform::wine {

inline int hexDigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

inline bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// Wine's reader skips any white space around hex bytes and "=".
inline bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r';
}

inline std::string_view withoutLineEnd(std::string_view line) {
    if (!line.empty() && line.back() == '\n') {
        line.remove_suffix(1);
    }
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    return line;
}

inline std::string_view lineEndOf(std::string_view line) {
    if (line.size() >= 2 && line.substr(line.size() - 2) == "\r\n") {
        return "\r\n";
    }
    if (!line.empty() && line.back() == '\n') {
        return "\n";
    }
    return "";
}

inline std::size_t skipBlanks(std::string_view text, std::size_t pos) {
    while (pos < text.size() && isBlank(text[pos])) {
        ++pos;
    }
    return pos;
}

} // namespace tobrel::platform::wine
