#pragma once
// fraCtrl: which key, joystick axis or button, and which controller ID, drive
// each PlayStation control of VGS's two controllers. One frame per
// controller, 14 rows each; the records behind them are VGS's registry values.

#include "emulator/controller_mapping.h"

#include <QFrame>
#include <array>

class QComboBox;
class QLabel;
class QPushButton;
class QStringListModel;

namespace tobrel::app {

class TabStrip;

class CtrlPanel : public QFrame {
    Q_OBJECT
public:
    static constexpr int kRows = emulator::kControllerRows;
    using Labels = std::array<QLabel*, kRows>;
    using Selectors = std::array<QComboBox*, kRows>;

    explicit CtrlPanel(QWidget* mainWindow);

    // Builds the 14 rows of both frames, gives the 56 selectors their lists
    // and shows the mapping in them. Done once, when the panel is first
    // shown, so a start on another tab does not pay for them; until then
    // the mapping's records are what the selectors would show.
    void fillControllerLists();
    // Reads both values and selects, in every selector, what they hold.
    void loadControllerMapping();
    // Takes every selection into the records and writes both values; a
    // refused write is reported.
    void applyControllerMapping();

    void tabSelCtrl_Click(int index);
    void cmdKeyGet_Click();
    void cmdKeyApply_Click();

    // The controller page as CTRLTAB stores it: 0 or 1.
    void applyCtrlTab(int page);
    int ctrlTab() const;

    QPushButton* closeButton() const { return cmdKeyClose; }
    const emulator::ControllerMapping& mapping() const { return mapping_; }

protected:
private:
    void buildRows(QFrame* frame, int controller, Labels& idLabels, Selectors& idSelectors,
                   Labels& controlLabels, Selectors& keySelectors);
    void showSelections(int controller, const emulator::ControllerSelections& rows);
    emulator::ControllerSelections currentSelections(int controller) const;
    const Selectors& idSelectors(int controller) const;
    const Selectors& keySelectors(int controller) const;

    QWidget* mainWindow_;
    emulator::ControllerMapping mapping_;
    TabStrip* tabSelCtrl;
    QFrame* fraCtrl1;
    QFrame* fraCtrl2;
    Labels labID1{};
    Selectors cmbID1{};
    Labels labCtrl1{};
    Selectors cmbCtrl1{};
    Labels labID2{};
    Selectors cmbID2{};
    Labels labCtrl2{};
    Selectors cmbCtrl2{};
    QPushButton* cmdKeyGet;
    QPushButton* cmdKeyApply;
    QPushButton* cmdKeyClose;
    bool busy_ = false;
    bool rowsBuilt_ = false;
};

} // namespace tobrel::app
