#include "app/MemCardPanel.h"

#include "app/CommonDialog.h"
#include "app/RegistryWriteError.h"
#include "app/StdText.h"
#include "app/Twips.h"
#include "app/UserPrompts.h"
#include "emulator/card_slots.h"
#include "platform/encoding.h"
#include "platform/paths.h"
#include "settings/paths.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace tobrel::app {

MemCardPanel::MemCardPanel(QWidget* mainWindow, CommonDialog& dialog)
    : QFrame(mainWindow), mainWindow_(mainWindow), dlgCmmn_(dialog),
      frableem(new QGroupBox(QStringLiteral("bleem!"), this)),
      fraVGS(new QGroupBox(QStringLiteral("VGS"), this)),
      cmdMemGet(new QPushButton(QStringLiteral("取得"), this)),
      cmdMemApply(new QPushButton(QStringLiteral("変更"), this)),
      cmdMemClose(new QPushButton(QStringLiteral("閉じる"), this)) {
    setObjectName(QStringLiteral("fraMemCard"));
    frableem->setObjectName(QStringLiteral("frableem"));
    fraVGS->setObjectName(QStringLiteral("fraVGS"));
    frableem->setGeometry(px(120), px(0), px(4815), px(975));
    fraVGS->setGeometry(px(120), px(1020), px(4815), px(975));

    struct Row {
        QGroupBox* frame;
        std::array<QLabel*, 2>& labels;
        std::array<QLineEdit*, 2>& boxes;
        std::array<QPushButton*, 2>& buttons;
        const char* labelName;
        const char* boxName;
        const char* buttonName;
        const char* emulatorName;
    };
    for (const Row& row :
         {Row{frableem, labbSlot, txtbSlot, cmdbSlot, "labbSlot", "txtbSlot", "cmdbSlot", "bleem!"},
          Row{fraVGS, labVSlot, txtVSlot, cmdVSlot, "labVSlot", "txtVSlot", "cmdVSlot", "VGS"}}) {
        for (int i = 0; i < 2; ++i) {
            const auto slot = static_cast<std::size_t>(i);
            const int top = 255 + i * 360;
            const QString slotName = QStringLiteral("Slot%1").arg(i + 1);
            const QString emulator = QString::fromUtf8(row.emulatorName);
            auto* label = new QLabel(slotName + QStringLiteral("："), row.frame);
            label->setObjectName(QStringLiteral("%1_%2").arg(QLatin1String(row.labelName)).arg(i));
            label->setGeometry(px(120), px(top), px(600), px(300));
            auto* box = new QLineEdit(row.frame);
            box->setObjectName(QStringLiteral("%1_%2").arg(QLatin1String(row.boxName)).arg(i));
            box->setAccessibleName(emulator + QLatin1Char(' ') + slotName);
            box->setGeometry(px(735), px(top - 15), px(3480), px(330));
            label->setBuddy(box);
            auto* button = new QPushButton(QStringLiteral("..."), row.frame);
            button->setObjectName(
                QStringLiteral("%1_%2").arg(QLatin1String(row.buttonName)).arg(i));
            button->setAccessibleName(emulator + QLatin1Char(' ') + slotName +
                                      QStringLiteral(" のファイルを選択"));
            button->setGeometry(px(4260), px(top - 15), px(420), px(330));
            row.labels[slot] = label;
            row.boxes[slot] = box;
            row.buttons[slot] = button;
        }
    }
    cmdMemGet->setObjectName(QStringLiteral("cmdMemGet"));
    cmdMemApply->setObjectName(QStringLiteral("cmdMemApply"));
    cmdMemClose->setObjectName(QStringLiteral("cmdMemClose"));
    cmdMemGet->setGeometry(px(1605), px(2055), px(1080), px(405));
    cmdMemApply->setGeometry(px(2730), px(2055), px(1080), px(405));
    cmdMemClose->setGeometry(px(3855), px(2055), px(1080), px(405));

    for (int i = 0; i < 2; ++i) {
        connect(cmdbSlot[static_cast<std::size_t>(i)], &QPushButton::clicked, this,
                [this, i] { cmdbSlot_Click(i); });
        connect(cmdVSlot[static_cast<std::size_t>(i)], &QPushButton::clicked, this,
                [this, i] { cmdVSlot_Click(i); });
    }
    // Tab follows reading order: the slot rows top to bottom, then the buttons.
    const std::initializer_list<QWidget*> readingOrder = {
        txtbSlot[0], cmdbSlot[0], txtbSlot[1], cmdbSlot[1], txtVSlot[0], cmdVSlot[0],
        txtVSlot[1], cmdVSlot[1], cmdMemGet,   cmdMemApply, cmdMemClose};
    for (auto it = readingOrder.begin(); it + 1 != readingOrder.end(); ++it) {
        setTabOrder(*it, *(it + 1));
    }
    connect(cmdMemGet, &QPushButton::clicked, this, &MemCardPanel::cmdMemGet_Click);
    connect(cmdMemApply, &QPushButton::clicked, this, &MemCardPanel::cmdMemApply_Click);
}

