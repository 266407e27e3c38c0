// The launcher panel: registering programs with their icons, restoring and
// saving the six slots, and what a click on a start button starts.

#include "app/LaunchPanel.h"
#include "app/ProgramStarter.h"
#include "app/TabStrip.h"
#include "app/frmMain.h"
#include "launcher/launch_slots.h"
#include "platform/wine/prefix.h"
#include "tests/app/AppTest.h"
#include "tests/support/pe_image.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>

using namespace tobrel;
using namespace tobrel::testing;

namespace {

constexpr QRgb kRed = 0xFFFF0000u;
constexpr QRgb kBlue = 0xFF0000FFu;

// A program whose one icon is a 32x32 square of colour with a transparent corner pixel.
std::string programWithIcon(QRgb colour) {
    const auto image = makePixels(32, [colour](int x, int y) {
        return x == 31 && y == 31 ? 0u : static_cast<std::uint32_t>(colour);
    });
    return buildPe({{{1, makeDib(image, 32)}}, {{1}}}).bytes;
}

// Starts nothing; records what it was asked to start.
class RecordingStarter final : public app::ProgramStarter {
public:
    RecordingStarter() { install(this); }
    ~RecordingStarter() override { install(nullptr); }
    bool start(const launcher::LaunchCommand& command) override {
        started.push_back(command);
        return succeed;
    }
    std::vector<launcher::LaunchCommand> started;
    bool succeed = true;
};

launcher::LaunchContext linuxWith(std::string wine) {
    launcher::LaunchContext context;
    context.wineProgram = std::move(wine);
    context.winePrefix = "/prefix";
    return context;
}

} // namespace

class TestLaunchPanel : public QObject {
    Q_OBJECT

private:
    struct Fixture {
        TempSettings ini;
        TempDir files;
        ScriptedPrompts prompts;
        RecordingStarter starter;
        std::unique_ptr<app::frmMain> window;

        void open() {
            window = std::make_unique<app::frmMain>();
            window->load();
            window->show();
            window->mainTabs()->tabBar()->setCurrentIndex(3);
        }
        void close() {
            window->close();
            window.reset();
        }
        ~Fixture() {
            if (window) {
                window->close();
            }
        }
        template <typename T> T* slotWidget(const char* name, int slot) const {
            return window->findChild<T*>(QStringLiteral("%1_%2").arg(name).arg(slot));
        }
        QLineEdit* box(int slot) const { return slotWidget<QLineEdit>("txtLaunch", slot); }
        QPushButton* start(int slot) const { return slotWidget<QPushButton>("cmdLIcon", slot); }
        QPushButton* choose(int slot) const { return slotWidget<QPushButton>("cmdLaunch", slot); }
        QImage buttonPicture(int slot) const {
            return start(slot)->icon().pixmap(32, 32).toImage().convertToFormat(
                QImage::Format_ARGB32);
        }
        QString local(const char* name) const { return qs(files.file(name)); }
    };

private slots:
    void registeredProgramShowsItsIconIsRestoredAndCancelFreesTheSlot() {
        Fixture f;
        writeBytes(f.files.file("VGS.EXE"), programWithIcon(kRed));
        writeBytes(f.files.file("NOICON.EXE"), "MZ but nothing more");
        f.open();
        f.prompts.fileAnswers = {QStringLiteral(" ") + f.local("VGS.EXE") + QStringLiteral("  ")};
        f.choose(2)->click();
        const auto& request = f.prompts.fileRequests.at(0);
        QCOMPARE(request.title, QStringLiteral("登録するﾌﾟﾛｸﾞﾗﾑの指定"));
        QCOMPARE(request.nameFilter, QStringLiteral("ﾌﾟﾛｸﾞﾗﾑﾌｧｲﾙ(*.EXE,*.CPL) (*.EXE *.CPL)"));
        QCOMPARE(request.initialDirectory, QApplication::applicationDirPath());
        QVERIFY(request.fileName.isEmpty());
        QCOMPARE(request.flags, 6145);
        QCOMPARE(f.box(2)->text(), f.local("VGS.EXE"));
        QCOMPARE(f.buttonPicture(2).pixel(0, 0), kRed);
        QCOMPARE(qAlpha(f.buttonPicture(2).pixel(31, 31)), 0);
        QCOMPARE(f.start(2)->accessibleName(), QStringLiteral("Program3: VGS.EXE"));
        QCOMPARE(f.start(1)->accessibleName(), QStringLiteral("Program2: 空き"));
        QVERIFY(f.start(1)->icon().isNull());
        f.close();
        QVERIFY(f.ini.read().find("LAUNCHPATH1=\r\nLAUNCHPATH2=" + f.files.file("VGS.EXE") +
                                  "\r\nLAUNCHPATH3=\r\n") != std::string::npos);

        f.open();
        QCOMPARE(f.box(2)->text(), f.local("VGS.EXE"));
        QCOMPARE(f.buttonPicture(2).pixel(0, 0), kRed);
        // A file without icons does not keep the previous program's picture.
        f.prompts.fileAnswers = {f.local("NOICON.EXE"), f.local("VGS.EXE"), std::nullopt};
        f.choose(2)->click();
        QCOMPARE(f.prompts.fileRequests.at(1).initialDirectory, f.local(""));
        QCOMPARE(f.prompts.fileRequests.at(1).fileName, QStringLiteral("VGS.EXE"));
        QCOMPARE(f.box(2)->text(), f.local("NOICON.EXE"));
        QVERIFY(f.start(2)->icon().isNull());
        f.choose(2)->click();
        QCOMPARE(f.buttonPicture(2).pixel(0, 0), kRed);
        // Cancel frees the slot and clears both the button and the drawing surface.
        f.choose(2)->click();
        QVERIFY(f.box(2)->text().isEmpty());
        QVERIFY(f.start(2)->icon().isNull());
        QCOMPARE(f.start(2)->accessibleName(), QStringLiteral("Program3: 空き"));
        const QPixmap surface = f.slotWidget<QLabel>("picLaunchIcon", 2)->pixmap();
        QCOMPARE(qAlpha(surface.toImage().pixel(5, 5)), 0);
        QVERIFY(f.prompts.messages.empty());
        f.close();
        QVERIFY(f.ini.read().find("LAUNCHPATH2=\r\n") != std::string::npos);
    }

