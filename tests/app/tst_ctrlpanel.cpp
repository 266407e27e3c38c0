// The controller panel over a registry file in a private folder: its lists,
// layout and keyboard order, loading, applying and a refused write.

#include "app/CtrlPanel.h"
#include "app/TabStrip.h"
#include "app/frmMain.h"
#include "app/modMain.h"
#include "emulator/controller_mapping.h"
#include "emulator/modCard_Key.h"
#include "tests/app/AppTest.h"
#include "tests/support/registry_env.h"

#include <QAccessible>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTabBar>

using namespace tobrel;
using namespace tobrel::testing;

namespace {

std::vector<std::uint8_t> storedValue(int controller) {
    std::vector<std::uint8_t> bytes(emulator::kControllerRecordSize, 0xEE);
    if (!emulator::readRegBinary(emulator::kCurrentUser, emulator::kControllersKeyPath,
                                 emulator::kControllerValueNames[controller], bytes)) {
        return {};
    }
    return bytes;
}

void storeValue(int controller, const std::vector<std::uint8_t>& bytes) {
    QVERIFY(emulator::writeRegBinary(emulator::kCurrentUser, emulator::kControllersKeyPath,
                                     emulator::kControllerValueNames[controller], bytes));
}

// Entry row of a value's bytes set to a tag, an ID byte and a code.
void putEntry(std::vector<std::uint8_t>& bytes, int row, const emulator::TypeTag& tag,
              std::uint8_t id, std::uint8_t code) {
    const std::size_t at = 24 + 52 * static_cast<std::size_t>(row);
    for (std::size_t i = 0; i < tag.size(); ++i) {
        bytes.at(at + i) = tag[i];
    }
    bytes.at(at + 4) = id;
    bytes.at(at + 40) = code;
}

// A value with rows 0 to 13 "EMPTY" and every other byte set to filler.
std::vector<std::uint8_t> emptyRows(std::uint8_t filler) {
    std::vector<std::uint8_t> bytes(emulator::kControllerRecordSize, filler);
    for (int row = 0; row < 14; ++row) {
        putEntry(bytes, row, emulator::kEmptyTag, 0, 0);
    }
    return bytes;
}

// A value as VGS could have stored it: every byte set, rows 0 to 13 empty.
std::vector<std::uint8_t> vgsValue() {
    return emptyRows(0x33);
}

} // namespace

