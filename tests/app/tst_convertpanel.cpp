// The conversion panel driven as a user would: directions, lists, the
// Convert button, the log, the card contents viewer and the saved settings.

#include "app/ConvertPanel.h"
#include "app/DriveList.h"
#include "app/FileList.h"
#include "app/FolderList.h"
#include "app/TabStrip.h"
#include "app/frmMain.h"
#include "app/frmMemView.h"
#include "tests/app/AppTest.h"
#include "tests/support/card_images.h"

#include <QAccessible>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabBar>
#include <QTableWidget>
#include <QTimer>

using namespace tobrel;
using namespace tobrel::testing;

namespace {

const char* const kCaptions[] = {"VGS→bleem!",         "VGS→PSEmuPro,ePSXe",
                                 "bleem!→VGS",         "bleem!→PSEmuPro,ePSXe",
                                 "PSEmuPro,ePSXe→VGS", "PSEmuPro,ePSXe→bleem!"};

// A path as the panel shows it: with "\\" between the folders on Windows.
QString native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

} // namespace

class TestConvertPanel : public QObject {
    Q_OBJECT

private:
    // One window over a private card folder, as a test's fixture.
    struct Fixture {
        TempSettings ini;
        TempDir cards;
        ScriptedPrompts prompts;
        app::frmMain window;

        Fixture() {
            window.load();
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
        }
        ~Fixture() { window.close(); }

