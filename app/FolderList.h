#pragma once
// dirIn's kind: the current folder with its ancestors and subfolders.

#include <QListWidget>

namespace tobrel::app {

// The current folder with its ancestors above it and its subfolders below;
// activating an entry (double click or Enter) opens that folder.
class FolderList : public QListWidget {
    Q_OBJECT
public:
    explicit FolderList(QWidget* parent = nullptr);

    QString path() const { return path_; }
    // Points the list at folder; false (and nothing changed) when it cannot be read.
    bool setPath(const QString& folder);

signals:
    void pathChanged(const QString& path);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void onActivated(QListWidgetItem* item);
    void fill();
    QString path_;
    bool stale_ = false;
};

} // namespace tobrel::app