    void storedPathsWhoseFileIsGoneFreeTheirSlots() {
        Fixture f;
        const std::string kept = f.files.file("kept.EXE");
        writeBytes(kept, programWithIcon(kRed));
        std::filesystem::create_directory(f.files.path() / "folder.EXE");
        // Slot 0 keeps its program; a deleted file, a folder, "Error" and a path
        // ending in "/" all free theirs.
        const std::array<std::string, 6> stored = {
            kept, f.files.file("deleted.EXE"), f.files.file("folder.EXE"), "", "Error", kept + "/"};
        std::string ini = "[FORM]\r\n";
        for (std::size_t i = 0; i < stored.size(); ++i) {
            ini += "LAUNCHPATH" + std::to_string(i) + "=" + stored[i] + "\r\n";
        }
        f.ini.write(ini);
        f.open();
        for (int slot = 0; slot < 6; ++slot) {
            QCOMPARE(f.box(slot)->text(), slot == 0 ? qs(kept) : QString());
            QCOMPARE(f.start(slot)->icon().isNull(), slot != 0);
        }
        f.close();
        QVERIFY(f.ini.read().find("LAUNCHPATH0=" + kept +
                                  "\r\nLAUNCHPATH1=\r\nLAUNCHPATH2=\r\nLAUNCHPATH3=\r\n"
                                  "LAUNCHPATH4=\r\nLAUNCHPATH5=\r\n") != std::string::npos);
    }

    void pathTheSettingsFileCannotHoldIsRefusedAndTheSlotKept() {
        Fixture f;
        writeBytes(f.files.file("VGS.EXE"), programWithIcon(kRed));
        f.open();
        f.prompts.fileAnswers = {f.local("VGS.EXE")};
        f.choose(2)->click();
        for (const char* folder : {"café", "wave\u301C"}) {
            std::filesystem::create_directory(f.files.path() / folder);
            const std::string chosen = f.files.file(std::string(folder) + "/EMU.EXE");
            writeBytes(chosen, programWithIcon(kBlue));
            f.prompts.messages.clear();
            f.prompts.fileAnswers = {qs(chosen)};
            f.choose(2)->click();
            QCOMPARE(f.prompts.messages.size(), std::size_t{1});
            QCOMPARE(f.prompts.messages[0].title, QStringLiteral("ｴﾗｰ"));
            QCOMPARE(f.prompts.messages[0].icon, app::MessageIcon::Warning);
            QCOMPARE(
                f.prompts.messages[0].text,
                QStringLiteral("このパスは登録できません(Shift-JISで表せない文字を含みます)。\n") +
                    qs(chosen));
            QCOMPARE(f.box(2)->text(), f.local("VGS.EXE"));
            QCOMPARE(f.buttonPicture(2).pixel(0, 0), kRed);
        }
        f.close();
        QVERIFY(f.ini.read().find("LAUNCHPATH2=" + f.files.file("VGS.EXE") + "\r\n") !=
                std::string::npos);
    }

