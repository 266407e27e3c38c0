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

// Encodes UTF-8 text to code page 932: the one test of whether text may cross
// into code page 932. Empty when the text is not valid UTF-8 or holds a
// character whose bytes would not decode back to that very character (WAVE
// DASH U+301C, for one, is stored as the bytes of FULLWIDTH TILDE U+FF5E, so
// a path holding it would come back naming another file).
std::optional<std::string> encodeCp932(std::string_view utf8);

// True when encodeCp932 accepts the text.
bool fitsCp932(std::string_view utf8);

// Encodes as far as possible: each character encodeCp932 refuses becomes '?'.
// For places that must write something (log lines, shown names).
std::string encodeCp932Lossy(std::string_view utf8);

// A file or folder name (or path) as the file system holds it, as text to
// show: valid UTF-8 stays as it is; other bytes, such as Shift-JIS names
// copied from Windows, are decoded as code page 932 (U+FFFD where that fails).
std::string nameForDisplay(std::string_view bytes);

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
