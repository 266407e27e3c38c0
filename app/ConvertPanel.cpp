#include "app/ConvertPanel.h"

#include "app/BusyGuard.h"
#include "app/DriveList.h"
#include "app/EventPump.h"
#include "app/FileList.h"
#include "app/FolderList.h"
#include "app/StdText.h"
#include "app/Twips.h"
#include "app/UserPrompts.h"
#include "app/frmMemView.h"
#include "cards/conversion.h"
#include "platform/encoding.h"
#include "platform/files.h"

#include <QApplication>
#include <QButtonGroup>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>

namespace tobrel::app {
namespace {

const cards::Direction& directionAt(int index) {
    return cards::directions[static_cast<std::size_t>(index)];
}

// A path of the file system as the log shows it.
std::string displayedPath(const std::string& local) {
    const QString text = QString::fromStdString(platform::nameForDisplay(local));
    return QDir::toNativeSeparators(text).toStdString();
}

} // namespace

ConvertPanel::ConvertPanel(QWidget* mainWindow)
    : QFrame(mainWindow), mainWindow_(mainWindow),
      fraSel(new QGroupBox(QStringLiteral("処理選択"), this)), tabConvert(new QTabBar(fraSel)),
      optSelGroup(new QButtonGroup(this)), fraIn(new QGroupBox(QStringLiteral("変換元"), this)),
      drvIn(new DriveList(fraIn)), dirIn(new FolderList(fraIn)), filIn(new FileList(fraIn)),
      cmdConv(new QPushButton(QStringLiteral("変換"), fraIn)),
      cmdClose(new QPushButton(QStringLiteral("閉じる"), fraIn)),
      fraLog(new QGroupBox(QStringLiteral("情報"), this)), txtLog(new QPlainTextEdit(fraLog)) {
    setObjectName(QStringLiteral("fraConvert"));
    setFrameShape(QFrame::NoFrame);
    setAutoFillBackground(true);

    fraSel->setObjectName(QStringLiteral("fraSel"));
    fraSel->setGeometry(twipRect(120, 0, 4815, 1215));
    tabConvert->setObjectName(QStringLiteral("tabConvert"));
    tabConvert->setAccessibleName(QStringLiteral("変換元の形式"));
    tabConvert->setDrawBase(true);
    tabConvert->setExpanding(false);
    tabConvert->setFocusPolicy(Qt::StrongFocus);
    for (const char* caption : {"VGS", "bleem!", "PSEmuPro,ePSXe"}) {
        tabConvert->addTab(QString::fromUtf8(caption));
    }
    tabConvert->setGeometry(twipRect(120, 270, 4575, 360));

    const char* optionCaptions[] = {"→bleem!", "→PSEmuPro,ePSXe", "→VGS", "→PSEmuPro,ePSXe",
                                    "→VGS",    "→bleem!"};
    optSelGroup->setExclusive(true);
    for (int i = 0; i < 6; ++i) {
        auto* button = new QRadioButton(QString::fromUtf8(optionCaptions[i]), fraSel);
        button->setObjectName(QStringLiteral("optSel_%1").arg(i));
        // Two buttons share each caption; the accessible name tells the whole direction.
        button->setAccessibleName(toQString(directionAt(i).caption));
        button->setGeometry(twipRect(i % 2 == 0 ? 240 : 1320, 750, i % 2 == 0 ? 1065 : 2400, 300));
        optSelGroup->addButton(button, i);
        optSel[static_cast<std::size_t>(i)] = button;
    }
    // The handler runs when a button becomes checked, whatever checked it
    // (mouse, keyboard, a screen reader's toggle), and when the checked button
    // is clicked again, which clears the log back to its caption.
    connect(optSelGroup, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked) {
            optSel_Click(id);
        }
    });
    connect(optSelGroup, &QButtonGroup::idPressed, this,
            [this](int id) { pressedWasChecked_ = optSelGroup->button(id)->isChecked(); });
    connect(optSelGroup, &QButtonGroup::idClicked, this, [this](int id) {
        if (pressedWasChecked_) {
            pressedWasChecked_ = false;
            optSel_Click(id);
        }
    });
    connect(tabConvert, &QTabBar::currentChanged, this, &ConvertPanel::tabConvert_Click);

    fraIn->setObjectName(QStringLiteral("fraIn"));
    fraIn->setGeometry(twipRect(120, 1275, 4815, 3135));
    drvIn->setObjectName(QStringLiteral("drvIn"));
    drvIn->setAccessibleName(QStringLiteral("変換元ドライブ"));
    drvIn->setGeometry(twipRect(120, 270, 2250, 330));
    dirIn->setObjectName(QStringLiteral("dirIn"));
    dirIn->setAccessibleName(QStringLiteral("変換元フォルダ"));
    dirIn->setGeometry(twipRect(120, 660, 2250, 2355));
    filIn->setObjectName(QStringLiteral("filIn"));
    filIn->setAccessibleName(QStringLiteral("変換元ファイル"));
    filIn->setGeometry(twipRect(2445, 270, 2250, 2250));
    cmdConv->setObjectName(QStringLiteral("cmdConv"));
    cmdConv->setGeometry(twipRect(2445, 2610, 1080, 405));
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    cmdClose->setGeometry(twipRect(3615, 2610, 1080, 405));

    fraLog->setObjectName(QStringLiteral("fraLog"));
    fraLog->setGeometry(twipRect(120, 4470, 4815, 1365));
    txtLog->setObjectName(QStringLiteral("txtLog"));
    txtLog->setAccessibleName(QStringLiteral("情報"));
    txtLog->setReadOnly(true);
    txtLog->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtLog->setGeometry(twipRect(120, 270, 4575, 975));

    connect(drvIn, &DriveList::driveChanged, this, &ConvertPanel::drvIn_Change);
    connect(dirIn, &FolderList::pathChanged, this, &ConvertPanel::dirIn_Change);
    connect(filIn, &FileList::clicked, this, &ConvertPanel::filIn_Click);
    connect(cmdConv, &QPushButton::clicked, this, &ConvertPanel::cmdConv_Click);

    // Tab order follows the panel from top to bottom.
    setTabOrder(tabConvert, optSel[0]);
    setTabOrder(optSel[5], drvIn);
    setTabOrder(drvIn, dirIn);
    setTabOrder(dirIn, filIn);
    setTabOrder(filIn, cmdConv);
    setTabOrder(cmdConv, cmdClose);
    setTabOrder(cmdClose, txtLog);

    // The lists start at the folder the program was started from.
    const QString startFolder = QDir::currentPath();
    drvIn->setDriveOf(startFolder);
    dirIn->setPath(startFolder);
    tabConvert_Click(0);
}

