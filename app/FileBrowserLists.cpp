#include "app/FileBrowserLists.h"

#include <QCollator>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QStorageInfo>

namespace tobrel::app {
namespace {

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

} // namespace

QString withTrailingSlash(const QString& folder) {
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

DriveList::DriveList(QWidget* parent) : QComboBox(parent) {
    refreshDrives();
    connect(this, &QComboBox::activated, this, [this](int) { emit driveChanged(drive()); });
}

void DriveList::refreshDrives() {
    const QSignalBlocker blocker(this);
    const QString previous = drive();
    clear();
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
    QString best = QStringLiteral("/");
    for (int i = 0; i < count(); ++i) {
        const QString root = itemData(i).toString();
        const bool contains = absolute == root || absolute.startsWith(withTrailingSlash(root));
        if (contains && root.size() > best.size()) {
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

FolderList::FolderList(QWidget* parent) : QListWidget(parent) {
    setUniformItemSizes(true); // one line each: no size hint per item
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::itemActivated, this, &FolderList::onActivated);
}

bool FolderList::setPath(const QString& folder) {
    const QFileInfo info(folder);
    if (folder.isEmpty() || !info.isDir() || !info.isReadable() || !info.isExecutable()) {
        return false;
    }
    const QString cleanPath = QDir::cleanPath(info.absoluteFilePath());
    const bool changed = cleanPath != path_;
    path_ = cleanPath;
    if (isVisible()) {
        fill();
    } else {
        stale_ = true; // listed when shown: start-up lists each folder once
    }
    if (changed) {
        emit pathChanged(path_);
    }
    return true;
}

void FolderList::showEvent(QShowEvent* event) {
    if (stale_) {
        fill();
    }
    QListWidget::showEvent(event);
}

void FolderList::fill() {
    stale_ = false;
    const QString cleanPath = path_;
    const QStringList children =
        QDir(cleanPath).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Readable, QDir::Name);

    clear();
    // Ancestors from the root down to the current folder, then its subfolders.
    QStringList parts = cleanPath.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString accumulated = QStringLiteral("/");
    auto addEntry = [this](const QString& text, const QString& target, int depth) {
        auto* item = new QListWidgetItem(QString(depth * 2, QLatin1Char(' ')) + text, this);
        item->setData(Qt::UserRole, target);
        item->setToolTip(target);
        return item;
    };
    QListWidgetItem* current = addEntry(QStringLiteral("/"), accumulated, 0);
    int depth = 1;
    for (const auto& part : parts) {
        accumulated = withTrailingSlash(accumulated) + part;
        current = addEntry(part, accumulated, depth++);
    }
    for (const auto& child : children) {
        addEntry(child, withTrailingSlash(cleanPath) + child, depth);
    }
    setCurrentItem(current);
}

void FolderList::onActivated(QListWidgetItem* item) {
    const QString target = item->data(Qt::UserRole).toString();
    if (target != path_) {
        setPath(target);
    }
}

FileList::FileList(QWidget* parent) : QListWidget(parent) {
    setUniformItemSizes(true); // one line each: no size hint per item, fast for big folders
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    connect(this, &QListWidget::itemClicked, this, [this](QListWidgetItem*) { emit clicked(); });
}

void FileList::setPath(const QString& folder) {
    path_ = folder;
    refresh();
}

void FileList::setPattern(const QString& pattern) {
    pattern_ = pattern;
    refresh();
}

void FileList::refresh() {
    if (isVisible()) {
        list();
    } else {
        stale_ = true;
    }
}

void FileList::ensureListed() {
    if (stale_) {
        list();
    }
}

void FileList::showEvent(QShowEvent* event) {
    ensureListed();
    QListWidget::showEvent(event);
}

void FileList::list() {
    stale_ = false;
    clear();
    if (path_.isEmpty()) {
        return;
    }
    // QDir matches wildcards without regard to letter case unless told otherwise.
    QDir dir(path_, pattern_, QDir::NoSort, QDir::Files);
    QStringList names = dir.entryList();
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(true);
    std::sort(names.begin(), names.end(), collator);
    addItems(names);
}

void FileList::keyPressEvent(QKeyEvent* event) {
    const auto before = selectedItems();
    QListWidget::keyPressEvent(event);
    if (selectedItems() != before) {
        emit clicked();
    }
}

} // namespace tobrel::app
