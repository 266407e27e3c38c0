#include "app/LaunchPanel.h"
#include "app/StdText.h"

#include "app/CommonDialog.h"
#include "app/ProgramStarter.h"
#include "app/Twips.h"
#include "app/UserPrompts.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/program_icons.h"
#include "settings/paths.h"

#include <QApplication>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>

namespace tobrel::app {
namespace {

constexpr int kIconPixels = platform::kProgramIconSize;

QImage toImage(const platform::IconImage& icon) {
    if (icon.png) {
        return QImage::fromData(reinterpret_cast<const uchar*>(icon.pngData.data()),
                                static_cast<int>(icon.pngData.size()), "PNG");
    }
    QImage image(icon.width, icon.height, QImage::Format_ARGB32);
    for (int y = 0; y < icon.height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < icon.width; ++x) {
            row[x] = icon.argb[static_cast<std::size_t>(y) * icon.width + x];
        }
    }
    return image;
}

QPixmap emptySurface() {
    QPixmap surface(kIconPixels, kIconPixels);
    surface.fill(Qt::transparent);
    return surface;
}

} // namespace

LaunchPanel::LaunchPanel(QWidget* mainWindow, CommonDialog& dialog)
    : QFrame(mainWindow), mainWindow_(mainWindow), dlgCmmn_(dialog) {
    setObjectName(QStringLiteral("fraLnch"));
    // One row description, repeated for the six slots stacked top to bottom.
    struct Place {
        int left, top, width, height;
    };
    constexpr int kFrameStride = 915;
    constexpr Place kFrame{120, 0, 4815, 870};
    constexpr Place kStart{120, 210, 600, 600};
    constexpr Place kSurface{180, 270, twips(kIconPixels), twips(kIconPixels)};
    constexpr Place kPath{840, 345, 3360, 330};
    constexpr Place kRegister{4290, 345, 420, 330};
    const auto place = [](QWidget* widget, const Place& at, int down = 0) {
        widget->setGeometry(px(at.left), px(at.top + down), px(at.width), px(at.height));
    };

    for (std::size_t slot = 0; slot < kSlotCount; ++slot) {
        const int i = static_cast<int>(slot);
        auto* frame = new QGroupBox(toQString(launcher::slotCaption(i)), this);
        frame->setObjectName(QStringLiteral("fraLaunch_%1").arg(i));
        place(frame, kFrame, i * kFrameStride);

        auto* surface = new QLabel(frame); // drawn on, never shown itself
        surface->setObjectName(QStringLiteral("picLaunchIcon_%1").arg(i));
        surface->setPixmap(emptySurface());
        surface->hide();
        place(surface, kSurface);

        auto* start = new QPushButton(frame);
        start->setObjectName(QStringLiteral("cmdLIcon_%1").arg(i));
        start->setIconSize(QSize(kIconPixels, kIconPixels));
        place(start, kStart);

        auto* box = new QLineEdit(frame);
        box->setObjectName(QStringLiteral("txtLaunch_%1").arg(i));
        box->setAccessibleName(toQString(launcher::pathBoxName(i)));
        place(box, kPath);

        auto* choose = new QPushButton(QStringLiteral("..."), frame);
        choose->setObjectName(QStringLiteral("cmdLaunch_%1").arg(i));
        choose->setAccessibleName(toQString(launcher::registerButtonName(i)));
        place(choose, kRegister);

        fraLaunch[slot] = frame;
        picLaunchIcon[slot] = surface;
        cmdLIcon[slot] = start;
        txtLaunch[slot] = box;
        cmdLaunch[slot] = choose;
        connect(start, &QPushButton::clicked, this, [this, i] { cmdLIcon_Click(i); });
        connect(choose, &QPushButton::clicked, this, [this, i] { cmdLaunch_Click(i); });
        connect(box, &QLineEdit::textChanged, this, [this, slot] { slotPathChanged(slot); });
        slotPathChanged(slot);
    }
    cmdLaunchClose = new QPushButton(toQString(launcher::kCloseButtonCaption), this);
    cmdLaunchClose->setObjectName(QStringLiteral("cmdLaunchClose"));
    cmdLaunchClose->setGeometry(px(3840), px(5640), px(1080), px(405));
}

void LaunchPanel::setLaunchContext(std::optional<launcher::LaunchContext> context) {
    context_ = std::move(context);
}

void LaunchPanel::slotPathChanged(std::size_t slot) {
    const QString path = txtLaunch[slot]->text();
    const std::string name = launcher::startButtonName(static_cast<int>(slot), path.toStdString());
    cmdLIcon[slot]->setAccessibleName(QString::fromStdString(name));
    cmdLIcon[slot]->setToolTip(path.isEmpty() ? toQString(launcher::kFreeSlotText) : path);
}

