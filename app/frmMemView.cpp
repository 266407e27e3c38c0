#include "app/frmMemView.h"

#include "app/ModernSlotMenu.h"
#include "app/StdText.h"
#include "app/Twips.h"
#include "cards/card_format.h"
#include "cards/card_saves.h"

#include <QHeaderView>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QPixmap>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace tobrel::app {

frmMemView::frmMemView(QWidget* mainWindow, std::string path, bool vgsLayout)
    : QWidget(nullptr, Qt::Window), path_(std::move(path)), vgsLayout_(vgsLayout),
      flxgrdMem(new QTableWidget(cards::kSaveBlockCount, 2, this)), lblNote(new QLabel(this)) {
    setObjectName(QStringLiteral("frmMemView"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("ﾒﾓﾘｰｶｰﾄﾞ情報"));
    setFixedSize(px(5175), px(3735));

    flxgrdMem->setObjectName(QStringLiteral("flxgrdMem"));
    flxgrdMem->setAccessibleName(QStringLiteral("セーブデータ一覧"));
    flxgrdMem->setEditTriggers(QAbstractItemView::NoEditTriggers);
    flxgrdMem->verticalHeader()->hide();
    flxgrdMem->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    flxgrdMem->horizontalHeader()->setStretchLastSection(false);
    // The header and all 15 save rows share the window's height, so every
    // save shows without scrolling (and no scroll bar narrows the titles).
    const int headerHeight = flxgrdMem->fontMetrics().height() + 4;
    const int inner = height() - 2 * flxgrdMem->frameWidth();
    flxgrdMem->horizontalHeader()->setFixedHeight(headerHeight);
    flxgrdMem->verticalHeader()->setMinimumSectionSize(1);
    flxgrdMem->verticalHeader()->setDefaultSectionSize((inner - headerHeight) /
                                                       cards::kSaveBlockCount);
    flxgrdMem->setColumnWidth(0, px(kDesignColumn0Twips));
    flxgrdMem->setColumnWidth(1, px(kColumn1Twips));

    lblNote->setObjectName(QStringLiteral("lblNote"));
    lblNote->setWordWrap(true);
    lblNote->hide();

    lblCheck = new QLabel(this);
    lblCheck->setObjectName(QStringLiteral("lblCheck"));
    lblCheck->setAccessibleName(QStringLiteral("ｶｰﾄﾞの検査結果"));
    lblCheck->setWordWrap(true);
    lblCheck->setContentsMargins(px(45), 0, px(45), 0);
    lblCheck->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    lblCheck->hide();
    // Icons are drawn at their own 16 pixels where the rows are tall enough.
    const int iconSide =
        std::min(cards::kIconSide, flxgrdMem->verticalHeader()->defaultSectionSize());
    flxgrdMem->setIconSize(QSize(iconSide, iconSide));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(flxgrdMem, 1);
    layout->addWidget(lblNote);
    layout->addWidget(lblCheck);

    // The context menu (also from the keyboard's menu key or Shift+F10).
    flxgrdMem->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(flxgrdMem, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu menu(this);
        ModernSlotMenu::addTo(menu, this, path_,
                              emulator::findEmulators(emulator::currentSearchPlaces()));
        menu.exec(flxgrdMem->viewport()->mapToGlobal(at));
    });

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
    flxgrdMem->setColumnWidth(1, px(kColumn1Twips));
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
        if (flxgrdMem->columnWidth(0) < px(kWideColumn0Twips)) {
            flxgrdMem->setColumnWidth(0, px(kWideColumn0Twips));
        }
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
    // A few findings fit under the grid; the rest are counted and in the tooltip.
    constexpr std::size_t kShownFindings = 3;
    QStringList shown;
    QStringList all;
    for (const auto& finding : saves.findings) {
        all << QString::fromStdString(cards::findingLine(finding));
        if (static_cast<std::size_t>(shown.size()) < kShownFindings) {
            shown << all.back();
        }
    }
    if (all.isEmpty()) {
        return;
    }
    QString text = shown.join(QStringLiteral("、"));
    if (all.size() > shown.size()) {
        text += QStringLiteral("、ほか%1件").arg(all.size() - shown.size());
    }
    lblCheck->setText(text);
    lblCheck->setToolTip(all.join(QLatin1Char('\n')));
    lblCheck->setAccessibleDescription(all.join(QStringLiteral("、")));
    lblCheck->show();
    // The findings go below the grid, which keeps its height: all 15 rows stay
    // in view without a scroll bar narrowing the titles.
    setFixedHeight(height() + lblCheck->heightForWidth(width()));
}

} // namespace tobrel::app
