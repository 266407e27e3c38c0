#include "app/FileList.h"

#include <QCollator>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>

namespace tobrel::app {

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
