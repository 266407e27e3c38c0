#pragma once
// Conversion between the program's Unicode text (UTF-8 in std::string) and
// code page 932, Microsoft's Shift-JIS, which every external file and value uses.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tobrel::platform {

// Decodes code page 932 bytes to UTF-8. Bytes that form no valid character,
// and a lead byte cut off at the end, become U+FFFD; control bytes pass unchanged.
std::string decodeCp932(std::string_view bytes);

// Encodes UTF-8 text to code page 932. Empty when the text holds a character
// that code page 932 cannot express, or is not valid UTF-8.
std::optional<std::string> encodeCp932(std::string_view utf8);

// Encodes as far as possible: characters without a code page 932 form become '?'.
// For places that must write something (log lines, shown names).
std::string encodeCp932Lossy(std::string_view utf8);

// UTF-8 and UTF-16, for stores that keep text as UTF-16 units (Wine's registry).

// Decodes the one UTF-8 sequence at text[pos]: nothing (and length 1) when it
// is invalid, overlong, a surrogate or cut off; length receives its size.
std::optional<char32_t> decodeUtf8At(std::string_view text, std::size_t pos, std::size_t& length);
// Appends c as one unit, or as a surrogate pair above U+FFFF.
void appendUtf16(std::u16string& out, char32_t c);
// UTF-8 to UTF-16; nothing when the text is not valid UTF-8.
std::optional<std::u16string> utf8ToUtf16(std::string_view utf8);
// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string utf16ToUtf8(std::u16string_view utf16);

} // namespace tobrel::platform
