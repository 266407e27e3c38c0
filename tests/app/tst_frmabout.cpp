// The About window: its texts, place and modality, the home page link, and
// the ways the main window opens it.

#include "app/AppVersion.h"
#include "app/DesktopShell.h"
#include "app/TabStrip.h"
#include "app/frmAbout.h"
#include "app/frmMain.h"
#include "platform/title_bar_filter.h"
#include "tests/app/AppTest.h"

#include <QAbstractEventDispatcher>
#include <QLabel>
#include <QPushButton>
#include <QTabBar>
#include <QTimer>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

using namespace tobrel;
using namespace tobrel::testing;

namespace {

class RecordingShell final : public app::DesktopShell {
public:
    RecordingShell() { install(this); }
    ~RecordingShell() override { install(nullptr); }
    bool openAddress(const QString& address) override {
        opened.push_back(address);
        return browserThere;
    }
    QStringList opened;
    bool browserThere = true;
};

// What a test saw of the About window while it was open.
struct SeenAbout {
    bool opened = false;
    bool modal = false;
    QString caption, title, description, copyright, homePage, homePageTip;
    QPoint offset; // from the main window's corner
    bool iconIsTheTrayPicture = false;
    bool windowIconIsTheMainWindows = false;
};

// Runs trigger; when it opens the About window, looks at it and presses OK.
SeenAbout openAbout(app::frmMain& window, const std::function<void()>& trigger) {
    SeenAbout seen;
    // Looks until the About window is there: a trigger may open it at once or
    // through a queued call (the title-bar message does, after the click).
    QTimer look;
    look.setInterval(0);
    QObject::connect(&look, &QTimer::timeout, &window, [&] {
        auto* about = qobject_cast<app::frmAbout*>(QApplication::activeModalWidget());
        if (!about) {
            return;
        }
        look.stop();
        seen.opened = true;
        seen.modal = about->isModal();
        seen.caption = about->windowTitle();
        seen.title = about->titleLabel()->text();
        seen.description = about->descriptionLabel()->text();
        seen.copyright = about->copyrightLabel()->text();
        seen.homePage = about->homePageLabel()->text();
        seen.homePageTip = about->homePageLabel()->toolTip();
        seen.offset = about->pos() - window.pos();
        const QPixmap tray = window.findChild<QLabel*>("picIcon")->pixmap();
        seen.iconIsTheTrayPicture = about->iconPicture()->pixmap().toImage() == tray.toImage();
        seen.windowIconIsTheMainWindows =
            about->windowIcon().cacheKey() == window.windowIcon().cacheKey();
        QTest::mouseClick(about->okButton(), Qt::LeftButton);
    });
    look.start();
    trigger();
    QCoreApplication::processEvents(); // lets the look end when nothing opened
    return seen;
}

} // namespace

