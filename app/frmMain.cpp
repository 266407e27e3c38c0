#include "app/frmMain.h"

#include "app/AppIcon.h"
#include "app/AppVersion.h"
#include "app/CodeListPanel.h"
#include "app/ConvertPanel.h"
#include "app/CtrlPanel.h"
#include "app/LaunchPanel.h"
#include "app/MemCardPanel.h"
#include "app/StdText.h"
#include "app/TabStrip.h"
#include "app/TrayIcon.h"
#include "app/Twips.h"
#include "app/frmAbout.h"
#include "platform/files.h"
#include "platform/termination_signals.h"
#include "platform/title_bar_filter.h"
#include "settings/ini.h"
#include "settings/keys.h"
#include "settings/paths.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QDropEvent>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QTabBar>
#include <QTimer>

#include <algorithm>
#include <string>

namespace tobrel::app {
namespace {

using namespace tobrel::settings;

QString readSetting(std::string_view key) {
    return toQString(readIni(kSectionForm, key));
}

void writeSetting(IniWriteBatch& writer, std::string_view key, const QString& value) {
    writer.write(kSectionForm, key, toStdString(value));
}

QRect primaryScreenRect() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry() : QRect(0, 0, 800, 600);
}

// Farthest a stored position may put the window from the screen's origin, in
// pixels: window systems keep coordinates in 16 bits, and a window this far
// away is as far off the screen as it can usefully be.
constexpr int kFarthestPixel = 30000;

int placeablePixel(int positionTwips) {
    return std::clamp(px(positionTwips), -kFarthestPixel, kFarthestPixel);
}

// Assistive technology sees the main window as a window with its title, as
// it sees a main window of any other program, rather than a plain area.
QAccessibleInterface* mainWindowAccessible(const QString& className, QObject* object) {
    if (className == QLatin1String("tobrel::app::frmMain") && object && object->isWidgetType()) {
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
    }
    return nullptr;
}

} // namespace

