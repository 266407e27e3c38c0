#pragma once
// Text inside Wine's registry lines: quoted names and strings, key names.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tobrel::platform::wine {

// Escapes text the way Wine writes it: "\" and the delimiters get a backslash,
// control characters their C escape or octal, everything above 0x7F "\x" and
// lowercase hex, padded to four digits only when an ASCII hex digit follows.
std::string escapeText(std::u16string_view text, std::string_view delimiters);

struct UnescapedText {
    std::u16string text;
    std::size_t end = 0; // index just past the closing delimiter
};
// Reads escaped text from line[start] up to the unescaped closing delimiter,
// as Wine's reader does (raw UTF-8 decoded, invalid bytes dropped, unknown
// escapes taken literally). Nothing when the closing delimiter is missing.
std::optional<UnescapedText> unescapeText(std::string_view line, std::size_t start, char closing);

} // namespace tobrel::platform::wine
