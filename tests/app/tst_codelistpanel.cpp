// The code list panel: choosing the list, extracting, the messages and the
// saved path.

#include "app/CodeListPanel.h"
#include "app/TabStrip.h"
#include "app/frmMain.h"
#include "tests/app/AppTest.h"
#include "tests/support/card_images.h"
#include "tests/support/registry_env.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTimer>

using namespace tobrel;
using namespace tobrel::testing;

namespace {

const std::string kList = ";list\r\n#SLUS-00001 A\r\ncode1\r\n#SLPS-00002 B\r\ncode2\r\n.end\r\n";
const std::string kExtracted = ";list\r\n#SLPS-00002 B\r\ncode2\r\n.end\r\n";

// A list long enough that the extraction yields to the window on any machine.
void writeBigList(const std::string& path) {
    std::string big;
    big.reserve(80u << 20);
    while (big.size() < (80u << 20)) {
        big += "#SLPS-01234 Game\r\ncode 8001234 0001\r\n#SLUS-00001 Other\r\nx\r\n";
    }
    writeBytes(path, big);
}

} // namespace

class TestCodeListPanel : public QObject {
    Q_OBJECT

private:
    struct Fixture {
        TempSettings ini;
        TempDir files;
        ScriptedPrompts prompts;
        app::frmMain window;

        Fixture() {
            window.load();
            window.show();
            window.mainTabs()->tabBar()->setCurrentIndex(4);
        }
        ~Fixture() { window.close(); }
        QLineEdit* box() const { return window.findChild<QLineEdit*>("txtCodeList"); }
        QPushButton* button(const char* name) const { return window.findChild<QPushButton*>(name); }
        QString local(const char* name) const { return qs(files.file(name)); }
    };

private slots:
    void choosingTheListAndCancellingTheNextTimeLeavesTheBoxEmpty() {
        Fixture f;
        writeBytes(f.files.file("codelist.inf"), kList);
        f.prompts.fileAnswers = {f.local("codelist.inf") + " ", std::nullopt};
        QTest::mouseClick(f.button("cmdCodeList"), Qt::LeftButton);
        QCOMPARE(f.box()->text(), f.local("codelist.inf"));
        const auto& first = f.prompts.fileRequests.at(0);
        QCOMPARE(first.title, QStringLiteral("[pec]Codelistﾌｧｲﾙの指定"));
        QCOMPARE(first.nameFilter, QStringLiteral("[pec]Codelistﾌｧｲﾙ(*.inf) (*.inf)"));
        QCOMPARE(first.initialDirectory, QApplication::applicationDirPath());
        QVERIFY(first.fileName.isEmpty());

        QTest::mouseClick(f.button("cmdCodeList"), Qt::LeftButton);
        QVERIFY(f.box()->text().isEmpty());
        const auto& second = f.prompts.fileRequests.at(1);
        QCOMPARE(second.initialDirectory, f.local(""));
        QCOMPARE(second.fileName, QStringLiteral("codelist.inf"));
    }

    void listPathTheSettingsFileCannotHoldIsRefusedAndTheBoxKept() {
        Fixture f;
        writeBytes(f.files.file("codelist.inf"), kList);
        std::filesystem::create_directory(f.files.path() / "café");
        writeBytes(f.files.file("café/codelist.inf"), kList);
        f.prompts.fileAnswers = {f.local("codelist.inf"), f.local("café/codelist.inf")};
        QTest::mouseClick(f.button("cmdCodeList"), Qt::LeftButton);
        QTest::mouseClick(f.button("cmdCodeList"), Qt::LeftButton);
        QCOMPARE(f.box()->text(), f.local("codelist.inf"));
        QCOMPARE(f.prompts.messages.size(), std::size_t{1});
        QCOMPARE(f.prompts.messages[0].title, QStringLiteral("ｴﾗｰ"));
        QCOMPARE(f.prompts.messages[0].text,
                 QStringLiteral("このパスは指定できません(Shift-JISで表せない文字を含みます)。\n") +
                     f.local("café/codelist.inf"));
    }

