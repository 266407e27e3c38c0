#pragma once
// filIn's kind: the files of a folder that match a pattern, without regard
// to letter case, as on Windows.

#include <QListWidget>

namespace tobrel::app {

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
