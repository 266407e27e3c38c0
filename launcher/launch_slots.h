#pragma once
// The launcher's six program slots: their names, the texts of the register
// dialog and where it opens. A slot's state is the path its box holds; an
// empty path is a free slot.

#include <string>
#include <string_view>

namespace tobrel::launcher {

inline constexpr int kSlotCount = 6;

inline constexpr std::string_view kRegisterDialogTitle = "登録するﾌﾟﾛｸﾞﾗﾑの指定";
inline constexpr std::string_view kProgramFilter = "ﾌﾟﾛｸﾞﾗﾑﾌｧｲﾙ(*.EXE,*.CPL)|*.EXE;*.CPL";
inline constexpr int kRegisterDialogFlags = 6145; // file and path must exist, read-only box ticked
inline constexpr std::string_view kFreeSlotText = "空き";
inline constexpr std::string_view kCloseButtonCaption = "閉じる";

// Messages of a start that fails; the program's path follows on the next line.
inline constexpr std::string_view kProgramMissingMessage = "ﾌﾟﾛｸﾞﾗﾑが見つかりません。";
inline constexpr std::string_view kWineMissingMessage =
    "Wineがｲﾝｽﾄｰﾙされていないため、Windowsのﾌﾟﾛｸﾞﾗﾑを起動できません。";
inline constexpr std::string_view kStartFailedMessage = "ﾌﾟﾛｸﾞﾗﾑを起動できませんでした。";
// A chosen program whose path the settings file cannot keep; the path follows
// on the next line. The slot stays as it was.
inline constexpr std::string_view kPathNotStorableMessage =
    "このパスは登録できません(Shift-JISで表せない文字を含みます)。";

// Whether the settings file can keep the path (UTF-8) as it is. It holds code
// page 932 text, so a path with a character that has no form there ("café",
// a WAVE DASH U+301C) would come back as another path and its slot be empty
// at the next start.
bool pathCanBeStored(std::string_view path);

// "Program1" to "Program6" for slots 0 to 5.
std::string slotCaption(int slot);

// Accessible names: the start button says which program it starts
// ("Program2: VGS.EXE", or "Program2: 空き" for a free slot); the path box and
// the register button say which slot they belong to.
std::string startButtonName(int slot, std::string_view path);
std::string pathBoxName(int slot);
std::string registerButtonName(int slot);

// Where the register dialog opens: in the program's own folder with no name
// for a free slot, else in the folder of the slot's program with its name.
struct RegisterDialogStart {
    std::string initialDirectory;
    std::string fileName;
};
RegisterDialogStart registerDialogStart(std::string_view slotPath, std::string_view programFolder);

// The last four characters, in capitals, are ".CPL" / ".EXE".
bool isControlPanelApplet(std::string_view path);
bool isExecutable(std::string_view path);

} // namespace tobrel::launcher
