#pragma once
// frmAbout: the modal window with the program's name, version, description,
// legal notice and home page.

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

namespace tobrel::app {

class frmAbout : public QDialog {
    Q_OBJECT
public:
    static constexpr int kOffsetTwips = 360; // right of and below the main window's corner
    // Said in an "ｴﾗｰ" box, followed by the address, when no browser opens it.
    static constexpr const char* kHomePageFailedMessage = "ﾌﾞﾗｳｻﾞでﾎｰﾑﾍﾟｰｼﾞを開けませんでした。";

    // mainWindow gives the place and the window icon; trayPicture is the
    // picture of its tray icon.
    frmAbout(QWidget* mainWindow, const QPixmap& trayPicture);

    QLabel* iconPicture() const { return picIcon; }
    QLabel* titleLabel() const { return lblTitle; }
    QLabel* descriptionLabel() const { return lblDescription; }
    QLabel* copyrightLabel() const { return lblCopyright; }
    QLabel* homePageLabel() const { return lblHomePage; }
    QPushButton* okButton() const { return cmdOK; }

    // Click on the home page link: hands the address to the desktop, says so
    // when that fails, then closes.
    void lblHomePage_Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void load(QWidget* mainWindow, const QPixmap& trayPicture);

    QLabel* picIcon;
    QLabel* lblTitle;
    QLabel* lblDescription;
    QLabel* lblCopyright;
    QFrame* Line1;
    QLabel* lblHomePage;
    QPushButton* cmdOK;
};

} // namespace tobrel::app
