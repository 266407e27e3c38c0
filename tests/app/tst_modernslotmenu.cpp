// The card viewer's "ｽﾛｯﾄに設定" menu: its entries, setting a slot, the offer
// to convert a VGS card, and the refusal while the emulator runs.

#include "app/ModernSlotMenu.h"
#include "tests/app/AppTest.h"
#include "tests/support/card_images.h"
#include "tests/support/temp_dir.h"

#include <QMenu>

#include <filesystem>

using namespace tobrel;
using namespace tobrel::testing;

namespace {

constexpr std::string_view kPcsxrCfg = "Bios = scph1001.bin\nMcd1 = /a.mcd\nMcd2 = /b.mcd\n";

// Messages as ScriptedPrompts keeps them, and scripted answers to questions.
class AnsweringPrompts final : public app::UserPrompts {
public:
    AnsweringPrompts() { install(this); }
    ~AnsweringPrompts() override { install(nullptr); }

    std::vector<QString> messages; // icon "I"/"W", title, text joined
    std::vector<QString> questions;
    bool answer = false;

    void showMessage(QWidget*, app::MessageIcon icon, const QString& title,
                     const QString& text) override {
        messages.push_back(
            (icon == app::MessageIcon::Warning ? QStringLiteral("W ") : QStringLiteral("I ")) +
            title + QLatin1Char(' ') + text);
    }
    std::optional<QString> chooseOpenFile(QWidget*, const app::OpenFileRequest&) override {
        return std::nullopt;
    }
    bool askYesNo(QWidget*, const QString&, const QString& text) override {
        questions.push_back(text);
        return answer;
    }
};

struct Setup {
    TempDir dir;
    std::string cfg = dir.file("pcsxr.cfg");
    emulator::EmulatorSettings pcsxr{emulator::ModernEmulator::Pcsxr, false, cfg, {}};
    emulator::SlotsEnvironment environment;
    Setup() {
        writeBytes(cfg, kPcsxrCfg);
        environment.runningPrograms = std::vector<std::string>{};
    }
};

} // namespace

class TestModernSlotMenu : public QObject {
    Q_OBJECT

private slots:
    void listsEachFoundEmulatorsTwoSlotsAndSetsTheChosenOne() {
        Setup s;
        writeBytes(s.dir.file("A.MCR"), makeFormattedCard());
        AnsweringPrompts prompts;
        QWidget parent;
        QMenu menu;
        QMenu* none = app::ModernSlotMenu::addTo(menu, &parent, s.dir.file("A.MCR"), {});
        QCOMPARE(none->title(), QStringLiteral("ｽﾛｯﾄに設定"));
        QCOMPARE(none->actions().size(), 1);
        QVERIFY(!none->actions().front()->isEnabled());

        QMenu* found = app::ModernSlotMenu::addTo(menu, &parent, s.dir.file("A.MCR"), {s.pcsxr},
                                                  s.environment);
        QCOMPARE(found->actions().size(), 2);
        QCOMPARE(found->actions()[1]->text(), QStringLiteral("PCSX-R Slot2"));
        found->actions()[1]->trigger();
        QCOMPARE(QString::fromStdString(readBytes(s.cfg)),
                 QString::fromStdString(
                     "Bios = scph1001.bin\nMcd1 = /a.mcd\nMcd2 = " + s.dir.file("A.MCR") + "\n"));
        QCOMPARE(prompts.messages.size(), std::size_t(1));
        QVERIFY(prompts.messages[0].startsWith(QStringLiteral("I ｽﾛｯﾄに設定 PCSX-R Slot2に設定")));
    }

    void aVgsCardIsConvertedOnlyWhenTheUserAgrees() {
        Setup s;
        const auto vgs = s.dir.file("GAME.MEM");
        writeBytes(vgs, makeVgsImage(makeFormattedCard()));
        AnsweringPrompts prompts;
        QVERIFY(!app::ModernSlotMenu::assign(nullptr, s.pcsxr, 0, vgs, s.environment));
        QCOMPARE(prompts.questions.size(), std::size_t(1));
        QVERIFY(!std::filesystem::exists(s.dir.file("GAME.MCR")));
        QCOMPARE(readBytes(s.cfg), std::string(kPcsxrCfg));

        prompts.answer = true;
        QVERIFY(app::ModernSlotMenu::assign(nullptr, s.pcsxr, 0, vgs, s.environment));
        QCOMPARE(readBytes(s.dir.file("GAME.MCR")), makeFormattedCard());
        QCOMPARE(QString::fromStdString(readBytes(s.cfg)),
                 QString::fromStdString("Bios = scph1001.bin\nMcd1 = " + s.dir.file("GAME.MCR") +
                                        "\nMcd2 = /b.mcd\n"));
    }

    void aRunningEmulatorIsAnErrorAndChangesNothing() {
        Setup s;
        writeBytes(s.dir.file("A.MCR"), makeFormattedCard());
        s.environment.runningPrograms = std::vector<std::string>{"pcsxr"};
        AnsweringPrompts prompts;
        QVERIFY(
            !app::ModernSlotMenu::assign(nullptr, s.pcsxr, 0, s.dir.file("A.MCR"), s.environment));
        QCOMPARE(prompts.messages.size(), std::size_t(1));
        QVERIFY(prompts.messages[0].startsWith(QStringLiteral("W ｴﾗｰ PCSX-Rが起動中です")));
        QCOMPARE(readBytes(s.cfg), std::string(kPcsxrCfg));
    }
};

TOBREL_TEST_MAIN(TestModernSlotMenu)
#include "tst_modernslotmenu.moc"
