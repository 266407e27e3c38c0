// The card viewer's save operations: context-menu actions and their keys,
// deleted saves greyed, confirmations and refusals through the prompts seam.

#include "app/frmMemView.h"
#include "cards/card_container.h"
#include "cards/save_manager.h"
#include "tests/app/AppTest.h"
#include "tests/support/card_images.h"

#include "app/ConvertPanel.h"

#include <QAction>
#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QTableWidget>
#include <memory>

using namespace tobrel;
using namespace tobrel::testing;

namespace {

std::vector<std::uint8_t> asBytes(const std::string& text) {
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

// A .gme card holding ONE at blocks 1-2 (BISLPS-00001ONE) and a deleted TWO at block 4.
void writeCard(const std::string& path) {
    std::string body = makeFormattedCard();
    std::vector<std::uint8_t> card = asBytes(body);
    for (const auto& [name, blocks] :
         {std::pair{"BISLPS-00001ONE", 2}, std::pair{"BISLPS-00002TWO", 1}}) {
        cards::SaveData save{name,
                             std::vector<std::uint8_t>(static_cast<std::size_t>(blocks) * 8192, 0)};
        save.blocks[0] = 'S';
        save.blocks[1] = 'C';
        save.blocks[2] = 0x11;
        save.blocks[3] = static_cast<std::uint8_t>(blocks);
        const std::string title = std::string(name).substr(12);
        std::copy(title.begin(), title.end(), save.blocks.begin() + 4);
        QVERIFY(cards::importSave(card, save).ok);
    }
    QVERIFY(cards::importSave(card, {"BISLPS-00003X", std::vector<std::uint8_t>(8192, 0)}).ok);
    QVERIFY(cards::deleteSave(card, 4).ok); // X, at block 4
    QVERIFY(cards::deleteSave(card, 3).ok); // TWO, at block 3
    const auto bytes =
        *cards::serializeCardFile(cards::makeCardFile(card, cards::CardContainer::Gme));
    writeBytes(path, std::string(bytes.begin(), bytes.end()));
}

QAction* action(app::frmMemView& viewer, const QString& text) {
    for (QAction* candidate : viewer.actions()) {
        if (candidate->text() == text) {
            return candidate;
        }
    }
    return nullptr;
}

std::vector<cards::CardSave> savesOf(const std::string& path) {
    return cards::listAllSaves(cards::readCardFile(path, false).file.card);
}

} // namespace

class TestMemViewSaves : public QObject {
    Q_OBJECT

private slots:
    void actionsSitInTheContextMenuWithTheirKeys() {
        TempDir dir;
        writeCard(dir.file("C.gme"));
        app::frmMemView viewer(nullptr, dir.file("C.gme"), false);
        QCOMPARE(viewer.grid()->contextMenuPolicy(), Qt::CustomContextMenu);
        const struct {
            const char* text;
            QKeySequence keys;
        } expected[] = {{"開く…", QKeySequence(Qt::CTRL | Qt::Key_O)},
                        {"書き出し…", QKeySequence(Qt::CTRL | Qt::Key_E)},
                        {"取り込み…", QKeySequence(Qt::CTRL | Qt::Key_I)},
                        {"削除", QKeySequence(Qt::Key_Delete)},
                        {"復元", QKeySequence(Qt::CTRL | Qt::Key_R)},
                        {"カードを別形式で保存…", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)}};
        for (const auto& e : expected) {
            QAction* found = action(viewer, QString::fromUtf8(e.text));
            QVERIFY2(found, e.text);
            QCOMPARE(found->shortcut(), e.keys);
            QVERIFY(viewer.grid()->actions().contains(found));
        }
    }

    void deletedSavesAreGreyedAndComeBack() {
        TempDir dir;
        const std::string card = dir.file("C.gme");
        writeCard(card);
        ScriptedPrompts prompts;
        app::frmMemView viewer(nullptr, card, false);
        QTableWidget* grid = viewer.grid();
        QCOMPARE(grid->item(0, 0)->text(), QStringLiteral("ONE"));
        QCOMPARE(grid->item(1, 0)->text(), QStringLiteral("TWO"));
        QCOMPARE(grid->item(1, 0)->toolTip(), QStringLiteral("削除済み"));
        QVERIFY(grid->item(0, 0)->toolTip().isEmpty());
        QCOMPARE(viewer.checkLine(), QString());

        // Deleting asks first: No keeps the card as it is.
        const std::string before = readBytes(card);
        grid->setCurrentCell(0, 0);
        prompts.yesNoAnswers = {false, true};
        action(viewer, QStringLiteral("削除"))->trigger();
        QCOMPARE(readBytes(card), before);
        QCOMPARE(prompts.questions.size(), 1u);
        QVERIFY(prompts.questions[0].contains(QStringLiteral("ONE")));
        action(viewer, QStringLiteral("削除"))->trigger();
        QVERIFY(savesOf(card)[0].deleted);
        QCOMPARE(grid->item(0, 0)->toolTip(), QStringLiteral("削除済み"));
        QCOMPARE(cards::readCardFile(card, false).file.container, cards::CardContainer::Gme);

        grid->setCurrentCell(0, 0);
        action(viewer, QStringLiteral("復元"))->trigger();
        QCOMPARE(readBytes(card), before);
        QVERIFY(prompts.messages.empty());

        // A live save cannot be restored: the refusal is explained.
        action(viewer, QStringLiteral("復元"))->trigger();
        QCOMPARE(prompts.messages.size(), 1u);
        QCOMPARE(prompts.messages[0].title, QStringLiteral("ｴﾗｰ"));
        QCOMPARE(readBytes(card), before);
    }