launcher::LaunchContext LaunchPanel::launchContext() const {
    return context_ ? *context_ : launcher::systemLaunchContext();
}

std::string LaunchPanel::programFile(std::size_t slot) const {
    const std::string path = txtLaunch[slot]->text().toStdString();
    if (path.empty()) {
        return {};
    }
    // Only a drive-letter path needs to know the system (Wine's prefix).
    const auto file = platform::isWindowsFormPath(path)
                          ? launcher::programFile(path, launchContext())
                          : std::optional<std::string>(path);
    if (!file) {
        return {};
    }
    return platform::pathEntryExists(*file) ? *file : CommonDialog::localBytesOf(toQString(*file));
}

void LaunchPanel::restoreSlot(int slot, const QString& storedPath) {
    const auto index = static_cast<std::size_t>(slot);
    txtLaunch[index]->setText(storedPath);
    if (!storedPath.isEmpty() && !settings::fileExistsForSettings(programFile(index))) {
        txtLaunch[index]->clear();
    }
    if (!txtLaunch[index]->text().isEmpty()) {
        drawIcon(index);
    }
}

QString LaunchPanel::slotPath(int slot) const {
    return txtLaunch[static_cast<std::size_t>(slot)]->text();
}

bool LaunchPanel::drawIcon(std::size_t slot) {
    const auto icons = platform::readProgramIcons(programFile(slot));
    if (icons.groupCount <= 0) {
        return false;
    }
    QPixmap surface = picLaunchIcon[slot]->pixmap();
    if (icons.firstIcon) {
        const QImage image = toImage(*icons.firstIcon);
        QPainter painter(&surface);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRect(0, 0, kIconPixels, kIconPixels), image);
    }
    picLaunchIcon[slot]->setPixmap(surface);
    cmdLIcon[slot]->setIcon(QIcon(surface));
    return true;
}

void LaunchPanel::clearSurface(std::size_t slot) {
    picLaunchIcon[slot]->setPixmap(emptySurface());
}

void LaunchPanel::cmdLaunch_Click(int slot) {
    const auto index = static_cast<std::size_t>(slot);
    // The dialog opens where the slot's program lies on this system.
    const std::string file = programFile(index);
    const auto start = launcher::registerDialogStart(
        file.empty() ? txtLaunch[index]->text().toStdString() : platform::nameForDisplay(file),
        QApplication::applicationDirPath().toStdString());
    dlgCmmn_.dialogTitle = toQString(launcher::kRegisterDialogTitle);
    dlgCmmn_.filter = toQString(launcher::kProgramFilter);
    dlgCmmn_.flags = launcher::kRegisterDialogFlags;
    dlgCmmn_.initDir = QString::fromStdString(start.initialDirectory);
    dlgCmmn_.fileName = QString::fromStdString(start.fileName);
    const bool chosen = dlgCmmn_.showOpen();
    // A name in Shift-JIS bytes shows as its text, whose code page 932 form
    // in the settings file is those very bytes again.
    const QString path =
        chosen ? toQString(platform::nameForDisplay(dlgCmmn_.localPath)) : QString();
    if (!launcher::pathCanBeStored(path.toStdString())) {
        // It would work now but be lost at the next start: the slot stays as it was.
        showErrorMessage(mainWindow_,
                         toQString(launcher::kPathNotStorableMessage) + QLatin1Char('\n') + path);
        return;
    }
    txtLaunch[index]->setText(path);
    clearSurface(index);
    // Cancel frees the slot. A program without icons shows none rather than
    // the icon of the program the slot held before.
    if (path.isEmpty() || !drawIcon(index)) {
        cmdLIcon[index]->setIcon(QIcon());
    }
}

void LaunchPanel::cmdLIcon_Click(int slot) {
    const QString path = txtLaunch[static_cast<std::size_t>(slot)]->text();
    if (path.isEmpty()) {
        return;
    }
    const auto failed = [this, &path](std::string_view message) {
        showErrorMessage(mainWindow_, toQString(message) + QLatin1Char('\n') + path);
    };
    const std::string file = programFile(static_cast<std::size_t>(slot));
    if (!platform::regularFileExists(file)) {
        failed(launcher::kProgramMissingMessage);
        return;
    }
    const auto command = launcher::launchCommand(file, launchContext());
    if (command.action == launcher::LaunchAction::WineMissing) {
        failed(launcher::kWineMissingMessage);
    } else if (!ProgramStarter::current().start(command)) {
        failed(launcher::kStartFailedMessage);
    }
}

} // namespace tobrel::app
