#pragma once
// The registry seam. RegistryBackend is what the registry routines need of a
// registry: the five advapi32 operations RegOpenKeyExA, RegCreateKeyExA,
// RegQueryValueExA, RegSetValueExA and RegCloseKey. A Windows build puts
// advapi32 behind it; on Linux WineRegistryStore keeps the values in the
// user.reg of the Wine prefix the emulators run in, in Wine's own format.

#include "platform/registry_types.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tobrel::platform {

// The predefined roots, with the handle values Windows gives them.
enum class RegistryRoot : std::uint32_t {
    ClassesRoot = 0x80000000u,
    CurrentUser = 0x80000001u,
    LocalMachine = 0x80000002u,
    Users = 0x80000003u,
};

// An open key. Valid from openKey/createKey until closeKey.
using RegistryKey = std::uint32_t;

// Key paths ("Software\bleem\bleem!\1.0\CARD") and value names are the
// program's UTF-8 text. Value data are bytes; the data of string types cross
// this seam as code page 932 bytes, as the ANSI functions pass them on a
// Japanese system.
class RegistryBackend {
public:
    virtual ~RegistryBackend() = default;

    // RegOpenKeyExA: a handle to an existing key; nothing when it does not exist.
    virtual std::optional<RegistryKey> openKey(RegistryRoot root, std::string_view path) = 0;
    // RegCreateKeyExA: a handle to the key, created together with any missing
    // parents first; nothing only when it can be neither created nor opened.
    virtual std::optional<RegistryKey> createKey(RegistryRoot root, std::string_view path) = 0;
    // RegQueryValueExA: copies the value's bytes (string types converted to
    // code page 932, their stored terminator included) into buffer from its
    // start. False, with buffer untouched, when the value is missing or its
    // bytes do not fit. A string that lacks a terminator gets one after its
    // bytes when buffer has room; that byte is not counted. delivered, when
    // given, receives the count of bytes copied, or, when the value exists but
    // does not fit, the count it would need (as RegQueryValueExA reports it);
    // it is left alone when the value is missing.
    virtual bool queryValue(RegistryKey key, std::string_view name, std::span<std::uint8_t> buffer,
                            std::size_t* delivered = nullptr) = 0;
    // RegSetValueExA: replaces the named value with exactly these bytes and this
    // type, whatever it held before.
    virtual bool setValue(RegistryKey key, std::string_view name, std::uint32_t type,
                          std::span<const std::uint8_t> data) = 0;
    // RegCloseKey.
    virtual void closeKey(RegistryKey key) = 0;
};

// The registry the program uses (on Linux the Wine store of platform/wine/store.h).
RegistryBackend& systemRegistry();

} // namespace tobrel::platform
