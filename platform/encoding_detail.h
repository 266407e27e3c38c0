#pragma once
// The system's code page 932 tables, under the rules of platform/encoding.h.

#include <optional>
#include <string>
#include <string_view>

namespace tobrel::platform::detail {

// Code page 932 to UTF-8: each byte or pair that forms no character, and a
// lead byte cut off at the end, becomes U+FFFD; control bytes pass unchanged.
std::string decodeCp932System(std::string_view bytes);

// Valid UTF-8 to code page 932: nothing when any character has no code page
// 932 form. (The caller checks that the bytes decode back.)
std::optional<std::string> encodeCp932System(std::string_view utf8);

} // namespace tobrel::platform::detail
