#include "platform/wine/store.h"

#include "platform/encoding.h"
#include "platform/files.h"
#include "platform/wine/document.h"
#include "platform/wine/prefix.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>

namespace tobrel::platform {
namespace {

namespace fs = std::filesystem;

std::string configFolder() {
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && xdg[0] == '/') {
        return xdg;
    }
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : "") + "/.config";
}

bool isStringType(std::uint32_t type) {
    return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz;
}

// The file as read now: nothing when it exists but cannot be read; a fresh
// file with Wine's header when there is none yet.
struct LoadedFile {
    bool exists = false;
    wine::RegistryText text = wine::RegistryText::newUserFile();
};

std::optional<LoadedFile> loadFile(const RegistryLocation& location) {
    int error = 0;
    auto content = readWholeFile(location.file, &error);
    if (!content) {
        if (error == ENOENT) {
            return LoadedFile{};
        }
        return std::nullopt;
    }
    return LoadedFile{true, wine::RegistryText(std::move(*content))};
}

// How often an edit is made again on a file another writer replaced meanwhile.
constexpr int kEditAttempts = 3;

// Makes edit on the file as read now and replaces the file with the result,
// unless another writer (Wine saving, the user's editor) changed it after it
// was read: the edit is then made again on their content, so their change is
// never undone; when the file keeps changing, nothing is written. The file is
// compared once more just before the rename, which leaves only that instant
// open, since Wine takes no lock a second writer could honour.
template <typename Edit> bool editFile(const RegistryLocation& location, const Edit& edit) {
    for (int attempt = 0; attempt < kEditAttempts; ++attempt) {
        auto loaded = loadFile(location);
        if (!loaded) {
            return false;
        }
        const std::string before = loaded->text.content();
        if (!edit(loaded->text)) {
            return false;
        }
        if (!loaded->exists && location.kind == RegistryStoreKind::OwnFile) {
            std::error_code error;
            fs::create_directories(toFsPath(location.file).parent_path(), error);
        }
        // A symbolic link keeps pointing at the file it names, which gets the edit.
        AtomicOutputFile output;
        const std::string content = loaded->text.content();
        if (output.open(location.file) != AtomicOutputFile::OpenResult::Opened ||
            !output.write(content.data(), content.size())) {
            return false;
        }
        int error = 0;
        const auto now = readWholeFile(location.file, &error);
        const bool unchanged = loaded->exists ? now && *now == before : !now && error == ENOENT;
        if (unchanged) {
            return output.commit();
        }
        output.discard();
    }
    return false;
}

// A file Wine would ignore holds no keys for the emulators either.
std::optional<wine::RegistryText> readableText(const RegistryLocation& location) {
    auto loaded = loadFile(location);
    if (!loaded || !loaded->exists || !loaded->text.hasWineHeader()) {
        return std::nullopt;
    }
    return std::move(loaded->text);
}

// Code page 932 bytes to the UTF-16LE data Wine keeps, as MultiByteToWideChar does.
std::string cp932ToStoredData(std::span<const std::uint8_t> bytes) {
    const std::string_view raw(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    std::u16string units;
    // Converted piece by piece around NULs so embedded terminators survive.
    std::size_t start = 0;
    while (start <= raw.size()) {
        std::size_t nul = raw.find('\0', start);
        const std::size_t end = nul == std::string_view::npos ? raw.size() : nul;
        if (end > start) {
            units += utf8ToUtf16(decodeCp932(raw.substr(start, end - start))).value_or(u"");
        }
        if (nul == std::string_view::npos) {
            break;
        }
        units += u'\0';
        start = nul + 1;
    }
    std::string data;
    for (char16_t unit : units) {
        data += static_cast<char>(unit & 0xFF);
        data += static_cast<char>(unit >> 8);
    }
    return data;
}

// The stored UTF-16LE data back as code page 932 bytes, as RegQueryValueExA
// gives them: characters without a code page 932 form become "?".
std::string storedDataToCp932(std::string_view data) {
    std::u16string units;
    for (std::size_t i = 0; i + 1 < data.size(); i += 2) {
        units += static_cast<char16_t>(static_cast<unsigned char>(data[i]) |
                                       (static_cast<unsigned char>(data[i + 1]) << 8));
    }
    std::string bytes;
    std::size_t start = 0;
    while (start <= units.size()) {
        std::size_t nul = units.find(u'\0', start);
        const std::size_t end = nul == std::u16string::npos ? units.size() : nul;
        if (end > start) {
            bytes += encodeCp932Lossy(utf16ToUtf8(units.substr(start, end - start)));
        }
        if (nul == std::u16string::npos) {
            break;
        }
        bytes += '\0';
        start = nul + 1;
    }
    return bytes;
}

} // namespace

RegistryLocation locateRegistry() {
    if (const char* explicitFile = std::getenv("TOBREL_REGISTRY"); explicitFile && *explicitFile) {
        const std::string file = explicitFile;
        const std::string folder = fromFsPath(toFsPath(file).parent_path());
        if (!folder.empty() && looksLikeWinePrefix(folder)) {
            return {RegistryStoreKind::WinePrefix, file, folder};
        }
        return {RegistryStoreKind::OwnFile, file, {}};
    }
    const std::string prefix = winePrefixPath();
    if (!prefix.empty() && isWinePrefix(prefix)) {
        return {RegistryStoreKind::WinePrefix, prefix + "/user.reg", prefix};
    }
    return {RegistryStoreKind::OwnFile, configFolder() + "/tobrel/user.reg", {}};
}

