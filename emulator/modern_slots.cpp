#include "emulator/modern_slots.h"

#include "cards/card_container.h"

#include "cards/card_format.h"
#include "emulator/card_slots.h"
#include "emulator/modCard_Key.h"
#include "emulator/settings_text.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/processes.h"
#include "platform/user_dirs.h"
#include "platform/wine/prefix.h"
#include "platform/wine/store.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <stdexcept>

namespace tobrel::emulator {
namespace {

constexpr std::string_view kNotRawCard = "ﾒﾓﾘｰｶｰﾄﾞﾌｧｲﾙ(131,072ﾊﾞｲﾄ)を指定して下さい。";
constexpr std::string_view kVgsCard =
    "VGSﾒﾓﾘｰｶｰﾄﾞﾌｧｲﾙ(131,136ﾊﾞｲﾄ)です。このｴﾐｭﾚｰﾀはﾍｯﾀﾞｰのない"
    "ﾒﾓﾘｰｶｰﾄﾞﾌｧｲﾙ(131,072ﾊﾞｲﾄ)しか読めません。変換してから指定して下さい。";
constexpr std::string_view kOnlyBareCards =
    "このｴﾐｭﾚｰﾀはﾍｯﾀﾞｰのないﾒﾓﾘｰｶｰﾄﾞﾌｧｲﾙ(131,072ﾊﾞｲﾄ)しか読めません。変換してから指定して下さい。";
constexpr std::string_view kOutsideDrives =
    "このﾊﾟｽはWineのﾄﾞﾗｲﾌﾞの外にあり、ｴﾐｭﾚｰﾀから見えません。";
constexpr std::string_view kNotUtf8 = "このﾊﾟｽはUTF-8で表せないため、設定ﾌｧｲﾙに書けません。";
constexpr std::string_view kNotOneLine =
    "このﾊﾟｽは設定ﾌｧｲﾙに書けません(改行、または前後に空白を含みます)。";
constexpr std::string_view kBadJson = "設定ﾌｧｲﾙがJSONとして正しくないため、変更しません。";
constexpr std::string_view kReadBack = "書き込んだ設定を読み戻すと違っていました。";
constexpr std::string_view kRegistryWrite = "ﾚｼﾞｽﾄﾘに書き込めませんでした。";

std::size_t slotIndex(int index) {
    if (index < 0 || index > 1) {
        throw std::out_of_range("memory card slot index " + std::to_string(index));
    }
    return static_cast<std::size_t>(index);
}

std::string lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

bool isWindowsForm(std::string_view path) {
    return platform::isWindowsFormPath(path) || path.starts_with("\\\\");
}

bool isAbsolute(std::string_view path) {
    return path.starts_with('/') || isWindowsForm(path);
}

std::string folderOf(const std::string& file) {
    const auto cut = file.find_last_of(isWindowsForm(file) ? "\\/" : "/");
    return cut == std::string::npos ? std::string() : file.substr(0, cut);
}

// ---- the settings as a document of keys --------------------------------------

bool isPathKey(const SettingsLayout& layout, std::string_view key) {
    return std::any_of(layout.perSlot.begin(), layout.perSlot.end(),
                       [&](const ModernSlotKeys& slot) { return slot.pathKey == key; });
}

LineSyntax lineSyntaxOf(const SettingsLayout& layout) {
    // DuckStation's reader compares names without regard to case; PCSX-R
    // finds its keys by exact text.
    return layout.syntax == SettingsSyntax::Ini ? LineSyntax{true, false} : LineSyntax{false, true};
}

// The value of one key of a file-kept layout. JSON path members come back as
// their text, other members as their raw JSON ("true").
std::optional<std::string> readKey(const SettingsLayout& layout, std::string_view text,
                                   std::string_view key) {
    if (layout.syntax == SettingsSyntax::Json) {
        const JsonPath path{layout.container, key};
        return isPathKey(layout, key) ? readJsonString(text, path) : readJsonRaw(text, path);
    }
    return readLineSetting(text, lineSyntaxOf(layout), layout.container, key);
}

std::optional<std::string> writeKey(const SettingsLayout& layout, std::string_view text,
                                    std::string_view key, std::string_view value) {
    if (layout.syntax == SettingsSyntax::Json) {
        const auto raw =
            isPathKey(layout, key) ? jsonQuote(value) : std::optional(std::string(value));
        if (!raw) {
            return std::nullopt;
        }
        return writeJsonRaw(text, JsonPath{layout.container, key}, *raw);
    }
    return writeLineSetting(text, lineSyntaxOf(layout), layout.container, key, value);
}

struct KeyChange {
    std::string_view key;
    std::string value;
};

// The registry the settings of a Windows build are kept in.
struct RegistryAccess {
    std::unique_ptr<platform::RegistryBackend> own;
    platform::RegistryBackend* backend = nullptr;
};

RegistryAccess registryOf(const EmulatorSettings& settings, const SlotsEnvironment& environment) {
    RegistryAccess access;
    if (environment.registry) {
        access.backend = environment.registry;
    } else if (!settings.winePrefix.empty()) {
        platform::RegistryLocation location;
        location.kind = platform::RegistryStoreKind::WinePrefix;
        location.file = settings.file;
        location.prefix = settings.winePrefix;
        platform::WineStoreOptions options;
        options.serverRoot = environment.serverRoot;
        access.own = std::make_unique<platform::WineRegistryStore>(location, options);
        access.backend = access.own.get();
    } else {
        access.backend = &platform::systemRegistry();
    }
    return access;
}

std::optional<std::string> readRegistryKey(platform::RegistryBackend& registry,
                                           const SettingsLayout& layout, std::string_view key) {
    std::string value;
    if (!readRegString(registry, kCurrentUser, layout.container, key, value)) {
        return std::nullopt;
    }
    return value;
}

// Reads the named keys; an entry is empty when its key is missing.
std::optional<std::vector<std::optional<std::string>>>
readKeys(const EmulatorSettings& settings, const SlotsEnvironment& environment,
         const std::vector<std::string_view>& keys, std::string& error) {
    const auto& layout = settings.layout();
    std::vector<std::optional<std::string>> values;
    if (layout.syntax == SettingsSyntax::Registry) {
        auto registry = registryOf(settings, environment);
        for (auto key : keys) {
            values.push_back(readRegistryKey(*registry.backend, layout, key));
        }
        return values;
    }
    int errorNumber = 0;
    const auto text = platform::readWholeFile(settings.file, &errorNumber);
    if (!text) {
        error =
            settings.file + ": 設定ﾌｧｲﾙを読めません(" + platform::describeError(errorNumber) + ")";
        return std::nullopt;
    }
    if (layout.syntax == SettingsSyntax::Json && !isValidJson(*text)) {
        error = settings.file + ": " + std::string(kBadJson);
        return std::nullopt;
    }
    for (auto key : keys) {
        values.push_back(readKey(layout, *text, key));
    }
    return values;
}

// Makes the changes in one step and reads them back; the message when not done.
std::optional<std::string> applyChanges(const EmulatorSettings& settings,
                                        const SlotsEnvironment& environment,
                                        const std::vector<KeyChange>& changes) {
    const auto& layout = settings.layout();
    if (layout.syntax == SettingsSyntax::Registry) {
        auto registry = registryOf(settings, environment);
        for (const auto& change : changes) {
            if (!platform::fitsCp932(change.value)) {
                return std::string(kPathNotForEmulator);
            }
        }
        // Values are stored one by one: when one fails, those already
        // stored get their former texts back.
        std::vector<std::pair<std::string_view, std::optional<std::string>>> former;
        for (const auto& change : changes) {
            former.emplace_back(change.key, readRegistryKey(*registry.backend, layout, change.key));
        }
        for (std::size_t i = 0; i < changes.size(); ++i) {
            if (!writeRegString(*registry.backend, kCurrentUser, layout.container, changes[i].key,
                                changes[i].value + '\0')) {
                for (std::size_t j = 0; j < i; ++j) {
                    if (former[j].second) {
                        writeRegString(*registry.backend, kCurrentUser, layout.container,
                                       former[j].first, *former[j].second + '\0');
                    }
                }
                return std::string(kRegistryWrite);
            }
        }
        for (const auto& change : changes) {
            if (readRegistryKey(*registry.backend, layout, change.key) != change.value) {
                return std::string(kReadBack);
            }
        }
        return std::nullopt;
    }

    int errorNumber = 0;
    const auto text = platform::readWholeFile(settings.file, &errorNumber);
    if (!text) {
        return settings.file + ": 設定ﾌｧｲﾙを読めません(" + platform::describeError(errorNumber) +
               ")";
    }
    if (layout.syntax == SettingsSyntax::Json && !isValidJson(*text)) {
        return settings.file + ": " + std::string(kBadJson);
    }
    std::string edited = *text;
    for (const auto& change : changes) {
        auto next = writeKey(layout, edited, change.key, change.value);
        if (!next) {
            return std::string(layout.syntax == SettingsSyntax::Json && !jsonQuote(change.value)
                                   ? kNotUtf8
                                   : kNotOneLine);
        }
        edited = std::move(*next);
    }
    // The edit must read back as meant before anything is written.
    for (const auto& change : changes) {
        if (readKey(layout, edited, change.key) != change.value) {
            return std::string(kReadBack);
        }
    }
    if (!platform::replaceFileAtomically(settings.file, edited, &errorNumber)) {
        return settings.file + ": 設定ﾌｧｲﾙを書き込めません(" +
               platform::describeError(errorNumber) + ")";
    }
    if (platform::readWholeFile(settings.file) != edited) {
        return settings.file + ": " + std::string(kReadBack);
    }
    return std::nullopt;
}

// ---- paths as the emulator sees them -------------------------------------------

// DuckStation takes a relative card path from its card folder ("Directory",
// by default "memcards" beside its settings).
std::string duckStationCardFolder(const EmulatorSettings& settings, std::string_view text) {
    auto folder =
        readLineSetting(text, {true, false}, "MemoryCards", "Directory").value_or("memcards");
    if (folder.empty()) {
        folder = "memcards";
    }
    if (isAbsolute(folder)) {
        if (!settings.winePrefix.empty()) {
            return platform::windowsPathToUnix(settings.winePrefix, folder).value_or("");
        }
        return folder;
    }
    std::replace(folder.begin(), folder.end(), '\\', '/');
    return folderOf(settings.file) + "/" + folder;
}

std::optional<std::string> storedToLocal(const EmulatorSettings& settings, std::string_view text,
                                         const std::string& stored) {
    if (stored.empty()) {
        return std::nullopt;
    }
    if (isAbsolute(stored)) {
        if (!settings.winePrefix.empty()) {
            return platform::windowsPathToUnix(settings.winePrefix, stored);
        }
        return stored;
    }
    if (settings.emulator != ModernEmulator::DuckStation) {
        return std::nullopt; // relative to a working folder that is not known here
    }
    std::string relative = stored;
    std::replace(relative.begin(), relative.end(), '\\', '/');
    const auto folder = duckStationCardFolder(settings, text);
    return folder.empty() ? std::nullopt : std::optional(folder + "/" + relative);
}

struct StoredPath {
    std::optional<std::string> text;
    std::string_view problem;
};

StoredPath localToStored(const EmulatorSettings& settings, const std::string& localPath) {
    std::string path = localPath;
    if (!settings.winePrefix.empty()) {
        auto windows = platform::unixPathToWindows(settings.winePrefix, localPath);
        if (!windows) {
            return {std::nullopt, kOutsideDrives};
        }
        // Names in Shift-JIS bytes stand for their text.
        path = platform::nameForDisplay(*windows);
    }
    switch (settings.layout().syntax) {
    case SettingsSyntax::Registry:
        if (!platform::fitsCp932(path)) {
            return {std::nullopt, kPathNotForEmulator};
        }
        break;
    case SettingsSyntax::Ini:
    case SettingsSyntax::Json:
        if (!jsonQuote(path)) {
            return {std::nullopt, kNotUtf8};
        }
        break;
    case SettingsSyntax::KeyValueLines:
        break; // bytes, as the file system holds them
    }
    return {path, {}};
}

// ---- finding -------------------------------------------------------------------

bool isFolder(const std::string& path) {
    return platform::isOpenableFolder(path);
}

std::optional<EmulatorSettings> fileIfThere(ModernEmulator emulator, bool windowsBuild,
                                            const std::string& file,
                                            const std::string& winePrefix = {}) {
    if (!platform::regularFileExists(file)) {
        return std::nullopt;
    }
    return EmulatorSettings{emulator, windowsBuild, file, winePrefix};
}

// DuckStation's Windows build: Documents\DuckStation when that folder exists,
// otherwise its local application data folder.
std::string duckStationWindowsFile(const std::string& documents, const std::string& localAppData,
                                   char separator) {
    const std::string inDocuments = documents + separator + "DuckStation";
    if (!documents.empty() && isFolder(inDocuments)) {
        return inDocuments + separator + "settings.ini";
    }
    return localAppData.empty()
               ? std::string()
               : localAppData + separator + "DuckStation" + separator + "settings.ini";
}

void findWindowsBuilds(std::vector<EmulatorSettings>& found, const std::string& documents,
                       const std::string& localAppData, const std::string& appData,
                       const std::string& winePrefix, char separator) {
    if (auto duck =
            fileIfThere(ModernEmulator::DuckStation, true,
                        duckStationWindowsFile(documents, localAppData, separator), winePrefix)) {
        found.push_back(*duck);
    }
    if (!appData.empty()) {
        if (auto redux = fileIfThere(ModernEmulator::PcsxRedux, true,
                                     appData + separator + "pcsx-redux" + separator + "pcsx.json",
                                     winePrefix)) {
            found.push_back(*redux);
        }
    }
}

void findRegistryBuilds(std::vector<EmulatorSettings>& found, const std::string& userReg,
                        const std::string& winePrefix) {
    for (auto emulator : {ModernEmulator::Pcsxr, ModernEmulator::Epsxe}) {
        EmulatorSettings settings{emulator, true, userReg, winePrefix};
        auto registry = registryOf(settings, {});
        const auto key = registry.backend->openKey(kCurrentUser, settings.layout().container);
        if (key) {
            registry.backend->closeKey(*key);
            found.push_back(settings);
        }
    }
}

std::string environmentText(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

} // namespace

const ModernEmulatorInfo& modernEmulatorInfo(ModernEmulator emulator) {
    for (const auto& info : kModernEmulators) {
        if (info.id == emulator) {
            return info;
        }
    }
    throw std::out_of_range("unknown emulator");
}

std::optional<ModernEmulator> modernEmulatorFromName(std::string_view cliName) {
    for (const auto& info : kModernEmulators) {
        if (info.cliName == cliName) {
            return info.id;
        }
    }
    return std::nullopt;
}

SearchPlaces currentSearchPlaces() {
    SearchPlaces places;
#ifdef _WIN32
    const auto profile = environmentText("USERPROFILE");
    places.documents = profile.empty() ? std::string() : profile + "\\Documents";
    places.localAppData = environmentText("LOCALAPPDATA");
    places.appData = environmentText("APPDATA");
    places.windowsRegistry = true;
#else
    places.home = environmentText("HOME");
    places.configHome = platform::userConfigHome();
    const auto location = platform::locateRegistry();
    if (location.kind == platform::RegistryStoreKind::WinePrefix) {
        places.winePrefix = location.prefix;
    }
#endif
    return places;
}

std::vector<EmulatorSettings> findEmulators(const SearchPlaces& places) {
    std::vector<EmulatorSettings> found;
    if (!places.configHome.empty() || !places.home.empty()) {
        std::optional<EmulatorSettings> duck;
        if (!places.configHome.empty()) {
            duck = fileIfThere(ModernEmulator::DuckStation, false,
                               places.configHome + "/duckstation/settings.ini");
        }
        if (!duck && !places.home.empty()) {
            duck = fileIfThere(ModernEmulator::DuckStation, false,
                               places.home + "/.local/share/duckstation/settings.ini");
        }
        if (duck) {
            found.push_back(*duck);
        }
        if (!places.configHome.empty()) {
            if (auto redux = fileIfThere(ModernEmulator::PcsxRedux, false,
                                         places.configHome + "/pcsx-redux/pcsx.json")) {
                found.push_back(*redux);
            }
        }
        if (!places.home.empty()) {
            if (auto pcsxr =
                    fileIfThere(ModernEmulator::Pcsxr, false, places.home + "/.pcsxr/pcsxr.cfg")) {
                found.push_back(*pcsxr);
            }
            if (auto epsxe =
                    fileIfThere(ModernEmulator::Epsxe, false, places.home + "/.epsxe/epsxerc")) {
                found.push_back(*epsxe);
            }
        }
    }
    if (!places.winePrefix.empty()) {
        // Each user folder of the prefix (Wine makes one for the Linux user).
        const std::string users = places.winePrefix + "/drive_c/users";
        if (auto entries = platform::listDirectory(users)) {
            std::sort(entries->begin(), entries->end(),
                      [](const auto& a, const auto& b) { return a.name < b.name; });
            for (const auto& entry : *entries) {
                if (!entry.isDirectory || entry.name == "Public") {
                    continue;
                }
                const std::string user = users + "/" + entry.name;
                findWindowsBuilds(found, user + "/Documents", user + "/AppData/Local",
                                  user + "/AppData/Roaming", places.winePrefix, '/');
            }
        }
        const std::string userReg = places.winePrefix + "/user.reg";
        if (platform::regularFileExists(userReg)) {
            findRegistryBuilds(found, userReg, places.winePrefix);
        }
    }
    if (!places.documents.empty() || !places.localAppData.empty() || !places.appData.empty()) {
        findWindowsBuilds(found, places.documents, places.localAppData, places.appData, {}, '\\');
    }
    if (places.windowsRegistry) {
        findRegistryBuilds(found, {}, {});
    }
    std::stable_sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
        return static_cast<int>(a.emulator) < static_cast<int>(b.emulator);
    });
    return found;
}

