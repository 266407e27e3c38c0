#pragma once
// frmMemView: a small window listing the saves on one card image, beside the
// main window. Every request builds a new window, so two cards never mix.

#include <QString>
#include <QWidget>

#include <string>

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

    // Reads the card image and fills the grid.
    void listCardSaves();

private:
    // Puts each listed save's icon into its title cell and the findings under the grid.
    void showCardInsight(const cards::CardSaves& saves);

    std::string path_; // the file system's bytes
    bool vgsLayout_;
    QTableWidget* flxgrdMem;
    QLabel* lblNote;
    QLabel* lblCheck = nullptr;
    int findingsHeight_ = 0; // pixels kept under the grid for the note or the findings
};

} // namespace tobrel::app
