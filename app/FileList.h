#pragma once
// filIn's kind: the files of a folder that match a pattern, without regard
// to letter case, as on Windows. Names that are not UTF-8 are listed too,
// shown decoded as code page 932.

#include <QListWidget>
#include <string>

namespace tobrel::app {

// The files of one folder matching one pattern, several selectable at once.
class FileList : public QListWidget {
    Q_OBJECT
public:
    explicit FileList(QWidget* parent = nullptr);

    // The folder, in the file system's own bytes.
    const std::string& path() const { return path_; }
    QString pattern() const { return pattern_; }
    void setPath(const std::string& folder);
    // The file system's own name of an item (its text is that name as shown).
    static std::string localName(const QListWidgetItem* item);
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
    std::string path_;
    bool stale_ = false;
    QString pattern_ = QStringLiteral("*.*");
};

} // namespace tobrel::app
