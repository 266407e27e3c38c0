// The memory card panel over a registry file in a private folder: reading,
// applying and choosing card images for the four slots.

#include "app/MemCardPanel.h"
#include "app/TabStrip.h"
#include "app/frmMain.h"
#include "emulator/card_slots.h"
#include "emulator/modCard_Key.h"
#include "tests/app/AppTest.h"
#include "tests/support/card_images.h"
#include "tests/support/registry_env.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>

using namespace tobrel;
using namespace tobrel::testing;

namespace {

constexpr const char* kBleemKey = "Software\\bleem\\bleem!\\1.0\\CARD";
constexpr const char* kVgsKey = "Software\\Connectix\\Connectix Virtual Game Station\\Memory Cards";

std::optional<std::string> registryText(const char* key, const char* value) {
    std::string text = "untouched";
    if (!emulator::readRegString(emulator::kCurrentUser, key, value, text)) {
        return std::nullopt;
    }
    return text;
}

// A slot value as the panel stores it: the text and one NUL.
std::string withNul(const std::string& text) {
    return text + '\0';
}

} // namespace

class TestMemCardPanel : public QObject {
    Q_OBJECT

private:
    struct Fixture : MainWindowOnTab {
        Fixture() : MainWindowOnTab(1, "registry/user.reg") {}
        QLineEdit* box(const char* name, int i) const {
            return window->findChild<QLineEdit*>(QStringLiteral("%1_%2").arg(name).arg(i));
        }
        QPushButton* button(const QString& name) const {
            return window->findChild<QPushButton*>(name);
        }
        QString local(const char* name) const { return qs(files.file(name)); }
    };

private slots:
    void missingKeysLeaveTheBoxesEmptyAndReadingCreatesNothing() {
        Fixture f;
        f.open();
        for (int i = 0; i < 2; ++i) {
            QVERIFY(f.box("txtbSlot", i)->text().isEmpty());
            QVERIFY(f.box("txtVSlot", i)->text().isEmpty());
        }
        f.box("txtbSlot", 1)->setText("/typed/but/not/applied.MCD");
        QTest::mouseClick(f.button("cmdMemGet"), Qt::LeftButton);
        QCOMPARE(f.box("txtbSlot", 1)->text(), QStringLiteral("/typed/but/not/applied.MCD"));
        QVERIFY(!std::filesystem::exists(f.registryFile));
        QVERIFY(f.prompts.messages.empty());
    }

    void slotsAreReadFromTheEmulatorsValueNames() {
        Fixture f;
        QVERIFY(emulator::writeRegString(emulator::kCurrentUser, kBleemKey, "Card0PathName",
                                         withNul("/cards/b1.MCD")));
        QVERIFY(emulator::writeRegString(emulator::kCurrentUser, kVgsKey, "Bank 01 Slot 00",
                                         withNul("/cards/ｶｰﾄﾞ2.MEM")));
        f.open(); // read at load
        QCOMPARE(f.box("txtbSlot", 0)->text(), QStringLiteral("/cards/b1.MCD"));
        QCOMPARE(f.box("txtbSlot", 1)->text(), QString());
        QCOMPARE(f.box("txtVSlot", 0)->text(), QString());
        QCOMPARE(f.box("txtVSlot", 1)->text(), QStringLiteral("/cards/ｶｰﾄﾞ2.MEM"));

        QVERIFY(emulator::writeRegString(emulator::kCurrentUser, kVgsKey, "Bank 00 Slot 00",
                                         withNul("/cards/v1.MEM")));
        QTest::mouseClick(f.button("cmdMemGet"), Qt::LeftButton);
        QCOMPARE(f.box("txtVSlot", 0)->text(), QStringLiteral("/cards/v1.MEM"));
    }

    void applyWritesAllFourValuesEmptyOnesIncluded() {
        Fixture f;
        f.open();
        f.box("txtVSlot", 1)->setText("/cards/second.MEM");
        QTest::mouseClick(f.button("cmdMemApply"), Qt::LeftButton);
        QCOMPARE(registryText(kBleemKey, "Card0PathName"), std::optional<std::string>(""));
        QCOMPARE(registryText(kBleemKey, "Card1PathName"), std::optional<std::string>(""));
        QCOMPARE(registryText(kVgsKey, "Bank 00 Slot 00"), std::optional<std::string>(""));
        QCOMPARE(registryText(kVgsKey, "Bank 01 Slot 00"),
                 std::optional<std::string>("/cards/second.MEM"));
        // Stored as text with its terminating zero byte, as the emulators expect.
        std::array<std::uint8_t, 4> raw{9, 9, 9, 9};
        QVERIFY(emulator::readRegBinary(emulator::kCurrentUser, kBleemKey, "Card1PathName", raw));
        QCOMPARE(raw[0], std::uint8_t{0});
        QCOMPARE(raw[1], std::uint8_t{9});
        QVERIFY(f.prompts.messages.empty());
    }

