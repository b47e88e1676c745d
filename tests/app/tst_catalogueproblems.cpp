#include "support/TempRegistry.h"
#include "support/TestFiles.h"

#include "app/CLumetraApp.h"
#include "app/CMainFrame.h"
#include "catalogue/CXHtmlTree.h"
#include "platform/COXRegistryItem.h"
#include "platform/messages/InstanceMessages.h"

#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

// The main window tells the user when a catalogue could not be read whole,
// without blocking, and the first save over such a file keeps it as NAME.bak.
class TestCatalogueProblems : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        m_registry = std::make_unique<TempRegistry>();
        m_data = std::make_unique<QTemporaryDir>();
        QVERIFY(
            COXRegistryItem(QStringLiteral("\\LocalMachine\\Software\\Corvane\\Talvanor\\Lumetra\\Lumetra\\DataPath"))
                .SetStringValue(m_data->path() + QLatin1Char('/')));
    }
    void cleanup()
    {
        auto* app = CLumetraApp::Instance();
        delete m_main;
        m_main = nullptr;
        app->SetMainWnd(nullptr);
        m_registry.reset();
    }

    void problemsAreShown_data()
    {
        QTest::addColumn<QByteArray>("catalogue");
        QTest::addColumn<bool>("fifo");
        QTest::addColumn<QString>("says");
        const QByteArray whole = "<?xml version=\"1.0\" encoding=\"ISO-8859-15\"?>\r\n<root name=\"Reports\">\r\n"
                                 "\t<item name=\"A\"/>\r\n\t<item name=\"B\"/>\r\n</root>\r\n";
        QByteArray zero = whole;
        zero[70] = '\0';
        QTest::newRow("whole file: no box") << whole << false << QString();
        QTest::newRow("missing file: no box") << QByteArray() << false << QString();
        QTest::newRow("zero byte") << zero << false << QStringLiteral("zero byte at offset 70");
        QTest::newRow("junk") << QByteArray("junk") << false << QStringLiteral("no catalogue element");
        QTest::newRow("FIFO refused") << QByteArray() << true << QStringLiteral("named pipe");
    }
    void problemsAreShown()
    {
        QFETCH(QByteArray, catalogue);
        QFETCH(bool, fifo);
        QFETCH(QString, says);
        if (fifo)
            QVERIFY(::mkfifo(QFile::encodeName(ReportsFile()).constData(), 0600) == 0);
        else if (!catalogue.isEmpty())
            WriteFile(ReportsFile(), catalogue);
        Start();
        auto* box = m_main->findChild<QMessageBox*>(QStringLiteral("catalogueProblemBox"));
        if (says.isEmpty()) {
            QVERIFY(box == nullptr);
            return;
        }
        QVERIFY(box != nullptr);
        QVERIFY(box->isVisible());
        QVERIFY(!box->isModal());
        QVERIFY2(box->text().contains(says), qPrintable(box->text()));
    }

    void firstSaveKeepsTheDamagedFileOnce()
    {
        const QByteArray damaged = "<?xml version=\"1.0\"?>\r\n<root name=\"Reports\">\r\n\t<item name=\"A\"/>\r\n"
                                   "\t<item name=\"B\"";
        WriteFile(ReportsFile(), damaged);
        Start();
        CXHtmlTree* tree = m_main->ReportsTree();
        QVERIFY(tree->WriteCatalogueFile(tree->GetRootItem(), ReportsFile()));
        QCOMPARE(ReadFile(ReportsFile() + QStringLiteral(".bak")), damaged);
        tree->SetItemText(tree->GetRootItem(), QStringLiteral("Renamed"));
        QVERIFY(tree->WriteCatalogueFile(tree->GetRootItem(), ReportsFile()));
        QCOMPARE(ReadFile(ReportsFile() + QStringLiteral(".bak")), damaged);
        QVERIFY(ReadFile(ReportsFile()).contains("Renamed"));
    }

private:
    QString ReportsFile() const { return m_data->filePath(QStringLiteral("Pellamy.xml")); }
    void Start()
    {
        auto* app = CLumetraApp::Instance();
        QVERIFY(app->InitInstance());
        m_main = qobject_cast<CMainFrame*>(app->GetMainWnd());
        QVERIFY(m_main);
        QVERIFY(QTest::qWaitForWindowExposed(m_main));
    }

    std::unique_ptr<TempRegistry> m_registry;
    std::unique_ptr<QTemporaryDir> m_data;
    CMainFrame* m_main = nullptr;
};

int main(int argc, char** argv)
{
    InstanceMessages::Get();
    CLumetraApp app(argc, argv);
    TestCatalogueProblems test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_catalogueproblems.moc"
