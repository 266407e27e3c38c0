#pragma once
// The registry seam. RegistryBackend is what the registry routines need of a
// registry: the five advapi32 operations RegOpenKeyExA, RegCreateKeyExA,
// RegQueryValueExA, RegSetValueExA and RegCloseKey. A Windows build puts
// advapi32 behind it; on Linux WineRegistryStore keeps the values in the
// user.reg of the Wine prefix the emulators run in, in Wine's own format.

#include "platform/registry_types.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
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
    // given, receives the count of bytes copied.
    virtual bool queryValue(RegistryKey key, std::string_view name, std::span<std::uint8_t> buffer,
                            std::size_t* delivered = nullptr) = 0;
    // RegSetValueExA: replaces the named value with exactly these bytes and this
    // type, whatever it held before.
    virtual bool setValue(RegistryKey key, std::string_view name, std::uint32_t type,
                          std::span<const std::uint8_t> data) = 0;
    // RegCloseKey.
    virtual void closeKey(RegistryKey key) = 0;
};

enum class RegistryStoreKind {
    WinePrefix, // the user.reg of a Wine prefix: paths in values are drive-letter paths
    OwnFile,    // Tobrel's own file: paths in values are Linux paths
};

struct RegistryLocation {
    RegistryStoreKind kind = RegistryStoreKind::OwnFile;
    std::string file;   // the user.reg
    std::string prefix; // the Wine prefix folder; empty for OwnFile
};

// Where the current user's registry lives, decided afresh on every call:
// 1. $TOBREL_REGISTRY when set (a Wine prefix when its folder looks like one);
// 2. $WINEPREFIX/user.reg (default ~/.wine) when that prefix folder exists;
// 3. $XDG_CONFIG_HOME/tobrel/user.reg (default ~/.config/tobrel/user.reg).
RegistryLocation locateRegistry();

// Why a write to the store at location would be refused, if it would.
enum class RegistryWriteBlock {
    None,
    Unreadable,        // the file exists but cannot be read, so it cannot be kept
    ForeignFile,       // the file does not start with Wine's header
    WineserverRunning, // Wine would overwrite the edit when it saves
};
RegistryWriteBlock registryWriteBlock(const RegistryLocation& location,
                                      const std::string& serverTempRoot = "/tmp");

struct WineStoreOptions {
    // Replaces "/tmp" in the wineserver lock folders (for tests).
    std::string serverTempRoot = "/tmp";
    // The time stamped on changed keys, as a FILETIME (100 ns since 1601).
    // Empty: the system clock.
    std::function<std::uint64_t()> clock;
};

// Wine's user.reg as a registry. Only RegistryRoot::CurrentUser is held; the
// other roots cannot be opened. Every operation reads the file afresh and
// every change is written at once: nothing is cached between operations, so
// edits by Wine or the user in between are never overwritten with old data.
// Writes keep every line they do not change byte-identical, stamp the changed
// key's time lines as Wine does, and replace the file atomically. They are
// refused (false) for a file without Wine's header and while a wineserver
// runs for the prefix. A missing file is created with Wine's header (and, for
// Tobrel's own file, its folder too).
class WineRegistryStore final : public RegistryBackend {
public:
    // The file is located afresh (locateRegistry) at every open and create.
    explicit WineRegistryStore(WineStoreOptions options = {});
    // Always this file.
    explicit WineRegistryStore(RegistryLocation location, WineStoreOptions options = {});

    std::optional<RegistryKey> openKey(RegistryRoot root, std::string_view path) override;
    std::optional<RegistryKey> createKey(RegistryRoot root, std::string_view path) override;
    bool queryValue(RegistryKey key, std::string_view name, std::span<std::uint8_t> buffer,
                    std::size_t* delivered = nullptr) override;
    bool setValue(RegistryKey key, std::string_view name, std::uint32_t type,
                  std::span<const std::uint8_t> data) override;
    void closeKey(RegistryKey key) override;

    // Keys opened and not yet closed.
    std::size_t openKeyCount() const { return open_.size(); }

private:
    struct OpenKey {
        RegistryLocation location;
        std::vector<std::u16string> path;
    };

    RegistryLocation location() const;
    std::uint64_t now() const;
    bool writeAllowed(const RegistryLocation& location) const;
    RegistryKey remember(OpenKey key);

    std::optional<RegistryLocation> fixed_;
    WineStoreOptions options_;
    std::map<RegistryKey, OpenKey> open_;
    RegistryKey nextKey_ = 1;
};

// The registry the program uses: a WineRegistryStore that follows locateRegistry().
RegistryBackend& systemRegistry();

} // namespace tobrel::platform