    void rightCardIsAcceptedAndWrongOnesRejectedWithTheEmulatorsMessage() {
        Fixture f;
        writeBytes(f.files.file("bleem.MCD"), makeCardBody());
        writeBytes(f.files.file("vgs.MEM"), makeVgsImage(makeCardBody()));
        f.open();

        f.prompts.fileAnswers = {f.local("bleem.MCD")};
        QTest::mouseClick(f.button("cmdbSlot_0"), Qt::LeftButton);
        QCOMPARE(f.box("txtbSlot", 0)->text(), f.local("bleem.MCD"));
        QCOMPARE(f.prompts.fileRequests.at(0).title, QStringLiteral("bleem!ﾒﾓﾘｰｶｰﾄﾞの指定"));
        QCOMPARE(f.prompts.fileRequests.at(0).nameFilter,
                 QStringLiteral("bleem!ﾒﾓﾘｰｶｰﾄﾞﾌｧｲﾙ(*.MCD) (*.MCD)"));
        QCOMPARE(f.prompts.fileRequests.at(0).initialDirectory, QApplication::applicationDirPath());
        QVERIFY(f.prompts.fileRequests.at(0).fileName.isEmpty());
        QCOMPARE(f.prompts.fileRequests.at(0).flags, 6145);

        // The bleem! card in a VGS slot: wrong signature; then Cancel ends the loop.
        f.prompts.fileAnswers = {f.local("bleem.MCD"), std::nullopt};
        QTest::mouseClick(f.button("cmdVSlot_1"), Qt::LeftButton);
        QCOMPARE(f.prompts.messages.size(), std::size_t{1});
        QCOMPARE(f.prompts.messages[0].title, QStringLiteral("ｴﾗｰ"));
        QCOMPARE(f.prompts.messages[0].icon, app::MessageIcon::Warning);
        QCOMPARE(f.prompts.messages[0].text,
                 QStringLiteral("VGSﾒﾓﾘｰｶｰﾄﾞﾌｧｲﾙ(131,136ﾊﾞｲﾄ)を指定して下さい。"));
        QCOMPARE(f.prompts.fileRequests.at(2).title, QStringLiteral("VGSﾒﾓﾘｰｶｰﾄﾞﾌｧｲﾙの指定"));
        QCOMPARE(f.prompts.fileRequests.at(2).initialDirectory, QApplication::applicationDirPath());
        QVERIFY(f.box("txtVSlot", 1)->text().isEmpty());

        // The VGS image: accepted for VGS, rejected for bleem! with the bleem! message.
        f.prompts.fileAnswers = {QStringLiteral("  ") + f.local("vgs.MEM") + QStringLiteral(" ")};
        QTest::mouseClick(f.button("cmdVSlot_0"), Qt::LeftButton);
        QCOMPARE(f.box("txtVSlot", 0)->text(), f.local("vgs.MEM"));
        f.prompts.fileAnswers = {f.local("vgs.MEM"), std::nullopt};
        QTest::mouseClick(f.button("cmdbSlot_1"), Qt::LeftButton);
        QCOMPARE(f.prompts.messages.back().text,
                 QStringLiteral("bleem!ﾒﾓﾘｰｶｰﾄﾞﾌｧｲﾙ(131,072ﾊﾞｲﾄ)を指定して下さい。"));
    }