        QString folder() const {
            return QString::fromStdString(platform::fromFsPath(cards.path()));
        }
        std::string file(const char* name) const { return cards.file(name); }
        app::ConvertPanel* panel() const { return window.convertPanel(); }
        app::FileList* filIn() const { return window.findChild<app::FileList*>("filIn"); }
        app::FolderList* dirIn() const { return window.findChild<app::FolderList*>("dirIn"); }
        app::DriveList* drvIn() const { return window.findChild<app::DriveList*>("drvIn"); }
        QTabBar* tabConvert() const { return window.findChild<QTabBar*>("tabConvert"); }
        QPlainTextEdit* txtLog() const { return window.findChild<QPlainTextEdit*>("txtLog"); }
        QPushButton* cmdConv() const { return window.findChild<QPushButton*>("cmdConv"); }
        QRadioButton* optSel(int i) const {
            return window.findChild<QRadioButton*>(QStringLiteral("optSel_%1").arg(i));
        }
        void openCardFolder() {
            panel()->applyLastDir(folder());
            QCOMPARE(dirIn()->path(), folder());
        }
        void chooseDirection(int index) {
            tabConvert()->setCurrentIndex(index / 2);
            // On the round indicator, which is inside the button's click area whatever its caption.
            QTest::mouseClick(optSel(index), Qt::LeftButton, {},
                              QPoint(8, optSel(index)->height() / 2));
        }
        QListWidgetItem* item(const QString& name) const {
            auto found = filIn()->findItems(name, Qt::MatchExactly);
            return found.isEmpty() ? nullptr : found.first();
        }
        void clickFile(const QString& name, Qt::KeyboardModifiers modifiers = {}) {
            QListWidgetItem* target = item(name);
            QVERIFY2(target, qPrintable(name));
            QTest::mouseClick(filIn()->viewport(), Qt::LeftButton, modifiers,
                              filIn()->visualItemRect(target).center());
        }
        QStringList logLines() const { return txtLog()->toPlainText().split(QLatin1Char('\n')); }
    };

private slots:
    void directionButtonSetsFilterAndLogCaption_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("filter");
        const char* filters[] = {"*.MEM", "*.MEM", "*.MCD", "*.MCD", "*.MCR", "*.MCR"};
        for (int i = 0; i < 6; ++i) {
            QTest::newRow(kCaptions[i]) << i << filters[i];
        }
    }
    void directionButtonSetsFilterAndLogCaption() {
        QFETCH(int, index);
        QFETCH(QString, filter);
        Fixture f;
        f.chooseDirection(index);
        QVERIFY(f.optSel(index)->isChecked());
        QCOMPARE(f.filIn()->pattern(), filter);
        QCOMPARE(f.txtLog()->toPlainText(), QString::fromUtf8(kCaptions[index]));
        QCOMPARE(f.optSel(index)->accessibleName(), QString::fromUtf8(kCaptions[index]));
    }

    void sourceTabOnlyBringsItsPairToTheFront() {
        Fixture f;
        f.openCardFolder();
        writeBytes(f.file("G.MEM"), makeVgsImage(makeCardBody()));
        f.filIn()->refresh();
        QVERIFY(f.optSel(0)->isChecked());
        f.tabConvert()->setCurrentIndex(1); // "bleem!"
        QVERIFY(f.optSel(2)->isVisible() && f.optSel(3)->isVisible());
        QVERIFY(!f.optSel(2)->isChecked() && !f.optSel(3)->isChecked());
        QVERIFY(!f.optSel(0)->isVisible());
        QCOMPARE(f.optSel(2)->text(), QStringLiteral("→VGS"));
        QCOMPARE(f.optSel(3)->text(), QStringLiteral("→PSEmuPro,ePSXe"));
        QCOMPARE(f.filIn()->pattern(), QStringLiteral("*.MEM"));
        QCOMPARE(f.txtLog()->toPlainText(), QStringLiteral("VGS→bleem!"));

        f.item("G.MEM")->setSelected(true);
        f.panel()->cmdConv_Click();
        QCOMPARE(readBytes(f.file("G.MCD")), makeCardBody()); // still VGS to bleem!
    }

    void arrowKeysMoveBetweenTheVisiblePair() {
        Fixture f;
        f.optSel(0)->setFocus();
        QTest::keyClick(f.optSel(0), Qt::Key_Right);
        QVERIFY(f.optSel(1)->isChecked());
        QCOMPARE(f.txtLog()->toPlainText(), QStringLiteral("VGS→PSEmuPro,ePSXe"));
    }

    void clickingTheSelectedDirectionAgainResetsTheLog() {
        Fixture f;
        f.openCardFolder();
        writeBytes(f.file("A.MEM"), makeVgsImage(makeCardBody()));
        f.filIn()->refresh();
        f.item("A.MEM")->setSelected(true);
        f.panel()->cmdConv_Click();
        QCOMPARE(f.logLines().size(), 2);
        QTest::mouseClick(f.optSel(0), Qt::LeftButton, {}, QPoint(8, f.optSel(0)->height() / 2));
        QCOMPARE(f.txtLog()->toPlainText(), QStringLiteral("VGS→bleem!"));
    }

    void convertWithNothingSelectedShowsTheDirectionsMessage_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("message");
        const QString vgs = QStringLiteral("VGSﾒﾓﾘｰｶｰﾄﾞﾌｧｲﾙ(131,136ﾊﾞｲﾄ)を指定して下さい。");
        const QString bleem = QStringLiteral("bleem!ﾒﾓﾘｰｶｰﾄﾞﾌｧｲﾙ(131,072ﾊﾞｲﾄ)を指定して下さい。");
        const QString psemu = QStringLiteral("PSEmuProﾒﾓﾘｰｶｰﾄﾞﾌｧｲﾙ(131,072ﾊﾞｲﾄ)を指定して下さい。");
        const QString messages[] = {vgs, vgs, bleem, bleem, psemu, psemu};
        for (int i = 0; i < 6; ++i) {
            QTest::newRow(kCaptions[i]) << i << messages[i];
        }
    }
    void convertWithNothingSelectedShowsTheDirectionsMessage() {
        QFETCH(int, index);
        QFETCH(QString, message);
        Fixture f;
        f.openCardFolder();
        writeBytes(f.file("X.MEM"), "x");
        writeBytes(f.file("X.MCD"), "x");
        writeBytes(f.file("X.MCR"), "x");
        f.chooseDirection(index);
        QTest::mouseClick(f.cmdConv(), Qt::LeftButton);
        QCOMPARE(f.prompts.messages.size(), std::size_t{1});
        QCOMPARE(f.prompts.messages[0].title, QStringLiteral("ｴﾗｰ"));
        QCOMPARE(f.prompts.messages[0].icon, app::MessageIcon::Warning);
        QCOMPARE(f.prompts.messages[0].text, message);
        QCOMPARE(f.txtLog()->toPlainText(), QString::fromUtf8(kCaptions[index]));
        QCOMPARE(listFolder(f.cards.path()).size(), std::size_t{3}); // nothing written
        QVERIFY(f.cmdConv()->isEnabled());
    }

    void selectedFilesAreConvertedInListOrder() {
        Fixture f;
        f.openCardFolder();
        for (const char* name : {"A.MEM", "B.MEM", "C.MEM", "D.MEM", "E.MEM"}) {
            writeBytes(f.file(name), makeVgsImage(makeCardBody()));
        }
        f.chooseDirection(1);
        f.clickFile("E.MEM");
        f.clickFile("A.MEM", Qt::ControlModifier);
        f.clickFile("C.MEM", Qt::ControlModifier);
        f.panel()->closeViewer();
        QTest::mouseClick(f.cmdConv(), Qt::LeftButton);
        const QString folder = native(f.folder() + "/");
        QCOMPARE(f.logLines(),
                 QStringList({"VGS→PSEmuPro,ePSXe", folder + "A.MEM→" + folder + "A.MCR 変換終了",
                              folder + "C.MEM→" + folder + "C.MCR 変換終了",
                              folder + "E.MEM→" + folder + "E.MCR 変換終了"}));
        QVERIFY(!std::filesystem::exists(f.cards.path() / "B.MCR"));
        QVERIFY(!std::filesystem::exists(f.cards.path() / "D.MCR"));
        QVERIFY(f.prompts.messages.empty());
    }

    void failingFileIsLoggedAndTheRestConverted() {
        Fixture f;
        f.openCardFolder();
        writeBytes(f.file("A.MCD"), makeCardBody());
        writeBytes(f.file("B.MCD"), makeCardBody());
        f.chooseDirection(2);
        f.item("A.MCD")->setSelected(true);
        f.item("B.MCD")->setSelected(true);
        std::filesystem::remove(f.cards.path() / "A.MCD"); // gone after the list was drawn
        f.panel()->cmdConv_Click();
        const QStringList lines = f.logLines();
        QCOMPARE(lines.size(), 3);
        QVERIFY2(lines[1].startsWith(native(f.folder() + "/A.MCD: ")), qPrintable(lines[1]));
        QVERIFY(lines[2].endsWith(" 変換終了"));
        QCOMPARE(readBytes(f.file("B.MEM")), makeVgsImage(makeCardBody()));
    }

    void filterIgnoresLetterCase() {
        Fixture f;
        f.openCardFolder();
        for (const char* name : {"game.mem", "Other.Mem", "UPPER.MEM", "card.mcd", "MEM"}) {
            writeBytes(f.file(name), "x");
        }
        f.filIn()->refresh();
        QStringList names;
        for (int i = 0; i < f.filIn()->count(); ++i) {
            names << f.filIn()->item(i)->text();
        }
        QCOMPARE(names, QStringList({"game.mem", "Other.Mem", "UPPER.MEM"}));
    }

    void jobDisablesConvertAndDirectionsWhileItRuns() {
        Fixture f;
        f.openCardFolder();
        const std::string body = makeCardBody();
        for (int i = 0; i < 400; ++i) {
            writeBytes(f.file(("F" + std::to_string(1000 + i) + ".MCD").c_str()), body);
        }
        f.chooseDirection(3);
        f.filIn()->selectAll();
        bool sawBusyPanel = false;
        QTimer::singleShot(0, &f.window, [&] {
            sawBusyPanel =
                !f.cmdConv()->isEnabled() && !f.optSel(3)->isEnabled() && f.panel()->isConverting();
            f.panel()->cmdConv_Click(); // a second press meanwhile starts nothing
        });
        f.panel()->cmdConv_Click();
        QVERIFY(sawBusyPanel);
        QCOMPARE(f.logLines().size(), 401);
        QCOMPARE(listFolder(f.cards.path()).size(), std::size_t{800});
        QVERIFY(f.cmdConv()->isEnabled() && f.optSel(3)->isEnabled());
    }

    void viewerListsSavesBesideTheMainWindow() {
        Fixture f;
        f.openCardFolder();
        std::string body = makeCardBody();
        addSave(body, 2, "\x83\x51\x81\x5B\x83\x80 ONE", 1); // ゲーム ONE
        addSave(body, 5, "SECOND", 12);
        writeBytes(f.file("S.MEM"), makeVgsImage(body));
        writeBytes(f.file("EMPTY.MEM"), makeVgsImage(makeCardBody()));
        f.filIn()->refresh();

        f.clickFile("S.MEM");
        app::frmMemView* viewer = f.panel()->viewer();
        QVERIFY(viewer);
        QCOMPARE(viewer->windowTitle(), QStringLiteral("ﾒﾓﾘｰｶｰﾄﾞ情報"));
        QCOMPARE(viewer->pos(),
                 QPoint(f.window.frameGeometry().x() + f.window.frameGeometry().width(),
                        f.window.frameGeometry().y()));
        QTableWidget* grid = viewer->grid();
        QCOMPARE(grid->horizontalHeaderItem(0)->text(), QStringLiteral("ﾀｲﾄﾙ"));
        QCOMPARE(grid->horizontalHeaderItem(1)->text(), QStringLiteral("ﾌﾞﾛｯｸ数"));
        QCOMPARE(grid->rowCount(), 15);
        QCOMPARE(grid->item(0, 0)->text(), QStringLiteral("ゲーム ONE"));
        QCOMPARE(grid->item(0, 1)->text(), QStringLiteral("1"));
        QCOMPARE(grid->item(1, 0)->text(), QStringLiteral("SECOND"));
        QCOMPARE(grid->item(1, 1)->text(), QStringLiteral("12"));
        QVERIFY(!grid->item(2, 0));
        QVERIFY(grid->columnWidth(0) >= 288);
        QCOMPARE(grid->columnWidth(1), 47);
        QCOMPARE(grid->currentRow(), 0);
        QCOMPARE(grid->currentColumn(), 1);
        QVERIFY(f.window.isActiveWindow() || QApplication::activeWindow() != viewer);

        QPointer<app::frmMemView> old = viewer;
        f.clickFile("EMPTY.MEM");
        QTRY_VERIFY(!old);
        viewer = f.panel()->viewer();
        QVERIFY(viewer);
        QVERIFY(!viewer->grid()->item(0, 0));
        QVERIFY(viewer->note().isEmpty());
    }

    void viewerShowsTheFirstSelectedFileFromTheTop() {
        Fixture f;
        f.openCardFolder();
        std::string body = makeCardBody();
        addSave(body, 1, "FIRST", 1);
        writeBytes(f.file("A.MCD"), body);
        writeBytes(f.file("B.MCD"), makeCardBody());
        f.chooseDirection(2);
        f.clickFile("B.MCD");
        f.clickFile("A.MCD", Qt::ControlModifier);
        QTRY_VERIFY(f.panel()->viewer());
        QCOMPARE(f.panel()->viewer()->grid()->item(0, 0)->text(), QStringLiteral("FIRST"));
    }

    void viewerOfAVanishedFileShowsANote() {
        Fixture f;
        f.openCardFolder();
        writeBytes(f.file("GONE.MEM"), "x");
        f.filIn()->refresh();
        std::filesystem::remove(f.cards.path() / "GONE.MEM");
        f.clickFile("GONE.MEM");
        QVERIFY(f.panel()->viewer());
        QVERIFY(!f.panel()->viewer()->note().isEmpty());
        QVERIFY(!f.panel()->viewer()->grid()->item(0, 0));
        QVERIFY(f.prompts.messages.empty());
    }

    void viewerClosesWhenTheTabLeavesConversionOrTheWindowCloses() {
        Fixture f;
        f.openCardFolder();
        writeBytes(f.file("A.MEM"), makeVgsImage(makeCardBody()));
        f.filIn()->refresh();
        f.clickFile("A.MEM");
        QPointer<app::frmMemView> viewer = f.panel()->viewer();
        QVERIFY(viewer);
        f.window.mainTabs()->tabBar()->setCurrentIndex(1);
        QTRY_VERIFY(!viewer);
        f.window.mainTabs()->tabBar()->setCurrentIndex(0);
        QVERIFY(!f.panel()->viewer()); // not reopened

        f.clickFile("A.MEM");
        viewer = f.panel()->viewer();
        QVERIFY(viewer);
        f.window.showMinimized();
        QTRY_VERIFY(!viewer);
        f.window.showNormal();

        f.clickFile("A.MEM");
        viewer = f.panel()->viewer();
        QVERIFY(viewer);
        f.window.close();
        QTRY_VERIFY(!viewer);
    }

    void directionAndFolderSurviveARestart() {
        TempSettings ini;
        TempDir cards;
        const QString folder = QString::fromStdString(platform::fromFsPath(cards.path()));
        {
            app::frmMain first;
            first.load();
            first.convertPanel()->applyLastDir(folder);
            first.findChild<QTabBar*>("tabConvert")->setCurrentIndex(2);
            first.findChild<QRadioButton*>("optSel_4")->click();
            first.close();
        }
        QVERIFY(ini.read().find("CONVTYPE=4\r\n") != std::string::npos);
        app::frmMain second;
        second.load();
        QCOMPARE(second.convertPanel()->convType(), 4);
        QCOMPARE(second.convertPanel()->lastDir(), folder);
        QCOMPARE(second.findChild<QTabBar*>("tabConvert")->currentIndex(), 2);
        QCOMPARE(second.findChild<app::FileList*>("filIn")->pattern(), QStringLiteral("*.MCR"));
        QCOMPARE(second.findChild<QPlainTextEdit*>("txtLog")->toPlainText(),
                 QStringLiteral("PSEmuPro,ePSXe→VGS"));
        second.close();
    }

    void unrecognisedStoredValuesStartOnDirectionZero_data() {
        QTest::addColumn<QString>("convType");
        QTest::addColumn<QString>("lastDir");
        QTest::newRow("7") << "7"
                           << "/no/such/folder";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("leading zero") << "03"
                                      << "/etc/passwd";
    }
    void unrecognisedStoredValuesStartOnDirectionZero() {
        QFETCH(QString, convType);
        QFETCH(QString, lastDir);
        TempSettings ini;
        ini.write("[FORM]\r\nCONVTYPE=" + convType.toStdString() +
                  "\r\nLASTDIR=" + lastDir.toStdString() + "\r\n");
        app::frmMain window;
        window.load();
        QCOMPARE(window.convertPanel()->convType(), 0);
        QCOMPARE(window.findChild<QPlainTextEdit*>("txtLog")->toPlainText(),
                 QStringLiteral("VGS→bleem!"));
        QCOMPARE(window.convertPanel()->lastDir(),
                 native(QDir::currentPath())); // start-up folder kept
        window.close();
        QVERIFY(ini.read().find("CONVTYPE=0\r\n") != std::string::npos);
    }

    void driveWithoutMediumLeavesTheListsWhereTheyWere() {
        Fixture f;
        f.openCardFolder();
        const QString before = f.drvIn()->drive();
        f.drvIn()->addItem("/no/such/medium", "/no/such/medium");
        f.drvIn()->setCurrentIndex(f.drvIn()->count() - 1);
        emit f.drvIn()->activated(f.drvIn()->count() - 1);
        QCOMPARE(f.drvIn()->drive(), before);
        QCOMPARE(f.dirIn()->path(), f.folder());
        QVERIFY(f.prompts.messages.empty());
    }

    void folderListOpensSubfoldersAndParents() {
        Fixture f;
        std::filesystem::create_directory(f.cards.path() / "sub");
        writeBytes(f.file("sub/IN.MCD"), makeCardBody());
        f.openCardFolder();
        f.chooseDirection(2);
        auto found = f.dirIn()->findItems("sub", Qt::MatchEndsWith);
        QCOMPARE(found.size(), 1);
        // The ancestors start at the root: the drive on Windows (C:\).
#ifdef Q_OS_WIN
        QCOMPARE(f.dirIn()->item(0)->text(), f.folder().left(3));
        QCOMPARE(f.drvIn()->currentText().left(2), f.folder().left(2).toLower());
#else
        QCOMPARE(f.dirIn()->item(0)->text(), QStringLiteral("/"));
#endif
        emit f.dirIn()->itemActivated(found.first());
        QCOMPARE(f.dirIn()->path(), native(f.folder() + "/sub"));
        QVERIFY(f.item("IN.MCD"));
        QCOMPARE(f.panel()->lastDir(), native(f.folder() + "/sub"));
    }

    void folderTheSettingsFileCannotHoldIsSavedAsTheNearestOneItCan() {
        Fixture f;
        std::filesystem::create_directories(f.cards.path() / "sub" /
                                            std::filesystem::path(u8"café"));
        f.panel()->applyLastDir(f.folder() + QStringLiteral("/sub/café"));
        QCOMPARE(f.dirIn()->path(), native(f.folder() + QStringLiteral("/sub/café")));
        f.window.close();
        const std::string sub = native(QString::fromStdString(f.cards.file("sub"))).toStdString();
        QVERIFY(f.ini.read().find("LASTDIR=" + sub + "\r\n") != std::string::npos);
    }

    void namesThatAreNotUtf8AreListedConvertedAndViewedByTheirOwnBytes() {
#ifdef Q_OS_WIN
        QSKIP("Windows names are UTF-16: every name there is Unicode text");
#endif
        Fixture f;
        const std::string folder = "\x83\x74\x83\x48\x83\x8B\x83\x5F"; // フォルダ in Shift-JIS
        const std::string card = "\x83\x4A\x81\x5B\x83\x68";           // カード
        std::filesystem::create_directory(f.cards.path() / folder);
        std::string body = makeCardBody();
        addSave(body, 1, "SJIS", 3);
        writeBytes(f.cards.file(folder + "/" + card + ".MEM"), makeVgsImage(body));
        writeBytes(f.cards.file(folder + "/bad\x80.MEM"),
                   makeVgsImage(body)); // not code page 932 either
        f.openCardFolder();

        auto found = f.dirIn()->findItems(QStringLiteral("フォルダ"), Qt::MatchEndsWith);
        QCOMPARE(found.size(), 1);
        emit f.dirIn()->itemActivated(found.first());
        QCOMPARE(f.dirIn()->path(), f.folder() + QStringLiteral("/フォルダ"));
        QCOMPARE(f.filIn()->count(), 2);
        QVERIFY(f.item(QStringLiteral("bad\uFFFD.MEM")));

        f.clickFile(QStringLiteral("カード.MEM"));
        QVERIFY(f.panel()->viewer());
        QCOMPARE(f.panel()->viewer()->grid()->item(0, 1)->text(), QStringLiteral("3"));

        f.filIn()->selectAll();
        f.panel()->cmdConv_Click();
        QCOMPARE(readBytes(f.cards.file(folder + "/" + card + ".MCD")), body);
        QCOMPARE(readBytes(f.cards.file(folder + "/bad\x80.MCD")), body);
        const QString shownFolder = f.folder() + QStringLiteral("/フォルダ/");
        QCOMPARE(
            f.logLines(),
            QStringList({QStringLiteral("VGS→bleem!"),
                         shownFolder + "bad\uFFFD.MEM→" + shownFolder + "bad\uFFFD.MCD 変換終了",
                         shownFolder + "カード.MEM→" + shownFolder + "カード.MCD 変換終了"}));

        // Saved as code page 932 text, the folder is found again by those bytes.
        const QString saved = f.panel()->lastDir();
        f.openCardFolder();
        f.panel()->applyLastDir(saved);
        QCOMPARE(f.dirIn()->path(), saved);
        QCOMPARE(f.filIn()->count(), 2);
    }

    void closingTheWindowStopsAConversionAfterItsCurrentFile() {
        Fixture f;
        f.openCardFolder();
        const std::string body = makeCardBody();
        for (int i = 0; i < 3000; ++i) {
            writeBytes(f.file(("F" + std::to_string(1000 + i) + ".MCD").c_str()), "tiny");
        }
        writeBytes(f.file("F9999.MCD"), body);
        f.chooseDirection(3);
        f.filIn()->selectAll();
        QTimer::singleShot(0, &f.window, [&] { f.window.close(); });
        f.panel()->cmdConv_Click();
        QVERIFY(!f.window.isVisible());
        QVERIFY(f.prompts.messages.empty());
        const auto names = listFolder(f.cards.path());
        const auto outputs = std::count_if(
            names.begin(), names.end(), [](const std::string& n) { return n.ends_with(".MCR"); });
        QVERIFY(outputs < 3001); // stopped, and nothing but whole outputs is left
        QCOMPARE(names.size(), std::size_t(3001 + outputs));
        QVERIFY(!QFileInfo::exists(qs(f.file("F9999.MCR"))));
    }

    void choosingTheSelectedDriveAgainKeepsTheFolder() {
        Fixture f;
        f.openCardFolder();
        const int index = f.drvIn()->currentIndex();
        f.drvIn()->setCurrentIndex(index);
        emit f.drvIn()->activated(index);
        QCOMPARE(f.dirIn()->path(), f.folder());
    }

    void directionButtonsReactToBecomingCheckedOncePerChange_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("accessibility toggle") << "toggle";
        QTest::newRow("keyboard") << "key";
        QTest::newRow("mouse") << "mouse";
    }
    void directionButtonsReactToBecomingCheckedOncePerChange() {
        QFETCH(QString, how);
        Fixture f;
        f.tabConvert()->setCurrentIndex(2);
        int runs = 0;
        connect(f.txtLog(), &QPlainTextEdit::textChanged,
                [&] { runs += f.txtLog()->toPlainText() == QString::fromUtf8(kCaptions[5]); });
        if (how == "toggle") {
            QAccessibleInterface* button = QAccessible::queryAccessibleInterface(f.optSel(5));
            QVERIFY(button && button->actionInterface());
            button->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
        } else if (how == "key") {
            f.chooseDirection(4);
            f.optSel(4)->setFocus();
            QTest::keyClick(f.optSel(4), Qt::Key_Right);
        } else {
            f.chooseDirection(5);
        }
        QVERIFY(f.optSel(5)->isChecked());
        QCOMPARE(f.filIn()->pattern(), QStringLiteral("*.MCR"));
        QCOMPARE(f.txtLog()->toPlainText(), QString::fromUtf8(kCaptions[5]));
        QCOMPARE(runs, 1);
    }

    void viewerOpensUnscrolledWithEveryRowAndWholeTitles() {
        Fixture f;
        f.openCardFolder();
        std::string body = makeCardBody();
        for (int block = 1; block <= 15; ++block) {
            addSave(body, block, "\x83\x51\x81\x5B\x83\x80\x82\xCC\x83\x5A\x81\x5B\x83\x75 ABCDEF",
                    1); // ゲームのセーブ ABCDEF
        }
        writeBytes(f.file("FULL.MCD"), body);
        f.chooseDirection(2);
        f.clickFile("FULL.MCD");
        QTableWidget* grid = f.panel()->viewer()->grid();
        QVERIFY(QTest::qWaitForWindowExposed(f.panel()->viewer()));
        QCOMPARE(grid->horizontalScrollBar()->value(), 0);
        QCOMPARE(grid->verticalScrollBar()->value(), 0);
        const QRect viewport = grid->viewport()->rect();
        for (int row = 0; row < 15; ++row) {
            QVERIFY2(viewport.contains(grid->visualItemRect(grid->item(row, 0))),
                     qPrintable(QString::number(row)));
            QVERIFY(viewport.contains(grid->visualItemRect(grid->item(row, 1))));
        }
        QVERIFY(grid->fontMetrics().horizontalAdvance(grid->item(14, 0)->text()) <
                grid->columnWidth(0) - 6);
        QCOMPARE(grid->currentRow(), 0);
        QCOMPARE(grid->currentColumn(), 1);
    }
};

TOBREL_TEST_MAIN(TestConvertPanel)
#include "tst_convertpanel.moc"