std::string describeSettingsPlace(const EmulatorSettings& settings) {
    const auto& layout = settings.layout();
    if (layout.syntax != SettingsSyntax::Registry) {
        return settings.file;
    }
    std::string place = "HKEY_CURRENT_USER\\" + std::string(layout.container);
    if (!settings.file.empty()) {
        place += " (" + settings.file + ")";
    }
    return place;
}

std::optional<std::string> modernSlotsBusy(const EmulatorSettings& settings,
                                           const SlotsEnvironment& environment) {
    const auto names = environment.runningPrograms ? *environment.runningPrograms
                                                   : platform::runningProgramNames();
    const auto& info = settings.info();
    for (const auto& name : names) {
        const auto lowered = lower(name);
        for (auto prefix : info.programPrefixes) {
            if (!prefix.empty() && lowered.starts_with(prefix)) {
                return std::string(info.caption) +
                       "が起動中です。終了時に設定を書き戻すため、変更が失われます。"
                       "終了してから変更して下さい。";
            }
        }
    }
    if (!settings.winePrefix.empty() &&
        platform::wineserverRunning(settings.winePrefix, environment.serverRoot)) {
        return "Wine(" + settings.winePrefix +
               ")が動いています。終了時に設定を書き戻すため、変更が失われます。"
               "Wineを終了してから(wineserver -k)変更して下さい。";
    }
    return std::nullopt;
}