    void cardOfTheWrongLengthIsRejectedAndTheDialogReopensInTheProgramsFolder() {
        Fixture f;
        writeBytes(f.files.file("long.MCD"), makeCardBody() + "!");
        writeBytes(f.files.file("good.MCD"), makeCardBody());
        f.open();
        f.box("txtbSlot", 0)->setText(f.local("good.MCD"));
        f.prompts.fileAnswers = {f.local("long.MCD"), f.local("good.MCD")};
        QTest::mouseClick(f.button("cmdbSlot_0"), Qt::LeftButton);
        QCOMPARE(f.prompts.fileRequests.size(), std::size_t{2});
        // First opened where the box's file lies, with its name proposed ...
        QCOMPARE(f.prompts.fileRequests[0].initialDirectory, f.local(""));
        QCOMPARE(f.prompts.fileRequests[0].fileName, QStringLiteral("good.MCD"));
        // ... then, after the rejection emptied the box, in the program's folder.
        QCOMPARE(f.prompts.fileRequests[1].initialDirectory, QApplication::applicationDirPath());
        QVERIFY(f.prompts.fileRequests[1].fileName.isEmpty());
        QCOMPARE(f.prompts.messages.size(), std::size_t{1});
        QCOMPARE(f.box("txtbSlot", 0)->text(), f.local("good.MCD"));
    }

    void cancelEmptiesTheSlotAndApplyStoresTheEmptyPath() {
        Fixture f;
        QVERIFY(emulator::writeRegString(emulator::kCurrentUser, kBleemKey, "Card1PathName",
                                         withNul("/old/card.MCD")));
        f.open();
        QCOMPARE(f.box("txtbSlot", 1)->text(), QStringLiteral("/old/card.MCD"));
        f.prompts.fileAnswers = {std::nullopt};
        QTest::mouseClick(f.button("cmdbSlot_1"), Qt::LeftButton);
        QVERIFY(f.box("txtbSlot", 1)->text().isEmpty());
        QCOMPARE(registryText(kBleemKey, "Card1PathName"),
                 std::optional<std::string>("/old/card.MCD")); // only Apply writes
        QTest::mouseClick(f.button("cmdMemApply"), Qt::LeftButton);
        QCOMPARE(registryText(kBleemKey, "Card1PathName"), std::optional<std::string>(""));
    }

    void unreadableCardIsRejected() {
        Fixture f;
        f.open();
        f.prompts.fileAnswers = {f.local("vanished.MCD"), std::nullopt};
        QTest::mouseClick(f.button("cmdbSlot_0"), Qt::LeftButton);
        QCOMPARE(f.prompts.messages.size(), std::size_t{1});
        QVERIFY(f.box("txtbSlot", 0)->text().isEmpty());
    }

    void winePrefixSlotsHoldDriveLetterPaths() {
        TempSettings ini;
        TempDir prefixFolder;
        const std::string prefix = makeFakePrefix(prefixFolder.path());
        std::filesystem::create_directories(prefixFolder.path() / "drive_c" / "Cards");
        writeBytes(prefix + "/drive_c/Cards/A.MCD", makeCardBody());
        ScopedEnv registry("TOBREL_REGISTRY", prefix + "/user.reg");
        ScriptedPrompts prompts;
        app::frmMain window;
        window.load();
        auto* box = window.findChild<QLineEdit*>("txtbSlot_0");
        prompts.fileAnswers = {qs(prefix + "/drive_c/Cards/A.MCD")};
        window.findChild<QPushButton*>("cmdbSlot_0")->click();
        QCOMPARE(box->text(), QStringLiteral("C:\\Cards\\A.MCD"));
        window.findChild<QPushButton*>("cmdMemApply")->click();
        QCOMPARE(registryText(kBleemKey, "Card0PathName"),
                 std::optional<std::string>("C:\\Cards\\A.MCD"));

        // The next dialog opens where that file lies on this system.
        prompts.fileAnswers = {std::nullopt};
        window.findChild<QPushButton*>("cmdbSlot_0")->click();
        QCOMPARE(prompts.fileRequests.back().fileName, QStringLiteral("A.MCD"));
        QVERIFY(QFileInfo(prompts.fileRequests.back().initialDirectory).isDir());
        QCOMPARE(QFileInfo(prompts.fileRequests.back().initialDirectory).canonicalFilePath(),
                 QFileInfo(qs(prefix + "/drive_c/Cards")).canonicalFilePath());

        // A sound card outside every drive: the path is what the emulator cannot use.
        TempDir outside;
        writeBytes(outside.file("B.MCD"), makeCardBody());
        prompts.fileAnswers = {qs(outside.file("B.MCD")), std::nullopt};
        window.findChild<QPushButton*>("cmdbSlot_1")->click();
        QCOMPARE(prompts.messages.size(), std::size_t{1});
        QCOMPARE(prompts.messages[0].text, qs(std::string(emulator::kPathOutsideDrives)));
        window.close();
    }

