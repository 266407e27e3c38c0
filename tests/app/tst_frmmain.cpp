// The main window's frame: settings at load and unload, geometry per tab,
// close buttons, keeping the window on the screen.

#include "app/ConvertPanel.h"
#include "app/TabStrip.h"
#include "app/Twips.h"
#include "app/frmMain.h"
#include "app/modMain.h"
#include "tests/app/AppTest.h"

#include <QAbstractScrollArea>
#include <QAccessible>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QPushButton>
#include <QScreen>
#include <QTabBar>
#include <QTimer>

using namespace tobrel;
using namespace tobrel::testing;

namespace {

constexpr int kCentredTopTwips = 2625;  // (800 px * 15 - 6750) / 2 on the offscreen screen
constexpr int kCentredLeftTwips = 3300; // (800 px * 15 - 5385) / 2, at whole pixels

std::string crlf(std::initializer_list<std::string> lines) {
    std::string text;
    for (const auto& line : lines) {
        text += line + "\r\n";
    }
    return text;
}

// The six launcher slots, all free, as the unload step writes them.
const std::string kEmptyLaunchPaths = "LAUNCHPATH0=\r\nLAUNCHPATH1=\r\nLAUNCHPATH2=\r\n"
                                      "LAUNCHPATH3=\r\nLAUNCHPATH4=\r\nLAUNCHPATH5=\r\n";

// The start-up folder as the settings file stores it ("Z:\work" on Windows).
std::string currentFolder() {
    return QDir::toNativeSeparators(QDir::currentPath()).toStdString();
}

} // namespace

