#include "app/FolderList.h"

#include "app/DriveList.h"
#include "platform/encoding.h"
#include "platform/files.h"

#include <QCollator>
#include <QDir>
#include <QFileInfo>

namespace tobrel::app {
namespace {

QString shown(const std::string& bytes) {
    return QString::fromStdString(platform::nameForDisplay(bytes));
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

bool FolderList::setLocalPath(const std::string& folder) {
    if (!platform::isOpenableFolder(folder)) {
        return false;
    }
    // Cleaned by hand: Qt would decode names that are not UTF-8 lossily.
    std::string clean;
    for (std::size_t start = 0; start < folder.size();) {
        std::size_t end = folder.find('/', start);
        if (end == std::string::npos) {
            end = folder.size();
        }
        const std::string part = folder.substr(start, end - start);
        if (part == "..") {
            clean.erase(clean.empty() ? 0 : clean.rfind('/'));
        } else if (!part.empty() && part != ".") {
            clean += '/';
            clean += part;
        }
        start = end + 1;
    }
    if (clean.empty()) {
        clean.push_back('/'); // the root
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
    const std::string prefix = folder == "/" ? folder : folder + '/';
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
    std::string accumulated = "/";
    QListWidgetItem* current = addEntry(QStringLiteral("/"), accumulated, 0);
    int depth = 1;
    for (std::size_t start = 1; start < folder.size();) {
        std::size_t end = folder.find('/', start);
        if (end == std::string::npos) {
            end = folder.size();
        }
        const std::string part = folder.substr(start, end - start);
        if (accumulated != "/") {
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
