#include "app/frmMemView.h"

#include "app/ModernSlotMenu.h"
#include "app/StdText.h"
#include "app/Twips.h"
#include "app/UserPrompts.h"
#include "cards/card_container.h"
#include "cards/card_format.h"
#include "cards/card_saves.h"
#include "cards/save_manager.h"
#include "platform/files.h"

#include <QAction>
#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QHeaderView>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
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

    // The context menu (also from the keyboard's menu key or Shift+F10): the
    // save operations, then the emulators' slots for this card.
    flxgrdMem->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(flxgrdMem, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu menu(this);
        menu.addActions(flxgrdMem->actions());
        menu.addSeparator();
        ModernSlotMenu::addTo(menu, this, path_,
                              emulator::findEmulators(emulator::currentSearchPlaces()));
        menu.exec(flxgrdMem->viewport()->mapToGlobal(at));
    });

    if (mainWindow) {
        setWindowIcon(mainWindow->windowIcon());
        const QRect frame = mainWindow->frameGeometry();
        move(frame.x() + frame.width(), frame.y());
    }

    // The save operations live in the grid's context menu and on keys.
    addAction(QStringLiteral("開く…"), QKeySequence(Qt::CTRL | Qt::Key_O), &frmMemView::openFile);
    addAction(QStringLiteral("書き出し…"), QKeySequence(Qt::CTRL | Qt::Key_E),
              &frmMemView::exportSave);
    addAction(QStringLiteral("取り込み…"), QKeySequence(Qt::CTRL | Qt::Key_I),
              &frmMemView::importSave);
    addAction(QStringLiteral("削除"), QKeySequence(Qt::Key_Delete), &frmMemView::deleteSave);
    addAction(QStringLiteral("復元"), QKeySequence(Qt::CTRL | Qt::Key_R),
              &frmMemView::undeleteSave);
    addAction(QStringLiteral("カードを別形式で保存…"),
              QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), &frmMemView::saveCardAs);
    // Files dropped here open; saves dragged from another viewer are copied here.
    setAcceptDrops(true);
    flxgrdMem->viewport()->installEventFilter(this);
    listCardSaves();
}

void frmMemView::addAction(const QString& text, const QKeySequence& keys,
                           void (frmMemView::*slot)()) {
    auto* action = new QAction(text, this);
    action->setShortcut(keys);
    action->setShortcutContext(Qt::WindowShortcut);
    connect(action, &QAction::triggered, this, slot);
    QWidget::addAction(action);
    flxgrdMem->addAction(action);
}

QString frmMemView::note() const {
    return lblNote->isHidden() ? QString() : lblNote->text();
}

QString frmMemView::checkLine() const {
    return lblCheck->isHidden() ? QString() : lblCheck->text();
}