    void proposedNameIsTheOneTheSharedDialogLastHeld() {
        Fixture f;
        TempDir registryFolder;
        ScopedEnv registry("TOBREL_REGISTRY", registryFolder.file("user.reg"));
        writeBytes(f.files.file("card.MCD"), makeCardBody());
        f.box()->setText(f.local("lists/mine.inf"));

        // With nothing held yet, the box's own name is proposed.
        f.prompts.fileAnswers = {std::nullopt};
        QTest::mouseClick(f.button("cmdCodeList"), Qt::LeftButton);
        QCOMPARE(f.prompts.fileRequests.back().fileName, QStringLiteral("mine.inf"));

        // A file chosen on another panel is what the dialog holds now.
        f.prompts.fileAnswers = {f.local("card.MCD")};
        f.window.findChild<QPushButton*>("cmdbSlot_0")->click();
        f.box()->setText(f.local("lists/mine.inf"));
        f.prompts.fileAnswers = {std::nullopt};
        QTest::mouseClick(f.button("cmdCodeList"), Qt::LeftButton);
        QCOMPARE(f.prompts.fileRequests.back().fileName, QStringLiteral("card.MCD"));
        QCOMPARE(f.prompts.fileRequests.back().initialDirectory, f.local("lists/"));
    }

    void extractionReportsCompletionTitledWithTheMainWindowsCaption() {
        Fixture f;
        writeBytes(f.files.file("codelist.inf"), kList);
        f.box()->setText(f.local("codelist.inf"));
        QTest::mouseClick(f.button("cmdDrip"), Qt::LeftButton);
        QCOMPARE(readBytes(f.files.file("codelist_japan.inf")), kExtracted);
        QCOMPARE(f.prompts.messages.size(), std::size_t{1});
        QCOMPARE(f.prompts.messages[0].icon, app::MessageIcon::Information);
        QCOMPARE(f.prompts.messages[0].title, QStringLiteral("Tobrel"));
        QCOMPARE(f.prompts.messages[0].text, QStringLiteral("抽出完了"));
    }

    void failuresAreReportedAsErrorsAndChangeNothing_data() {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("mustMention");
        QTest::newRow("empty box") << ""
                                   << "";
        QTest::newRow("missing list") << "missing.inf"
                                      << "読み込めません";
        QTest::newRow("the output itself") << "codelist_japan.inf"
                                           << "codelist_japan.inf";
    }
    void failuresAreReportedAsErrorsAndChangeNothing() {
        QFETCH(QString, input);
        QFETCH(QString, mustMention);
        Fixture f;
        writeBytes(f.files.file("codelist_japan.inf"), "previous output\r\n");
        f.box()->setText(input.isEmpty() ? QString() : f.local(input.toUtf8().constData()));
        QTest::mouseClick(f.button("cmdDrip"), Qt::LeftButton);
        QCOMPARE(f.prompts.messages.size(), std::size_t{1});
        QCOMPARE(f.prompts.messages[0].title, QStringLiteral("ｴﾗｰ"));
        QCOMPARE(f.prompts.messages[0].icon, app::MessageIcon::Warning);
        QVERIFY(!f.prompts.messages[0].text.isEmpty());
        QVERIFY(f.prompts.messages[0].text.contains(mustMention));
        QCOMPARE(readBytes(f.files.file("codelist_japan.inf")), std::string("previous output\r\n"));
        QVERIFY(f.button("cmdDrip")->isEnabled());
    }

    void buttonsAreDisabledWhileAnExtractionRuns() {
        Fixture f;
        writeBigList(f.files.file("big.inf"));
        f.box()->setText(f.local("big.inf"));
        bool sawBusyPanel = false;
        QTimer::singleShot(0, &f.window, [&] {
            sawBusyPanel =
                !f.button("cmdDrip")->isEnabled() && !f.button("cmdCodeList")->isEnabled();
            f.button("cmdDrip")->click(); // ignored while the first one runs
        });
        QTest::mouseClick(f.button("cmdDrip"), Qt::LeftButton);
        QVERIFY(sawBusyPanel);
        QCOMPARE(f.prompts.messages.size(), std::size_t{1});
        QCOMPARE(f.prompts.messages[0].text, QStringLiteral("抽出完了"));
        QVERIFY(f.button("cmdDrip")->isEnabled());
    }