    void pathInAFolderNamedInShiftJisIsKeptByItsOwnBytes() {
        Fixture f;
        const std::string folder = f.files.file("\x83\x51\x81\x5B\x83\x80"); // ゲーム
        std::filesystem::create_directory(folder);
        writeBytes(folder + "/VGS.EXE", programWithIcon(kRed));
        // The settings file holds code page 932: the folder's own bytes.
        const std::string stored = "[FORM]\r\nLAUNCHPATH0=" + folder + "/VGS.EXE\r\n";
        f.ini.write(stored);
        f.open();
        QCOMPARE(f.box(0)->text(), f.local("ゲーム/VGS.EXE"));
        QCOMPARE(f.buttonPicture(0).pixel(0, 0), kRed);
        f.window->launchPanel()->setLaunchContext(linuxWith("/usr/bin/wine"));
        f.start(0)->click();
        QCOMPARE(f.starter.started.size(), std::size_t{1});
        QVERIFY(f.starter.started[0] ==
                launcher::launchCommand(folder + "/VGS.EXE", linuxWith("/usr/bin/wine")));
        f.close();
        QVERIFY(f.ini.read().find(stored.substr(8)) != std::string::npos);
    }

    void driveLetterPathsAreFilesOfTheWinePrefixAndStoredAsWritten() {
        Fixture f;
        const std::string prefix = makeFakePrefix(f.files.path() / "prefix");
        ScopedEnv registry("TOBREL_REGISTRY", prefix + "/user.reg");
        std::filesystem::create_directories(prefix + "/drive_c/EMU/VGS");
        writeBytes(prefix + "/drive_c/EMU/VGS/VGS.EXE", programWithIcon(kRed));
        f.ini.write("[FORM]\r\nLAUNCHPATH0=C:\\EMU\\VGS\\VGS.EXE\r\n"
                    "LAUNCHPATH1=C:\\EMU\\GONE.EXE\r\nLAUNCHPATH2=Q:\\VGS.EXE\r\n");
        f.open();
        QCOMPARE(f.box(0)->text(), QStringLiteral("C:\\EMU\\VGS\\VGS.EXE"));
        QCOMPARE(f.buttonPicture(0).pixel(0, 0), kRed);
        QVERIFY(f.box(1)->text().isEmpty());
        QVERIFY(f.box(2)->text().isEmpty());
        // Started as the file in the prefix's drive C, in its folder.
        auto context = linuxWith("/usr/bin/wine");
        context.fromWinePath = [prefix](std::string_view path) {
            return platform::windowsPathToUnix(prefix, path);
        };
        f.window->launchPanel()->setLaunchContext(context);
        f.start(0)->click();
        QVERIFY(f.prompts.messages.empty());
        QCOMPARE(f.starter.started.size(), std::size_t{1});
        const std::string local = prefix + "/dosdevices/c:/EMU/VGS/";
        QCOMPARE(f.starter.started[0].arguments, std::vector<std::string>{local + "VGS.EXE"});
        QCOMPARE(f.starter.started[0].workingDirectory, local);
        // The register dialog opens there too (Cancel then frees the slot).
        f.prompts.fileAnswers = {std::nullopt};
        f.choose(0)->click();
        QCOMPARE(f.prompts.fileRequests.at(0).initialDirectory, qs(local));
        QCOMPARE(f.prompts.fileRequests.at(0).fileName, QStringLiteral("VGS.EXE"));
        f.window->launchPanel()->restoreSlot(0, QStringLiteral("C:\\EMU\\VGS\\VGS.EXE"));
        f.close();
        QVERIFY(f.ini.read().find("LAUNCHPATH0=C:\\EMU\\VGS\\VGS.EXE\r\nLAUNCHPATH1=\r\n") !=
                std::string::npos);
    }