ConvertPanel::~ConvertPanel() {
    closeViewer();
}

void ConvertPanel::optSel_Click(int index) {
    const auto& direction = directionAt(index);
    txtLog->clear();
    filIn->setPattern(toQString(direction.sourceFilter));
    txtLog->setPlainText(toQString(direction.caption));
}

void ConvertPanel::tabConvert_Click(int tab) {
    // Only the pair of the chosen source is in front; the selection stays as it was.
    for (int i = 0; i < 6; ++i) {
        optSel[static_cast<std::size_t>(i)]->setVisible(i / 2 == tab);
    }
    optSel[static_cast<std::size_t>(tab * 2)]->raise();
    optSel[static_cast<std::size_t>(tab * 2 + 1)]->raise();
}

void ConvertPanel::drvIn_Change() {
    const QString remembered = dirIn->path();
    if (!dirIn->setPath(drvIn->drive())) {
        // A drive without a medium: back to the drive of the folder we were in.
        drvIn->selectDriveSilently(drvIn->driveOf(remembered));
    }
}

void ConvertPanel::dirIn_Change() {
    filIn->setPath(dirIn->localPath());
}

void ConvertPanel::filIn_Click() {
    filIn->ensureListed();
    const bool vgsLayout = filIn->pattern() == QLatin1String("*.MEM");
    std::string viewPath; // the file's own bytes
    for (int row = 0; row < filIn->count(); ++row) {
        if (filIn->item(row)->isSelected()) {
            viewPath = localFolderPrefix() + FileList::localName(filIn->item(row));
            break;
        }
    }
    if (viewPath.empty()) {
        return;
    }
    closeViewer();
    memView_ = new frmMemView(mainWindow_, viewPath, vgsLayout);
    memView_->show();
    if (mainWindow_) {
        mainWindow_->activateWindow();
    }
}

