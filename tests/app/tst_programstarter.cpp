// Starting programs for real: detached, in their folder and with their
// environment, leaving no zombie; and a Windows program through Wine where
// Wine is installed.

#include "app/ProgramStarter.h"
#include "platform/wine_programs.h"
#include "tests/app/AppTest.h"
#include "tests/support/registry_env.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <dirent.h>
#include <fstream>
#include <sstream>

using namespace tobrel;
using namespace tobrel::testing;

namespace {

// Children of this process that have ended but were never reaped.
int zombieChildren() {
    int zombies = 0;
    DIR* proc = ::opendir("/proc");
    while (dirent* entry = proc ? ::readdir(proc) : nullptr) {
        std::ifstream stat(std::string("/proc/") + entry->d_name + "/stat");
        std::string line;
        if (!std::getline(stat, line)) {
            continue;
        }
        // "pid (name) state ppid ...": the name may hold blanks, so read after its ")".
        std::istringstream rest(line.substr(line.rfind(')') + 1));
        char state = 0;
        long parent = 0;
        rest >> state >> parent;
        zombies += state == 'Z' && parent == ::getpid() ? 1 : 0;
    }
    if (proc) {
        ::closedir(proc);
    }
    return zombies;
}

launcher::LaunchCommand shell(const std::string& script, const std::string& folder) {
    launcher::LaunchCommand command;
    command.action = launcher::LaunchAction::RunProcess;
    command.program = "/bin/sh";
    command.arguments = {"-c", script};
    command.workingDirectory = folder;
    command.environment = {{"WINEPREFIX", "/some prefix"}};
    return command;
}

// cmd.exe as Wine ships it, in the folders where distributions put Wine's programs.
QString winesCmdExe() {
    for (const char* root :
         {"/usr/lib/wine", "/usr/lib/x86_64-linux-gnu/wine", "/usr/lib64/wine",
          "/usr/lib/i386-linux-gnu/wine", "/opt/wine-stable/lib64/wine", "/usr/local/lib/wine"}) {
        QDirIterator found(QString::fromLatin1(root), {QStringLiteral("cmd.exe")}, QDir::Files,
                           QDirIterator::Subdirectories);
        if (found.hasNext()) {
            return found.next();
        }
    }
    return {};
}

} // namespace

class TestProgramStarter : public QObject {
    Q_OBJECT

private slots:
    void startsDetachedInTheProgramsFolderWithItsEnvironment() {
        TempDir dir;
        const std::string folder = dir.file("my games");
        std::filesystem::create_directory(folder);
        QElapsedTimer timer;
        timer.start();
        QVERIFY(app::ProgramStarter::current().start(
            shell("pwd > out.tmp; echo \"$WINEPREFIX\" >> out.tmp; mv out.tmp out", folder)));
        QVERIFY(timer.elapsed() < 5000); // does not wait for the program
        QTRY_VERIFY_WITH_TIMEOUT(std::filesystem::exists(folder + "/out"), 10000);
        QCOMPARE(readBytes(folder + "/out"), folder + "\n/some prefix\n");
        QCOMPARE(zombieChildren(), 0);
    }

    void failuresAreReported_data() {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("folder");
        QTest::newRow("no such program") << "/no/such/wine" << QString();
        QTest::newRow("folder gone") << "/bin/sh"
                                     << "/no/such/folder/";
    }
    void failuresAreReported() {
        QFETCH(QString, program);
        QFETCH(QString, folder);
        launcher::LaunchCommand command = shell("exit 0", folder.toStdString());
        command.program = program.toStdString();
        QVERIFY(!app::ProgramStarter::current().start(command));
        launcher::LaunchCommand missing;
        missing.action = launcher::LaunchAction::WineMissing;
        QVERIFY(!app::ProgramStarter::current().start(missing));
    }

    void windowsProgramStartsThroughWine() {
        if (platform::findWineProgram().empty()) {
            QSKIP("Wine is not installed");
        }
        const QString cmdExe = winesCmdExe();
        if (cmdExe.isEmpty()) {
            QSKIP("Wine's cmd.exe was not found");
        }
        TempDir dir;
        ScopedEnv noRegistry("TOBREL_REGISTRY", std::nullopt);
        ScopedEnv prefix("WINEPREFIX", dir.file("prefix"));
        launcher::LaunchCommand command =
            launcher::launchCommand(cmdExe.toStdString(), launcher::systemLaunchContext());
        QCOMPARE(command.action, launcher::LaunchAction::RunProcess);
        QCOMPARE(command.environment.at(0).second, dir.file("prefix"));
        command.arguments.insert(command.arguments.end(), {"/c", "exit"});
        QElapsedTimer timer;
        timer.start();
        QVERIFY(app::ProgramStarter::current().start(command));
        QVERIFY(timer.elapsed() < 5000); // returns at once, while Wine sets up its prefix
        QCOMPARE(zombieChildren(), 0);
        // Ends what Wine still runs for the test's prefix.
        QProcess server;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("WINEPREFIX"),
                           QString::fromStdString(dir.file("prefix")));
        server.setProcessEnvironment(environment);
        server.start(QStringLiteral("wineserver"), {QStringLiteral("-k")});
        server.waitForFinished(30000);
        QCOMPARE(zombieChildren(), 0);
    }
};

QTEST_MAIN(TestProgramStarter)
#include "tst_programstarter.moc"
