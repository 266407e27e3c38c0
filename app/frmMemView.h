#pragma once
// frmMemView: a small window listing the saves on one card image, beside the
// main window. Every request builds a new window, so two cards never mix.

#include <QWidget>

class QLabel;
class QTableWidget;

namespace tobrel::cards {
struct CardSaves;
}

namespace tobrel::app {

class frmMemView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kDesignColumn0Twips = 1005;
    static constexpr int kWideColumn0Twips = 4320;
    static constexpr int kColumn1Twips = 700;

    // Places itself beside mainWindow and lists strViewPath.
    explicit frmMemView(QWidget* mainWindow);

    QTableWidget* grid() const { return flxgrdMem; }
    // The note shown when the file cannot be read; empty otherwise.
    QString note() const;

    // The card check's findings shown under the grid; empty for a sound card.
    QString checkLine() const;

    // Reads the file named by the hand-over values and fills the grid.
    void listCardSaves();

private:
    // Puts each listed save's icon into its title cell and the findings under the grid.
    void showCardInsight(const cards::CardSaves& saves);

    QTableWidget* flxgrdMem;
    QLabel* lblNote;
    QLabel* lblCheck = nullptr;
};

} // namespace tobrel::app
