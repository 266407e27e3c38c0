#include "app/FolderList.h"

#include "app/DriveList.h"

#include <QCollator>
#include <QDir>
#include <QFileInfo>

namespace tobrel::app {

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

} // namespace tobrel::app