RegistryWriteBlock registryWriteBlock(const RegistryLocation& location,
                                      const std::string& serverRoot) {
    auto loaded = loadFile(location);
    if (!loaded) {
        return RegistryWriteBlock::Unreadable;
    }
    if (loaded->exists && !loaded->text.hasWineHeader()) {
        return RegistryWriteBlock::ForeignFile;
    }
    if (location.kind == RegistryStoreKind::WinePrefix &&
        wineserverRunning(location.prefix, serverRoot)) {
        return RegistryWriteBlock::WineserverRunning;
    }
    return RegistryWriteBlock::None;
}

WineRegistryStore::WineRegistryStore(WineStoreOptions options) : options_(std::move(options)) {}

WineRegistryStore::WineRegistryStore(RegistryLocation location, WineStoreOptions options)
    : fixed_(std::move(location)), options_(std::move(options)) {}

RegistryLocation WineRegistryStore::location() const {
    return fixed_ ? *fixed_ : locateRegistry();
}

std::uint64_t WineRegistryStore::now() const {
    if (options_.clock) {
        return options_.clock();
    }
    const auto sinceUnixEpoch = std::chrono::duration_cast<std::chrono::nanoseconds>(
        std::chrono::system_clock::now().time_since_epoch());
    return wine::kFileTimeUnixEpoch + static_cast<std::uint64_t>(sinceUnixEpoch.count() / 100);
}

RegistryKey WineRegistryStore::remember(OpenKey key) {
    const RegistryKey handle = nextKey_++;
    if (nextKey_ == 0) {
        nextKey_ = 1;
    }
    open_[handle] = std::move(key);
    return handle;
}

std::optional<RegistryKey> WineRegistryStore::openKey(RegistryRoot root, std::string_view path) {
    auto components = wine::splitKeyPath(path);
    if (root != RegistryRoot::CurrentUser || !components) {
        return std::nullopt;
    }
    const RegistryLocation where = location();
    auto text = readableText(where);
    if (!text || !text->keyExists(*components)) {
        return std::nullopt;
    }
    return remember({where, std::move(*components)});
}

std::optional<RegistryKey> WineRegistryStore::createKey(RegistryRoot root, std::string_view path) {
    auto components = wine::splitKeyPath(path);
    if (root != RegistryRoot::CurrentUser || !components) {
        return std::nullopt;
    }
    const RegistryLocation where = location();
    if (auto text = readableText(where); text && text->keyExists(*components)) {
        return remember({where, std::move(*components)});
    }
    // The key is new: it exists once the file holding it has been written.
    if (components->empty() || !writeAllowed(where)) {
        return std::nullopt;
    }
    if (!editFile(where,
                  [&](wine::RegistryText& text) { return text.createKey(*components, now()); })) {
        return std::nullopt;
    }
    return remember({where, std::move(*components)});
}

bool WineRegistryStore::writeAllowed(const RegistryLocation& where) const {
    return registryWriteBlock(where, options_.serverRoot) == RegistryWriteBlock::None;
}

bool WineRegistryStore::queryValue(RegistryKey key, std::string_view name,
                                   std::span<std::uint8_t> buffer, std::size_t* delivered) {
    auto open = open_.find(key);
    auto valueName = utf8ToUtf16(name);
    if (open == open_.end() || !valueName) {
        return false;
    }
    auto text = readableText(open->second.location);
    if (!text) {
        return false;
    }
    auto value = text->findValue(open->second.path, *valueName);
    if (!value) {
        return false;
    }
    const std::string bytes =
        isStringType(value->type) ? storedDataToCp932(value->data) : value->data;
    if (bytes.size() > buffer.size()) {
        if (delivered) {
            *delivered = bytes.size();
        }
        return false;
    }
    std::copy(bytes.begin(), bytes.end(), buffer.begin());
    if (isStringType(value->type) && bytes.size() < buffer.size() &&
        (bytes.empty() || bytes.back() != '\0')) {
        buffer[bytes.size()] = 0;
    }
    if (delivered) {
        *delivered = bytes.size();
    }
    return true;
}

bool WineRegistryStore::setValue(RegistryKey key, std::string_view name, std::uint32_t type,
                                 std::span<const std::uint8_t> data) {
    auto open = open_.find(key);
    auto valueName = utf8ToUtf16(name);
    if (open == open_.end() || !valueName || open->second.path.empty()) {
        return false;
    }
    const RegistryLocation& where = open->second.location;
    if (!writeAllowed(where)) {
        return false;
    }
    const std::string stored =
        isStringType(type) ? cp932ToStoredData(data)
                           : std::string(reinterpret_cast<const char*>(data.data()), data.size());
    // A value that would not read back as written is refused, the file untouched.
    return editFile(where, [&](wine::RegistryText& text) {
        return text.setValue(open->second.path, *valueName, type, stored, now());
    });
}

void WineRegistryStore::closeKey(RegistryKey key) {
    open_.erase(key);
}

} // namespace tobrel::platform