    void codePathIsRestoredAndEmptiedWhenTheFileIsGone() {
        TempSettings ini;
        TempDir files;
        writeBytes(files.file("list.inf"), kList);
        ini.write("[FORM]\r\nCODEPATH=" + files.file("list.inf") + "\r\n");
        {
            app::frmMain window;
            window.load();
            QCOMPARE(window.findChild<QLineEdit*>("txtCodeList")->text(),
                     qs(files.file("list.inf")));
            window.close();
        }
        QVERIFY(ini.read().find("CODEPATH=" + files.file("list.inf") + "\r\n") !=
                std::string::npos);
        std::filesystem::remove(files.path() / "list.inf");
        {
            app::frmMain window;
            window.load();
            QVERIFY(window.findChild<QLineEdit*>("txtCodeList")->text().isEmpty());
            window.close();
        }
        QVERIFY(ini.read().find("CODEPATH=\r\n") != std::string::npos);
    }

    void proposedNameIsTheOneLastChosenNotOneOnlyProposed() {
        Fixture f;
        TempDir registryFolder;
        ScopedEnv registry("TOBREL_REGISTRY", registryFolder.file("user.reg"));
        f.box()->setText(f.local("lists/mine.inf"));
        // Another panel proposes its box's name, and the user cancels there.
        f.window.findChild<QLineEdit*>("txtbSlot_0")->setText(f.local("proposed.MCD"));
        f.prompts.fileAnswers = {std::nullopt, std::nullopt};
        f.window.findChild<QPushButton*>("cmdbSlot_0")->click();
        QCOMPARE(f.prompts.fileRequests.back().fileName, QStringLiteral("proposed.MCD"));
        QTest::mouseClick(f.button("cmdCodeList"), Qt::LeftButton);
        QCOMPARE(f.prompts.fileRequests.back().fileName, QStringLiteral("mine.inf"));
    }

    void closingTheWindowStopsTheExtractionAndKeepsTheOldOutput() {
        Fixture f;
        writeBigList(f.files.file("big.inf"));
        writeBytes(f.files.file("codelist_japan.inf"), "previous output\r\n");
        f.box()->setText(f.local("big.inf"));
        QTimer::singleShot(0, &f.window, [&] { f.window.close(); });
        QTest::mouseClick(f.button("cmdDrip"), Qt::LeftButton);
        QVERIFY(!f.window.isVisible());
        QVERIFY(f.prompts.messages.empty());
        QCOMPARE(readBytes(f.files.file("codelist_japan.inf")), std::string("previous output\r\n"));
        QCOMPARE(listFolder(f.files.path()).size(), std::size_t{2});
    }

    void listNamedInShiftJisIsExtractedBesideItsOwnBytes() {
        Fixture f;
        const std::string list = f.files.file("\x83\x8A\x83\x58\x83\x67.inf"); // リスト.inf
        writeBytes(list, kList);
        // Qt's dialog decodes such a name as UTF-8, with U+FFFD marks.
        f.prompts.fileAnswers = {QString::fromUtf8(list.data(), qsizetype(list.size()))};
        QTest::mouseClick(f.button("cmdCodeList"), Qt::LeftButton);
        QCOMPARE(f.box()->text(), f.local("リスト.inf"));
        QTest::mouseClick(f.button("cmdDrip"), Qt::LeftButton);
        QCOMPARE(readBytes(f.files.file("codelist_japan.inf")), kExtracted);
        QCOMPARE(f.prompts.messages.back().text, QStringLiteral("抽出完了"));
    }
};

TOBREL_TEST_MAIN(TestCodeListPanel)
#include "tst_codelistpanel.moc"
