#include "app/DriveList.h"

#include <QDir>
#include <QStorageInfo>

namespace tobrel::app {
namespace {

#ifndef Q_OS_WIN
// The folders that hold removable media and other mounted disks.
bool isUserVolume(const QStorageInfo& volume) {
    const QString root = volume.rootPath();
    if (root == QLatin1String("/")) {
        return true;
    }
    static const QStringList mediaRoots = {QStringLiteral("/media/"), QStringLiteral("/mnt/"),
                                           QStringLiteral("/run/media/")};
    for (const auto& prefix : mediaRoots) {
        if (root.startsWith(prefix)) {
            return true;
        }
    }
    return false;
}
#endif

} // namespace

QString withTrailingSlash(const QString& folder) {
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

DriveList::DriveList(QWidget* parent) : QComboBox(parent) {
    refreshDrives();
    // Only a change of drive moves the folder list: choosing the selected drive
    // again keeps it where it is. Programmatic selections block the signal.
    connect(this, &QComboBox::currentIndexChanged, this,
            [this](int) { emit driveChanged(drive()); });
}

void DriveList::refreshDrives() {
    const QSignalBlocker blocker(this);
    const QString previous = drive();
    clear();
#ifdef Q_OS_WIN
    // Every drive letter, a drive without a medium too; named "c: [LABEL]".
    for (const QFileInfo& drive : QDir::drives()) {
        const QString root = drive.filePath(); // "C:/"
        QString text = root.left(2).toLower();
        const QStorageInfo volume(root);
        if (volume.isValid() && volume.isReady() && !volume.name().isEmpty()) {
            text += QStringLiteral(" [%1]").arg(volume.name());
        }
        addItem(text, root);
    }
#else
    QStringList roots;
    for (const auto& volume : QStorageInfo::mountedVolumes()) {
        if (volume.isValid() && isUserVolume(volume) && !roots.contains(volume.rootPath())) {
            roots << volume.rootPath();
        }
    }
    if (!roots.contains(QStringLiteral("/"))) {
        roots.prepend(QStringLiteral("/"));
    }
    std::sort(roots.begin(), roots.end());
    for (const auto& root : roots) {
        addItem(root, root);
    }
#endif
    if (!previous.isEmpty()) {
        selectDriveSilently(previous);
    }
}

QString DriveList::drive() const {
    return currentData().toString();
}

void DriveList::selectDriveSilently(const QString& root) {
    const QSignalBlocker blocker(this);
    int index = findData(root);
    if (index < 0) {
        addItem(root, root);
        index = count() - 1;
    }
    setCurrentIndex(index);
}

QString DriveList::driveOf(const QString& path) const {
    const QString absolute = QFileInfo(path).absoluteFilePath();
#ifdef Q_OS_WIN
    // The drive letter, in any case.
    const Qt::CaseSensitivity letterCase = Qt::CaseInsensitive;
    QString best = absolute.left(3);
#else
    const Qt::CaseSensitivity letterCase = Qt::CaseSensitive;
    QString best = QStringLiteral("/");
#endif
    for (int i = 0; i < count(); ++i) {
        const QString root = itemData(i).toString();
        const bool contains = absolute.compare(root, letterCase) == 0 ||
                              absolute.startsWith(withTrailingSlash(root), letterCase);
        if (contains && root.size() >= best.size()) {
            best = root;
        }
    }
    return best;
}

void DriveList::setDriveOf(const QString& path) {
    const QString best = driveOf(path);
    if (best != drive()) {
        selectDriveSilently(best);
        emit driveChanged(best);
    }
}

} // namespace tobrel::app
