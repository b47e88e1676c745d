#include "support/TempRegistry.h"

#include <QProcess>
#include <QTest>

#include <signal.h>

// Runs the real program: it starts, shows its window and ends with exit code
// 0 when asked to close.
class TestProgram : public QObject {
    Q_OBJECT
private slots:
    void startsAndQuitsWithExitCodeZero_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("no arguments") << QStringList {};
        QTest::newRow("a file on the command line is ignored") << QStringList {QStringLiteral("/tmp/missing.xml")};
    }
    void startsAndQuitsWithExitCodeZero()
    {
        QFETCH(QStringList, arguments);
        TempRegistry registry;
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("LUMETRA_REGISTRY_ROOT"), registry.Path());
        program.setProcessEnvironment(environment);
        program.setProcessChannelMode(QProcess::ForwardedChannels);
        program.start(QStringLiteral(LUMETRA_EXE), arguments);
        QVERIFY(program.waitForStarted());
        // Start-up creates the machine-wide key; after that the window opens.
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(registry.HiveFile("LocalMachine")), 20000);
        QTest::qWait(500);
        QCOMPARE(program.state(), QProcess::Running);
        ::kill(static_cast<pid_t>(program.processId()), SIGTERM);
        QVERIFY(program.waitForFinished(20000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
    }
};

QTEST_GUILESS_MAIN(TestProgram)
#include "tst_program.moc"
