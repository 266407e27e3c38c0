#include "platform/encoding.h"
#include "platform/registry_store.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <vector>
#include <windows.h>

namespace tobrel::platform {
namespace {

// The registry of this Windows session through advapi32's ANSI functions, so
// string data crosses as code page 932 bytes exactly as the emulators write
// them. Names are the program's UTF-8 and are converted on the way in; a name
// that code page 932 cannot hold names no key or value.
class AdvapiRegistry final : public RegistryBackend {
public:
    std::optional<RegistryKey> openKey(RegistryRoot root, std::string_view path) override {
        const auto name = encodeCp932(path);
        HKEY handle = nullptr;
        if (!name || RegOpenKeyExA(rootHandle(root), name->c_str(), 0, KEY_READ | KEY_WRITE,
                                   &handle) != ERROR_SUCCESS) {
            // Read access alone still lets the value be read.
            if (!name || RegOpenKeyExA(rootHandle(root), name->c_str(), 0, KEY_READ, &handle) !=
                             ERROR_SUCCESS) {
                return std::nullopt;
            }
        }
        return remember(handle);
    }

    std::optional<RegistryKey> createKey(RegistryRoot root, std::string_view path) override {
        const auto name = encodeCp932(path);
        HKEY handle = nullptr;
        if (!name ||
            RegCreateKeyExA(rootHandle(root), name->c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_READ | KEY_WRITE, nullptr, &handle, nullptr) != ERROR_SUCCESS) {
            return std::nullopt;
        }
        return remember(handle);
    }

    bool queryValue(RegistryKey key, std::string_view name, std::span<std::uint8_t> buffer,
                    std::size_t* delivered) override {
        const HKEY handle = find(key);
        const auto valueName = encodeCp932(name);
        if (!handle || !valueName) {
            return false;
        }
        // Through a copy: Windows leaves the caller's buffer undefined when
        // the data do not fit, and the contract is that it stays untouched.
        std::vector<std::uint8_t> data(buffer.size());
        DWORD size = static_cast<DWORD>(data.size());
        DWORD type = REG_NONE;
        const LONG result = RegQueryValueExA(handle, valueName->c_str(), nullptr, &type,
                                             data.empty() ? nullptr : data.data(), &size);
        if (result != ERROR_SUCCESS || size > data.size()) {
            if ((result == ERROR_MORE_DATA || result == ERROR_SUCCESS) && delivered) {
                *delivered = size; // there, but too long: the size it needs
            }
            return false;
        }
        std::copy(data.begin(), data.begin() + size, buffer.begin());
        // A string that lacks a terminator gets one when there is room (not counted).
        const bool text = type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
        if (text && size < buffer.size() && (size == 0 || data[size - 1] != 0)) {
            buffer[size] = 0;
        }
        if (delivered) {
            *delivered = size;
        }
        return true;
    }

    bool setValue(RegistryKey key, std::string_view name, std::uint32_t type,
                  std::span<const std::uint8_t> data) override {
        const HKEY handle = find(key);
        const auto valueName = encodeCp932(name);
        return handle && valueName &&
               RegSetValueExA(handle, valueName->c_str(), 0, type, data.data(),
                              static_cast<DWORD>(data.size())) == ERROR_SUCCESS;
    }

    void closeKey(RegistryKey key) override {
        std::lock_guard lock(mutex_);
        if (auto open = open_.find(key); open != open_.end()) {
            RegCloseKey(open->second);
            open_.erase(open);
        }
    }

private:
    static HKEY rootHandle(RegistryRoot root) {
        return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(root)));
    }

    RegistryKey remember(HKEY handle) {
        std::lock_guard lock(mutex_);
        const RegistryKey key = nextKey_++;
        open_[key] = handle;
        return key;
    }

    HKEY find(RegistryKey key) {
        std::lock_guard lock(mutex_);
        auto open = open_.find(key);
        return open == open_.end() ? nullptr : open->second;
    }

    std::mutex mutex_;
    std::map<RegistryKey, HKEY> open_;
    RegistryKey nextKey_ = 1;
};

} // namespace

RegistryBackend& systemRegistry() {
    static AdvapiRegistry registry;
    return registry;
}

} // namespace tobrel::platform