class TestFrmMain : public QObject {
    Q_OBJECT

private slots:
    void noSettingsFile_opensCentredOnTabOne_andWritesEveryKeyInOrder() {
        TempSettings ini;
        ScriptedPrompts prompts;
        app::frmMain window;
        window.load();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.mainTabs()->currentIndex(), 0);
        QCOMPARE(window.positionTwips(), QPoint(kCentredLeftTwips, kCentredTopTwips));
        window.close();
        QCOMPARE(ini.read(), crlf({"[FORM]", "LASTDIR=" + currentFolder(),
                                   "POSTOP=" + std::to_string(kCentredTopTwips),
                                   "POSLEFT=" + std::to_string(kCentredLeftTwips), "CONVTYPE=0",
                                   "LASTTAB=0", "CTRLTAB=0"}) +
                                 kEmptyLaunchPaths + crlf({"ICONPATH=", "CODEPATH=", "WAKU=0"}));
        QVERIFY(prompts.messages.empty());
    }

    void untouchedLinesOfAnExistingFileSurviveByteForByte() {
        TempSettings ini;
        ini.write(crlf({"; Tobrel settings", "[Other]", "Keep=this  ", "", "[form]",
                        "lastdir=/no/such/folder", "; comment inside", "Convtype=3", "unknown=1",
                        "", "[Tail]", "x=y"}));
        app::frmMain window;
        window.load();
        QCOMPARE(window.convertPanel()->convType(), 3);
        window.close();
        QCOMPARE(ini.read(),
                 crlf({"; Tobrel settings", "[Other]", "Keep=this  ", "", "[form]",
                       "lastdir=" + currentFolder(), "; comment inside", "Convtype=3", "unknown=1",
                       "POSTOP=" + std::to_string(kCentredTopTwips),
                       "POSLEFT=" + std::to_string(kCentredLeftTwips), "LASTTAB=0", "CTRLTAB=0"}) +
                     kEmptyLaunchPaths +
                     crlf({"ICONPATH=", "CODEPATH=", "WAKU=0", "", "[Tail]", "x=y"}));
    }

    void clientSizeFollowsTheTab_data() {
        QTest::addColumn<int>("tab");
        const char* names[] = {"変換", "ﾒﾓﾘｰｶｰﾄﾞ設定", "VGSｷｰ設定", "ﾗﾝﾁｬ", "ｺｰﾄﾞﾘｽﾄ抽出"};
        for (int tab = 0; tab < 5; ++tab) {
            QTest::newRow(names[tab]) << tab;
        }
    }
    void clientSizeFollowsTheTab() {
        QFETCH(int, tab);
        const auto& geometry = app::frmMain::kTabGeometry[static_cast<std::size_t>(tab)];
        const QSize strip(app::px(app::frmMain::kTabStripWidthTwips),
                          app::px(geometry.stripHeight));
        TempSettings ini;
        app::frmMain window;
        window.load();
        window.show();
        window.mainTabs()->tabBar()->setCurrentIndex(tab);
        QCOMPARE(window.size(), strip);
        QCOMPARE(window.mainTabs()->geometry(), QRect(QPoint(0, 0), strip));
        QVERIFY(window.panel(tab)->isVisible());
        QCOMPARE(window.panel(tab)->geometry(),
                 QRect(8, 24, app::px(5055), app::px(geometry.panelHeight)));
        for (int other = 0; other < 5; ++other) {
            QCOMPARE(window.panel(other)->isVisible(), other == tab);
        }
        window.close();
    }

    void lastTabIsRestored_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("tab");
        QTest::newRow("3") << "3" << 3;
        QTest::newRow("4") << "4" << 4;
        QTest::newRow("out of range") << "5" << 0;
        QTest::newRow("leading blank is not recognised") << "\" 1\"" << 0;
        QTest::newRow("leading zero") << "01" << 0;
    }
    void lastTabIsRestored() {
        QFETCH(QString, stored);
        QFETCH(int, tab);
        TempSettings ini;
        ini.write(crlf({"[FORM]", "LASTTAB=" + stored.toStdString()}));
        app::frmMain window;
        window.load();
        QCOMPARE(window.mainTabs()->currentIndex(), tab);
        QCOMPARE(window.height(), frmMainHeight(tab));
        QCOMPARE(window.width(), 5295 / 15);
        window.close();
        QVERIFY(ini.read().find("LASTTAB=" + std::to_string(tab) + "\r\n") != std::string::npos);
    }

    void everyCloseButtonEndsTheProgramWithSettingsSaved_data() {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("button");
        QTest::newRow("cmdClose") << 0 << "cmdClose";
        QTest::newRow("cmdMemClose") << 1 << "cmdMemClose";
        QTest::newRow("cmdKeyClose") << 2 << "cmdKeyClose";
        QTest::newRow("cmdLaunchClose") << 3 << "cmdLaunchClose";
        QTest::newRow("cmdCodeListClose") << 4 << "cmdCodeListClose";
    }
    void everyCloseButtonEndsTheProgramWithSettingsSaved() {
        QFETCH(int, tab);
        QFETCH(QString, button);
        TempSettings ini;
        app::frmMain window;
        window.load();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.mainTabs()->tabBar()->setCurrentIndex(tab);
        auto* close = window.findChild<QPushButton*>(button);
        QVERIFY(close);
        QCOMPARE(close->text(), QStringLiteral("閉じる"));
        QVERIFY(close->isVisible());
        QTest::mouseClick(close, Qt::LeftButton);
        QVERIFY(!window.isVisible());
        QVERIFY(ini.read().find("LASTTAB=" + std::to_string(tab) + "\r\n") != std::string::npos);
    }

    void storedPositionIsUsedWhenOnTheScreen() {
        TempSettings ini;
        ini.write(crlf({"[FORM]", "POSTOP=-150", "POSLEFT=1500"}));
        app::frmMain window;
        window.load();
        QCOMPARE(window.positionTwips(), QPoint(1500, -150)); // negative tops pass
        window.close();
        QVERIFY(ini.read().find("POSTOP=-150\r\nPOSLEFT=1500\r\n") != std::string::npos);
    }

    void positionOffTheScreenOrNotANumberIsCentred_data() {
        QTest::addColumn<QString>("top");
        QTest::addColumn<QString>("left");
        QTest::newRow("left at screen width") << "100"
                                              << "12000";
        QTest::newRow("top beyond screen height") << "12000"
                                                  << "100";
        QTest::newRow("not a number") << "abc"
                                      << "100";
        QTest::newRow("left missing") << "100"
                                      << "";
    }
    void positionOffTheScreenOrNotANumberIsCentred() {
        QFETCH(QString, top);
        QFETCH(QString, left);
        TempSettings ini;
        ini.write(crlf({"[FORM]", "POSTOP=" + top.toStdString(), "POSLEFT=" + left.toStdString()}));
        app::frmMain window;
        window.load();
        QCOMPARE(window.positionTwips(), QPoint(kCentredLeftTwips, kCentredTopTwips));
        window.close();
    }

    void wakuOneKeepsTheWindowOnTheScreenOnTabChangesAndMoves() {
        TempSettings ini;
        ini.write(crlf({"[FORM]", "POSTOP=7500", "POSLEFT=1500", "LASTTAB=1", "WAKU=1"}));
        app::frmMain window;
        window.load();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(window.keepOnScreen());
        const int screenHeight = QGuiApplication::primaryScreen()->geometry().height();
        window.mainTabs()->tabBar()->setCurrentIndex(2); // 7110 twips: past the bottom edge
        QCOMPARE(window.frameGeometry().y() + window.frameGeometry().height(), screenHeight);
        window.move(-40, 10);
        QCOMPARE(window.frameGeometry().x(), 0);
        window.close();
        QVERIFY(ini.read().find("WAKU=1\r\n") != std::string::npos);
    }

    void wakuOnePutsTheWindowBackAgainstTheEdgeItCrossed_data() {
        QTest::addColumn<QPoint>("across"); // which edge, as a direction
        QTest::newRow("left") << QPoint(-1, 0);
        QTest::newRow("right") << QPoint(1, 0);
        QTest::newRow("top") << QPoint(0, -1);
        QTest::newRow("bottom") << QPoint(0, 1);
    }
    void wakuOnePutsTheWindowBackAgainstTheEdgeItCrossed() {
        QFETCH(QPoint, across);
        TempSettings ini;
        ini.write(crlf({"[FORM]", "POSTOP=1500", "POSLEFT=1500", "LASTTAB=1", "WAKU=1"}));
        app::frmMain window;
        window.load();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
        const QSize frame = window.frameGeometry().size();
        // 40 pixels past the edge, or 30 pixels inside along the other axis;
        // against the edge afterwards, the other coordinate unchanged.
        const auto past = [](int direction, int far) {
            return direction < 0 ? -40 : direction > 0 ? far + 40 : 30;
        };
        const auto against = [](int direction, int far) {
            return direction < 0 ? 0 : direction > 0 ? far : 30;
        };
        const int farLeft = screen.width() - frame.width();
        const int farTop = screen.height() - frame.height();
        window.move(past(across.x(), farLeft), past(across.y(), farTop));
        QCOMPARE(window.frameGeometry().topLeft(),
                 QPoint(against(across.x(), farLeft), against(across.y(), farTop)));
        window.close();
    }

    void otherWakuValuesLeaveTheWindowFree_data() {
        QTest::addColumn<QString>("waku");
        QTest::addColumn<QString>("written");
        QTest::newRow("2") << "2"
                           << "2";
        QTest::newRow("0") << "0"
                           << "0";
        QTest::newRow("not a number") << "x"
                                      << "0";
    }
    void otherWakuValuesLeaveTheWindowFree() {
        QFETCH(QString, waku);
        QFETCH(QString, written);
        TempSettings ini;
        ini.write(crlf(
            {"[FORM]", "POSTOP=7500", "POSLEFT=1500", "LASTTAB=1", "WAKU=" + waku.toStdString()}));
        app::frmMain window;
        window.load();
        window.show();
        QVERIFY(!window.keepOnScreen());
        window.mainTabs()->tabBar()->setCurrentIndex(2);
        QCOMPARE(window.positionTwips(), QPoint(1500, 7500));
        window.move(-40, 10);
        QCOMPARE(window.pos(), QPoint(-40, 10));
        window.close();
        QVERIFY(ini.read().find("WAKU=" + written.toStdString() + "\r\n") != std::string::npos);
    }

    void valueLongerThan249BytesIsReadAsItsFirst249() {
        TempSettings ini;
        const std::string longPath = "/no/such/icon/" + std::string(300, 'a') + ".ico";
        ini.write(crlf({"[FORM]", "ICONPATH=" + longPath}));
        app::frmMain window;
        window.load();
        window.close();
        QVERIFY(ini.read().find("ICONPATH=" + longPath.substr(0, 249) + "\r\n") !=
                std::string::npos);
    }

    void iconPathNamingNoIconKeepsTheBuiltInIconAndIsWrittenBack() {
        TempSettings ini;
        const std::string notAnIcon = ini.dir().file("readme.txt");
        writeBytes(notAnIcon, "not a picture");
        ini.write(crlf({"[FORM]", "ICONPATH=" + notAnIcon}));
        app::frmMain window;
        const qint64 builtIn = window.windowIcon().cacheKey();
        window.load();
        QCOMPARE(window.windowIcon().cacheKey(), builtIn);
        window.close();
        QVERIFY(ini.read().find("ICONPATH=" + notAnIcon + "\r\n") != std::string::npos);
    }

    void readOnlySettingsFolderFailsSilently() {
        if (!permissionsAreEnforced()) {
            QSKIP("root ignores file permissions");
        }
        TempSettings ini;
        ini.write(crlf({"[FORM]", "CONVTYPE=2"}));
        std::filesystem::permissions(ini.dir().path(), std::filesystem::perms(0555));
        ScriptedPrompts prompts;
        app::frmMain window;
        window.load();
        window.close();
        QVERIFY(prompts.messages.empty());
        QCOMPARE(ini.read(), crlf({"[FORM]", "CONVTYPE=2"}));
    }

    void interfaceFontIsTheMetricTwinOfMsPGothic() {
        app::prepareApplication();
        const QFont font = QApplication::font();
        QCOMPARE(font.family(), QStringLiteral("ＭＳ Ｐゴシック"));
        QCOMPARE(font.pointSize(), 9);
        QCOMPARE(QFontInfo(font).family(), QStringLiteral("IPAPGothic"));
        app::frmMain window;
        QCOMPARE(QFontInfo(window.font()).family(), QStringLiteral("IPAPGothic"));
    }

    void everyControlHasAnAccessibleNameThatSaysWhatItIs() {
        TempSettings ini;
        app::frmMain window;
        window.load();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        int checked = 0;
        for (int tab = 0; tab < 5; ++tab) {
            window.mainTabs()->tabBar()->setCurrentIndex(tab);
            for (QWidget* widget : window.findChildren<QWidget*>()) {
                if (!widget->isVisible() || widget->focusPolicy() == Qt::NoFocus ||
                    qobject_cast<QAbstractScrollArea*>(widget->parentWidget())) {
                    continue; // hidden, not a control, or the inside of a list
                }
                QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
                QVERIFY(accessible);
                const QString name = accessible->text(QAccessible::Name);
                QVERIFY2(!name.isEmpty() && name != QStringLiteral("..."),
                         qPrintable(widget->objectName() + " has no telling name"));
                ++checked;
            }
        }
        QVERIFY(checked >= 20);
        window.close();
    }

    void fileDialogShowsTheFilterDescriptionExactly_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("shown");
        for (const char* filter :
             {"bleem!ﾒﾓﾘｰｶｰﾄﾞﾌｧｲﾙ(*.MCD)|*.MCD", "VGSﾒﾓﾘｰｶｰﾄﾞﾌｧｲﾙ(*.MEM)|*.MEM",
              "[pec]Codelistﾌｧｲﾙ(*.inf)|*.inf", "ﾌﾟﾛｸﾞﾗﾑﾌｧｲﾙ(*.EXE,*.CPL)|*.EXE;*.CPL"}) {
            const QString text = QString::fromUtf8(filter);
            QTest::newRow(filter) << text << text.section(QLatin1Char('|'), 0, 0);
        }
    }
    void fileDialogShowsTheFilterDescriptionExactly() {
        QFETCH(QString, filter);
        QFETCH(QString, shown);
        TempDir folder;
        app::CommonDialog dialog(nullptr); // the real dialog: no scripted prompts
        dialog.filter = filter;
        dialog.initDir = qs(folder.file(""));
        QStringList offered;
        QTimer poll;
        connect(&poll, &QTimer::timeout, [&] {
            if (auto* open = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
                for (auto* combo : open->findChildren<QComboBox*>("fileTypeCombo")) {
                    for (int i = 0; i < combo->count(); ++i) {
                        offered << combo->itemText(i);
                    }
                }
                open->reject();
            }
        });
        poll.start(10);
        QVERIFY(!dialog.showOpen());
        QCOMPARE(offered, QStringList{shown});
    }

    void commonDialogKeepsItsStateBetweenUses() {
        TempSettings ini;
        ScriptedPrompts prompts;
        app::frmMain window;
        app::CommonDialog& dialog = window.dlgCmmn();
        QCOMPARE(dialog.flags, 6145);
        dialog.dialogTitle = QStringLiteral("登録するﾌﾟﾛｸﾞﾗﾑの指定");
        dialog.filter = QStringLiteral("ﾌﾟﾛｸﾞﾗﾑﾌｧｲﾙ(*.EXE,*.CPL)|*.EXE;*.CPL");
        dialog.initDir = QStringLiteral("/opt/emu");
        dialog.fileName = QStringLiteral("VGS.EXE");
        prompts.fileAnswers = {QStringLiteral("/opt/emu/bin/VGS.EXE")};
        QVERIFY(dialog.showOpen());
        QCOMPARE(prompts.fileRequests[0].title, QStringLiteral("登録するﾌﾟﾛｸﾞﾗﾑの指定"));
        QCOMPARE(prompts.fileRequests[0].nameFilter,
                 QStringLiteral("ﾌﾟﾛｸﾞﾗﾑﾌｧｲﾙ(*.EXE,*.CPL) (*.EXE *.CPL)"));
        QCOMPARE(prompts.fileRequests[0].initialDirectory, QStringLiteral("/opt/emu"));
        QCOMPARE(prompts.fileRequests[0].fileName, QStringLiteral("VGS.EXE"));
        QCOMPARE(prompts.fileRequests[0].flags, 6145);
        QCOMPARE(dialog.fileName, QStringLiteral("/opt/emu/bin/VGS.EXE"));
        QCOMPARE(dialog.fileTitle, QStringLiteral("VGS.EXE"));
        QCOMPARE(dialog.lastError(), 0);

        // Cancelling is recognisable and leaves what the dialog held.
        prompts.fileAnswers = {std::nullopt};
        QVERIFY(!dialog.showOpen());
        QCOMPARE(dialog.lastError(), app::CommonDialog::kCancelErrorCode);
        QCOMPARE(dialog.lastError(), 32755);
        QCOMPARE(prompts.fileRequests[1].fileName, QStringLiteral("/opt/emu/bin/VGS.EXE"));
        QCOMPARE(dialog.fileName, QStringLiteral("/opt/emu/bin/VGS.EXE"));
        QCOMPARE(dialog.dialogTitle, QStringLiteral("登録するﾌﾟﾛｸﾞﾗﾑの指定"));
    }

    void mainTabsWorkFromTheKeyboard() {
        TempSettings ini;
        app::frmMain window;
        window.load();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTabBar* bar = window.mainTabs()->tabBar();
        bar->setFocus();
        QTest::keyClick(bar, Qt::Key_Right);
        QCOMPARE(window.mainTabs()->currentIndex(), 1);
        QCOMPARE(window.height(), 3015 / 15);
        window.close();
    }

private:
    static int frmMainHeight(int tab) {
        return app::frmMain::kTabGeometry[static_cast<std::size_t>(tab)].stripHeight / 15;
    }
};

TOBREL_TEST_MAIN(TestFrmMain)
#include "tst_frmmain.moc"