ModernSlotsReading readModernSlots(const EmulatorSettings& settings,
                                   const SlotsEnvironment& environment) {
    ModernSlotsReading reading;
    const auto& layout = settings.layout();
    std::vector<std::string_view> keys;
    for (const auto& slot : layout.perSlot) {
        keys.push_back(slot.pathKey);
        keys.push_back(slot.enableKey.empty() ? slot.pathKey : slot.enableKey);
    }
    const auto values = readKeys(settings, environment, keys, reading.error);
    if (!values) {
        return reading;
    }
    std::string text; // for resolving DuckStation's relative paths
    if (layout.syntax == SettingsSyntax::Ini) {
        text = platform::readWholeFile(settings.file).value_or("");
    }
    for (std::size_t i = 0; i < 2; ++i) {
        auto& slot = reading.perSlot[i];
        const auto& keysOf = layout.perSlot[i];
        slot.value = (*values)[2 * i];
        if (keysOf.enableKey.empty()) {
            slot.usesCardFile = slot.value && !slot.value->empty();
        } else {
            const auto& enable = (*values)[2 * i + 1];
            slot.enableState = enable.value_or("");
            slot.usesCardFile = enable ? *enable == keysOf.enableValue : keysOf.enabledWhenMissing;
        }
        if (slot.value) {
            slot.localPath = storedToLocal(settings, text, *slot.value);
        }
    }
    if (settings.emulator == ModernEmulator::DuckStation) {
        // A game's own settings file can choose other cards for that game.
        const auto folder = folderOf(settings.file) + "/gamesettings";
        if (auto entries = platform::listDirectory(folder)) {
            std::sort(entries->begin(), entries->end(),
                      [](const auto& a, const auto& b) { return a.name < b.name; });
            for (const auto& entry : *entries) {
                if (!entry.isRegularFile || !lower(entry.name).ends_with(".ini")) {
                    continue;
                }
                const auto game = platform::readWholeFile(folder + "/" + entry.name);
                if (!game) {
                    continue;
                }
                for (const auto& slot : layout.perSlot) {
                    if (readKey(layout, *game, slot.pathKey) ||
                        readKey(layout, *game, slot.enableKey)) {
                        reading.notes.push_back("gamesettings/" +
                                                platform::nameForDisplay(entry.name) +
                                                " がそのｹﾞｰﾑのﾒﾓﾘｰｶｰﾄﾞを上書きします。");
                        break;
                    }
                }
            }
        }
    }
    reading.ok = true;
    return reading;
}

