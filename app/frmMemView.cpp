#include "app/frmMemView.h"

#include "app/StdText.h"
#include "app/Twips.h"
#include "cards/card_format.h"
#include "cards/card_saves.h"

#include <QHeaderView>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace tobrel::app {

namespace {

// Keeps the icon's place in every title cell, with an icon or without, so
// that all titles start at the same place.
class TitleDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        if (index.column() == 0) {
            option->features |= QStyleOptionViewItem::HasDecoration;
            option->decorationSize = QSize(cards::kIconSide, cards::kIconSide);
        }
    }
};

// Lines under the grid kept for the card check's findings, shown or not.
constexpr int kFindingLines = 2;

} // namespace

frmMemView::frmMemView(QWidget* mainWindow, std::string path, bool vgsLayout)
    : QWidget(nullptr, Qt::Window), path_(std::move(path)), vgsLayout_(vgsLayout),
      flxgrdMem(new QTableWidget(cards::kSaveBlockCount, 2, this)), lblNote(new QLabel(this)) {
    setObjectName(QStringLiteral("frmMemView"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("ﾒﾓﾘｰｶｰﾄﾞ情報"));

    flxgrdMem->setObjectName(QStringLiteral("flxgrdMem"));
    flxgrdMem->setAccessibleName(QStringLiteral("セーブデータ一覧"));
    flxgrdMem->setEditTriggers(QAbstractItemView::NoEditTriggers);
    flxgrdMem->verticalHeader()->hide();
    // The title column takes what the block counts leave, so the two columns
    // fill the grid whatever the card holds.
    QHeaderView* columns = flxgrdMem->horizontalHeader();
    columns->setStretchLastSection(false);
    columns->setSectionResizeMode(0, QHeaderView::Stretch);
    columns->setSectionResizeMode(1, QHeaderView::Fixed);
    flxgrdMem->setColumnWidth(1, px(kColumn1Twips));
    // Rows tall enough for an icon at its own 16 pixels above the grid line,
    // and a grid tall enough for the header and all 15 rows: every save shows
    // without scrolling, and no scroll bar narrows the titles.
    const int headerHeight = flxgrdMem->fontMetrics().height() + 4;
    const int rowHeight = std::max(cards::kIconSide, flxgrdMem->fontMetrics().height() + 2) + 1;
    columns->setFixedHeight(headerHeight);
    flxgrdMem->verticalHeader()->setMinimumSectionSize(1);
    flxgrdMem->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    flxgrdMem->verticalHeader()->setDefaultSectionSize(rowHeight);
    flxgrdMem->setIconSize(QSize(cards::kIconSide, cards::kIconSide));
    flxgrdMem->setItemDelegateForColumn(0, new TitleDelegate(flxgrdMem));
    const int gridHeight =
        2 * flxgrdMem->frameWidth() + headerHeight + cards::kSaveBlockCount * rowHeight;
    flxgrdMem->setFixedHeight(gridHeight);

    lblNote->setObjectName(QStringLiteral("lblNote"));
    lblNote->setWordWrap(true);
    lblNote->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblNote->hide();

    lblCheck = new QLabel(this);
    lblCheck->setObjectName(QStringLiteral("lblCheck"));
    lblCheck->setAccessibleName(QStringLiteral("ｶｰﾄﾞの検査結果"));
    lblCheck->setWordWrap(true);
    lblCheck->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblCheck->setContentsMargins(px(45), 0, px(45), 0);
    lblCheck->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    lblCheck->hide();

    // The place under the grid for the note or the findings is there whether
    // or not either shows: the window keeps one height.
    findingsHeight_ = kFindingLines * lblCheck->fontMetrics().lineSpacing() + 2;
    setFixedSize(px(5175), gridHeight + findingsHeight_);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(flxgrdMem);
    layout->addWidget(lblNote, 1);
    layout->addWidget(lblCheck, 1);
    layout->addStretch(); // while neither shows

    if (mainWindow) {
        setWindowIcon(mainWindow->windowIcon());
        const QRect frame = mainWindow->frameGeometry();
        move(frame.x() + frame.width(), frame.y());
    }
    listCardSaves();
}

QString frmMemView::note() const {
    return lblNote->isHidden() ? QString() : lblNote->text();
}

QString frmMemView::checkLine() const {
    return lblCheck->isHidden() ? QString() : lblCheck->text();
}

void frmMemView::listCardSaves() {
    const auto saves = cards::listCardSaves(path_, vgsLayout_);
    flxgrdMem->setHorizontalHeaderLabels({QStringLiteral("ﾀｲﾄﾙ"), QStringLiteral("ﾌﾞﾛｯｸ数")});
    if (!saves.readable) {
        lblNote->setText(QString::fromStdString(saves.error));
        lblNote->show();
    }
    int row = 0;
    for (const auto& save : saves.rows) {
        flxgrdMem->setItem(row, 0, new QTableWidgetItem(QString::fromStdString(save.title)));
        auto* count = new QTableWidgetItem(QString::number(save.blockCount));
        count->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        flxgrdMem->setItem(row, 1, count);
        ++row;
    }
    showCardInsight(saves);
    flxgrdMem->setCurrentCell(0, 1);
    // Making the cell current scrolls it into a view that is not laid out yet;
    // the window opens showing the grid from its first column.
    flxgrdMem->horizontalScrollBar()->setValue(0);
    flxgrdMem->verticalScrollBar()->setValue(0);
}

void frmMemView::showCardInsight(const cards::CardSaves& saves) {
    for (int row = 0; row < static_cast<int>(saves.rows.size()); ++row) {
        const auto& icon = saves.rows[static_cast<std::size_t>(row)].icon;
        QTableWidgetItem* title = flxgrdMem->item(row, 0);
        if (icon && title) {
            const QImage image(icon->rgba.data(), cards::kIconSide, cards::kIconSide,
                               cards::kIconSide * 4, QImage::Format_RGBA8888);
            title->setIcon(QIcon(QPixmap::fromImage(image)));
        }
    }
    // Up to three findings in the lines under the grid, fewer when they would
    // not fit there; the rest are counted, and all are in the tooltip.
    constexpr int kMostShown = 3;
    QStringList all;
    for (const auto& finding : saves.findings) {
        all << QString::fromStdString(cards::findingLine(finding));
    }
    if (all.isEmpty()) {
        return;
    }
    for (int shown = std::min(kMostShown, static_cast<int>(all.size())); shown >= 1; --shown) {
        QString text = all.mid(0, shown).join(QStringLiteral("、"));
        if (all.size() > shown) {
            text += QStringLiteral("、ほか%1件").arg(all.size() - shown);
        }
        lblCheck->setText(text);
        if (lblCheck->heightForWidth(width()) <= findingsHeight_) {
            break;
        }
    }
    lblCheck->setToolTip(all.join(QLatin1Char('\n')));
    lblCheck->setAccessibleDescription(all.join(QStringLiteral("、")));
    lblCheck->show();
}

} // namespace tobrel::app