QLineEdit* MemCardPanel::slotBox(Emulator which, int index) const {
    const auto slot = static_cast<std::size_t>(index);
    return which == Emulator::Bleem ? txtbSlot[slot] : txtVSlot[slot];
}

namespace {

constexpr std::array<emulator::SlotEmulator, 2> kEmulators = {emulator::SlotEmulator::Bleem,
                                                              emulator::SlotEmulator::Vgs};

} // namespace

emulator::CardSlotPaths MemCardPanel::boxPaths() const {
    emulator::CardSlotPaths paths;
    for (auto which : kEmulators) {
        for (int i = 0; i < emulator::kSlotsPerEmulator; ++i) {
            paths.of(which, i) = slotBox(which, i)->text().toStdString();
        }
    }
    return paths;
}

void MemCardPanel::readCardSlots() {
    emulator::CardSlotPaths paths = boxPaths();
    emulator::readCardSlots(paths); // a value that cannot be read leaves its box as it is
    for (auto which : kEmulators) {
        for (int i = 0; i < emulator::kSlotsPerEmulator; ++i) {
            slotBox(which, i)->setText(QString::fromStdString(paths.of(which, i)));
        }
    }
}

void MemCardPanel::cmdMemApply_Click() {
    // Silent on success. On Linux the store refuses writes while Wine runs for
    // the prefix, so a refusal is said, or the user would think the cards changed.
    const auto paths = boxPaths();
    QStringList notForEmulator;
    QStringList refused;
    for (auto which : kEmulators) {
        const auto& info = emulator::slotInfo(which);
        for (int i = 0; i < emulator::kSlotsPerEmulator; ++i) {
            const std::string& path = paths.of(which, i);
            if (emulator::writeCardSlot(platform::systemRegistry(), which, i, path)) {
                continue;
            }
            const QString value = QStringLiteral("%1 Slot%2 (%3): %4")
                                      .arg(toQString(info.frameCaption))
                                      .arg(i + 1)
                                      .arg(toQString(info.valueNames[static_cast<std::size_t>(i)]))
                                      .arg(QString::fromStdString(path));
            (platform::fitsCp932(path) ? refused : notForEmulator) << value;
        }
    }
    if (!notForEmulator.isEmpty()) {
        showErrorMessage(mainWindow_, toQString(emulator::kPathNotForEmulator) +
                                          QStringLiteral("\n\n書き込まれなかった値:\n") +
                                          notForEmulator.join(QLatin1Char('\n')));
    }
    if (!refused.isEmpty()) {
        showRegistryWriteError(mainWindow_, refused);
    }
}

void MemCardPanel::chooseCard(Emulator which, int index) {
    const auto& info = emulator::slotInfo(which);
    QLineEdit* box = slotBox(which, index);
    // The loop ends with an accepted file or with Cancel.
    for (;;) {
        const auto location = platform::locateRegistry();
        dlgCmmn_.dialogTitle = toQString(info.dialogTitle);
        dlgCmmn_.filter = toQString(info.filter);
        dlgCmmn_.flags = CommonDialog::kDefaultFlags;
        const std::string boxText = box->text().toStdString();
        if (boxText.empty()) {
            dlgCmmn_.initDir = QApplication::applicationDirPath();
            dlgCmmn_.fileName.clear();
        } else {
            // The box holds the path as the emulator sees it; the dialog needs ours.
            const std::string local =
                emulator::slotTextToLocalPath(location, boxText).value_or(boxText);
            dlgCmmn_.initDir = QString::fromStdString(platform::directoryOf(local));
            dlgCmmn_.fileName = QString::fromStdString(platform::fileNameOf(local));
        }
        if (!dlgCmmn_.showOpen()) {
            box->clear(); // Cancel is how a card is taken out of a slot
            return;
        }
        const auto choice = emulator::chooseCardForSlot(which, location, dlgCmmn_.localPath);
        if (choice.accepted) {
            box->setText(QString::fromStdString(choice.slotText));
            return;
        }
        box->clear();
        showErrorMessage(mainWindow_, toQString(choice.message));
    }
}

void MemCardPanel::cmdMemGet_Click() {
    readCardSlots();
}
void MemCardPanel::cmdbSlot_Click(int index) {
    chooseCard(Emulator::Bleem, index);
}
void MemCardPanel::cmdVSlot_Click(int index) {
    chooseCard(Emulator::Vgs, index);
}

} // namespace tobrel::app
