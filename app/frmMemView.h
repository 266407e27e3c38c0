#pragma once
// frmMemView: a small window listing the saves on one card image, beside the
// main window. Every request builds a new window, so two cards never mix.

#include <QString>
#include <QWidget>

#include <QPoint>
#include <string>
#include <vector>

class QDragEnterEvent;
class QDropEvent;
class QKeySequence;

class QAction;
class QLabel;
class QTableWidget;

namespace tobrel::cards {
struct CardSaves;
}

namespace tobrel::app {

class frmMemView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kColumn1Twips = 700; // block counts; titles take the rest

    // Places itself beside mainWindow and lists the saves of the card image at
    // path, read as a VGS image (64-byte header first) when vgsLayout is set.
    frmMemView(QWidget* mainWindow, std::string path, bool vgsLayout);

    QTableWidget* grid() const { return flxgrdMem; }
    // The note shown when the file cannot be read; empty otherwise.
    QString note() const;

    // The card check's findings shown under the grid; empty for a sound card.
    QString checkLine() const;

    // Reads the card image and fills the grid: the saves in block order,
    // deleted ones greyed.
    void listCardSaves();

    // The card shown, as the file system's bytes.
    const std::string& cardPath() const { return path_; }
    // Shows another card file; its layout is told by content.
    void openCard(std::string path);

    // The operations of the context menu and their keys. Each refused one is
    // explained in a box; a deletion is confirmed first.
    void openFile();     // 開く… (Ctrl+O)
    void exportSave();   // 書き出し… (Ctrl+E)
    void importSave();   // 取り込み… (Ctrl+I)
    void deleteSave();   // 削除 (Delete)
    void undeleteSave(); // 復元 (Ctrl+R)
    void saveCardAs();   // カードを別形式で保存… (Ctrl+Shift+S)
    // Copies the save at block of the card at fromPath onto this card.
    void copySaveFrom(const std::string& fromPath, int block);

    // The first block of the save on the current row, 0 for none.
    int currentBlock() const;

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void addAction(const QString& text, const QKeySequence& keys, void (frmMemView::*slot)());
    // Puts each listed save's icon into its title cell and the findings under the grid.
    void showCardInsight(const cards::CardSaves& saves);

    std::string path_; // the file system's bytes
    bool vgsLayout_;
    std::vector<int> rowBlocks_;   // first block of each listed row
    std::vector<bool> rowDeleted_; // the row's save is deleted
    QPoint dragStart_;
    QTableWidget* flxgrdMem;
    QLabel* lblNote;
    QLabel* lblCheck = nullptr;
    int findingsHeight_ = 0; // pixels kept under the grid for the note or the findings
};

} // namespace tobrel::app
