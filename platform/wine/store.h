#pragma once
// The registry seam over Wine's user.reg: where the file is, when it may be
// written, and the store itself.

#include "platform/registry_store.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tobrel::platform {

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
// 2. $WINEPREFIX/user.reg (default ~/.wine) when that folder is a Wine prefix
//    (isWinePrefix: not merely an existing folder);
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
                                      const std::string& serverRoot = "");

struct WineStoreOptions {
    // Put before the wineserver lock folders (for tests).
    std::string serverRoot;
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

} // namespace tobrel::platform
