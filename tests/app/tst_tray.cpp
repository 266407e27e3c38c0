// The main window's way into the tray and back, the move handling under
// WAKU, and the window position kept across starts.

#include "app/ConvertPanel.h"
#include "app/FileList.h"
#include "app/TrayIcon.h"
#include "app/Twips.h"
#include "app/frmMain.h"
#include "tests/app/AppTest.h"
#include "tests/support/card_images.h"

#include <QAccessible>
#include <QMenu>
#include <climits>

using namespace tobrel;
using namespace tobrel::testing;

namespace {

// A tray for the offscreen platform, which has none.
class FakeTray final : public app::TrayIcon {
public:
    explicit FakeTray(bool available) : available_(available) {}
    bool available() const override { return available_; }
    void add(const QIcon& picture, const QString& tip) override {
        present_ = true;
        this->picture = picture;
        this->tip = tip;
    }
    void remove() override { present_ = false; }
    bool present() const override { return present_; }
    void notify(Notice notice) { emit notified(notice); }

    QIcon picture;
    QString tip;

private:
    bool available_;
    bool present_ = false;
};

// Installs fake trays for the windows a test creates.
struct FakeTrays {
    explicit FakeTrays(bool available) {
        app::TrayIcon::installFactory(
            [available] { return std::make_unique<FakeTray>(available); });
    }
    ~FakeTrays() { app::TrayIcon::installFactory({}); }
};

FakeTray& trayOf(app::frmMain& window) {
    return static_cast<FakeTray&>(window.trayIcon());
}

std::string crlf(std::initializer_list<std::string> lines) {
    std::string text;
    for (const auto& line : lines) {
        text += line + "\r\n";
    }
    return text;
}

bool holds(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

void startShown(app::frmMain& window) {
    window.load();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTest::qWait(1); // the window system's first placement is over
}

} // namespace

class TestTray : public QObject {
    Q_OBJECT

private slots:
    void minimiseHidesIntoTheTrayOrStaysInTheTaskBar_data() {
        QTest::addColumn<bool>("trayAvailable");
        QTest::newRow("tray") << true;
        QTest::newRow("no tray: task bar") << false;
    }
    void minimiseHidesIntoTheTrayOrStaysInTheTaskBar() {
        QFETCH(bool, trayAvailable);
        FakeTrays trays(trayAvailable);
        TempSettings ini;
        TempDir cards;
        writeBytes(cards.file("A.MEM"), makeVgsImage(makeCardBody()));
        app::frmMain window;
        startShown(window);
        window.convertPanel()->applyLastDir(QString::fromStdString(cards.path().string()));
        auto* files = window.findChild<app::FileList*>("filIn");
        files->ensureListed();
        QCOMPARE(files->count(), 1);
        files->item(0)->setSelected(true);
        window.convertPanel()->filIn_Click();
        QVERIFY(window.convertPanel()->viewer());

        window.showMinimized();
        QVERIFY(!window.convertPanel()->viewer());
        QCOMPARE(trayOf(window).present(), trayAvailable);
        QTest::qWait(1);
        QCOMPARE(window.isVisible(), !trayAvailable); // never lost: in the tray or the task bar
        QVERIFY(window.windowState() & Qt::WindowMinimized);
        if (trayAvailable) {
            QCOMPARE(trayOf(window).tip, QStringLiteral("Tobrel"));
            QVERIFY(!trayOf(window).picture.isNull());
        }
        window.close();
    }

    void trayNoticesRestoreOrOpenTheMenu_data() {
        QTest::addColumn<int>("notice");
        QTest::addColumn<bool>("restored");
        QTest::addColumn<bool>("menuShown");
        QTest::newRow("left double click")
            << int(app::TrayIcon::Notice::LeftDoubleClick) << true << false;
        QTest::newRow("right press") << int(app::TrayIcon::Notice::RightPress) << false << true;
        QTest::newRow("single click") << int(app::TrayIcon::Notice::Other) << false << false;
        QTest::newRow("menu 元に戻す") << -1 << true << false;
    }
    void trayNoticesRestoreOrOpenTheMenu() {
        QFETCH(int, notice);
        QFETCH(bool, restored);
        QFETCH(bool, menuShown);
        FakeTrays trays(true);
        TempSettings ini;
        app::frmMain window;
        startShown(window);
        window.showMinimized();
        QTRY_VERIFY(!window.isVisible());
        if (notice < 0) {
            QCOMPARE(window.trayMenu()->actions().at(0)->text(), QStringLiteral("元に戻す"));
            window.trayMenu()->actions().at(0)->trigger();
        } else {
            trayOf(window).notify(app::TrayIcon::Notice(notice));
        }
        QCOMPARE(window.isVisible(), restored);
        QCOMPARE(trayOf(window).present(), !restored);
        QCOMPARE(window.windowState() == Qt::WindowNoState, restored);
        QCOMPARE(window.trayMenu()->isVisible(), menuShown);
        window.trayMenu()->hide();
        window.close();
    }

    void endFromTheTrayWritesTheRestoredPositionAndRemovesTheIcon() {
        FakeTrays trays(true);
        TempSettings ini;
        app::frmMain window;
        startShown(window);
        window.move(70, 50);
        window.showMinimized();
        QTRY_VERIFY(!window.isVisible());
        window.move(-32000, -32000); // where some window systems park minimised windows
        QCOMPARE(window.trayMenu()->actions().at(1)->text(), QStringLiteral("終了"));
        window.trayMenu()->actions().at(1)->trigger();
        QVERIFY(!trayOf(window).present());
        QVERIFY(holds(ini.read(), "POSTOP=750\r\nPOSLEFT=1050\r\n"));
        QVERIFY(holds(ini.read(), "WAKU=0\r\n"));
    }