class TestFrmAbout : public QObject {
    Q_OBJECT

private slots:
    void showsTheVersionTextsBesideTheMainWindowModally() {
        TempSettings ini;
        app::frmMain window;
        window.load();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const SeenAbout seen = openAbout(window, [&] { window.showAbout(); });
        QVERIFY(seen.opened);
        QVERIFY(seen.modal);
        QCOMPARE(seen.caption, QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
        QCOMPARE(seen.title, QStringLiteral("Tobrel Version 1.27"));
        QCOMPARE(seen.description, QString::fromUtf8(app::AppVersion::kDescription));
        QVERIFY(!seen.description.isEmpty());
        QVERIFY(seen.copyright.startsWith(QStringLiteral("Copyright")));
        QVERIFY(seen.homePage.startsWith(QStringLiteral("https://")));
        QCOMPARE(seen.homePageTip, seen.homePage);
        QCOMPARE(seen.offset, QPoint(360 / 15, 360 / 15));
        QVERIFY(seen.iconIsTheTrayPicture);
        QVERIFY(seen.windowIconIsTheMainWindows);
        window.close();
    }

    void homePageGoesToTheDesktopUnchangedAndCloses_data() {
        QTest::addColumn<int>("key"); // 0: a mouse click
        QTest::addColumn<bool>("browserThere");
        QTest::addColumn<bool>("opens");
        QTest::newRow("click") << 0 << true << true;
        QTest::newRow("Return") << int(Qt::Key_Return) << true << true;
        QTest::newRow("Enter") << int(Qt::Key_Enter) << true << true;
        QTest::newRow("Space") << int(Qt::Key_Space) << true << true;
        QTest::newRow("another key") << int(Qt::Key_A) << true << false;
        QTest::newRow("click, no browser") << 0 << false << true;
        QTest::newRow("Space, no browser") << int(Qt::Key_Space) << false << true;
    }
    void homePageGoesToTheDesktopUnchangedAndCloses() {
        QFETCH(int, key);
        QFETCH(bool, browserThere);
        QFETCH(bool, opens);
        RecordingShell shell;
        shell.browserThere = browserThere;
        ScriptedPrompts prompts;
        bool aboutShownWithTheMessage = false;
        app::frmAbout about(nullptr, QPixmap());
        prompts.onMessage = [&](const auto&) { aboutShownWithTheMessage = about.isVisible(); };
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        QLabel* link = about.homePageLabel();
        QCOMPARE(link->cursor().shape(), Qt::PointingHandCursor);
        QVERIFY(link->font().underline());
        if (key != 0) {
            link->setFocus();
            QTest::keyClick(link, Qt::Key(key));
        } else {
            QTest::mouseClick(link, Qt::LeftButton);
        }
        const QString address = QString::fromUtf8(app::AppVersion::kHomePage);
        QCOMPARE(shell.opened, opens ? QStringList{address} : QStringList{});
        QCOMPARE(about.isVisible(), !opens);
        if (opens && !browserThere) {
            QCOMPARE(prompts.messages.size(), std::size_t{1});
            QCOMPARE(prompts.messages[0].icon, app::MessageIcon::Warning);
            QCOMPARE(prompts.messages[0].title, QStringLiteral("ｴﾗｰ"));
            QCOMPARE(prompts.messages[0].text,
                     QStringLiteral("ﾌﾞﾗｳｻﾞでﾎｰﾑﾍﾟｰｼﾞを開けませんでした。\n") + address);
            QVERIFY(aboutShownWithTheMessage);
        } else {
            QVERIFY(prompts.messages.empty());
        }
    }

    void opensFromTheMainWindow_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("minimised");
        QTest::addColumn<bool>("opens");
        // F1, the free space right of the tabs and Qt's own non-client event
        // stand in where the window manager keeps the title bar's double
        // click; on Windows the native message is the one way in.
        const bool standIns = !platform::TitleBarFilter::supported();
        QTest::newRow("F1") << "F1" << false << standIns;
        QTest::newRow("double click right of the tabs") << "free" << false << standIns;
        QTest::newRow("title bar double click") << "title" << false << standIns;
        QTest::newRow("double click on a tab") << "tab" << false << false;
        QTest::newRow("F1 while minimised") << "F1" << true << false;
#ifdef Q_OS_WIN
        QTest::newRow("WM_NCLBUTTONDBLCLK") << "native" << false << true;
#endif
    }
    void opensFromTheMainWindow() {
        QFETCH(QString, how);
        QFETCH(bool, minimised);
        QFETCH(bool, opens);
        TempSettings ini;
        app::frmMain window;
        window.load();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        if (minimised) {
            window.showMinimized();
        }
        QTabBar* bar = window.mainTabs()->tabBar();
        const SeenAbout seen = openAbout(window, [&] {
            if (how == "F1") {
                QTest::keyClick(bar, Qt::Key_F1);
            } else if (how == "free") {
                QTest::mouseDClick(window.mainTabs(), Qt::LeftButton, {},
                                   QPoint(bar->geometry().right() + 20, bar->height() / 2));
            } else if (how == "native") {
#ifdef Q_OS_WIN
                // As the Windows platform hands the message to the native filters.
                MSG message{};
                message.hwnd = reinterpret_cast<HWND>(window.winId());
                message.message = WM_NCLBUTTONDBLCLK;
                message.wParam = HTCAPTION;
                qintptr result = 0;
                QAbstractEventDispatcher::instance()->filterNativeEvent(
                    QByteArrayLiteral("windows_generic_MSG"), &message, &result);
#endif
            } else if (how == "tab") {
                QTest::mouseDClick(bar, Qt::LeftButton, {}, bar->tabRect(1).center());
            } else {
                QMouseEvent title(QEvent::NonClientAreaMouseButtonDblClick, QPointF(40, -10),
                                  QPointF(40, -10), Qt::LeftButton, Qt::LeftButton, {});
                QApplication::sendEvent(&window, &title);
            }
        });
        QCOMPARE(seen.opened, opens);
        window.close();
    }
};

TOBREL_TEST_MAIN(TestFrmAbout)
#include "tst_frmabout.moc"
