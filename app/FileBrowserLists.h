#pragma once
// The drive, folder and file lists of the conversion panel: the machine's
// volumes, the folders around the current location, and the files of a folder
// that match a pattern (without regard to letter case, as on Windows).

#include <QComboBox>
#include <QListWidget>

namespace tobrel::app {

// The folder with one "/" at its end, ready to take a file name.
QString withTrailingSlash(const QString& folder);

// The mounted volumes a user keeps card files on: the root and removable media.
class DriveList : public QComboBox {
    Q_OBJECT
public:
    explicit DriveList(QWidget* parent = nullptr);

    // Fills the list from the mounted volumes.
    void refreshDrives();
    // Root folder of the selected drive.
    QString drive() const;
    // Selects the drive that holds path (the deepest volume root containing it),
    // adding it when it is not listed. Emits driveChanged when it changes.
    void setDriveOf(const QString& path);
    // The listed drive that holds path: the deepest volume root containing it.
    QString driveOf(const QString& path) const;
    // Selects a drive root without emitting driveChanged.
    void selectDriveSilently(const QString& root);

signals:
    void driveChanged(const QString& root);
};

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

// The files of one folder matching one pattern, several selectable at once.
class FileList : public QListWidget {
    Q_OBJECT
public:
    explicit FileList(QWidget* parent = nullptr);

    QString path() const { return path_; }
    QString pattern() const { return pattern_; }
    void setPath(const QString& folder);
    void setPattern(const QString& pattern);
    // Lists the folder again. While the list is hidden this waits until it is
    // shown or ensureListed() is called, so start-up lists each folder once.
    void refresh();
    // Brings a refresh that waited up to date.
    void ensureListed();

signals:
    // A click on the list, by mouse or by a keyboard selection.
    void clicked();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void list();
    QString path_;
    bool stale_ = false;
    QString pattern_ = QStringLiteral("*.*");
};

} // namespace tobrel::app