    void startButton_data() {
        QTest::addColumn<QString>("file");    // registered in slot 1; empty: a free slot
        QTest::addColumn<QString>("wine");    // empty: Wine is not installed
        QTest::addColumn<bool>("deleted");    // the file is removed before the click
        QTest::addColumn<bool>("starts");     // the starter is asked to start it ...
        QTest::addColumn<bool>("startWorks"); // ... and succeeds
        QTest::addColumn<QString>("message"); // the error box's first line, if any
        const QString wine = QStringLiteral("/usr/bin/wine");
        const QString none;
        QTest::newRow("free slot does nothing") << none << wine << false << false << true << none;
        QTest::newRow("program started") << "VGS.EXE" << wine << false << true << true << none;
        QTest::newRow("applet started") << "joy.cpl" << wine << false << true << true << none;
        QTest::newRow("Wine missing") << "VGS.EXE" << none << false << false << true
                                      << QString::fromUtf8(launcher::kWineMissingMessage.data());
        QTest::newRow("start fails") << "VGS.EXE" << wine << false << true << false
                                     << QString::fromUtf8(launcher::kStartFailedMessage.data());
        QTest::newRow("program deleted meanwhile")
            << "VGS.EXE" << wine << true << false << true
            << QString::fromUtf8(launcher::kProgramMissingMessage.data());
    }
    void startButton() {
        QFETCH(QString, file);
        QFETCH(QString, wine);
        QFETCH(bool, deleted);
        QFETCH(bool, starts);
        QFETCH(bool, startWorks);
        QFETCH(QString, message);
        Fixture f;
        f.starter.succeed = startWorks;
        f.open();
        f.window->launchPanel()->setLaunchContext(linuxWith(wine.toStdString()));
        const std::string path = file.isEmpty() ? std::string() : f.files.file(file.toStdString());
        if (!path.empty()) {
            writeBytes(path, programWithIcon(kRed));
            f.prompts.fileAnswers = {qs(path)};
            f.choose(1)->click();
        }
        if (deleted) {
            std::filesystem::remove(path);
        }
        QTest::mouseClick(f.start(1), Qt::LeftButton);
        QCOMPARE(f.starter.started.size(), std::size_t{starts ? 1u : 0u});
        if (starts) {
            QVERIFY(f.starter.started[0] ==
                    launcher::launchCommand(path, linuxWith(wine.toStdString())));
        }
        if (message.isEmpty()) {
            QVERIFY(f.prompts.messages.empty());
        } else {
            QCOMPARE(f.prompts.messages.size(), std::size_t{1});
            QCOMPARE(f.prompts.messages[0].title, QStringLiteral("ｴﾗｰ"));
            QCOMPARE(f.prompts.messages[0].icon, app::MessageIcon::Warning);
            QCOMPARE(f.prompts.messages[0].text, message + QLatin1Char('\n') + qs(path));
        }
    }

    void slotsFitTheTabAndAreReachedInReadingOrder() {
        Fixture f;
        f.open();
        QWidget* panel = f.window->launchPanel();
        const QRect inside(QPoint(0, 0), panel->size());
        QCOMPARE(inside.size(), QSize(5055 / 15, 6135 / 15));
        QList<QWidget*> expectedOrder;
        for (int slot = 0; slot < 6; ++slot) {
            auto* frame = f.slotWidget<QGroupBox>("fraLaunch", slot);
            QCOMPARE(frame->title(), QStringLiteral("Program%1").arg(slot + 1));
            QVERIFY(inside.contains(frame->geometry()));
            for (QWidget* control :
                 {static_cast<QWidget*>(f.start(slot)), static_cast<QWidget*>(f.box(slot)),
                  static_cast<QWidget*>(f.choose(slot))}) {
                QVERIFY(QRect(QPoint(0, 0), frame->size()).contains(control->geometry()));
                QVERIFY(!control->accessibleName().isEmpty());
                expectedOrder << control;
            }
        }
        auto* close = f.window->findChild<QPushButton*>("cmdLaunchClose");
        QCOMPARE(close->text(), QStringLiteral("閉じる"));
        QVERIFY(inside.contains(close->geometry()));
        expectedOrder << close;

        QList<QWidget*> order;
        QWidget* next = f.start(0);
        while (order.size() < expectedOrder.size()) {
            if (panel->isAncestorOf(next) && (next->focusPolicy() & Qt::TabFocus) &&
                next->isVisible()) {
                order << next;
            }
            next = next->nextInFocusChain();
            QVERIFY(next != f.start(0));
        }
        QCOMPARE(order, expectedOrder);

        close->click();
        QVERIFY(!f.window->isVisible());
    }
};

TOBREL_TEST_MAIN(TestLaunchPanel)
#include "tst_launchpanel.moc"
