#pragma once
// The memory-card slots of today's emulators: DuckStation, PCSX-Redux, PCSX-R
// and ePSXe. Each is described once (where its settings are, which keys hold
// its two slots, what makes a slot use a card file); finding, showing,
// setting and swapping all work from that one description.
//
// Every one of them writes its settings back from memory when it exits, so
// nothing is changed while it (or, under Wine, its prefix's wineserver) runs.
// A change edits exactly the values it names, keeps every other byte of the
// file, replaces the file atomically and reads it back.

#include "platform/registry_store.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tobrel::emulator {

enum class ModernEmulator { DuckStation, PcsxRedux, Pcsxr, Epsxe };

enum class SettingsSyntax {
    Ini,           // "[Section]" and "Key = value" lines, UTF-8 (DuckStation)
    Json,          // members of one object (PCSX-Redux)
    KeyValueLines, // "Key = value" lines without sections (PCSX-R, ePSXe on Linux)
    Registry,      // string values of one key under HKEY_CURRENT_USER
};

// How one slot is kept.
struct ModernSlotKeys {
    std::string_view pathKey;        // the card file's path
    std::string_view enableKey;      // what makes the slot use that file; empty: nothing
    std::string_view enableValue;    // the value enableKey needs for it
    bool enabledWhenMissing = false; // the emulator's default without enableKey
};

// Where in one kind of settings an emulator keeps its two slots.
struct SettingsLayout {
    SettingsSyntax syntax;
    // The INI section, the JSON member holding the slot members, or the
    // registry key path; empty for plain key lines.
    std::string_view container;
    std::array<ModernSlotKeys, 2> perSlot;
};

struct ModernEmulatorInfo {
    ModernEmulator id;
    std::string_view cliName; // "duckstation", "pcsx-redux", "pcsxr", "epsxe"
    std::string_view caption; // as shown
    // Running processes whose name starts with one of these (compared in lower case).
    std::array<std::string_view, 2> programPrefixes;
    SettingsLayout linuxLayout;   // the emulator's Linux build
    SettingsLayout windowsLayout; // its Windows build, natively or under Wine
};

inline constexpr std::array<ModernEmulatorInfo, 4> kModernEmulators = {{
    {ModernEmulator::DuckStation,
     "duckstation",
     "DuckStation",
     {"duckstation", ""},
     {SettingsSyntax::Ini,
      "MemoryCards",
      {{{"Card1Path", "Card1Type", "Shared"}, {"Card2Path", "Card2Type", "Shared"}}}},
     {SettingsSyntax::Ini,
      "MemoryCards",
      {{{"Card1Path", "Card1Type", "Shared"}, {"Card2Path", "Card2Type", "Shared"}}}}},
    {ModernEmulator::PcsxRedux,
     "pcsx-redux",
     "PCSX-Redux",
     {"pcsx-redux", "pcsx_redux"},
     {SettingsSyntax::Json,
      "emulator",
      {{{"Mcd1", "Mcd1Inserted", "true", true}, {"Mcd2", "Mcd2Inserted", "true", true}}}},
     {SettingsSyntax::Json,
      "emulator",
      {{{"Mcd1", "Mcd1Inserted", "true", true}, {"Mcd2", "Mcd2Inserted", "true", true}}}}},
    {ModernEmulator::Pcsxr,
     "pcsxr",
     "PCSX-R",
     {"pcsxr", ""},
     {SettingsSyntax::KeyValueLines, "", {{{"Mcd1", "", ""}, {"Mcd2", "", ""}}}},
     {SettingsSyntax::Registry, "Software\\Pcsxr", {{{"Mcd1", "", ""}, {"Mcd2", "", ""}}}}},
    {ModernEmulator::Epsxe,
     "epsxe",
     "ePSXe",
     {"epsxe", ""},
     {SettingsSyntax::KeyValueLines, "", {{{"MemcardPath1", "", ""}, {"MemcardPath2", "", ""}}}},
     {SettingsSyntax::Registry,
      "Software\\epsxe\\config",
      {{{"Memcard1", "Memcard1Enable", "1"}, {"Memcard2", "Memcard2Enable", "1"}}}}},
}};

const ModernEmulatorInfo& modernEmulatorInfo(ModernEmulator emulator);
// The emulator of a command-line name; nothing for an unknown one.
std::optional<ModernEmulator> modernEmulatorFromName(std::string_view cliName);

