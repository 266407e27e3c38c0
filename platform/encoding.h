#pragma once
// Conversion between the program's Unicode text (UTF-8 in std::string) and
// code page 932, Microsoft's Shift-JIS, which every external file and value uses.

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

} // namespace tobrel::platform
