#pragma once
// fraCodeList: choose a "[pec]Codelist" file and extract its Japanese sections
// into "codelist_japan.inf" beside it.

#include <QFrame>

class QLabel;
class QLineEdit;
class QPushButton;

namespace tobrel::app {

class CommonDialog;

class CodeListPanel : public QFrame {
    Q_OBJECT
public:
    CodeListPanel(QWidget* mainWindow, CommonDialog& dialog);

    // The box's path is restored at load (emptied when the file is gone) and saved at unload.
    void applyCodePath(const QString& path);
    QString codePath() const;

    void cmdCodeList_Click();
    void cmdDrip_Click();

    bool isExtracting() const { return extracting_; }
    // The main window is closing: a running extraction stops, leaving an
    // existing output as it was, and shows no message.
    void stopJob() { stopRequested_ = true; }
    QPushButton* closeButton() const { return cmdCodeListClose; }

private:
    QWidget* mainWindow_;
    CommonDialog& dlgCmmn_;
    QLabel* labCodelist;
    QLineEdit* txtCodeList;
    QPushButton* cmdCodeList;
    QPushButton* cmdDrip;
    QPushButton* cmdCodeListClose;
    bool extracting_ = false;
    bool stopRequested_ = false;
};

} // namespace tobrel::app
