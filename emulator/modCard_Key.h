#pragma once
// The registry routines (module modCard_Key): every registry access of the
// program goes through these four. Each call opens or creates the key, does
// one value operation, closes the key and answers true or false; nothing is
// kept between calls and nothing is shown to the user.

#include "platform/registry_store.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tobrel::emulator {

using platform::RegistryRoot;

// The root every caller passes.
inline constexpr RegistryRoot kCurrentUser = RegistryRoot::CurrentUser;

// Size of the buffer a string value is read into; the terminator counts.
inline constexpr std::size_t kRegStringBufferSize = 512;

// Reads a value as text: its code page 932 bytes up to the first NUL, converted
// to UTF-8, whatever the value's type. True and text set on success. False,
// with text exactly as passed, when the key or value is missing, the value is
// larger than 512 bytes, or anything else fails. A value of exactly 512 bytes
// without any NUL is taken whole: it was delivered complete, since a longer
// value cannot be read at all.
bool readRegString(RegistryRoot root, std::string_view keyPath, std::string_view valueName,
                   std::string& text);

// Stores text as REG_SZ, converted to code page 932, creating the key and its
// parents when missing. Callers append one NUL ('\0') so the stored bytes end
// with a zero byte. False when the key cannot be created or opened, the value
// cannot be stored, or text holds a character code page 932 cannot express
// (then nothing at all is touched, so no garbled value is ever stored).
bool writeRegString(RegistryRoot root, std::string_view keyPath, std::string_view valueName,
                    std::string_view text);

// Copies the value's bytes into bytes from its first element, whatever the
// value's type; a shorter value leaves the remaining elements as they were.
// False, with bytes untouched, when the key or value is missing, the value is
// longer than bytes, or anything else fails.
bool readRegBinary(RegistryRoot root, std::string_view keyPath, std::string_view valueName,
                   std::span<std::uint8_t> bytes);

// Stores all of bytes as REG_BINARY, creating the key when missing.
bool writeRegBinary(RegistryRoot root, std::string_view keyPath, std::string_view valueName,
                    std::span<const std::uint8_t> bytes);

// The same over a given registry instead of platform::systemRegistry().
bool readRegString(platform::RegistryBackend& registry, RegistryRoot root, std::string_view keyPath,
                   std::string_view valueName, std::string& text);
bool writeRegString(platform::RegistryBackend& registry, RegistryRoot root,
                    std::string_view keyPath, std::string_view valueName, std::string_view text);
// valueSize, when given, receives the value's size in bytes whenever the value
// exists, also when it is too long to be read; it is left alone when the key or
// value is missing.
bool readRegBinary(platform::RegistryBackend& registry, RegistryRoot root, std::string_view keyPath,
                   std::string_view valueName, std::span<std::uint8_t> bytes,
                   std::size_t* valueSize = nullptr);
bool writeRegBinary(platform::RegistryBackend& registry, RegistryRoot root,
                    std::string_view keyPath, std::string_view valueName,
                    std::span<const std::uint8_t> bytes);

} // namespace tobrel::emulator