void ConvertPanel::openDroppedFile(const std::string& path) {
    if (!memView_) {
        memView_ = new frmMemView(mainWindow_, path, false);
        memView_->show();
    }
    memView_->openCard(path);
    memView_->raise();
}

void ConvertPanel::closeViewer() {
    if (memView_) {
        memView_->close(); // deletes itself
        memView_ = nullptr;
    }
}

void ConvertPanel::cmdConv_Click() {
    if (converting_) {
        return;
    }
    // The lists and directions stay still while a job runs, so the job list
    // cannot shift under it and a second press cannot start a second job.
    BusyGuard guard(converting_, {cmdConv, drvIn, dirIn, filIn, optSel[0], optSel[1], optSel[2],
                                  optSel[3], optSel[4], optSel[5]});
    EventPump pump;
    stopRequested_ = false;

    filIn->ensureListed();
    // The names as the file system holds them, whatever they look like.
    const std::string folder = localFolderPrefix();
    std::vector<std::string> jobs;
    for (int row = 0; row < filIn->count(); ++row) {
        if (filIn->item(row)->isSelected()) {
            jobs.push_back(folder + FileList::localName(filIn->item(row)));
        }
        pump();
        if (stopRequested_) {
            return;
        }
    }

    const int index = std::max(convType(), 0);
    const auto& direction = directionAt(index);
    if (jobs.empty()) {
        showErrorMessage(mainWindow_, toQString(direction.noSelectionMessage));
        return;
    }

    guard.showWaitCursor();
    // Lines wait until the window is about to repaint: appending them one by
    // one would lay the log out again for every file.
    QStringList pending;
    auto appendPending = [&] {
        if (!pending.isEmpty()) {
            txtLog->appendPlainText(pending.join(QLatin1Char('\n')));
            pending.clear();
        }
    };
    cards::ConversionJob job; // one press, one job: the folder is listed afresh
    for (const auto& source : jobs) {
        auto result = job.convert(source, direction.kind, direction.targetExtension);
        // The log is text: a name in Shift-JIS bytes reads as such, and a
        // path has the system's own separators (C:\CARDS\A.MEM on Windows).
        result.outputPath = displayedPath(result.outputPath);
        pending << QString::fromStdString(cards::conversionLogLine(displayedPath(source), result));
        if (pump.due()) {
            appendPending();
            pump.run();
            if (stopRequested_) {
                return; // between files: nothing is left half-written
            }
        }
    }
    appendPending();
}

void ConvertPanel::applyLastDir(const QString& lastDir) {
    const QFileInfo info(lastDir);
    if (!lastDir.isEmpty() && info.isDir() && info.isReadable()) {
        drvIn->setDriveOf(lastDir);
        dirIn->setPath(lastDir);
        return;
    }
    // The settings file holds code page 932: a folder named in Shift-JIS
    // bytes comes back as their decoded text.
    const auto local = platform::encodeCp932(lastDir.toStdString());
    if (local && local->starts_with('/') && platform::isOpenableFolder(*local)) {
        drvIn->setDriveOf(lastDir);
        dirIn->setLocalPath(*local);
    } // otherwise the lists keep their start-up folder
}

std::string ConvertPanel::localFolderPrefix() const {
    const std::string& folder = dirIn->localPath();
    return folder.ends_with('/') ? folder : folder + '/';
}

void ConvertPanel::applyConvType(int index) {
    if (index < 0 || index >= static_cast<int>(cards::directions.size())) {
        index = 0;
    }
    tabConvert->setCurrentIndex(index / 2);
    tabConvert_Click(index / 2);
    {
        const QSignalBlocker quiet(optSel[static_cast<std::size_t>(index)]);
        optSel[static_cast<std::size_t>(index)]->setChecked(true);
    }
    optSel_Click(index); // once, also when the button was already checked
}

QString ConvertPanel::lastDir() const {
    return dirIn->path();
}

int ConvertPanel::convType() const {
    return optSelGroup->checkedId();
}

} // namespace tobrel::app
