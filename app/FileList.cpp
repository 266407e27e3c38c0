#include "app/FileList.h"

#include "platform/encoding.h"
#include "platform/files.h"

#include <QCollator>
#include <QKeyEvent>
#include <QRegularExpression>

namespace tobrel::app {

FileList::FileList(QWidget* parent) : QListWidget(parent) {
    setUniformItemSizes(true); // one line each: no size hint per item, fast for big folders
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    connect(this, &QListWidget::itemClicked, this, [this](QListWidgetItem*) { emit clicked(); });
}

void FileList::setPath(const std::string& folder) {
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
    if (path_.empty()) {
        return;
    }
    const auto entries = platform::listDirectory(path_);
    if (!entries) {
        return;
    }
    // Wildcards match without regard to letter case, as on Windows.
    const QRegularExpression matcher(QRegularExpression::wildcardToRegularExpression(pattern_),
                                     QRegularExpression::CaseInsensitiveOption);
    std::vector<std::pair<QString, std::string>> files; // shown name, own name
    for (const auto& entry : *entries) {
        if (!entry.isRegularFile) {
            continue;
        }
        QString shown = QString::fromStdString(platform::nameForDisplay(entry.name));
        if (matcher.match(shown).hasMatch()) {
            files.emplace_back(std::move(shown), entry.name);
        }
    }
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(true);
    std::sort(files.begin(), files.end(),
              [&](const auto& a, const auto& b) { return collator.compare(a.first, b.first) < 0; });
    for (const auto& [shown, own] : files) {
        auto* item = new QListWidgetItem(shown, this);
        item->setData(Qt::UserRole, QByteArray::fromStdString(own));
    }
}

std::string FileList::localName(const QListWidgetItem* item) {
    return item->data(Qt::UserRole).toByteArray().toStdString();
}

void FileList::keyPressEvent(QKeyEvent* event) {
    const auto before = selectedItems();
    QListWidget::keyPressEvent(event);
    if (selectedItems() != before) {
        emit clicked();
    }
}

} // namespace tobrel::app