class TestCtrlPanel : public QObject {
    Q_OBJECT

private:
    struct Fixture : MainWindowOnTab {
        Fixture() : MainWindowOnTab(2, "user.reg") {}
        template <typename T> T* find(const QString& name) const {
            return window->findChild<T*>(name);
        }
        QComboBox* key(int controller, int row) const {
            return find<QComboBox>(QStringLiteral("cmbCtrl%1_%2").arg(controller).arg(row));
        }
        QComboBox* id(int controller, int row) const {
            return find<QComboBox>(QStringLiteral("cmbID%1_%2").arg(controller).arg(row));
        }
        void click(const char* button) const {
            QTest::mouseClick(find<QPushButton>(QString::fromLatin1(button)), Qt::LeftButton);
        }
    };

private slots:
    void selectorsListTheirRowsNames_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("keys");
        QTest::addColumn<QString>("lastKey");
        QTest::newRow("up") << 0 << 83 << "ｺﾝﾄﾛｰﾗ Y軸";
        QTest::newRow("down") << 1 << 83 << "ｺﾝﾄﾛｰﾗ Y軸";
        QTest::newRow("left") << 2 << 83 << "ｺﾝﾄﾛｰﾗ X軸";
        QTest::newRow("right") << 3 << 83 << "ｺﾝﾄﾛｰﾗ X軸";
        QTest::newRow("triangle") << 4 << 94 << "ﾎﾞﾀﾝ12";
        QTest::newRow("START") << 13 << 94 << "ﾎﾞﾀﾝ12";
    }
    void selectorsListTheirRowsNames() {
        QFETCH(int, row);
        QFETCH(int, keys);
        QFETCH(QString, lastKey);
        Fixture f;
        f.open();
        for (int controller : {1, 2}) {
            QComboBox* keySelector = f.key(controller, row);
            QCOMPARE(keySelector->count(), keys);
            QCOMPARE(keySelector->itemText(0), QStringLiteral("EMPTY"));
            QCOMPARE(keySelector->itemText(81), QStringLiteral("NUM +"));
            QCOMPARE(keySelector->itemText(keys - 1), lastKey);
            QComboBox* idSelector = f.id(controller, row);
            QCOMPARE(idSelector->count(), 17);
            QCOMPARE(idSelector->itemText(16), QStringLiteral("ID16"));
            // Nothing stored: every selector shows "EMPTY".
            QCOMPARE(keySelector->currentText(), QStringLiteral("EMPTY"));
            QCOMPARE(idSelector->currentText(), QStringLiteral("EMPTY"));
        }
        for (int item = 0; item < keys; ++item) {
            QCOMPARE(f.key(2, row)->itemText(item), f.key(1, row)->itemText(item));
        }
    }

    void ctrlTabChoosesTheControllerInFrontAndIsSaved_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("page");
        QTest::newRow("1") << "1" << 1;
        QTest::newRow("0") << "0" << 0;
        QTest::newRow("7") << "7" << 0;
        QTest::newRow("missing") << "" << 0;
    }
    void ctrlTabChoosesTheControllerInFrontAndIsSaved() {
        QFETCH(QString, stored);
        QFETCH(int, page);
        Fixture f;
        f.ini.write("[FORM]\r\nLASTTAB=2\r\nCTRLTAB=" + stored.toStdString() + "\r\n");
        f.window = std::make_unique<app::frmMain>();
        f.window->load();
        f.window->show();
        QCOMPARE(f.find<QFrame>("fraCtrl1")->isVisible(), page == 0);
        QCOMPARE(f.find<QFrame>("fraCtrl2")->isVisible(), page == 1);
        QCOMPARE(f.window->ctrlPanel()->ctrlTab(), page);
        f.window->close();
        QVERIFY(f.ini.read().find("LASTTAB=2\r\nCTRLTAB=" + std::to_string(page) + "\r\n") !=
                std::string::npos);
    }

    void loadShowsTheStoredMappingAndGetDiscardsEdits() {
        Fixture f;
        auto first = vgsValue();
        putEntry(first, 0, {0x33, 0x33, 0x33, 0x33}, 0, 51);  // no known tag: read as a key
        putEntry(first, 2, emulator::kJoystickTag, 127, 0);   // X axis, ID16
        putEntry(first, 4, emulator::kKeyboardTag, 0x99, 48); // "0", an ID byte of no ID
        storeValue(0, first);
        f.open();
        QCOMPARE(f.key(1, 2)->currentText(), QStringLiteral("ｺﾝﾄﾛｰﾗ X軸"));
        QCOMPARE(f.id(1, 2)->currentText(), QStringLiteral("ID16"));
        QCOMPARE(f.key(1, 4)->currentText(), QStringLiteral("0"));
        QCOMPARE(f.id(1, 4)->currentText(), QStringLiteral("EMPTY"));
        QCOMPARE(f.key(1, 0)->currentText(), QStringLiteral("3"));
        QCOMPARE(f.key(2, 2)->currentText(), QStringLiteral("EMPTY"));

        f.key(1, 2)->setCurrentIndex(5);
        f.key(2, 7)->setCurrentIndex(9);
        putEntry(first, 4, emulator::kJoystickTag, 0x99, 48);
        storeValue(0, first);
        f.click("cmdKeyGet");
        QCOMPARE(f.key(1, 2)->currentText(), QStringLiteral("ｺﾝﾄﾛｰﾗ X軸"));
        QCOMPARE(f.key(2, 7)->currentText(), QStringLiteral("EMPTY"));
        QCOMPARE(f.key(1, 4)->currentText(), QStringLiteral("ﾎﾞﾀﾝ01"));
        QVERIFY(f.prompts.messages.empty());
    }

    void panelNotYetShownAppliesAndLaterShowsWhatWasLoaded() {
        Fixture f;
        auto first = vgsValue();
        putEntry(first, 5, emulator::kKeyboardTag, 113, 'Z');
        storeValue(0, first);
        f.window = std::make_unique<app::frmMain>();
        f.window->load();
        f.window->show(); // on the first tab: the rows are built when the panel shows
        f.window->ctrlPanel()->cmdKeyApply_Click();
        QCOMPARE(storedValue(0), first);
        QCOMPARE(storedValue(1), emptyRows(0)); // never stored: written as well, all "EMPTY"
        f.window->mainTabs()->tabBar()->setCurrentIndex(2);
        QVERIFY(f.key(1, 5)->isVisible());
        QCOMPARE(f.key(1, 5)->currentText(), QStringLiteral("Z"));
        QCOMPARE(f.id(1, 5)->currentText(), QStringLiteral("ID2"));
    }

    void applyWritesBothControllersEditsMadeOnEitherPage() {
        Fixture f;
        auto first = vgsValue();
        putEntry(first, 0, emulator::kKeyboardTag, 112, 38);
        storeValue(0, first);
        f.open();
        f.key(1, 0)->setCurrentText(QStringLiteral("ｺﾝﾄﾛｰﾗ Y軸"));
        f.window->ctrlPanel()->applyCtrlTab(1);
        f.key(2, 13)->setCurrentText(QStringLiteral("ﾎﾞﾀﾝ12"));
        f.id(2, 13)->setCurrentText(QStringLiteral("ID16"));
        f.click("cmdKeyApply");
        QVERIFY(f.prompts.messages.empty()); // a successful write stays silent

        auto expectedFirst = first;
        putEntry(expectedFirst, 0, emulator::kJoystickTag, 112, 4);
        QCOMPARE(storedValue(0), expectedFirst);
        auto expectedSecond = emptyRows(0);
        putEntry(expectedSecond, 13, emulator::kJoystickTag, 127, 59); // tag at 700, code at 740
        QCOMPARE(storedValue(1), expectedSecond);
    }

    void refusedWriteIsReportedNamingBothValues() {
        Fixture f;
        f.open();
        writeBytes(f.registryFile, "REGEDIT4\n");
        f.click("cmdKeyApply");
        QCOMPARE(f.prompts.messages.size(), std::size_t{1});
        const auto& message = f.prompts.messages[0];
        QCOMPARE(message.title, QStringLiteral("ｴﾗｰ"));
        QCOMPARE(message.icon, app::MessageIcon::Warning);
        QVERIFY(message.text.contains(QStringLiteral("Wineのレジストリファイルではない")));
        QVERIFY(message.text.contains(QStringLiteral("Bank 00 Slot 00")));
        QVERIFY(message.text.contains(QStringLiteral("Bank 01 Slot 00")));
        QCOMPARE(readBytes(f.registryFile), std::string("REGEDIT4\n"));
        QVERIFY(f.find<QPushButton>("cmdKeyApply")->isEnabled());
    }

    void rowsFitTheTabAndReadInRowOrder() {
        app::prepareApplication(); // IPAPGothic 9 pt, as the program runs
        Fixture f;
        f.open();
        auto* panel = f.window->ctrlPanel();
        QCOMPARE(panel->size(), QSize(5055 / 15, 6255 / 15));
        for (int controller : {1, 2}) {
            panel->applyCtrlTab(controller - 1);
            for (int row = 0; row < 14; ++row) {
                for (const char* kind : {"labID", "cmbID", "labCtrl", "cmbCtrl"}) {
                    auto* widget = f.find<QWidget>(
                        QStringLiteral("%1%2_%3").arg(kind).arg(controller).arg(row));
                    QVERIFY(widget);
                    const QRect onPanel(widget->mapTo(panel, QPoint(0, 0)), widget->size());
                    QVERIFY2(panel->rect().contains(onPanel), qPrintable(widget->objectName()));
                    if (auto* label = qobject_cast<QLabel*>(widget)) {
                        QVERIFY2(label->sizeHint().width() <= label->width(),
                                 qPrintable(label->text()));
                    }
                }
                auto* keySelector = f.key(controller, row);
                auto* idSelector = f.id(controller, row);
                for (QComboBox* selector : {keySelector, idSelector}) {
                    selector->setSizeAdjustPolicy(QComboBox::AdjustToContents);
                    QVERIFY2(selector->sizeHint().width() <= selector->width() &&
                                 selector->sizeHint().height() <= selector->height() + 2,
                             qPrintable(selector->objectName()));
                }
                // Told apart by their labels and descriptions.
                const QString control =
                    QString::fromUtf8(emulator::kRowLabels[static_cast<std::size_t>(row)].data());
                QCOMPARE(f.find<QLabel>(QStringLiteral("labCtrl%1_%2").arg(controller).arg(row))
                             ->buddy(),
                         keySelector);
                QCOMPARE(
                    f.find<QLabel>(QStringLiteral("labID%1_%2").arg(controller).arg(row))->buddy(),
                    idSelector);
                QCOMPARE(
                    keySelector->accessibleDescription(),
                    QStringLiteral("Controller%1 %2 キー").arg(controller).arg(control.chopped(1)));
                QCOMPARE(
                    idSelector->accessibleDescription(),
                    QStringLiteral("Controller%1 %2 ID").arg(controller).arg(control.chopped(1)));
            }
            // Tab walks the rows in order: ID, key, next row, then the buttons.
            QApplication::setActiveWindow(f.window.get());
            QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
            f.id(controller, 0)->setFocus();
            for (int row = 0; row < 14; ++row) {
                QCOMPARE(QApplication::focusWidget(), f.id(controller, row));
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                QCOMPARE(QApplication::focusWidget(), f.key(controller, row));
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            }
            QCOMPARE(QApplication::focusWidget(), f.find<QWidget>("cmdKeyGet"));
        }
    }
};

TOBREL_TEST_MAIN(TestCtrlPanel)
#include "tst_ctrlpanel.moc"
