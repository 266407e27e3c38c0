#pragma once
// The main function of the window tests: QtTest's, except that an exception
// escaping a test function fails that function alone. QtTest reports such an
// exception and then rethrows it, which would end the executable and skip
// every function after it.
#include <QApplication>
#include <QTemporaryFile>
#include <QtTest>
#include <exception>
#include <vector>

namespace tobrel::testing {

// The test functions of a test object in declaration order.
inline QStringList testFunctionsOf(const QObject& test) {
    QStringList names;
    const QMetaObject* meta = test.metaObject();
    for (int i = meta->methodOffset(); i < meta->methodCount(); ++i) {
        const QMetaMethod method = meta->method(i);
        const QString name = QString::fromLatin1(method.name());
        if (method.methodType() == QMetaMethod::Slot && method.access() == QMetaMethod::Private &&
            method.parameterCount() == 0 && !name.endsWith(QLatin1String("_data")) &&
            name != QLatin1String("initTestCase") && name != QLatin1String("cleanupTestCase") &&
            name != QLatin1String("init") && name != QLatin1String("cleanup")) {
            names << name;
        }
    }
    return names;
}

// The function whose exception QtTest reported last in its log.
inline QString functionThatThrew(const QString& logPath) {
    QFile log(logPath);
    QString failed;
    if (log.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : log.readAll().split('\n')) {
            if (line.contains("Caught unhandled exception")) {
                const qsizetype start = line.indexOf("::") + 2;
                failed = QString::fromUtf8(line.mid(start, line.indexOf('(', start) - start));
            }
        }
    }
    return failed;
}

// Runs the test object's functions like QTest::qExec; after an exception the
// functions behind the one that threw run in a further pass. Answers the
// number of failures.
inline int runTests(QObject& test, int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    if (argc > 1) { // functions or options chosen by hand: one plain pass
        try {
            return QTest::qExec(&test, arguments);
        } catch (...) {
            return 1;
        }
    }
    QStringList functions = testFunctionsOf(test);
    QTemporaryFile log;
    if (!log.open()) {
        return QTest::qExec(&test, arguments);
    }
    int failures = 0;
    while (!functions.isEmpty()) {
        try {
            return failures + QTest::qExec(&test, QStringList{arguments.front(), "-o", "-,txt",
                                                              "-o", log.fileName() + ",txt"} +
                                                      functions);
        } catch (...) {
            ++failures;
            const qsizetype at = functions.indexOf(functionThatThrew(log.fileName()));
            if (at < 0) {
                return failures;
            }
            functions = functions.mid(at + 1);
        }
    }
    return failures;
}

} // namespace tobrel::testing

#define TOBREL_TEST_MAIN(TestObject)                                                               \
    int main(int argc, char** argv) {                                                              \
        QApplication app(argc, argv);                                                              \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                   \
        TestObject test;                                                                           \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return tobrel::testing::runTests(test, argc, argv);                                        \
    }
