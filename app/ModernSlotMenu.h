#pragma once
// The card viewer's "ｽﾛｯﾄに設定" menu: puts the card shown into slot 1 or 2 of
// each emulator of today whose settings are on this system (DuckStation,
// PCSX-Redux, PCSX-R, ePSXe).

#include "emulator/modern_slots.h"

#include <QString>

#include <string>
#include <vector>

class QMenu;
class QWidget;

namespace tobrel::app {

class ModernSlotMenu {
public:
    static QString menuCaption() { return QStringLiteral("ｽﾛｯﾄに設定"); }

    // Adds the submenu to menu: for each found emulator its slot 1 and slot 2,
    // each putting the card at cardPath into that slot when chosen; one
    // disabled entry when none is found.
    static QMenu* addTo(QMenu& menu, QWidget* parent, const std::string& cardPath,
                        const std::vector<emulator::EmulatorSettings>& found,
                        const emulator::SlotsEnvironment& environment = {});

    // Puts the card into the slot and tells the user the outcome. A VGS card
    // is offered for conversion first: a bare card is made beside it (named
    // as the conversion panel names it) and that one is set.
    static bool assign(QWidget* parent, const emulator::EmulatorSettings& settings, int index,
                       const std::string& cardPath,
                       const emulator::SlotsEnvironment& environment = {});

    // "DuckStation Slot1", with " (Wine)" for a Windows build under Wine.
    static QString slotCaption(const emulator::EmulatorSettings& settings, int index);
};

} // namespace tobrel::app