    void exportImportAndCopyGoThroughTheDialogs() {
        TempDir dir;
        const std::string card = dir.file("C.gme");
        writeCard(card);
        writeBytes(dir.file("B.mcr"), makeFormattedCard());
        ScriptedPrompts prompts;
        app::frmMemView viewer(nullptr, card, false);
        viewer.grid()->setCurrentCell(0, 0);
        prompts.fileAnswers = {QString::fromStdString(dir.file("ONE.psv"))};
        action(viewer, QStringLiteral("書き出し…"))->trigger();
        QCOMPARE(prompts.fileRequests.back().fileName, QStringLiteral("BISLPS-00001ONE.mcs"));
        const auto exported = cards::readSaveFile(dir.file("ONE.psv"));
        QVERIFY(exported.ok);
        QCOMPARE(exported.format, cards::SaveFormat::Psv);
        QVERIFY(exported.signatureValid);

        app::frmMemView other(nullptr, dir.file("B.mcr"), false);
        prompts.fileAnswers = {QString::fromStdString(dir.file("ONE.psv"))};
        action(other, QStringLiteral("取り込み…"))->trigger();
        QVERIFY(prompts.messages.empty());
        QCOMPARE(other.grid()->item(0, 0)->text(), QStringLiteral("ONE"));
        prompts.fileAnswers = {std::nullopt};
        action(other, QStringLiteral("取り込み…"))->trigger(); // cancelled: nothing happens
        QVERIFY(prompts.messages.empty());

        // Copying (as a drag between viewers does) refuses a name already there.
        other.copySaveFrom(card, 1);
        QCOMPARE(prompts.messages.size(), 1u);
        QCOMPARE(savesOf(dir.file("B.mcr")).size(), 1u);

        prompts.fileAnswers = {QString::fromStdString(dir.file("B.vmp"))};
        action(other, QStringLiteral("カードを別形式で保存…"))->trigger();
        const auto vmp = cards::readCardFile(dir.file("B.vmp"), false);
        QCOMPARE(vmp.file.container, cards::CardContainer::Vmp);
        QVERIFY(vmp.file.signatureValid);

        prompts.fileAnswers = {QString::fromStdString(dir.file("B.vmp"))};
        action(viewer, QStringLiteral("開く…"))->trigger();
        QCOMPARE(viewer.cardPath(), dir.file("B.vmp"));
        QCOMPARE(viewer.grid()->item(0, 0)->text(), QStringLiteral("ONE"));
    }

    void aFileDroppedOnTheMainWindowOpensInTheViewer() {
        MainWindowOnTab main(0, "user.reg");
        main.open();
        const std::string card = main.files.file("C.gme");
        writeCard(card);
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(card))});
        for (const auto type : {QEvent::DragEnter, QEvent::Drop}) {
            QDropEvent event(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier,
                             type);
            QApplication::sendEvent(main.window.get(), &event);
            QVERIFY(event.isAccepted());
        }
        app::frmMemView* viewer = main.window->convertPanel()->viewer();
        QVERIFY(viewer);
        QCOMPARE(viewer->cardPath(), card);
        QCOMPARE(viewer->grid()->item(0, 0)->text(), QStringLiteral("ONE"));

        // A second drop, on the viewer itself, opens there.
        writeBytes(main.files.file("B.mcr"), makeFormattedCard());
        mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(main.files.file("B.mcr")))});
        for (const auto type : {QEvent::DragEnter, QEvent::Drop}) {
            QDropEvent event(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier,
                             type);
            QApplication::sendEvent(viewer, &event);
            QVERIFY(event.isAccepted());
        }
        QCOMPARE(viewer->cardPath(), main.files.file("B.mcr"));
        QVERIFY(!viewer->grid()->item(0, 0));
    }
};

TOBREL_TEST_MAIN(TestMemViewSaves)
#include "tst_memviewsaves.moc"
