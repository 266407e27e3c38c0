#pragma once
// fraConvert: the conversion panel. The user picks a direction and a folder,
// selects card image files, converts them and reads the log.

#include "app/frmMemView.h"

#include <QFrame>
#include <QPointer>
#include <array>
#include <string>

class QButtonGroup;
class QGroupBox;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTabBar;

namespace tobrel::app {

class DriveList;
class FileList;
class FolderList;

class ConvertPanel : public QFrame {
    Q_OBJECT
public:
    explicit ConvertPanel(QWidget* mainWindow);
    ~ConvertPanel() override;

    // Settings exchanged by the main window's load and unload steps.
    void applyLastDir(const QString& lastDir);
    // Selects the source tab and direction index (0 to 5) and runs its click.
    void applyConvType(int index);
    QString lastDir() const;
    // Index of the first selected direction, or -1 when none is.
    int convType() const;

    // Event handlers, named after their controls.
    void optSel_Click(int index);
    void tabConvert_Click(int tab);
    void drvIn_Change();
    void dirIn_Change();
    void filIn_Click();
    void cmdConv_Click();

    // Closes the card contents window when it is open.
    void closeViewer();
    // Shows the card file at path (the file system's bytes) in the card
    // contents window, opening it when it is closed.
    void openDroppedFile(const std::string& path);
    frmMemView* viewer() const { return memView_; }
    bool isConverting() const { return converting_; }
    // The main window is closing: a running job stops after the file it is on
    // (every file is written whole or not at all) and shows nothing more.
    void stopJob() { stopRequested_ = true; }

    QPushButton* closeButton() const { return cmdClose; }

private:
    // The folder list's folder in the file system's own bytes, ending in "/".
    std::string localFolderPrefix() const;

    QWidget* mainWindow_;
    QGroupBox* fraSel;
    QTabBar* tabConvert;
    std::array<QRadioButton*, 6> optSel{};
    QButtonGroup* optSelGroup;
    QGroupBox* fraIn;
    DriveList* drvIn;
    FolderList* dirIn;
    FileList* filIn;
    QPushButton* cmdConv;
    QPushButton* cmdClose;
    QGroupBox* fraLog;
    QPlainTextEdit* txtLog;

    QPointer<frmMemView> memView_;
    bool converting_ = false;
    bool stopRequested_ = false;
    bool pressedWasChecked_ = false; // the direction button being clicked was already checked
};

} // namespace tobrel::app
