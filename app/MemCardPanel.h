#pragma once
// fraMemCard: which card image files bleem! and VGS load into their two
// memory-card slots, as the emulators keep them in the registry.

#include "emulator/card_slots.h"

#include <QFrame>
#include <array>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tobrel::app {

class CommonDialog;

class MemCardPanel : public QFrame {
    Q_OBJECT
public:
    MemCardPanel(QWidget* mainWindow, CommonDialog& dialog);

    // Reads the four slot paths from the registry; a missing value leaves its box.
    void readCardSlots();

    void cmdMemGet_Click();
    void cmdMemApply_Click();
    void cmdbSlot_Click(int index);
    void cmdVSlot_Click(int index);

    QPushButton* closeButton() const { return cmdMemClose; }

private:
    using Emulator = emulator::SlotEmulator;
    void chooseCard(Emulator which, int index);
    QLineEdit* slotBox(Emulator which, int index) const;
    emulator::CardSlotPaths boxPaths() const;

    QWidget* mainWindow_;
    CommonDialog& dlgCmmn_;
    QGroupBox* frableem;
    std::array<QLabel*, 2> labbSlot{};
    std::array<QLineEdit*, 2> txtbSlot{};
    std::array<QPushButton*, 2> cmdbSlot{};
    QGroupBox* fraVGS;
    std::array<QLabel*, 2> labVSlot{};
    std::array<QLineEdit*, 2> txtVSlot{};
    std::array<QPushButton*, 2> cmdVSlot{};
    QPushButton* cmdMemGet;
    QPushButton* cmdMemApply;
    QPushButton* cmdMemClose;
};

} // namespace tobrel::app
