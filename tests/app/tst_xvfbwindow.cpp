// The real main window on an X server without a window manager or tray
// (run under xvfb-run): minimising must leave it reachable, restoring brings
// it back, and F1 opens the About window.

#include "app/frmAbout.h"
#include "app/frmMain.h"
#include "tests/app/AppTest.h"

#include <QGuiApplication>
#include <QSystemTrayIcon>
#include <QTimer>
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

} // namespace

class TestXvfbWindow : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        if (QGuiApplication::platformName() != QLatin1String("xcb")) {
            QSKIP("needs an X server (run under xvfb-run)");
        }
        QVERIFY(!QSystemTrayIcon::isSystemTrayAvailable()); // a bare server has no tray
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
};

TOBREL_TEST_MAIN(TestXvfbWindow)
#include "tst_xvfbwindow.moc"
