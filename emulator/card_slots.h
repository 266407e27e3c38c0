#pragma once
// The memory-card slots of bleem! and VGS: the registry values that hold the
// card image path of each emulator's two slots, the checks a card image must
// pass before it goes into a slot, and the texts of the memory card panel.
// Everything a panel needs except its widgets.

#include "platform/wine/store.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tobrel::emulator {

enum class SlotEmulator { Bleem, Vgs };

inline constexpr int kSlotsPerEmulator = 2;

inline constexpr std::string_view kBleemCardKeyPath = "Software\\bleem\\bleem!\\1.0\\CARD";
inline constexpr std::string_view kVgsCardKeyPath =
    "Software\\Connectix\\Connectix Virtual Game Station\\Memory Cards";

// A chosen card whose path the emulators' code page cannot hold unchanged.
inline constexpr std::string_view kPathNotForEmulator =
    "このパスはエミュレータから使えません(Shift-JISで表せない文字を含みます)。";
// A chosen card outside every drive of the Wine prefix the emulators run in.
inline constexpr std::string_view kPathOutsideDrives =
    "このパスはエミュレータから使えません(Wineのどのドライブにもありません)。";

// What differs between the two emulators' slots.
struct SlotEmulatorInfo {
    std::string_view frameCaption; // "bleem!" / "VGS"
    std::string_view keyPath;      // under HKEY_CURRENT_USER
    std::array<std::string_view, kSlotsPerEmulator> valueNames;
    std::string_view dialogTitle;
    std::string_view filterDescription; // e.g. "bleem!ﾒﾓﾘｰｶｰﾄﾞﾌｧｲﾙ(*.MCD)"
    std::string_view filterPattern;     // e.g. "*.MCD"
    std::string_view filter;            // description, "|", pattern
    bool vgsSignature;                  // "VgsM" rather than "MC"
    std::uint64_t requiredLength;
    std::string_view rejectionMessage;
};

inline constexpr SlotEmulatorInfo kBleemSlots{
    "bleem!",
    kBleemCardKeyPath,
    {"Card0PathName", "Card1PathName"},
    "bleem!ﾒﾓﾘｰｶｰﾄﾞの指定",
    "bleem!ﾒﾓﾘｰｶｰﾄﾞﾌｧｲﾙ(*.MCD)",
    "*.MCD",
    "bleem!ﾒﾓﾘｰｶｰﾄﾞﾌｧｲﾙ(*.MCD)|*.MCD",
    false,
    131072,
    "bleem!ﾒﾓﾘｰｶｰﾄﾞﾌｧｲﾙ(131,072ﾊﾞｲﾄ)を指定して下さい。",
};

inline constexpr SlotEmulatorInfo kVgsSlots{
    "VGS",
    kVgsCardKeyPath,
    {"Bank 00 Slot 00", "Bank 01 Slot 00"},
    "VGSﾒﾓﾘｰｶｰﾄﾞﾌｧｲﾙの指定",
    "VGSﾒﾓﾘｰｶｰﾄﾞﾌｧｲﾙ(*.MEM)",
    "*.MEM",
    "VGSﾒﾓﾘｰｶｰﾄﾞﾌｧｲﾙ(*.MEM)|*.MEM",
    true,
    131136,
    "VGSﾒﾓﾘｰｶｰﾄﾞﾌｧｲﾙ(131,136ﾊﾞｲﾄ)を指定して下さい。",
};

const SlotEmulatorInfo& slotInfo(SlotEmulator emulator);

// The four slot paths as the panel's text boxes hold them; index 0 is "Slot1：".
struct CardSlotPaths {
    std::array<std::string, kSlotsPerEmulator> bleem;
    std::array<std::string, kSlotsPerEmulator> vgs;

    std::string& of(SlotEmulator emulator, int index);
    const std::string& of(SlotEmulator emulator, int index) const;
};

// Reads one slot's path; path is changed only when the value could be read.
bool readCardSlot(platform::RegistryBackend& registry, SlotEmulator emulator, int index,
                  std::string& path);
// Writes one slot's path followed by one NUL, so an empty path is stored as an
// empty text and never as a missing value.
bool writeCardSlot(platform::RegistryBackend& registry, SlotEmulator emulator, int index,
                   std::string_view path);

// Reads all four slots (bleem! 1, 2, then VGS 1, 2). Each path whose value can
// be read is replaced; the others are left as they are. Reading creates nothing.
void readCardSlots(CardSlotPaths& paths);
void readCardSlots(platform::RegistryBackend& registry, CardSlotPaths& paths);

// Writes all four slots, empty ones included, creating the keys when missing.
// True when all four were stored (the panel ignores the answer).
bool applyCardSlots(const CardSlotPaths& paths);
bool applyCardSlots(platform::RegistryBackend& registry, const CardSlotPaths& paths);

// The test a chosen card image must pass for a slot of emulator: the file
// begins with the emulator's signature and, only then, has exactly its
// required length. A file that cannot be opened or measured is rejected.
bool checkCardForSlot(SlotEmulator emulator, const std::string& localPath);

// Paths in slot values are drive-letter paths when the registry is a Wine
// prefix's (the emulators run inside it) and Linux paths for Tobrel's own file.
// Slot text to the file to open or check (nothing when it cannot be mapped).
std::optional<std::string> slotTextToLocalPath(const platform::RegistryLocation& location,
                                               std::string_view slotText);
// A file on this system to the text a slot should hold.
std::optional<std::string> localPathToSlotText(const platform::RegistryLocation& location,
                                               std::string_view localPath);

// The outcome of choosing a file for a slot.
struct SlotChoice {
    bool accepted = false;
    std::string slotText;     // what the slot box should now hold (empty when rejected)
    std::string_view message; // the emulator's rejection message when rejected
};

// What the panel does with a file chosen in its dialog (and the CLI with a
// path it is given): spaces around the path are removed, the card is checked,
// and an accepted file's path is converted to the text the slot holds. A
// sound card whose path cannot be expressed for the emulators is rejected with
// kPathOutsideDrives (outside every drive of the prefix) or kPathNotForEmulator
// (code page 932 cannot hold it unchanged), never with the card's message.
SlotChoice chooseCardForSlot(SlotEmulator emulator, const platform::RegistryLocation& location,
                             std::string_view chosenLocalPath);

} // namespace tobrel::emulator
