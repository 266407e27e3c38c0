#pragma once
// dirIn's kind: the current folder with its ancestors and subfolders.

#include <QListWidget>
#include <string>

namespace tobrel::app {

// The current folder with its ancestors above it and its subfolders below;
// activating an entry (double click or Enter) opens that folder. Folders
// whose names are not UTF-8 are listed too, shown decoded as code page 932.
class FolderList : public QListWidget {
    Q_OBJECT
public:
    explicit FolderList(QWidget* parent = nullptr);

    // The folder as text to show and save.
    QString path() const { return path_; }
    // The folder as the file system names it, for opening files in it.
    const std::string& localPath() const { return localPath_; }
    // Points the list at folder; false (and nothing changed) when it cannot be read.
    bool setPath(const QString& folder);
    // The same for an absolute path in the file system's own bytes.
    bool setLocalPath(const std::string& folder);

signals:
    void pathChanged(const QString& path);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void onActivated(QListWidgetItem* item);
    void fill();
    QString path_;
    std::string localPath_;
    bool stale_ = false;
};

} // namespace tobrel::app
