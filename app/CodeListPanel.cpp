#include "app/CodeListPanel.h"

#include "app/BusyGuard.h"
#include "app/CommonDialog.h"
#include "app/EventPump.h"
#include "app/StdText.h"
#include "app/Twips.h"
#include "app/UserPrompts.h"
#include "codelist/codelist.h"
#include "platform/encoding.h"
#include "platform/paths.h"
#include "settings/paths.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace tobrel::app {
namespace {

// Thrown out of the filter's yield hook when the main window closed meanwhile:
// the filter then drops its temporary file and nothing more is shown.
struct JobStopped {};

} // namespace

CodeListPanel::CodeListPanel(QWidget* mainWindow, CommonDialog& dialog)
    : QFrame(mainWindow), mainWindow_(mainWindow), dlgCmmn_(dialog),
      labCodelist(new QLabel(QStringLiteral("codelist.inf："), this)),
      txtCodeList(new QLineEdit(this)), cmdCodeList(new QPushButton(QStringLiteral("..."), this)),
      cmdDrip(new QPushButton(QStringLiteral("抽出"), this)),
      cmdCodeListClose(new QPushButton(QStringLiteral("閉じる"), this)) {
    setObjectName(QStringLiteral("fraCodeList"));
    labCodelist->setObjectName(QStringLiteral("labCodelist"));
    labCodelist->setBuddy(txtCodeList);
    labCodelist->setGeometry(px(120), px(255), px(1095), px(330));
    txtCodeList->setObjectName(QStringLiteral("txtCodeList"));
    txtCodeList->setAccessibleName(QStringLiteral("codelist.inf のパス"));
    txtCodeList->setGeometry(px(1230), px(255), px(1935), px(330));
    cmdCodeList->setObjectName(QStringLiteral("cmdCodeList"));
    cmdCodeList->setAccessibleName(QStringLiteral("codelist.inf の選択"));
    cmdCodeList->setGeometry(px(3180), px(255), px(360), px(330));
    cmdDrip->setObjectName(QStringLiteral("cmdDrip"));
    cmdDrip->setGeometry(px(3585), px(210), px(690), px(405));
    cmdCodeListClose->setObjectName(QStringLiteral("cmdCodeListClose"));
    cmdCodeListClose->setGeometry(px(4290), px(210), px(690), px(405));

    connect(cmdCodeList, &QPushButton::clicked, this, &CodeListPanel::cmdCodeList_Click);
    connect(cmdDrip, &QPushButton::clicked, this, &CodeListPanel::cmdDrip_Click);
}

void CodeListPanel::applyCodePath(const QString& path) {
    txtCodeList->setText(path);
    if (!path.isEmpty() && !settings::fileExistsForSettings(CommonDialog::localBytesOf(path))) {
        txtCodeList->clear();
    }
}

QString CodeListPanel::codePath() const {
    return txtCodeList->text();
}

void CodeListPanel::cmdCodeList_Click() {
    const QString box = txtCodeList->text();
    dlgCmmn_.dialogTitle = QStringLiteral("[pec]Codelistﾌｧｲﾙの指定");
    dlgCmmn_.filter = QStringLiteral("[pec]Codelistﾌｧｲﾙ(*.inf)|*.inf");
    dlgCmmn_.flags = CommonDialog::kDefaultFlags;
    if (box.isEmpty()) {
        dlgCmmn_.initDir = QApplication::applicationDirPath();
        dlgCmmn_.fileName.clear();
    } else {
        dlgCmmn_.initDir = toQString(platform::directoryOf(box.toStdString()));
        // The name of the file last chosen in the dialog wins, even on another
        // panel; a name another panel only proposed (then cancelled) does not.
        dlgCmmn_.fileName = dlgCmmn_.fileTitle.isEmpty()
                                ? toQString(platform::fileNameOf(box.toStdString()))
                                : dlgCmmn_.fileTitle;
    }
    if (!dlgCmmn_.showOpen()) {
        txtCodeList->clear();
        return;
    }
    // A name in Shift-JIS bytes shows as its text, whose code page 932 form
    // in the settings file is those very bytes again.
    const std::string path = platform::nameForDisplay(dlgCmmn_.localPath);
    if (!platform::fitsCp932(path)) {
        showErrorMessage(mainWindow_, toQString(codelist::kPathNotStorableMessage) +
                                          QLatin1Char('\n') + toQString(path));
        return;
    }
    txtCodeList->setText(toQString(path));
}

void CodeListPanel::cmdDrip_Click() {
    if (extracting_) {
        return;
    }
    // Two extractions must never write the same output at once.
    codelist::ExtractionResult result;
    stopRequested_ = false;
    try {
        BusyGuard guard(extracting_, {cmdDrip, cmdCodeList});
        guard.showWaitCursor();
        result = codelist::extractJapaneseSections(
            CommonDialog::localBytesOf(txtCodeList->text()),
            [this] {
                QCoreApplication::processEvents();
                if (stopRequested_) {
                    throw JobStopped{}; // the filter drops its temporary file
                }
            },
            std::chrono::milliseconds(EventPump::kIntervalMs));
    } catch (const JobStopped&) {
        return;
    }
    if (!result.ok) {
        showErrorMessage(mainWindow_, toQString(result.error));
        return;
    }
    UserPrompts::current().showMessage(mainWindow_, MessageIcon::Information,
                                       mainWindow_ ? mainWindow_->windowTitle() : QString(),
                                       QStringLiteral("抽出完了"));
}

} // namespace tobrel::app