namespace {

constexpr const char* kSaveMime = "application/x-tobrel-save";

QString fromLocalBytes(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

std::string toLocalBytes(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

// The extension of a path in lower case, without the dot.
std::string extensionOf(const QString& path) {
    const QString name = path.section(QLatin1Char('/'), -1);
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? std::string() : name.mid(dot + 1).toLower().toStdString();
}

// The card as the viewer shows it: the VGS layout when asked for, .gme and
// .vmp by content, anything else as a raw card.
cards::CardFileRead readShownCard(const std::string& path, bool vgsLayout) {
    if (vgsLayout) {
        return cards::readCardFile(path, true, cards::CardContainer::Vgs);
    }
    auto read = cards::readCardFile(path, true);
    if (read.readable && read.file.container == cards::CardContainer::Vgs) {
        read = cards::readCardFile(path, true, cards::CardContainer::Raw);
    }
    return read;
}

} // namespace

void frmMemView::listCardSaves() {
    flxgrdMem->clearContents();
    lblNote->hide();
    lblCheck->hide();
    rowBlocks_.clear();
    rowDeleted_.clear();

    const auto read = readShownCard(path_, vgsLayout_);
    const bool ownContainer = read.readable && (read.file.container == cards::CardContainer::Gme ||
                                                read.file.container == cards::CardContainer::Vmp);
    cards::CardSaves saves;
    if (ownContainer) {
        saves.readable = true;
        saves.rows = cards::listSaveRows(read.file.card);
        saves.findings = cards::checkCardFileContent(read.file);
    } else {
        saves = cards::listCardSaves(path_, vgsLayout_);
    }
    // Deleted saves join the live ones in block order.
    std::vector<cards::SaveRow> rows = saves.rows;
    std::vector<bool> deleted(rows.size(), false);
    if (read.readable) {
        for (const auto& save : cards::listAllSaves(read.file.card)) {
            if (!save.deleted) {
                continue;
            }
            auto at = std::find_if(rows.begin(), rows.end(), [&](const cards::SaveRow& row) {
                return row.block > save.block;
            });
            const auto index = at - rows.begin();
            rows.insert(at, {save.block, save.title, save.blockCount(), save.icon});
            deleted.insert(deleted.begin() + index, true);
        }
    }
    saves.rows = rows;

    flxgrdMem->setHorizontalHeaderLabels({QStringLiteral("ﾀｲﾄﾙ"), QStringLiteral("ﾌﾞﾛｯｸ数")});
    if (!saves.readable) {
        lblNote->setText(QString::fromStdString(saves.error));
        lblNote->show();
    }
    const QColor grey = palette().color(QPalette::Disabled, QPalette::Text);
    int row = 0;
    for (const auto& save : saves.rows) {
        auto* title = new QTableWidgetItem(QString::fromStdString(save.title));
        auto* count = new QTableWidgetItem(QString::number(save.blockCount));
        count->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        if (deleted[static_cast<std::size_t>(row)]) {
            for (auto* item : {title, count}) {
                item->setForeground(grey);
                item->setToolTip(QStringLiteral("削除済み"));
            }
            title->setData(Qt::AccessibleDescriptionRole, QStringLiteral("削除済み"));
        }
        flxgrdMem->setItem(row, 0, title);
        flxgrdMem->setItem(row, 1, count);
        rowBlocks_.push_back(save.block);
        rowDeleted_.push_back(deleted[static_cast<std::size_t>(row)]);
        ++row;
    }
    showCardInsight(saves);
    flxgrdMem->setCurrentCell(0, 1);
    // Making the cell current scrolls it into a view that is not laid out yet;
    // the window opens showing the grid from its first column.
    flxgrdMem->horizontalScrollBar()->setValue(0);
    flxgrdMem->verticalScrollBar()->setValue(0);
}

int frmMemView::currentBlock() const {
    const int row = flxgrdMem->currentRow();
    return row >= 0 && row < static_cast<int>(rowBlocks_.size())
               ? rowBlocks_[static_cast<std::size_t>(row)]
               : 0;
}

void frmMemView::openCard(std::string path) {
    path_ = std::move(path);
    const auto read = cards::readCardFile(path_, true);
    vgsLayout_ = read.readable && read.file.container == cards::CardContainer::Vgs;
    listCardSaves();
}

void frmMemView::openFile() {
    OpenFileRequest request;
    request.title = QStringLiteral("開く");
    request.nameFilter = QStringLiteral("ﾒﾓﾘｰｶｰﾄﾞﾌｧｲﾙ(*.*) (*)");
    request.initialDirectory = fromLocalBytes(path_).section(QLatin1Char('/'), 0, -2);
    request.flags = OpenFileRequest::kFlagPathMustExist | OpenFileRequest::kFlagFileMustExist;
    if (const auto chosen = UserPrompts::current().chooseOpenFile(this, request)) {
        openCard(toLocalBytes(*chosen));
    }
}

void frmMemView::exportSave() {
    const int block = currentBlock();
    if (block == 0) {
        return;
    }
    const auto read = readShownCard(path_, vgsLayout_);
    std::string error = read.error;
    const auto save =
        read.readable ? cards::exportSave(read.file.card, block, &error) : std::nullopt;
    if (!save) {
        showErrorMessage(this, QString::fromStdString(error));
        return;
    }
    OpenFileRequest request;
    request.title = QStringLiteral("書き出し");
    request.nameFilter =
        QStringLiteral("ｾｰﾌﾞﾌｧｲﾙ(*.mcs;*.ps1;*.psx;*.psv) (*.mcs *.ps1 *.psx *.psv)");
    request.initialDirectory = fromLocalBytes(path_).section(QLatin1Char('/'), 0, -2);
    request.fileName = QString::fromStdString(cards::saveFileName(*save, cards::SaveFormat::Mcs));
    const auto chosen = UserPrompts::current().chooseSaveFile(this, request);
    if (!chosen) {
        return;
    }
    const auto format = cards::saveFormatFromExtension(extensionOf(*chosen));
    const auto bytes = format ? cards::packSaveFile(*save, *format) : std::nullopt;
    if (!bytes) {
        showErrorMessage(this, QStringLiteral("その形式では書き出せません"));
        return;
    }
    int errorNumber = 0;
    if (!platform::replaceFileAtomically(
            toLocalBytes(*chosen),
            std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()),
            &errorNumber)) {
        showErrorMessage(this, QString::fromStdString("書き込めません: " +
                                                      platform::describeError(errorNumber)));
    }
}

void frmMemView::importSave() {
    OpenFileRequest request;
    request.title = QStringLiteral("取り込み");
    request.nameFilter = QStringLiteral("ｾｰﾌﾞﾌｧｲﾙ(*.*) (*)");
    request.initialDirectory = fromLocalBytes(path_).section(QLatin1Char('/'), 0, -2);
    request.flags = OpenFileRequest::kFlagPathMustExist | OpenFileRequest::kFlagFileMustExist;
    const auto chosen = UserPrompts::current().chooseOpenFile(this, request);
    if (!chosen) {
        return;
    }
    const auto read = cards::readSaveFile(toLocalBytes(*chosen));
    if (!read.ok) {
        showErrorMessage(this, QString::fromStdString(read.error));
        return;
    }
    const auto edit = cards::importSaveFile(path_, read.save);
    listCardSaves();
    if (!edit.ok) {
        showErrorMessage(this, QString::fromStdString(edit.error));
        return;
    }
    for (const auto& name : edit.givenUp) {
        UserPrompts::current().showMessage(
            this, MessageIcon::Information, QStringLiteral("取り込み"),
            QString::fromStdString("削除済みｾｰﾌﾞ " + name + " の領域を使いました"));
    }
}

void frmMemView::deleteSave() {
    const int block = currentBlock();
    if (block == 0) {
        return;
    }
    const QString title = flxgrdMem->item(flxgrdMem->currentRow(), 0)->text();
    if (!UserPrompts::current().askYesNo(this, QStringLiteral("削除"),
                                         QStringLiteral("「%1」を削除しますか?").arg(title))) {
        return;
    }
    const auto edit = cards::deleteSaveFile(path_, block);
    listCardSaves();
    if (!edit.ok) {
        showErrorMessage(this, QString::fromStdString(edit.error));
    }
}

void frmMemView::undeleteSave() {
    const int block = currentBlock();
    if (block == 0) {
        return;
    }
    const auto edit = cards::undeleteSaveFile(path_, block);
    listCardSaves();
    if (!edit.ok) {
        showErrorMessage(this, QString::fromStdString(edit.error));
    }
}

void frmMemView::saveCardAs() {
    const auto read = readShownCard(path_, vgsLayout_);
    if (!read.readable) {
        showErrorMessage(this, QString::fromStdString(read.error));
        return;
    }
    OpenFileRequest request;
    request.title = QStringLiteral("カードを別形式で保存");
    request.nameFilter = QStringLiteral(
        "ﾒﾓﾘｰｶｰﾄﾞﾌｧｲﾙ(*.mcr;*.mcd;*.mem;*.gme;*.vmp) (*.mcr *.mcd *.mem *.gme *.vmp)");
    request.initialDirectory = fromLocalBytes(path_).section(QLatin1Char('/'), 0, -2);
    const auto chosen = UserPrompts::current().chooseSaveFile(this, request);
    if (!chosen) {
        return;
    }
    const auto container = cards::containerFromName(extensionOf(*chosen));
    if (!container) {
        showErrorMessage(this, QStringLiteral("拡張子からｶｰﾄﾞの形式がわかりません"));
        return;
    }
    std::string error;
    if (!cards::writeCardFile(toLocalBytes(*chosen),
                              cards::makeCardFile(read.file.card, *container), error)) {
        showErrorMessage(this, QString::fromStdString(error));
    }
}

void frmMemView::copySaveFrom(const std::string& fromPath, int block) {
    const auto edit = cards::copySaveFile(fromPath, block, path_);
    listCardSaves();
    if (!edit.ok) {
        showErrorMessage(this, QString::fromStdString(edit.error));
    }
}

void frmMemView::dragEnterEvent(QDragEnterEvent* event) {
    const QMimeData* mime = event->mimeData();
    if (mime->hasFormat(QLatin1String(kSaveMime)) ? event->source() != flxgrdMem->viewport()
                                                  : mime->hasUrls()) {
        event->acceptProposedAction();
    }
}

void frmMemView::dropEvent(QDropEvent* event) {
    const QMimeData* mime = event->mimeData();
    if (mime->hasFormat(QLatin1String(kSaveMime))) {
        // "<block>\n<card path bytes>" from another viewer.
        const QByteArray data = mime->data(QLatin1String(kSaveMime));
        const int newline = data.indexOf('\n');
        if (newline > 0) {
            event->acceptProposedAction();
            copySaveFrom(data.mid(newline + 1).toStdString(), data.left(newline).toInt());
        }
        return;
    }
    for (const QUrl& url : mime->urls()) {
        if (url.isLocalFile()) {
            event->acceptProposedAction();
            openCard(toLocalBytes(url.toLocalFile()));
            return;
        }
    }
}

bool frmMemView::eventFilter(QObject* watched, QEvent* event) {
    if (watched != flxgrdMem->viewport()) {
        return QWidget::eventFilter(watched, event);
    }
    if (event->type() == QEvent::MouseButtonPress) {
        dragStart_ = static_cast<QMouseEvent*>(event)->position().toPoint();
    } else if (event->type() == QEvent::MouseMove) {
        auto* move = static_cast<QMouseEvent*>(event);
        const int block = currentBlock();
        if ((move->buttons() & Qt::LeftButton) && block != 0 &&
            (move->position().toPoint() - dragStart_).manhattanLength() >=
                QApplication::startDragDistance()) {
            auto* mime = new QMimeData;
            mime->setData(QLatin1String(kSaveMime),
                          QByteArray::number(block) + '\n' + QByteArray::fromStdString(path_));
            auto* drag = new QDrag(flxgrdMem->viewport());
            drag->setMimeData(mime);
            drag->exec(Qt::CopyAction);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
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
