#include "app/FolderList.h"

#include "app/DriveList.h"
#include "platform/encoding.h"
#include "platform/files.h"

#include <QCollator>
#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cctype>
#include <vector>

namespace tobrel::app {
namespace {

QString shown(const std::string& bytes) {
    const QString text = QString::fromStdString(platform::nameForDisplay(bytes));
    return QDir::toNativeSeparators(text); // "C:\CARDS" on Windows, as typed there
}

// The root at the start of an absolute path with "/" between its folders,
// with its separator: "/" here, a drive ("C:/") on Windows. Empty for a
// relative path.
std::string rootOf(const std::string& path) {
#ifdef Q_OS_WIN
    if (path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':' &&
        (path.size() == 2 || path[2] == '/')) {
        return path.substr(0, 2) + '/';
    }
    return {};
#else
    return path.starts_with('/') ? std::string("/") : std::string();
#endif
}

} // namespace

FolderList::FolderList(QWidget* parent) : QListWidget(parent) {
    setUniformItemSizes(true); // one line each: no size hint per item
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::itemActivated, this, &FolderList::onActivated);
}

bool FolderList::setPath(const QString& folder) {
    if (folder.isEmpty()) {
        return false;
    }
    return setLocalPath(QDir::cleanPath(QFileInfo(folder).absoluteFilePath()).toStdString());
}

bool FolderList::setLocalPath(const std::string& given) {
    std::string folder = given;
#ifdef Q_OS_WIN
    std::replace(folder.begin(), folder.end(), '\\', '/'); // both separate there
#endif
    const std::string root = rootOf(folder);
    if (root.empty() || !platform::isOpenableFolder(folder)) {
        return false;
    }
    // Cleaned by hand: Qt would decode names that are not UTF-8 lossily.
    std::vector<std::string> parts;
    for (std::size_t start = root.size(); start < folder.size();) {
        std::size_t end = folder.find('/', start);
        if (end == std::string::npos) {
            end = folder.size();
        }
        const std::string part = folder.substr(start, end - start);
        if (part == "..") {
            if (!parts.empty()) {
                parts.pop_back();
            }
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = end + 1;
    }
    std::string clean = root;
    for (const auto& part : parts) {
        if (!clean.ends_with('/')) {
            clean += '/';
        }
        clean += part;
    }
    const bool changed = clean != localPath_;
    localPath_ = clean;
    path_ = shown(clean);
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
    const std::string folder = localPath_;
    std::vector<std::string> children;
    const std::string prefix = folder.ends_with('/') ? folder : folder + '/';
    if (const auto entries = platform::listDirectory(folder)) {
        for (const auto& entry : *entries) {
            // Only folders that can be opened, so activating one always works.
            if (entry.isDirectory && platform::isOpenableFolder(prefix + entry.name)) {
                children.push_back(entry.name);
            }
        }
    }
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::sort(children.begin(), children.end(), [&](const std::string& a, const std::string& b) {
        return collator.compare(shown(a), shown(b)) < 0;
    });

    clear();
    // Ancestors from the root down to the current folder, then its subfolders.
    auto addEntry = [this](const QString& text, const std::string& target, int depth) {
        auto* item = new QListWidgetItem(QString(depth * 2, QLatin1Char(' ')) + text, this);
        item->setData(Qt::UserRole, QByteArray::fromStdString(target));
        item->setToolTip(shown(target));
        return item;
    };
    const std::string root = rootOf(folder);
    std::string accumulated = root;
    QListWidgetItem* current = addEntry(shown(root), accumulated, 0);
    int depth = 1;
    for (std::size_t start = root.size(); start < folder.size();) {
        std::size_t end = folder.find('/', start);
        if (end == std::string::npos) {
            end = folder.size();
        }
        const std::string part = folder.substr(start, end - start);
        if (!accumulated.ends_with('/')) {
            accumulated += '/';
        }
        accumulated += part;
        current = addEntry(shown(part), accumulated, depth++);
        start = end + 1;
    }
    for (const auto& child : children) {
        addEntry(shown(child), prefix + child, depth);
    }
    setCurrentItem(current);
}

void FolderList::onActivated(QListWidgetItem* item) {
    const std::string target = item->data(Qt::UserRole).toByteArray().toStdString();
    if (target != localPath_) {
        setLocalPath(target);
    }
}

} // namespace tobrel::app
