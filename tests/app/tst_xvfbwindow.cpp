// The real main window on an X server without a window manager or tray
// (run under xvfb-run): minimising must leave it reachable, restoring brings
// it back, and F1 or a real double click right of the main tabs opens the
// About window.

#include "app/frmAbout.h"
#include "app/frmMain.h"
#include "tests/app/AppTest.h"

#include <QGuiApplication>
#include <QProcess>
#include <QStyleHints>
#include <QSystemTrayIcon>
#include <QTabBar>
#include <QTimer>
#include <QWindow>
#include <xcb/xcb.h>

using namespace tobrel;
using namespace tobrel::testing;

namespace {

// Asks the X server itself whether the window is mapped and viewable.
bool viewableOnTheServer(QWidget& window) {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11) {
        return false;
    }
    xcb_connection_t* connection = x11->connection();
    const auto id = static_cast<xcb_window_t>(window.winId());
    xcb_get_window_attributes_reply_t* reply = xcb_get_window_attributes_reply(
        connection, xcb_get_window_attributes(connection, id), nullptr);
    const bool viewable = reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
    free(reply);
    return viewable;
}

// Counts the mouse button releases the window system hands to a window.
class ReleaseCounter : public QObject {
public:
    int releases = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        releases += event->type() == QEvent::MouseButtonRelease ? 1 : 0;
        return false;
    }
};

} // namespace

class TestXvfbWindow : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        if (QGuiApplication::platformName() != QLatin1String("xcb")) {
            QSKIP("needs an X server (run under xvfb-run)");
        }
        QVERIFY(!QSystemTrayIcon::isSystemTrayAvailable()); // a bare server has no tray
        // The two clicks count as one double click however long the machine
        // takes between them.
        QGuiApplication::styleHints()->setMouseDoubleClickInterval(60000);
    }

    void minimiseKeepsTheWindowReachableAndRestoreBringsItBack() {
        TempSettings ini;
        app::frmMain window;
        window.load();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTRY_VERIFY(viewableOnTheServer(window));

        window.showMinimized();
        QTest::qWait(200);
        QVERIFY(window.isVisible());
        QVERIFY(viewableOnTheServer(window));

        window.mnuPop_Normal_Click();
        QTRY_COMPARE(window.windowState(), Qt::WindowNoState);
        QVERIFY(viewableOnTheServer(window));
        window.close();
    }

    void f1OpensTheAboutWindowModally() {
        TempSettings ini;
        app::frmMain window;
        window.load();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.activateWindow(); // as start-up does once the splash is gone
        QVERIFY(QTest::qWaitForWindowActive(&window));
        bool opened = false;
        QTimer::singleShot(0, &window, [&] {
            auto* about = qobject_cast<app::frmAbout*>(QApplication::activeModalWidget());
            if (about) {
                opened = about->isModal() && QTest::qWaitForWindowExposed(about);
                about->close();
            }
        });
        QTest::keyClick(&window, Qt::Key_F1);
        QCoreApplication::processEvents();
        QVERIFY(opened);
        window.close();
    }

    void realDoubleClickRightOfTheTabsOpensTheAboutWindow_data() {
        QTest::addColumn<bool>("onATab");
        QTest::newRow("right of the last tab") << false;
        QTest::newRow("on a tab") << true;
    }
    void realDoubleClickRightOfTheTabsOpensTheAboutWindow() {
#ifndef TOBREL_XDOTOOL
        QSKIP("needs xdotool");
#else
        QFETCH(bool, onATab);
        TempSettings ini;
        app::frmMain window;
        window.load();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTRY_VERIFY(viewableOnTheServer(window));
        ReleaseCounter counter;
        window.windowHandle()->installEventFilter(&counter);
        QString caption;
        QTimer look;
        connect(&look, &QTimer::timeout, &window, [&] {
            if (auto* about = qobject_cast<app::frmAbout*>(QApplication::activeModalWidget())) {
                caption = about->windowTitle();
                about->close();
            }
        });
        look.start(10);

        QTabBar* bar = window.mainTabs()->tabBar();
        const QRect last = bar->tabRect(bar->count() - 1);
        const QPoint free(last.right() + 20, last.center().y());
        QVERIFY(bar->mapTo(window.mainTabs(), free).x() < window.mainTabs()->width());
        const QPoint at = bar->mapToGlobal(onATab ? bar->tabRect(1).center() : free);
        QCOMPARE(QProcess::execute(QStringLiteral(TOBREL_XDOTOOL),
                                   {QStringLiteral("mousemove"), QStringLiteral("--sync"),
                                    QString::number(at.x()), QString::number(at.y()),
                                    QStringLiteral("click"), QStringLiteral("--repeat"),
                                    QStringLiteral("2"), QStringLiteral("1")}),
                 0);
        // The About window opens on the second press; without it the second
        // release is the end of the double click.
        QTRY_VERIFY(!caption.isEmpty() || counter.releases == 2);
        QCOMPARE(caption, onATab ? QString() : QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
        QCOMPARE(bar->currentIndex(), onATab ? 1 : 0);
        window.close();
#endif
    }
};

TOBREL_TEST_MAIN(TestXvfbWindow)
#include "tst_xvfbwindow.moc"