frmMain::frmMain(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      dlgCmmn_(this), tabMain(new TabStrip({QStringLiteral("変換"), QStringLiteral("ﾒﾓﾘｰｶｰﾄﾞ設定"),
                                            QStringLiteral("VGSｷｰ設定"), QStringLiteral("ﾗﾝﾁｬ"),
                                            QStringLiteral("ｺｰﾄﾞﾘｽﾄ抽出")},
                                           this)),
      fraConvert(new ConvertPanel(this)), fraMemCard(new MemCardPanel(this, dlgCmmn_)),
      fraCtrl(new CtrlPanel(this)), fraLnch(new LaunchPanel(this, dlgCmmn_)),
      fraCodeList(new CodeListPanel(this, dlgCmmn_)), picIcon(new QLabel(this)),
      mnuPop(new QMenu(this)), mnuPop_Normal(mnuPop->addAction(QStringLiteral("元に戻す"))),
      mnuPop_End(mnuPop->addAction(QStringLiteral("終了"))), tray_(TrayIcon::create()) {
    // A card file dropped on the window opens in the card viewer.
    setAcceptDrops(true);
    static const bool accessibleInstalled = [] {
        QAccessible::installFactory(mainWindowAccessible);
        return true;
    }();
    Q_UNUSED(accessibleInstalled);
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(AppVersion::title());
    setWindowIcon(builtInIcon());

    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->setPixmap(builtInIcon().pixmap(32, 32));
    picIcon->hide();
    mnuPop->setObjectName(QStringLiteral("mnuPop"));
    mnuPop_Normal->setObjectName(QStringLiteral("mnuPop_Normal"));
    mnuPop_End->setObjectName(QStringLiteral("mnuPop_End"));
    connect(mnuPop_Normal, &QAction::triggered, this, &frmMain::mnuPop_Normal_Click);
    connect(mnuPop_End, &QAction::triggered, this, &frmMain::mnuPop_End_Click);
    connect(tray_.get(), &TrayIcon::notified, this,
            [this](TrayIcon::Notice notice) { picIcon_Notified(static_cast<int>(notice)); });

    // Ways to the About window where the window manager keeps the title bar's
    // double click to itself: F1, and a double click right of the main tabs
    // (the event filter below). Windows hands that double click to the program.
    if (!platform::TitleBarFilter::supported()) {
        auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
        connect(help, &QShortcut::activated, this, &frmMain::showAbout);
    }

    tabMain->setObjectName(QStringLiteral("tabMain"));
    tabMain->tabBar()->setAccessibleName(QStringLiteral("メインタブ"));
    panels_ = {fraConvert, fraMemCard, fraCtrl, fraLnch, fraCodeList};
    for (auto* panel : panels_) {
        panel->setAutoFillBackground(true);
        panel->move(px(120), px(360));
    }
    for (QPushButton* close :
         {fraConvert->closeButton(), fraMemCard->closeButton(), fraCtrl->closeButton(),
          fraLnch->closeButton(), fraCodeList->closeButton()}) {
        connect(close, &QPushButton::clicked, this, &QWidget::close);
    }
    connect(tabMain, &TabStrip::tabChanged, this, &frmMain::tabMain_Click);
    if (!platform::TitleBarFilter::supported()) {
        tabMain->installEventFilter(this);
    }
    setTabOrder(tabMain->tabBar(), fraConvert);

    setTabGeometry(0);
}

frmMain::~frmMain() {
    removeHook();
}

void frmMain::setTabGeometry(int index) {
    const auto& geometry = kTabGeometry[static_cast<std::size_t>(index)];
    setFixedSize(px(kTabStripWidthTwips), px(geometry.stripHeight));
    tabMain->setGeometry(0, 0, px(kTabStripWidthTwips), px(geometry.stripHeight));
    panels_[static_cast<std::size_t>(index)]->raise();
    for (auto* panel : panels_) {
        panel->resize(px(5055), px(geometry.panelHeight));
        panel->setVisible(panel == panels_[static_cast<std::size_t>(index)]);
    }
}

void frmMain::tabMain_Click(int index) {
    if (index < 0 || index >= static_cast<int>(kTabGeometry.size())) {
        return;
    }
    setTabGeometry(index);
    if (index != 0) {
        fraConvert->closeViewer(); // the viewer belongs to the conversion panel
    }
    if (windowState() == Qt::WindowNoState && keepOnScreen_) {
        clampToScreen();
    }
    update();
}

void frmMain::clampToScreen() {
    const QRect screen = primaryScreenRect();
    QRect frame = frameGeometry();
    if (frame.left() < screen.left()) {
        frame.moveLeft(screen.left());
    }
    if (frame.left() + frame.width() > screen.left() + screen.width()) {
        frame.moveLeft(screen.left() + screen.width() - frame.width());
    }
    if (frame.top() < screen.top()) {
        frame.moveTop(screen.top());
    }
    if (frame.top() + frame.height() > screen.top() + screen.height()) {
        frame.moveTop(screen.top() + screen.height() - frame.height());
    }
    if (frame.topLeft() != frameGeometry().topLeft()) {
        move(frame.topLeft());
    }
}

QPoint frmMain::positionTwips() const {
    return QPoint(twips(x()), twips(y()));
}

void frmMain::placeWindow() {
    const QRect screen = primaryScreenRect();
    const auto top = parseIniInteger(readIni(kSectionForm, kKeyPosTop));
    const auto left = parseIniInteger(readIni(kSectionForm, kKeyPosLeft));
    if (top && left && twips(screen.width()) > *left && twips(screen.height()) > *top) {
        storedPosition_ = QPoint(*left, *top);
        move(placeablePixel(*left), placeablePixel(*top));
        placedAt_ = pos();
        return;
    }
    // Centred with the size as designed, before the stored tab sets the height.
    const int width = kTabStripWidthTwips + kWindowExtraWidthTwips;
    const int height = kTabGeometry[0].windowHeight;
    move(screen.left() + px((twips(screen.width()) - width) / 2),
         screen.top() + px((twips(screen.height()) - height) / 2));
    placedAt_ = pos();
}

void frmMain::load() {
    if (loaded_) {
        return;
    }
    loaded_ = true;
    if (iniPath().empty()) {
        const IniLocation location =
            locateIniFile(platform::executablePath(), installedProgramFolder());
        setIniPath(location.path, location.createFolder);
    }
    placeWindow();

    waku_ = wakuFromText(readIni(kSectionForm, kKeyWaku));
    keepOnScreen_ = waku_ == 1;

    fraConvert->applyLastDir(readSetting(kKeyLastDir));
    fraConvert->applyConvType(convTypeFromText(readIni(kSectionForm, kKeyConvType)));
    fraMemCard->readCardSlots();
    platform::startupStage("loading"); // the controller lists yield to the event loop
    fraCtrl->fillControllerLists();
    fraCtrl->loadControllerMapping();

    tabMain->setCurrentIndex(lastTabFromText(readIni(kSectionForm, kKeyLastTab)));
    fraCtrl->applyCtrlTab(ctrlTabFromText(readIni(kSectionForm, kKeyCtrlTab)));

    for (int slot = 0; slot < launcher::kSlotCount; ++slot) {
        fraLnch->restoreSlot(slot, readSetting(kKeyLaunchPath[static_cast<std::size_t>(slot)]));
    }

    iconPath_ = readSetting(kKeyIconPath);
    if (!iconPath_.isEmpty() && fileExistsForSettings(toStdString(iconPath_))) {
        const QIcon custom(iconPath_);
        if (!custom.isNull() && !custom.availableSizes().isEmpty()) {
            setWindowIcon(custom);
            picIcon->setPixmap(custom.pixmap(32, 32));
        }
    }

    fraCodeList->applyCodePath(readSetting(kKeyCodePath));
    installHook();
}

void frmMain::installHook() {
    if (hookInstalled_) {
        return;
    }
    titleBarFilter_ = std::make_unique<platform::TitleBarFilter>([this](quintptr window) {
        if (testAttribute(Qt::WA_WState_Created) && window == static_cast<quintptr>(winId())) {
            // After the click is through: the window system handles it first.
            QMetaObject::invokeMethod(this, &frmMain::showAbout, Qt::QueuedConnection);
        }
    });
    QCoreApplication::instance()->installNativeEventFilter(titleBarFilter_.get());
    hookInstalled_ = true;
}

void frmMain::removeHook() {
    if (titleBarFilter_) {
        QCoreApplication::instance()->removeNativeEventFilter(titleBarFilter_.get());
        titleBarFilter_.reset();
    }
    hookInstalled_ = false;
}

void frmMain::queryUnload() {
    removeHook();
}

void frmMain::unload() {
    unloaded_ = true;
    // A job running in a nested event loop stops cleanly once this returns.
    fraConvert->stopJob();
    fraCodeList->stopJob();
    IniWriteBatch writer;
    writeSetting(writer, kKeyLastDir,
                 toQString(storableFolder(toStdString(fraConvert->lastDir()))));
    const QPoint position = positionToSave();
    if (storedPosition_ && position == placedAt_) {
        // Never moved since it was placed: the stored values stand as they were,
        // whatever the window system made of them.
        writer.write(kSectionForm, kKeyPosTop, std::to_string(storedPosition_->y()));
        writer.write(kSectionForm, kKeyPosLeft, std::to_string(storedPosition_->x()));
    } else {
        writer.write(kSectionForm, kKeyPosTop,
                     formatIniNumber(static_cast<float>(twips(position.y()))));
        writer.write(kSectionForm, kKeyPosLeft,
                     formatIniNumber(static_cast<float>(twips(position.x()))));
    }
    if (fraConvert->convType() >= 0) {
        writeSetting(writer, kKeyConvType, QString::number(fraConvert->convType()));
    }
    writeSetting(writer, kKeyLastTab, QString::number(tabMain->currentIndex()));
    writeSetting(writer, kKeyCtrlTab, QString::number(fraCtrl->ctrlTab()));
    for (int slot = 0; slot < launcher::kSlotCount; ++slot) {
        writeSetting(writer, kKeyLaunchPath[static_cast<std::size_t>(slot)],
                     fraLnch->slotPath(slot));
    }
    writeSetting(writer, kKeyIconPath, iconPath_);
    writeSetting(writer, kKeyCodePath, fraCodeList->codePath());
    writeSetting(writer, kKeyWaku, QString::number(waku_));
    writer.commit(); // a failed write stays silent: the next start sees the old values

    const bool wasInTray = inTray_;
    tray_->remove();
    inTray_ = false;
    fraConvert->closeViewer();
    if (wasInTray) {
        // A hidden window's closing is not the last window closing: end the run here.
        QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit,
                                  Qt::QueuedConnection);
    }
}

