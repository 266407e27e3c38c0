#include "app/CtrlPanel.h"
#include "app/StdText.h"

#include "app/EventPump.h"

#include "app/BusyGuard.h"
#include "app/RegistryWriteError.h"
#include "app/TabStrip.h"
#include "app/Twips.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QStringListModel>
#include <QTabBar>

namespace tobrel::app {
namespace {

using emulator::kControllerCount;

// Row layout inside a controller frame, in twips.
constexpr int kFirstRowTop = 30;
constexpr int kRowPitch = 360;
constexpr int kRowHeight = 330;
constexpr int kIdLabelLeft = 60;
constexpr int kIdLabelWidth = 930;
constexpr int kIdSelectorLeft = 1005;
constexpr int kIdSelectorWidth = 1110;
constexpr int kControlLabelLeft = 2190;
constexpr int kControlLabelWidth = 960;
constexpr int kKeySelectorLeft = 3165;
constexpr int kKeySelectorWidth = 1590;

// "↑：" without its colon, to name the control in descriptions.
QString controlName(int row) {
    QString label = toQString(emulator::kRowLabels[static_cast<std::size_t>(row)]);
    label.chop(1);
    return label;
}

QStringList keyNames(int row) {
    QStringList names;
    for (int item = 0; item < emulator::keyItemCount(row); ++item) {
        names.append(toQString(emulator::keyItemName(row, item)));
    }
    return names;
}

} // namespace

CtrlPanel::CtrlPanel(QWidget* mainWindow)
    : QFrame(mainWindow), mainWindow_(mainWindow),
      tabSelCtrl(new TabStrip({toQString(emulator::kControllerTabCaptions[0]),
                               toQString(emulator::kControllerTabCaptions[1])},
                              this)),
      fraCtrl1(new QFrame(this)), fraCtrl2(new QFrame(this)),
      cmdKeyGet(new QPushButton(QStringLiteral("取得"), this)),
      cmdKeyApply(new QPushButton(QStringLiteral("変更"), this)),
      cmdKeyClose(new QPushButton(QStringLiteral("閉じる"), this)) {
    setObjectName(QStringLiteral("fraCtrl"));
    tabSelCtrl->setObjectName(QStringLiteral("tabSelCtrl"));
    tabSelCtrl->tabBar()->setAccessibleName(QStringLiteral("コントローラの選択"));
    tabSelCtrl->setGeometry(twipRect(60, 0, 4935, 5655));
    // Both frames lie on the strip at the same place; the selected one is in front.
    fraCtrl1->setObjectName(QStringLiteral("fraCtrl1"));
    fraCtrl2->setObjectName(QStringLiteral("fraCtrl2"));
    for (QFrame* frame : {fraCtrl1, fraCtrl2}) {
        frame->setGeometry(twipRect(120, 390, 4815, 5205));
    }
    cmdKeyGet->setObjectName(QStringLiteral("cmdKeyGet"));
    cmdKeyApply->setObjectName(QStringLiteral("cmdKeyApply"));
    cmdKeyClose->setObjectName(QStringLiteral("cmdKeyClose"));
    cmdKeyGet->setGeometry(twipRect(1560, 5760, 1080, 405));
    cmdKeyApply->setGeometry(twipRect(2700, 5760, 1080, 405));
    cmdKeyClose->setGeometry(twipRect(3840, 5760, 1080, 405));
    setTabOrder(tabSelCtrl->tabBar(), cmdKeyGet);
    setTabOrder(cmdKeyGet, cmdKeyApply);
    setTabOrder(cmdKeyApply, cmdKeyClose);

    connect(tabSelCtrl, &TabStrip::tabChanged, this, &CtrlPanel::tabSelCtrl_Click);
    connect(cmdKeyGet, &QPushButton::clicked, this, &CtrlPanel::cmdKeyGet_Click);
    connect(cmdKeyApply, &QPushButton::clicked, this, &CtrlPanel::cmdKeyApply_Click);
    tabSelCtrl_Click(0);
}

void CtrlPanel::buildRows(QFrame* frame, int controller, Labels& idLabels, Selectors& idSelectors,
                          Labels& controlLabels, Selectors& keySelectors) {
    const QString suffix = QString::number(controller + 1);
    const QString controllerName =
        toQString(emulator::kControllerTabCaptions[static_cast<std::size_t>(controller)]);
    for (int row = 0; row < kRows; ++row) {
        const auto r = static_cast<std::size_t>(row);
        const int top = kFirstRowTop + row * kRowPitch;
        const QString described = controllerName + QLatin1Char(' ') + controlName(row);

        auto* idLabel = new QLabel(toQString(emulator::kIdLabel), frame);
        idLabel->setObjectName(QStringLiteral("labID%1_%2").arg(suffix).arg(row));
        idLabel->setGeometry(twipRect(kIdLabelLeft, top, kIdLabelWidth, kRowHeight));
        auto* idSelector = new QComboBox(frame);
        idSelector->setObjectName(QStringLiteral("cmbID%1_%2").arg(suffix).arg(row));
        idSelector->setGeometry(twipRect(kIdSelectorLeft, top, kIdSelectorWidth, kRowHeight));
        idSelector->setAccessibleName(described + QStringLiteral(" ID"));
        idSelector->setAccessibleDescription(described + QStringLiteral(" ID"));
        idLabel->setBuddy(idSelector);

        auto* controlLabel = new QLabel(toQString(emulator::kRowLabels[r]), frame);
        controlLabel->setObjectName(QStringLiteral("labCtrl%1_%2").arg(suffix).arg(row));
        controlLabel->setGeometry(twipRect(kControlLabelLeft, top, kControlLabelWidth, kRowHeight));
        controlLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        auto* keySelector = new QComboBox(frame);
        keySelector->setObjectName(QStringLiteral("cmbCtrl%1_%2").arg(suffix).arg(row));
        keySelector->setGeometry(twipRect(kKeySelectorLeft, top, kKeySelectorWidth, kRowHeight));
        keySelector->setAccessibleName(described + QStringLiteral(" キー"));
        keySelector->setAccessibleDescription(described + QStringLiteral(" キー"));
        controlLabel->setBuddy(keySelector);

        idLabels[r] = idLabel;
        idSelectors[r] = idSelector;
        controlLabels[r] = controlLabel;
        keySelectors[r] = keySelector;
        // Shown with their frame, also when built into a panel already visible.
        for (QWidget* widget :
             std::array<QWidget*, 4>{idLabel, idSelector, controlLabel, keySelector}) {
            widget->show();
        }
    }
}

void CtrlPanel::fillControllerLists() {
    if (rowsBuilt_) {
        return; // built once; reloading only changes the selections
    }
    rowsBuilt_ = true;
    buildRows(fraCtrl1, 0, labID1, cmbID1, labCtrl1, cmbCtrl1);
    buildRows(fraCtrl2, 1, labID2, cmbID2, labCtrl2, cmbCtrl2);

    // One model per list shape, shared by every selector of that shape: the
    // three key lists (up/down, left/right, buttons) and the ID list.
    auto* upDown = new QStringListModel(keyNames(0), this);
    auto* leftRight = new QStringListModel(keyNames(2), this);
    auto* buttons = new QStringListModel(keyNames(4), this);
    QStringList idNames;
    for (const auto& entry : emulator::idTable()) {
        idNames.append(toQString(entry.name));
    }
    auto* ids = new QStringListModel(idNames, this);

    // Reading order: the controller tabs, the rows of the frame in front
    // (ID, then key), the buttons.
    QWidget* previous = tabSelCtrl->tabBar();
    EventPump pump; // the splash keeps painting while the rows are filled
    for (int controller = 0; controller < kControllerCount; ++controller) {
        for (int row = 0; row < kRows; ++row) {
            const auto r = static_cast<std::size_t>(row);
            QStringListModel* keys = nullptr;
            switch (emulator::rowGroup(row)) {
            case emulator::RowGroup::UpDown:
                keys = upDown;
                break;
            case emulator::RowGroup::LeftRight:
                keys = leftRight;
                break;
            case emulator::RowGroup::Buttons:
                keys = buttons;
                break;
            }
            idSelectors(controller)[r]->setModel(ids);
            keySelectors(controller)[r]->setModel(keys);
            setTabOrder(previous, idSelectors(controller)[r]);
            setTabOrder(idSelectors(controller)[r], keySelectors(controller)[r]);
            previous = keySelectors(controller)[r];
            pump();
        }
        showSelections(controller, mapping_.selections(controller));
    }
    setTabOrder(previous, cmdKeyGet);
}

const CtrlPanel::Selectors& CtrlPanel::idSelectors(int controller) const {
    return controller == 0 ? cmbID1 : cmbID2;
}

const CtrlPanel::Selectors& CtrlPanel::keySelectors(int controller) const {
    return controller == 0 ? cmbCtrl1 : cmbCtrl2;
}

void CtrlPanel::showSelections(int controller, const emulator::ControllerSelections& rows) {
    for (std::size_t row = 0; row < kRows; ++row) {
        idSelectors(controller)[row]->setCurrentIndex(rows[row].idItem);
        keySelectors(controller)[row]->setCurrentIndex(rows[row].keyItem);
    }
}

emulator::ControllerSelections CtrlPanel::currentSelections(int controller) const {
    if (!rowsBuilt_) {
        return mapping_.selections(controller); // what the selectors will show
    }
    emulator::ControllerSelections rows;
    for (std::size_t row = 0; row < kRows; ++row) {
        rows[row] = {idSelectors(controller)[row]->currentIndex(),
                     keySelectors(controller)[row]->currentIndex()};
    }
    return rows;
}

void CtrlPanel::loadControllerMapping() {
    if (busy_) {
        return;
    }
    BusyGuard guard(busy_, {cmdKeyGet, cmdKeyApply});
    guard.showWaitCursor();
    mapping_.load(); // a value that cannot be read shows its record as it was
    if (rowsBuilt_) {
        for (int controller = 0; controller < kControllerCount; ++controller) {
            showSelections(controller, mapping_.selections(controller));
        }
    }
}

void CtrlPanel::applyControllerMapping() {
    if (busy_) {
        return;
    }
    QStringList unwritten;
    {
        BusyGuard guard(busy_, {cmdKeyGet, cmdKeyApply});
        guard.showWaitCursor();
        const auto written = mapping_.apply({currentSelections(0), currentSelections(1)});
        for (std::size_t c = 0; c < written.size(); ++c) {
            if (!written[c]) {
                unwritten.append(toQString(emulator::kControllerValueNames[c]));
            }
        }
    }
    if (!unwritten.isEmpty()) {
        showRegistryWriteError(mainWindow_, unwritten); // after the busy pointer is gone
    }
}

void CtrlPanel::tabSelCtrl_Click(int index) {
    if (index != 0 && index != 1) {
        return;
    }
    QFrame* front = index == 0 ? fraCtrl1 : fraCtrl2;
    QFrame* back = index == 0 ? fraCtrl2 : fraCtrl1;
    front->raise();
    front->setVisible(true);
    back->setVisible(false); // its selections stay as they are
}

void CtrlPanel::cmdKeyGet_Click() {
    loadControllerMapping();
}

void CtrlPanel::cmdKeyApply_Click() {
    applyControllerMapping();
}

void CtrlPanel::applyCtrlTab(int page) {
    tabSelCtrl->setCurrentIndex(page == 1 ? 1 : 0);
}

int CtrlPanel::ctrlTab() const {
    return tabSelCtrl->currentIndex();
}

} // namespace tobrel::app
