#pragma once
// frmMain: the one main window. Its client area is the main tab strip with the
// five panels lying on it; the window's height follows the selected tab.

#include "app/CommonDialog.h"

#include <QWidget>
#include <array>

class QFrame;
class QPushButton;

namespace tobrel::app {

class CodeListPanel;
class ConvertPanel;
class LaunchPanel;
class MemCardPanel;
class TabStrip;

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

    bool keepOnScreen() const { return keepOnScreen_; }
    CommonDialog& dlgCmmn() { return dlgCmmn_; }
    TabStrip* mainTabs() const { return tabMain; }
    ConvertPanel* convertPanel() const { return fraConvert; }
    MemCardPanel* memCardPanel() const { return fraMemCard; }
    CodeListPanel* codeListPanel() const { return fraCodeList; }
    LaunchPanel* launchPanel() const { return fraLnch; }
    QFrame* panel(int index) const { return panels_[static_cast<std::size_t>(index)]; }

    // Window position in twips, as the settings store it.
    QPoint positionTwips() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    void placeWindow();
    void queryUnload();
    void unload();
    void setTabGeometry(int index);

    CommonDialog dlgCmmn_; // before the panels, which keep a reference to it
    TabStrip* tabMain;
    ConvertPanel* fraConvert;
    MemCardPanel* fraMemCard;
    QFrame* fraCtrl;
    LaunchPanel* fraLnch;
    CodeListPanel* fraCodeList;
    QPushButton* cmdKeyClose;
    std::array<QFrame*, 5> panels_{};

    bool keepOnScreen_ = false;
    int waku_ = 0;
    QString iconPath_;
    bool loaded_ = false;
    bool hookInstalled_ = false;
    bool unloaded_ = false;
};

} // namespace tobrel::app
