// The program itself, started as the desktop starts it: a second copy ends
// silently; a lock file that no running copy holds does not block the next
// start, whatever it holds; and a termination request at any point of the
// start-up ends the program with its settings saved, never leaving a copy
// running without a window (which would keep every later start silent).

#include "platform/single_instance.h"
#include "tests/app/AppTest.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

namespace {

// How long a copy may take to start and end. Each takes well under a second;
// the bound only stops a test whose copy never ends, so it is generous.
constexpr int kRunBound = 30000;

// Every point of the start-up the program names, in order.
const char* const kStartupStages[] = {"start",   "locked", "handled", "splash", "window",
                                      "loading", "loaded", "shown",   "running"};

} // namespace

class TestSingleInstance : public QObject {
    Q_OBJECT

private:
    QTemporaryDir folder_;
    QString program_;
    QString runtime_;

    QString iniPath() const { return folder_.filePath(QStringLiteral("TOBREL.INI")); }
    QString lockPath() const { return runtime_ + QStringLiteral("/tobrel.lock"); }

    // Starts the program; with a stage, it receives SIGTERM at that point of its start.
    QProcess* start(const QString& terminateAt = {}) {
        auto* process = new QProcess(this);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_);
        env.remove(QStringLiteral("TOBREL_TERMINATE_AT"));
        if (!terminateAt.isEmpty()) {
            env.insert(QStringLiteral("TOBREL_TERMINATE_AT"), terminateAt);
        }
        process->setProcessEnvironment(env);
        process->setWorkingDirectory(folder_.path());
        process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process->start(program_, {});
        process->waitForStarted(kRunBound);
        return process;
    }

    // Waits until the lock names its owner, which writes its id once it holds the lock.
    bool waitForLock() {
        return QTest::qWaitFor([this] { return QFileInfo(lockPath()).size() > 0; }, kRunBound);
    }

    QByteArray iniContent() const {
        QFile ini(iniPath());
        return ini.open(QIODevice::ReadOnly) ? ini.readAll() : QByteArray();
    }

    // True when the copy ended by itself, at once or after its start.
    static bool endedNormally(QProcess* process) {
        return process->waitForFinished(kRunBound) &&
               process->exitStatus() == QProcess::NormalExit && process->exitCode() == 0;
    }

private slots:
    void initTestCase() {
        QVERIFY(folder_.isValid());
        // A copy of its own, so that its settings file lands in the private folder.
        program_ = folder_.filePath(QStringLiteral("tobrel"));
        QVERIFY(QFile::copy(QStringLiteral(TOBREL_APP_PATH), program_));
        runtime_ = folder_.filePath(QStringLiteral("runtime"));
        QVERIFY(QDir().mkpath(runtime_));
        QFile::setPermissions(runtime_, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        // This test's own locks go to the same place as the program's.
        qputenv("XDG_RUNTIME_DIR", runtime_.toLocal8Bit());
    }

    void init() {
        QFile::remove(iniPath());
        QFile::remove(lockPath());
    }

    // No copy outlives its test function, whatever happened to it.
    void cleanup() {
        for (auto* process : findChildren<QProcess*>()) {
            process->kill();
            process->waitForFinished(kRunBound);
            delete process;
        }
    }

    void secondCopyEndsSilentlyAndTheFirstRunsOn() {
        QProcess* first = start();
        QVERIFY(waitForLock());
        QProcess* second = start();
        QVERIFY(endedNormally(second));
        QCOMPARE(second->readAllStandardOutput(), QByteArray());
        QCOMPARE(first->state(), QProcess::Running);
        QVERIFY(!QFile::exists(iniPath())); // untouched until it closes

        first->terminate(); // SIGTERM: closes the window as its close box does
        QVERIFY(endedNormally(first));
        const QByteArray content = iniContent();
        QVERIFY(content.startsWith("[FORM]\r\nLASTDIR="));
        QVERIFY(content.contains("\r\nWAKU=0\r\n"));
    }

    void lockHeldByARunningProcessIsRespected() {
        tobrel::platform::SingleInstance holder("tobrel");
        QVERIFY(holder.isFirst());
        QProcess* second = start(QStringLiteral("running")); // would end by itself past its start
        QVERIFY(endedNormally(second));
        QVERIFY(!QFile::exists(iniPath())); // it never loaded: it ended at the lock
    }

    // Whatever a lock file holds, nobody holding it means no copy runs.
    void lockThatNobodyHoldsIsTaken_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("empty: killed before writing its id") << QByteArray();
        QTest::newRow("not an id") << QByteArray("\xff\xfe garbage\n");
        QTest::newRow("id of a process that is gone") << QByteArray("2147483646\n");
        // A live process that is not a copy of the program (ids are reused).
        QTest::newRow("id of a live process")
            << QByteArray::number(QCoreApplication::applicationPid()) + "\nhost\ntobrel\n";
    }
    void lockThatNobodyHoldsIsTaken() {
        QFETCH(QByteArray, content);
        QFile lock(lockPath());
        QVERIFY(lock.open(QIODevice::WriteOnly | QIODevice::Truncate));
        lock.write(content);
        lock.close();
        QVERIFY(endedNormally(start(QStringLiteral("running"))));
        QVERIFY(iniContent().startsWith("[FORM]\r\nLASTDIR=")); // it ran and closed
    }

    void lockOfAKilledCopyDoesNotBlockTheNextStart() {
        QProcess* killed = start();
        QVERIFY(waitForLock());
        killed->kill();
        QVERIFY(killed->waitForFinished(kRunBound));
        QVERIFY(QFile::exists(lockPath()));
        QVERIFY(endedNormally(start(QStringLiteral("running"))));
        QVERIFY(iniContent().startsWith("[FORM]\r\nLASTDIR="));
    }

    // A SIGTERM at any point of the start-up ends the program as a close does,
    // with every setting it read written back: settings that are read late in
    // the load (LASTTAB, CODEPATH) come back unchanged.
    void terminationAtAnyPointOfTheStartEndsWithTheSettingsSaved_data() {
        QTest::addColumn<QString>("stage");
        for (const char* stage : kStartupStages) {
            QTest::newRow(stage) << QString::fromLatin1(stage);
        }
    }
    void terminationAtAnyPointOfTheStartEndsWithTheSettingsSaved() {
        QFETCH(QString, stage);
        const QByteArray codePath = folder_.filePath(QStringLiteral("codelist.inf")).toUtf8();
        QFile codes(QString::fromUtf8(codePath));
        QVERIFY(codes.open(QIODevice::WriteOnly));
        codes.close();
        QFile ini(iniPath());
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[FORM]\r\nCODEPATH=" + codePath + "\r\nLASTTAB=3\r\n");
        ini.close();
        QProcess* process = start(stage);
        QVERIFY2(endedNormally(process), "still running, or ended by the signal itself");
        const QByteArray content = iniContent();
        QVERIFY2(content.contains("\r\nWAKU=0\r\n"), content.constData()); // written at the close
        QVERIFY2(content.contains("\r\nLASTTAB=3\r\n"), content.constData());
        QVERIFY2(content.contains("\r\nCODEPATH=" + codePath + "\r\n"), content.constData());
    }
};

TOBREL_TEST_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
