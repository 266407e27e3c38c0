#pragma once
// drvIn's kind: the mounted volumes a user keeps card files on.

#include <QComboBox>

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

} // namespace tobrel::app