QPoint frmMain::positionToSave() const {
    // Minimised or in the tray, the window's own coordinates may be the window
    // system's parking place: the last position in the normal state counts.
    return (inTray_ || (windowState() & Qt::WindowMinimized)) ? restoredPosition_ : pos();
}

void frmMain::SysTrayIcon(QLabel* GetPic, const QString& GetTip, int GetMode) {
    if (GetMode == 2) {
        tray_->remove();
        return;
    }
    tray_->add(QIcon(GetPic->pixmap()), GetTip);
}

void frmMain::picIcon_Notified(int notice) {
    switch (static_cast<TrayIcon::Notice>(notice)) {
    case TrayIcon::Notice::RightPress:
        mnuPop->popup(QCursor::pos());
        break;
    case TrayIcon::Notice::LeftDoubleClick:
        mnuPop_Normal_Click();
        break;
    case TrayIcon::Notice::Other:
        break; // single clicks, releases and movement do nothing
    }
}

void frmMain::mnuPop_Normal_Click() {
    setWindowState(windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
    show();
    raise();
    activateWindow();
}

void frmMain::mnuPop_End_Click() {
    close();
}

void frmMain::showAbout() {
    if (!hookInstalled_ || !isVisible() || windowState() != Qt::WindowNoState) {
        return; // only from the normal state, and never twice at once
    }
    if (QApplication::activeModalWidget()) {
        return;
    }
    frmAbout about(this, picIcon->pixmap());
    about.exec();
}

bool frmMain::event(QEvent* event) {
    if (event->type() == QEvent::Paint && !placementDone_) {
        // The first paint comes once the window system has placed and shown the
        // window; moves up to then are not the user's: they neither pull the
        // window in nor count as a change of position.
        placementDone_ = true;
        placedAt_ = pos();
    }
    // Where the native filter does not see title-bar double clicks, Qt may still
    // report them (macOS); the window system then handles the click as usual.
    if (event->type() == QEvent::NonClientAreaMouseButtonDblClick &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
        !platform::TitleBarFilter::supported()) {
        showAbout();
    }
    if (event->type() == QEvent::DragEnter || event->type() == QEvent::Drop) {
        auto* drop = static_cast<QDropEvent*>(event);
        const auto urls = drop->mimeData()->urls();
        const auto local = std::find_if(urls.begin(), urls.end(),
                                        [](const QUrl& url) { return url.isLocalFile(); });
        if (local == urls.end()) {
            return QWidget::event(event);
        }
        drop->acceptProposedAction();
        if (event->type() == QEvent::Drop) {
            fraConvert->openDroppedFile(QFile::encodeName(local->toLocalFile()).toStdString());
        }
        return true;
    }
    return QWidget::event(event);
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == tabMain && event->type() == QEvent::MouseButtonDblClick) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const QRect tabs = tabMain->tabBar()->geometry();
        const QPoint at = mouse->position().toPoint();
        if (mouse->button() == Qt::LeftButton && at.y() >= tabs.top() && at.y() <= tabs.bottom() &&
            at.x() > tabs.right()) {
            showAbout();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void frmMain::closeEvent(QCloseEvent* event) {
    if (!unloaded_ && loaded_) {
        queryUnload();
        unload();
    }
    event->accept(); // closing is never refused
}

void frmMain::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange) {
        return;
    }
    const auto* change = static_cast<QWindowStateChangeEvent*>(event);
    if (windowState() & Qt::WindowMinimized) {
        if (!(change->oldState() & Qt::WindowMinimized)) {
            restoredPosition_ = pos();
        }
        fraConvert->closeViewer();
        // Without a tray the window stays minimised in the task bar: hidden,
        // it could not be reached again.
        if (tray_->available() && !inTray_) {
            inTray_ = true;
            SysTrayIcon(picIcon, AppVersion::title(), 0);
            // After the state change is through: showMinimized() shows the window
            // again once this handler has run.
            QMetaObject::invokeMethod(
                this,
                [this] {
                    if (inTray_) {
                        hide();
                    }
                },
                Qt::QueuedConnection);
        }
    } else if (windowState() == Qt::WindowNoState) {
        SysTrayIcon(picIcon, AppVersion::title(), 2);
        inTray_ = false;
        raise();
        activateWindow(); // may fail when another program holds the focus: ignored
    }
}

void frmMain::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    if (hookInstalled_ && placementDone_ && isVisible() && windowState() == Qt::WindowNoState &&
        keepOnScreen_) {
        clampToScreen();
    }
}

} // namespace tobrel::app