// One emulator's settings found on this system.
struct EmulatorSettings {
    ModernEmulator emulator = ModernEmulator::DuckStation;
    bool windowsBuild = false; // its Windows build (windowsLayout)
    // The settings file; for registry settings under Wine the prefix's
    // user.reg, and empty for the Windows registry itself.
    std::string file;
    // The Wine prefix the Windows build runs in: its paths are drive-letter
    // paths through the prefix's drives. Empty when it runs natively.
    std::string winePrefix;

    const ModernEmulatorInfo& info() const { return modernEmulatorInfo(emulator); }
    const SettingsLayout& layout() const {
        return windowsBuild ? info().windowsLayout : info().linuxLayout;
    }
};

// Where to look for settings.
struct SearchPlaces {
    std::string home;       // Linux builds: ~/.pcsxr, ~/.epsxe, ~/.local/share
    std::string configHome; // Linux builds: $XDG_CONFIG_HOME or ~/.config
    std::string winePrefix; // Windows builds under Wine (Linux); empty: none
    // Windows builds on Windows: the user's folders, and whether the
    // system's own registry holds PCSX-R's and ePSXe's keys.
    std::string documents;
    std::string localAppData;
    std::string appData;
    bool windowsRegistry = false;
};

// This system's places: the user's folders and, on Linux, the Wine prefix the
// registry store uses (when it is one).
SearchPlaces currentSearchPlaces();

// The emulators whose settings exist, in the table's order; an emulator may
// appear twice (its Linux build and its Windows build under Wine).
std::vector<EmulatorSettings> findEmulators(const SearchPlaces& places);

// Where the settings are, for a listing: the file, or the registry key (and
// under Wine the user.reg it is kept in).
std::string describeSettingsPlace(const EmulatorSettings& settings);

// What a change needs of the system; the defaults are the real ones.
struct SlotsEnvironment {
    // The running programs' names; nothing: platform::runningProgramNames.
    std::optional<std::vector<std::string>> runningPrograms;
    // Put before the wineserver lock folders (for tests).
    std::string serverRoot;
    // The registry for registry settings; null: the prefix's user.reg (Wine)
    // or the system's registry (Windows).
    platform::RegistryBackend* registry = nullptr;
};

struct ModernSlot {
    std::optional<std::string> value;     // the path as stored; nothing when not set
    std::string enableState;              // the enable key's value as stored ("" when none)
    bool usesCardFile = false;            // the slot loads the card file in value
    std::optional<std::string> localPath; // value as a file of this system
};

struct ModernSlotsReading {
    bool ok = false;
    std::string error; // Japanese, when not ok
    std::array<ModernSlot, 2> perSlot;
    // Japanese notes, e.g. that a per-game settings file overrides the slots.
    std::vector<std::string> notes;
};

ModernSlotsReading readModernSlots(const EmulatorSettings& settings,
                                   const SlotsEnvironment& environment = {});

// Whether a file can go into these emulators' slots: all of them load the
// bare card of 131,072 bytes. This is the one place that tells card layouts
// apart for them.
// A card in another container (DexDrive .gme, PSP/Vita .VMP) is refused like
// a VGS image and can be converted to the bare card.
enum class CardFileKind { RawCard, VgsImage, OtherContainer, Unreadable, Other };
struct CardFileCheck {
    CardFileKind kind = CardFileKind::Other;
    std::string reason; // Japanese, unless RawCard
    bool convertible() const {
        return kind == CardFileKind::VgsImage || kind == CardFileKind::OtherContainer;
    }
};
CardFileCheck checkCardForModernSlot(const std::string& localPath);

struct ModernSlotChange {
    bool ok = false;
    std::string message;          // Japanese reason when not ok
    bool offerConversion = false; // the card is in a layout that converts to a bare card
    std::array<std::optional<std::string>, 2> stored; // the slots' values afterwards
};

// Puts the card file at localPath into slot index (0 or 1): checks the card,
// refuses while the emulator runs, expresses the path as the emulator sees it
// and changes the slot's path and enable values only.
ModernSlotChange setModernSlot(const EmulatorSettings& settings, int index,
                               const std::string& localPath,
                               const SlotsEnvironment& environment = {});

// Exchanges the two slots (path and enable values) in one change.
ModernSlotChange swapModernSlots(const EmulatorSettings& settings,
                                 const SlotsEnvironment& environment = {});

// Why a change would be refused now because the emulator or its Wine prefix
// runs (Japanese), or nothing.
std::optional<std::string> modernSlotsBusy(const EmulatorSettings& settings,
                                           const SlotsEnvironment& environment = {});

} // namespace tobrel::emulator
