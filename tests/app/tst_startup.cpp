#include "support/ModalHelper.h"
#include "support/TempRegistry.h"

#include "app/CLumetraApp.h"
#include "framework/CDocTemplate.h"
#include "framework/CMDIFrameWndEx.h"
#include "platform/COXRegistryItem.h"
#include "platform/messages/InstanceMessages.h"
#include "platform/registry/RegistryKey.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <set>

namespace {

const QString kKey = QStringLiteral("\\LocalMachine\\Software\\Corvane\\Talvanor\\Lumetra\\Lumetra\\");

void Store(const char* name, const QString& value, platform::RegType type = platform::kRegSz)
{
    COXRegistryItem item(kKey + QLatin1String(name));
    QVERIFY(item.SetStringValue(value, type));
}

} // namespace

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void init() { m_savedDirectory = QDir::currentPath(); }
    void cleanup()
    {
        auto* app = CLumetraApp::Instance();
        delete app->GetMainWnd();
        app->SetMainWnd(nullptr);
        QDir::setCurrent(m_savedDirectory);
    }

    void registersElevenDistinctMessages()
    {
        const InstanceMessages& ids = InstanceMessages::Get();
        const std::set<unsigned> distinct {ids.MSG_USER_INST, ids.MSG_INST, ids.MSG_NEW_INST1, ids.MSG_NEW_INST2,
            ids.MSG_NEW_INST3, ids.MSG_NEW_INST4, ids.MSG_NEW_INST5, ids.MSG_NEW_INST6, ids.MSG_NEW_INST7,
            ids.MSG_INST_UPDATE, ids.MSG_INST_FAVUPDATE};
        QCOMPARE(distinct.size(), size_t(11));
        QVERIFY(!distinct.count(0));
        QCOMPARE(ids.NewReportType(ids.MSG_NEW_INST3), 3);
        QCOMPARE(ids.NewReportType(ids.MSG_INST), 0);
    }

    void emptyRegistryCreatesTheKeyAndLeavesFoldersEmpty()
    {
        TempRegistry registry;
        auto* app = CLumetraApp::Instance();
        QVERIFY(app->InitInstance());
        QCOMPARE(app->DataPath, QString());
        QCOMPARE(app->ReportPath, QString());
        QCOMPARE(app->DirPath, QString());
        platform::RegistryKey key;
        QCOMPARE(key.Open(platform::RegistryHive::LocalMachine,
                     QStringLiteral("Software\\Corvane\\Talvanor\\Lumetra\\Lumetra"), platform::kKeyRead),
            platform::kErrorSuccess);
        QVERIFY(app->m_pOlapTemplate && app->m_pOfficeTemplate);
        QVERIFY(app->m_pOlapTemplate != app->m_pOfficeTemplate);
        QCOMPARE(app->GetRegistryKey(), QStringLiteral("Corvane\\Talvanor"));

        QWidget* window = app->GetMainWnd();
        QVERIFY(window);
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QCOMPARE(window->windowTitle(), QStringLiteral("Lumetra"));
        // Nothing is opened at start-up.
        QVERIFY(app->GetMainWnd()->MDIGetActive() == nullptr);
    }

    void foldersAreReadExpandedAndDirPathApplied()
    {
        TempRegistry registry;
        QTemporaryDir work;
        qputenv("LUMETRA_TEST_DATA", work.path().toLocal8Bit());
        Store("DataPath", QStringLiteral("%LUMETRA_TEST_DATA%/data/"), platform::kRegExpandSz);
        Store("ReportPath", QStringLiteral("/srv/reports/"));
        Store("DirPath", work.path());
        auto* app = CLumetraApp::Instance();
        QVERIFY(app->InitInstance());
        QCOMPARE(app->DataPath, work.path() + QStringLiteral("/data/"));
        QCOMPARE(app->ReportPath, QStringLiteral("/srv/reports/"));
        QCOMPARE(QDir::currentPath(), QFileInfo(work.path()).canonicalFilePath());
    }

    void unusableDirPathKeepsTheWorkingDirectory()
    {
        TempRegistry registry;
        QTemporaryDir work;
        Store("DirPath", work.path() + QLatin1Char('/'));
        const QString before = QDir::currentPath();
        QVERIFY(CLumetraApp::Instance()->InitInstance());
        QCOMPARE(QDir::currentPath(), before);
    }

    void readOnlyRegistryStillReadsTheFolders()
    {
        TempRegistry registry;
        Store("DataPath", QStringLiteral("/srv/data/"));
        registry.MakeMachineHiveReadOnly();
        auto* app = CLumetraApp::Instance();
        QVERIFY(app->InitInstance());
        QCOMPARE(app->DataPath, QStringLiteral("/srv/data/"));
    }

    void dispatchFailureShowsMessageAndEnds()
    {
        TempRegistry registry;
        QFile hive(registry.HiveFile("ClassesRoot"));
        QVERIFY(hive.open(QIODevice::WriteOnly));
        hive.write("damaged");
        hive.close();
        QString text;
        QString detail;
        WhenModalShows([&text, &detail](QWidget* modal) {
            if (auto* box = qobject_cast<QMessageBox*>(modal))
                detail = box->informativeText();
            ClickMessageBoxButton(modal, QMessageBox::Ok, &text);
        });
        QVERIFY(!CLumetraApp::Instance()->InitInstance());
        QCOMPARE(text,
            QStringLiteral("OLE initialization failed.  Make sure that the OLE libraries are the "
                           "correct version."));
        // The damaged hive is named, with the reason.
        QVERIFY2(detail.contains(registry.HiveFile("ClassesRoot")) && detail.contains(u"damaged"), qPrintable(detail));
        QVERIFY(CLumetraApp::Instance()->GetMainWnd() == nullptr);
    }

private:
    QString m_savedDirectory;
};

int main(int argc, char** argv)
{
    InstanceMessages::Get();
    CLumetraApp app(argc, argv);
    TestStartup test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_startup.moc"
