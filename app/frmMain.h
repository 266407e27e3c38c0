#pragma once
// frmMain: the one main window. Its client area is the main tab strip with the
// five panels lying on it; the window's height follows the selected tab.

#include "app/CommonDialog.h"

#include <QPoint>
#include <QWidget>
#include <array>
#include <memory>
#include <optional>

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QPushButton;

namespace tobrel::platform {
class TitleBarFilter;
}

namespace tobrel::app {

class CodeListPanel;
class ConvertPanel;
class CtrlPanel;
class LaunchPanel;
class MemCardPanel;
class TabStrip;
class TrayIcon;

class frmMain : public QWidget {
    Q_OBJECT
public:
    static constexpr int kTabStripWidthTwips = 5295;
    static constexpr int kWindowExtraWidthTwips = 90;   // fixed frame
    static constexpr int kWindowExtraHeightTwips = 375; // title bar and frame

    struct TabGeometry {
        int windowHeight;
        int stripHeight;
        int panelHeight;
    };
    static constexpr std::array<TabGeometry, 5> kTabGeometry = {{
        {6750, 6375, 5895},
        {3390, 3015, 2535},
        {7110, 6735, 6255},
        {6990, 6615, 6135},
        {1710, 1335, 855},
    }};

    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    // The load step: reads the settings and restores every panel, in order.
    // Runs once, before the window is first shown.
    void load();

    // Click on the main tab strip (also raised when the program selects a tab).
    void tabMain_Click(int index);
    // Pulls the window back inside the primary screen.
    void clampToScreen();

    // Puts the icon into the tray (mode 0 adds it, 1 changes it, 2 removes it).
    void SysTrayIcon(QLabel* GetPic, const QString& GetTip, int GetMode);
    // The tray menu's two items; a left double click on the icon restores too.
    void mnuPop_Normal_Click();
    void mnuPop_End_Click();
    // Shows the About window modally.
    void showAbout();

    bool keepOnScreen() const { return keepOnScreen_; }
    CommonDialog& dlgCmmn() { return dlgCmmn_; }
    TabStrip* mainTabs() const { return tabMain; }
    ConvertPanel* convertPanel() const { return fraConvert; }
    MemCardPanel* memCardPanel() const { return fraMemCard; }
    CtrlPanel* ctrlPanel() const { return fraCtrl; }
    CodeListPanel* codeListPanel() const { return fraCodeList; }
    LaunchPanel* launchPanel() const { return fraLnch; }
    QFrame* panel(int index) const { return panels_[static_cast<std::size_t>(index)]; }
    TrayIcon& trayIcon() const { return *tray_; }
    QMenu* trayMenu() const { return mnuPop; }

    // Window position in twips, as the settings store it.
    QPoint positionTwips() const;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    void placeWindow();
    void installHook();
    void removeHook();
    void picIcon_Notified(int notice);
    QPoint positionToSave() const;
    void queryUnload();
    void unload();
    void setTabGeometry(int index);

    CommonDialog dlgCmmn_; // before the panels, which keep a reference to it
    TabStrip* tabMain;
    ConvertPanel* fraConvert;
    MemCardPanel* fraMemCard;
    CtrlPanel* fraCtrl;
    LaunchPanel* fraLnch;
    CodeListPanel* fraCodeList;
    std::array<QFrame*, 5> panels_{};
    QLabel* picIcon; // holds the tray icon's picture
    QMenu* mnuPop;
    QAction* mnuPop_Normal;
    QAction* mnuPop_End;
    std::unique_ptr<TrayIcon> tray_;
    std::unique_ptr<platform::TitleBarFilter> titleBarFilter_;

    bool keepOnScreen_ = false;
    int waku_ = 0;
    QString iconPath_;
    bool loaded_ = false;
    bool hookInstalled_ = false;
    bool unloaded_ = false;
    bool inTray_ = false;
    // The stored position, in twips, when the window was placed by it; written
    // back as it was as long as the window keeps the place it was given.
    std::optional<QPoint> storedPosition_;
    QPoint placedAt_; // pixels, where the window system put it at first
    bool placementDone_ = false;
    QPoint restoredPosition_; // pixels, the last position in the normal state
};

} // namespace tobrel::app
