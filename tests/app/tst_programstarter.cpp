// Starting programs for real: detached, in their folder and with their
// environment, leaving no zombie, failures reported; and a Windows program
// through Wine where Wine is installed.

#include "app/ProgramStarter.h"
#include "platform/wine_programs.h"
#include "tests/app/AppTest.h"
#include "tests/support/registry_env.h"

#include <QDirIterator>
#include <algorithm>
#include <fstream>
#include <sstream>

using namespace tobrel;
using namespace tobrel::testing;

namespace {

// The ids of the processes whose /proc entry matches.
std::vector<std::string> processes(const std::function<bool(const std::string&)>& matches) {
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") == std::string::npos &&
            matches(entry.path().string())) {
            found.push_back(name);
        }
    }
    return found;
}

// Children of this process that have ended but were never reaped.
std::size_t zombieChildren() {
    return processes([](const std::string& folder) {
               std::ifstream stat(folder + "/stat");
               std::string line;
               std::getline(stat, line);
               // "pid (name) state ppid ...": the name may hold blanks.
               std::istringstream rest(line.substr(line.rfind(')') + 1));
               char state = 0;
               long parent = 0;
               rest >> state >> parent;
               return state == 'Z' && parent == ::getpid();
           })
        .size();
}

// Processes running in the Wine prefix.
std::vector<std::string> inPrefix(const std::string& prefix) {
    return processes([&prefix](const std::string& folder) {
        std::ifstream environ(folder + "/environ", std::ios::binary);
        const std::string all{std::istreambuf_iterator<char>(environ), {}};
        return ('\0' + all).find(std::string("\0WINEPREFIX=", 12) + prefix + '\0') !=
               std::string::npos;
    });
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
    for (const char* root : {"/usr/lib/x86_64-linux-gnu/wine", "/usr/lib/wine", "/usr/lib64/wine",
                             "/opt/wine-stable/lib64/wine"}) {
        QDirIterator found(QString::fromLatin1(root), {QStringLiteral("cmd.exe")}, QDir::Files,
                           QDirIterator::Subdirectories);
        if (found.hasNext()) {
            return found.next();
        }
    }
    return {};
}

// How long a shell script may take to start and run: well under a second;
// the bound only stops a test whose program never runs.
constexpr int kShellBound = 60 * 1000;

// How long Wine may take to start cmd.exe and to end. The first start in a new
// prefix builds the whole prefix (registry, system folders, services): seconds
// on an idle machine, minutes on a loaded one. The bound only stops a test
// whose Wine never gets there.
constexpr int kWineBound = 10 * 60 * 1000;

} // namespace

class TestProgramStarter : public QObject {
    Q_OBJECT

private slots:
    void startsDetachedInTheProgramsFolderWithItsEnvironment() {
        TempDir dir;
        const std::string folder = dir.file("my games");
        std::filesystem::create_directory(folder);
        // The program waits for the test's word: start() must return before it ends.
        QVERIFY(app::ProgramStarter::current().start(
            shell("while [ ! -e go ]; do sleep 0.05; done; pwd > out.tmp; "
                  "echo \"$WINEPREFIX\" >> out.tmp; mv out.tmp out",
                  folder)));
        writeBytes(folder + "/go", "");
        QVERIFY(
            QTest::qWaitFor([&] { return std::filesystem::exists(folder + "/out"); }, kShellBound));
        QCOMPARE(readBytes(folder + "/out"), folder + "\n/some prefix\n");
        QCOMPARE(zombieChildren(), 0u);

        // What cannot start is reported: no such program, a folder gone, no Wine.
        auto missingProgram = shell("exit 0", folder);
        missingProgram.program = "/no/such/wine";
        QVERIFY(!app::ProgramStarter::current().start(missingProgram));
        QVERIFY(!app::ProgramStarter::current().start(shell("exit 0", folder + "/gone")));
        launcher::LaunchCommand noWine;
        noWine.action = launcher::LaunchAction::WineMissing;
        QVERIFY(!app::ProgramStarter::current().start(noWine));
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
        // cmd.exe makes a folder: once it is there, the prefix and its server are up.
        const std::string started = dir.file("started");
        std::string startedInWine = "Z:" + started;
        std::replace(startedInWine.begin(), startedInWine.end(), '/', '\\');
        command.arguments.insert(command.arguments.end(), {"/c", "mkdir", startedInWine});
        QVERIFY(app::ProgramStarter::current().start(command));
        QCOMPARE(zombieChildren(), 0u);
        QVERIFY(
            QTest::qWaitFor([&] { return std::filesystem::is_directory(started); }, kWineBound));

        // The prefix's own server ends once every Wine process of the prefix has ended.
        QProcess server;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("WINEPREFIX"), qs(dir.file("prefix")));
        server.setProcessEnvironment(environment);
        server.start(QStringLiteral("wineserver"), {QStringLiteral("-w")});
        QVERIFY(server.waitForFinished(kWineBound));
        // The processes the server ends as it goes are gone a moment later.
        QVERIFY(QTest::qWaitFor([&] { return inPrefix(dir.file("prefix")).empty(); }, 10000));
        QCOMPARE(zombieChildren(), 0u);
    }
};

TOBREL_TEST_MAIN(TestProgramStarter)
#include "tst_programstarter.moc"