CardFileCheck checkCardForModernSlot(const std::string& localPath) {
    CardFileCheck check;
    platform::InputFile file;
    if (!file.open(localPath)) {
        check.kind = CardFileKind::Unreadable;
        check.reason = "ﾌｧｲﾙを開けません(" + platform::describeError(file.errorNumber()) + ")";
        return check;
    }
    file.close();
    if (cards::isValidBleemImage(localPath)) {
        check.kind = CardFileKind::RawCard;
    } else if (cards::isValidVgsImage(localPath)) {
        check.kind = CardFileKind::VgsImage;
        check.reason = kVgsCard;
    } else if (const auto read = cards::readCardFile(localPath, false);
               read.readable && (read.file.container == cards::CardContainer::Gme ||
                                 read.file.container == cards::CardContainer::Vmp)) {
        check.kind = CardFileKind::OtherContainer;
        check.reason =
            std::string(read.file.container == cards::CardContainer::Gme ? "DexDrive(.gme)"
                                                                         : "PSP/Vita(.VMP)") +
            "ﾒﾓﾘｰｶｰﾄﾞﾌｧｲﾙです。" + std::string(kOnlyBareCards);
    } else {
        check.kind = CardFileKind::Other;
        check.reason = kNotRawCard;
    }
    return check;
}

