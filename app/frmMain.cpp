#include "app/frmMain.h"

#include "app/AppIcon.h"
#include "app/CodeListPanel.h"
#include "app/ConvertPanel.h"
#include "app/MemCardPanel.h"
#include "app/StdText.h"
#include "app/TabStrip.h"
#include "app/Twips.h"
#include "platform/files.h"
#include "settings/ini.h"
#include "settings/keys.h"
#include "settings/paths.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QTabBar>

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

QPushButton* makeCloseButton(QFrame* panel, const char* name) {
    auto* button = new QPushButton(QStringLiteral("閉じる"), panel);
    button->setObjectName(QString::fromLatin1(name));
    return button;
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
      fraCtrl(new QFrame(this)), fraLnch(new QFrame(this)),
      fraCodeList(new CodeListPanel(this, dlgCmmn_)),
      cmdKeyClose(makeCloseButton(fraCtrl, "cmdKeyClose")),
      cmdLaunchClose(makeCloseButton(fraLnch, "cmdLaunchClose")) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Tobrel"));
    setWindowIcon(builtInIcon());

    tabMain->setObjectName(QStringLiteral("tabMain"));
    tabMain->tabBar()->setAccessibleName(QStringLiteral("メインタブ"));
    fraCtrl->setObjectName(QStringLiteral("fraCtrl"));
    fraLnch->setObjectName(QStringLiteral("fraLnch"));
    panels_ = {fraConvert, fraMemCard, fraCtrl, fraLnch, fraCodeList};
    for (auto* panel : panels_) {
        panel->setAutoFillBackground(true);
        panel->move(px(120), px(360));
    }
    cmdKeyClose->setGeometry(px(3840), px(5760), px(1080), px(405));
    cmdLaunchClose->setGeometry(px(3840), px(5640), px(1080), px(405));

    for (QPushButton* close : {fraConvert->closeButton(), fraMemCard->closeButton(), cmdKeyClose,
                               cmdLaunchClose, fraCodeList->closeButton()}) {
        connect(close, &QPushButton::clicked, this, &QWidget::close);
    }
    connect(tabMain, &TabStrip::tabChanged, this, &frmMain::tabMain_Click);
    setTabOrder(tabMain->tabBar(), fraConvert);

    setTabGeometry(0);
}

frmMain::~frmMain() = default;

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
        move(px(*left), px(*top));
        return;
    }
    // Centred with the size as designed, before the stored tab sets the height.
    const int width = kTabStripWidthTwips + kWindowExtraWidthTwips;
    const int height = kTabGeometry[0].windowHeight;
    move(screen.left() + px((twips(screen.width()) - width) / 2),
         screen.top() + px((twips(screen.height()) - height) / 2));
}

void frmMain::load() {
    if (loaded_) {
        return;
    }
    loaded_ = true;
    if (iniPath().empty()) {
        setIniPath(computeIniPath(platform::executablePath()));
    }
    placeWindow();

    waku_ = wakuFromText(readIni(kSectionForm, kKeyWaku));
    keepOnScreen_ = waku_ == 1;

    fraConvert->applyLastDir(readSetting(kKeyLastDir));
    fraConvert->applyConvType(convTypeFromText(readIni(kSectionForm, kKeyConvType)));
    fraMemCard->readCardSlots();

    tabMain->setCurrentIndex(lastTabFromText(readIni(kSectionForm, kKeyLastTab)));

    iconPath_ = readSetting(kKeyIconPath);
    if (!iconPath_.isEmpty() && fileExistsForSettings(toStdString(iconPath_))) {
        const QIcon custom(iconPath_);
        if (!custom.isNull() && !custom.availableSizes().isEmpty()) {
            setWindowIcon(custom);
        }
    }

    fraCodeList->applyCodePath(readSetting(kKeyCodePath));
    hookInstalled_ = true;
}

void frmMain::queryUnload() {
    hookInstalled_ = false;
}

void frmMain::unload() {
    unloaded_ = true;
    IniWriteBatch writer;
    writeSetting(writer, kKeyLastDir, fraConvert->lastDir());
    const QPoint position = positionTwips();
    writer.write(kSectionForm, kKeyPosTop, formatIniNumber(static_cast<float>(position.y())));
    writer.write(kSectionForm, kKeyPosLeft, formatIniNumber(static_cast<float>(position.x())));
    if (fraConvert->convType() >= 0) {
        writeSetting(writer, kKeyConvType, QString::number(fraConvert->convType()));
    }
    writeSetting(writer, kKeyLastTab, QString::number(tabMain->currentIndex()));
    writeSetting(writer, kKeyIconPath, iconPath_);
    writeSetting(writer, kKeyCodePath, fraCodeList->codePath());
    writeSetting(writer, kKeyWaku, QString::number(waku_));
    writer.commit(); // a failed write stays silent: the next start sees the old values

    fraConvert->closeViewer();
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
    if (windowState() & Qt::WindowMinimized) {
        fraConvert->closeViewer();
    } else if (windowState() == Qt::WindowNoState) {
        raise();
        activateWindow();
    }
}

void frmMain::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    if (hookInstalled_ && windowState() == Qt::WindowNoState && keepOnScreen_) {
        clampToScreen();
    }
}

} // namespace tobrel::app