    void trayShowsTheIconPathPicture() {
        FakeTrays trays(true);
        TempSettings ini;
        const std::string iconFile = ini.dir().file("mine.png");
        QImage picture(16, 16, QImage::Format_RGB32);
        picture.fill(Qt::red);
        QVERIFY(picture.save(QString::fromStdString(iconFile)));
        ini.write(crlf({"[FORM]", "ICONPATH=" + iconFile}));
        app::frmMain window;
        startShown(window);
        window.showMinimized();
        const QImage shown = trayOf(window).picture.pixmap(16, 16).toImage();
        QCOMPARE(shown.pixelColor(8, 8), QColor(Qt::red));
        window.close();
    }

    void wakuOnePullsInAfterAMoveButNeverInTheTray() {
        FakeTrays trays(true);
        TempSettings ini;
        ini.write(crlf({"[FORM]", "POSTOP=1500", "POSLEFT=1500", "WAKU=1"}));
        app::frmMain window;
        startShown(window);
        window.move(-40, 10);
        QCOMPARE(window.frameGeometry().topLeft(), QPoint(0, 10));
        window.showMinimized();
        QTRY_VERIFY(!window.isVisible());
        window.move(-40, 10);
        QCOMPARE(window.pos(), QPoint(-40, 10));
        window.close();
    }

    // Starting and closing without touching the window keeps the stored place.
    void positionSurvivesRepeatedStarts_data() {
        QTest::addColumn<QString>("waku");
        QTest::addColumn<int>("top");
        QTest::addColumn<int>("left");
        QTest::addColumn<QPoint>("shownAt"); // twips: where the window opens
        const QPoint farthest(-30000 * 15, -30000 * 15);
        for (const char* waku : {"0", "1"}) {
            // With WAKU=1 the load's tab selection pulls the window in, as a tab change does.
            const bool kept = waku == std::string("1");
            QTest::addRow("WAKU=%s at the top left edge", waku) << waku << 0 << 0 << QPoint(0, 0);
            QTest::addRow("WAKU=%s left edge", waku) << waku << 600 << 0 << QPoint(0, 600);
            QTest::addRow("WAKU=%s away from the edges", waku)
                << waku << 1500 << 3000 << QPoint(3000, 1500);
            QTest::addRow("WAKU=%s above the screen", waku)
                << waku << -150 << 1500 << QPoint(1500, kept ? 0 : -150);
            QTest::addRow("WAKU=%s between pixels", waku) << waku << 601 << 1 << QPoint(0, 600);
            QTest::addRow("WAKU=%s far left, far up", waku)
                << waku << INT_MIN << INT_MIN << (kept ? QPoint(0, 0) : farthest);
            QTest::addRow("WAKU=%s near the end of the range", waku)
                << waku << -2147483001 << INT_MIN + 1 << (kept ? QPoint(0, 0) : farthest);
        }
    }
    void positionSurvivesRepeatedStarts() {
        QFETCH(QString, waku);
        QFETCH(int, top);
        QFETCH(int, left);
        QFETCH(QPoint, shownAt);
        TempSettings ini;
        const std::string stored =
            crlf({"[FORM]", "POSTOP=" + std::to_string(top), "POSLEFT=" + std::to_string(left),
                  "WAKU=" + waku.toStdString()});
        ini.write(stored);
        for (int start = 0; start < 4; ++start) {
            app::frmMain window;
            startShown(window);
            QCOMPARE(window.positionTwips(), shownAt); // the first placement moves nothing
            window.close();
            const std::string written = ini.read();
            QVERIFY2(holds(written, "POSTOP=" + std::to_string(top) +
                                        "\r\nPOSLEFT=" + std::to_string(left) + "\r\n"),
                     written.c_str());
        }
    }

    void movedFromAnExtremePlaceIsWrittenWithoutOverflow() {
        TempSettings ini;
        ini.write(crlf(
            {"[FORM]", "POSTOP=" + std::to_string(INT_MIN), "POSLEFT=" + std::to_string(INT_MIN)}));
        app::frmMain window;
        startShown(window);
        window.move(window.pos() + QPoint(1, 1));
        window.close();
        QVERIFY(holds(ini.read(), "POSTOP=-449985\r\nPOSLEFT=-449985\r\n")); // (-30000 + 1) * 15
        QCOMPARE(app::px(INT_MAX), 143165576);
        QCOMPARE(app::px(INT_MIN), -143165577);
        QCOMPARE(app::twips(INT_MAX / 15 + 1), INT_MAX);
        QCOMPARE(app::twips(INT_MIN / 15 - 1), INT_MIN);
    }

    void assistiveTechnologySeesAWindowWithItsTitle() {
        TempSettings ini;
        app::frmMain window;
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&window);
        QVERIFY(accessible);
        QCOMPARE(accessible->role(), QAccessible::Window);
        QCOMPARE(accessible->text(QAccessible::Name), QStringLiteral("Tobrel"));
    }
};

TOBREL_TEST_MAIN(TestTray)
#include "tst_tray.moc"