    void refusedWritesAreReportedWithTheReasonAndTheValues_data() {
        QTest::addColumn<QString>("store");
        QTest::addColumn<QString>("reason");
        QTest::newRow("wine running") << "wineserver"
                                      << "Wineが動いている";
        QTest::newRow("foreign file") << "foreign"
                                      << "Wineのレジストリファイルではない";
        QTest::newRow("unusable path") << "wave dash"
                                       << "Shift-JISで表せない";
    }
    void refusedWritesAreReportedWithTheReasonAndTheValues() {
        QFETCH(QString, store);
        QFETCH(QString, reason);
        TempSettings ini;
        TempDir prefixFolder;
        const std::string prefix = makeFakePrefix(prefixFolder.path());
        const std::string userReg = prefix + "/user.reg";
        ScopedEnv registry("TOBREL_REGISTRY", userReg);
        ScriptedPrompts prompts;
        std::optional<LockHolder> wineserver;
        std::string lockFolder;
        if (store == "wineserver") {
            const std::string lock = serverLockPath(prefix, "/tmp");
            lockFolder = lock.substr(0, lock.rfind('/'));
            wineserver.emplace(lock);
            QVERIFY(wineserver->locked());
        } else if (store == "foreign") {
            writeBytes(userReg, "REGEDIT4\n");
        }
        app::frmMain window;
        window.load();
        window.findChild<QLineEdit*>("txtVSlot_1")
            ->setText(store == "wave dash" ? QStringLiteral("C:\\wave\u301C.MEM")
                                           : QStringLiteral("C:\\b.MEM"));
        window.findChild<QPushButton*>("cmdMemApply")->click();
        if (wineserver) {
            wineserver->release();
            std::filesystem::remove_all(lockFolder);
        }
        QCOMPARE(prompts.messages.size(), std::size_t{1});
        QCOMPARE(prompts.messages[0].title, QStringLiteral("ｴﾗｰ"));
        QCOMPARE(prompts.messages[0].icon, app::MessageIcon::Warning);
        QVERIFY2(prompts.messages[0].text.contains(reason), qPrintable(prompts.messages[0].text));
        QVERIFY(prompts.messages[0].text.contains(QStringLiteral("Bank 01 Slot 00")));
        const auto unwritten =
            prompts.messages[0].text.section(QStringLiteral("書き込まれなかった値:\n"), 1);
        QCOMPARE(unwritten.split(QLatin1Char('\n')).size(), store == "wave dash" ? 1 : 4);
        QVERIFY(!registryText(kVgsKey, "Bank 01 Slot 00"));
        window.close();
    }

    void tabFollowsReadingOrder() {
        Fixture f;
        f.open();
        const QStringList expected = {"txtbSlot_0", "cmdbSlot_0",  "txtbSlot_1", "cmdbSlot_1",
                                      "txtVSlot_0", "cmdVSlot_0",  "txtVSlot_1", "cmdVSlot_1",
                                      "cmdMemGet",  "cmdMemApply", "cmdMemClose"};
        QWidget* widget = f.box("txtbSlot", 0);
        for (const QString& name : expected) {
            QCOMPARE(widget->objectName(), name);
            widget = widget->nextInFocusChain();
            while (!(widget->focusPolicy() & Qt::TabFocus) ||
                   !widget->isVisibleTo(f.window.get())) {
                widget = widget->nextInFocusChain();
            }
        }
    }

    void cardNamedInShiftJisIsCheckedByItsOwnBytesAndShownAsText() {
        Fixture f;
        const std::string card = f.files.file("\x83\x4A\x81\x5B\x83\x68.MCD"); // カード.MCD
        writeBytes(card, makeCardBody());
        f.open();
        // Qt's dialog decodes such a name as UTF-8, with U+FFFD marks.
        f.prompts.fileAnswers = {QString::fromUtf8(card.data(), qsizetype(card.size()))};
        f.button("cmdbSlot_1")->click();
        QVERIFY(f.prompts.messages.empty());
        QCOMPARE(f.box("txtbSlot", 1)->text(), f.local("カード.MCD"));
        f.button("cmdMemApply")->click();
        std::array<std::uint8_t, 512> raw{};
        QVERIFY(emulator::readRegBinary(emulator::kCurrentUser, kBleemKey, "Card1PathName", raw));
        QCOMPARE(std::string(reinterpret_cast<const char*>(raw.data())), card);
    }
};

TOBREL_TEST_MAIN(TestMemCardPanel)
#include "tst_memcardpanel.moc"
