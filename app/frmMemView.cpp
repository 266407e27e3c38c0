#include "app/frmMemView.h"

#include "app/StdText.h"
#include "app/Twips.h"
#include "cards/card_format.h"
#include "cards/card_saves.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

namespace tobrel::app {

frmMemView::frmMemView(QWidget* mainWindow, QString path, bool vgsLayout)
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
    flxgrdMem->setColumnWidth(0, px(kDesignColumn0Twips));
    flxgrdMem->setColumnWidth(1, px(kColumn1Twips));

    lblNote->setObjectName(QStringLiteral("lblNote"));
    lblNote->setWordWrap(true);
    lblNote->hide();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(flxgrdMem, 1);
    layout->addWidget(lblNote);

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

void frmMemView::listCardSaves() {
    const auto saves = cards::listCardSaves(toStdString(path_), vgsLayout_);
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
    flxgrdMem->setCurrentCell(0, 1);
}

} // namespace tobrel::app
