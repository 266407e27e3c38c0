#include "emulator/modCard_Key.h"

#include "platform/encoding.h"

#include <array>

namespace tobrel::emulator {

bool readRegString(platform::RegistryBackend& registry, RegistryRoot root, std::string_view keyPath,
                   std::string_view valueName, std::string& text) {
    const auto key = registry.openKey(root, keyPath);
    if (!key) {
        return false;
    }
    // Zero-filled, so a value stored without a terminator still ends in one.
    std::array<std::uint8_t, kRegStringBufferSize> buffer{};
    const bool read = registry.queryValue(*key, valueName, buffer);
    registry.closeKey(*key);
    if (!read) {
        return false;
    }
    std::string_view bytes(reinterpret_cast<const char*>(buffer.data()), buffer.size());
    if (const auto nul = bytes.find('\0'); nul != std::string_view::npos) {
        bytes = bytes.substr(0, nul);
    }
    text = platform::decodeCp932(bytes);
    return true;
}

bool writeRegString(platform::RegistryBackend& registry, RegistryRoot root,
                    std::string_view keyPath, std::string_view valueName, std::string_view text) {
    const auto converted = platform::encodeCp932(text);
    if (!converted) {
        return false;
    }
    const auto key = registry.createKey(root, keyPath);
    if (!key) {
        return false;
    }
    const bool stored = registry.setValue(
        *key, valueName, platform::kRegSz,
        std::span(reinterpret_cast<const std::uint8_t*>(converted->data()), converted->size()));
    registry.closeKey(*key);
    return stored;
}

bool readRegBinary(platform::RegistryBackend& registry, RegistryRoot root, std::string_view keyPath,
                   std::string_view valueName, std::span<std::uint8_t> bytes,
                   std::size_t* valueSize) {
    const auto key = registry.openKey(root, keyPath);
    if (!key) {
        return false;
    }
    const bool read = registry.queryValue(*key, valueName, bytes, valueSize);
    registry.closeKey(*key);
    return read;
}

bool writeRegBinary(platform::RegistryBackend& registry, RegistryRoot root,
                    std::string_view keyPath, std::string_view valueName,
                    std::span<const std::uint8_t> bytes) {
    const auto key = registry.createKey(root, keyPath);
    if (!key) {
        return false;
    }
    const bool stored = registry.setValue(*key, valueName, platform::kRegBinary, bytes);
    registry.closeKey(*key);
    return stored;
}

bool readRegString(RegistryRoot root, std::string_view keyPath, std::string_view valueName,
                   std::string& text) {
    return readRegString(platform::systemRegistry(), root, keyPath, valueName, text);
}

bool writeRegString(RegistryRoot root, std::string_view keyPath, std::string_view valueName,
                    std::string_view text) {
    return writeRegString(platform::systemRegistry(), root, keyPath, valueName, text);
}

bool readRegBinary(RegistryRoot root, std::string_view keyPath, std::string_view valueName,
                   std::span<std::uint8_t> bytes) {
    return readRegBinary(platform::systemRegistry(), root, keyPath, valueName, bytes);
}

bool writeRegBinary(RegistryRoot root, std::string_view keyPath, std::string_view valueName,
                    std::span<const std::uint8_t> bytes) {
    return writeRegBinary(platform::systemRegistry(), root, keyPath, valueName, bytes);
}

} // namespace tobrel::emulator