ModernSlotChange setModernSlot(const EmulatorSettings& settings, int index,
                               const std::string& localPath, const SlotsEnvironment& environment) {
    ModernSlotChange change;
    const auto& keys = settings.layout().perSlot[slotIndex(index)];
    if (auto busy = modernSlotsBusy(settings, environment)) {
        change.message = *busy;
        return change;
    }
    const auto card = checkCardForModernSlot(localPath);
    if (card.kind != CardFileKind::RawCard) {
        change.message = card.reason;
        change.offerConversion = card.convertible();
        return change;
    }
    const auto stored = localToStored(settings, localPath);
    if (!stored.text) {
        change.message = stored.problem;
        return change;
    }
    std::vector<KeyChange> changes{{keys.pathKey, *stored.text}};
    if (!keys.enableKey.empty()) {
        changes.push_back({keys.enableKey, std::string(keys.enableValue)});
    }
    if (auto problem = applyChanges(settings, environment, changes)) {
        change.message = *problem;
        return change;
    }
    change.ok = true;
    change.stored[slotIndex(index)] = *stored.text;
    return change;
}

ModernSlotChange swapModernSlots(const EmulatorSettings& settings,
                                 const SlotsEnvironment& environment) {
    ModernSlotChange change;
    if (auto busy = modernSlotsBusy(settings, environment)) {
        change.message = *busy;
        return change;
    }
    const auto& layout = settings.layout();
    std::vector<std::pair<std::string_view, std::string_view>> pairs{
        {layout.perSlot[0].pathKey, layout.perSlot[1].pathKey}};
    if (!layout.perSlot[0].enableKey.empty()) {
        pairs.emplace_back(layout.perSlot[0].enableKey, layout.perSlot[1].enableKey);
    }
    std::vector<std::string_view> keys;
    for (const auto& [first, second] : pairs) {
        keys.push_back(first);
        keys.push_back(second);
    }
    const auto values = readKeys(settings, environment, keys, change.message);
    if (!values) {
        return change;
    }
    std::vector<KeyChange> changes;
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        auto first = (*values)[2 * i];
        auto second = (*values)[2 * i + 1];
        if (i == 1 && layout.perSlot[0].enabledWhenMissing) {
            // A missing enable value stands for the emulator's default.
            const std::string enabled(layout.perSlot[0].enableValue);
            first = first.value_or(enabled);
            second = second.value_or(enabled);
        }
        if (first.has_value() != second.has_value()) {
            change.message = std::string(first ? pairs[i].second : pairs[i].first) +
                             "が設定されていないため、入れ替えられません。";
            return change;
        }
        if (first && *first != *second) {
            changes.push_back({pairs[i].first, *second});
            changes.push_back({pairs[i].second, *first});
        }
    }
    if (!changes.empty()) {
        if (auto problem = applyChanges(settings, environment, changes)) {
            change.message = *problem;
            return change;
        }
    }
    change.ok = true;
    change.stored = {(*values)[1], (*values)[0]};
    return change;
}

} // namespace tobrel::emulator
