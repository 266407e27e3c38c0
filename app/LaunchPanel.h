#pragma once
// fraLnch: six program slots. Each shows its program's icon on a start
// button, its path in a box and a "..." button that registers a program.

#include "launcher/launch_command.h"
#include "launcher/launch_slots.h"

#include <QFrame>
#include <array>
#include <optional>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tobrel::app {

class CommonDialog;

class LaunchPanel : public QFrame {
    Q_OBJECT
public:
    static constexpr auto kSlotCount = static_cast<std::size_t>(launcher::kSlotCount);

    LaunchPanel(QWidget* mainWindow, CommonDialog& dialog);

    // Load step: the slot takes its stored path; a path whose file is gone
    // empties the slot, a remaining one shows its program's icon. The stored
    // text stays as it was; a drive-letter path names a file in the Wine
    // prefix's drives, a name in Shift-JIS bytes the entry with those bytes.
    void restoreSlot(int slot, const QString& storedPath);
    // The slot's path as the unload step stores it; empty for a free slot.
    QString slotPath(int slot) const;

    void cmdLIcon_Click(int slot);
    void cmdLaunch_Click(int slot);

    // Where programs are started; this system's unless set (tests set their own).
    void setLaunchContext(std::optional<launcher::LaunchContext> context);

    QPushButton* closeButton() const { return cmdLaunchClose; }

private:
    // Paints the first icon of the slot's program onto its drawing surface and
    // shows it on the start button. False when the file has no icon.
    bool drawIcon(std::size_t slot);
    // The file the slot's path names, in the file system's own bytes; empty
    // for a free slot and a drive-letter path that no drive holds.
    std::string programFile(std::size_t slot) const;
    launcher::LaunchContext launchContext() const;
    void clearSurface(std::size_t slot);
    void slotPathChanged(std::size_t slot);

    QWidget* mainWindow_;
    CommonDialog& dlgCmmn_;
    std::optional<launcher::LaunchContext> context_;
    std::array<QGroupBox*, kSlotCount> fraLaunch{};
    std::array<QPushButton*, kSlotCount> cmdLIcon{};
    std::array<QLineEdit*, kSlotCount> txtLaunch{};
    std::array<QPushButton*, kSlotCount> cmdLaunch{};
    std::array<QLabel*, kSlotCount> picLaunchIcon{};
    QPushButton* cmdLaunchClose;
};

} // namespace tobrel::app
