#include "support/TempRegistry.h"

#include "platform/COXRegistryItem.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTest>

#include <signal.h>
#include <sys/stat.h>

// Runs the real program in situations that used to hang it: a termination
// signal must end it even while a modal box is open, and a catalogue path
// that is a FIFO must not block start-up.
class TestTermination : public QObject {
    Q_OBJECT
private slots:
    void damagedClassRegistryBoxEndsOnSigterm()
    {
        TempRegistry registry;
        WriteText(registry.HiveFile("ClassesRoot"), "{ this is not a hive");
        QProcess program;
        Start(program, registry);
        // The start-up message box about the class registry is up now.
        QTest::qWait(2000);
        QCOMPARE(program.state(), QProcess::Running);
        ::kill(static_cast<pid_t>(program.processId()), SIGTERM);
        QVERIFY2(program.waitForFinished(10000), "the modal box kept the program alive");
    }

    void fifoCatalogueDoesNotBlockStartUp()
    {
        TempRegistry registry;
        QTemporaryDir data;
        QVERIFY(::mkfifo(QFile::encodeName(data.filePath(QStringLiteral("Pellamy.xml"))).constData(), 0600) == 0);
        QVERIFY(
            COXRegistryItem(QStringLiteral("\\LocalMachine\\Software\\Corvane\\Talvanor\\Lumetra\\Lumetra\\DataPath"))
                .SetStringValue(data.path() + QLatin1Char('/')));
        QProcess program;
        Start(program, registry);
        QTest::qWait(3000);
        QCOMPARE(program.state(), QProcess::Running);
        // A blocked start-up never reaches its event loop and would ignore this.
        ::kill(static_cast<pid_t>(program.processId()), SIGTERM);
        const bool finished = program.waitForFinished(15000);
        if (!finished)
            program.kill();
        QVERIFY2(finished, "start-up blocked on the FIFO");
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
    }

private:
    static void WriteText(const QString& path, const QByteArray& text)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    static void Start(QProcess& program, const TempRegistry& registry)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("LUMETRA_REGISTRY_ROOT"), registry.Path());
        program.setProcessEnvironment(environment);
        program.setProcessChannelMode(QProcess::ForwardedChannels);
        program.start(QStringLiteral(LUMETRA_EXE), {});
        QVERIFY(program.waitForStarted());
    }
};

QTEST_GUILESS_MAIN(TestTermination)
#include "tst_termination.moc"
