#include "app/MainFrameTest.h"

#include "control/Vantorel.h"
#include "control/chart/ChartData.h"
#include "control/chart/ChartWidget.h"
#include "control/pivot/PivotSession.h"
#include "control/vantorel/PivotComponent.h"
#include "framework/CDocument.h"
#include "framework/CMDIChildWndEx.h"
#include "olap/sample/SalesSample.h"
#include "platform/messages/InstanceMessages.h"
#include "views/CLumetraView.h"
#include "views/CSSplitter.h"
#include "views/C_Vantorel.h"

#include <QDir>
#include <QMdiArea>
#include <QMdiSubWindow>

// The bundled sample catalogue and reports over the sample cube, opened with
// the real analysis control by clicks in the Reports pane, as a new user
// opens them: every report shows its table or chart, a linked chart follows
// its table, and saving writes the report's files. With
// LUMETRA_SCREENSHOTS=DIR set, the main window with each report is written
// to DIR as a picture in two looks.
class TestSampleReports : public MainFrameTest {
    Q_OBJECT

    static QString SampleFolder() { return QStringLiteral(LUMETRA_SAMPLE_DIR "/"); }

    // The sample file with the demo's folders filled in, as make-demo.sh does.
    QByteArray Sample(const QString& path) const
    {
        QString text = QString::fromLatin1(ReadFile(path));
        text.replace(QLatin1String("@DATA@"), m_cube.path() + QLatin1Char('/'));
        text.replace(QLatin1String("@REPORTS@"), ReportFolder());
        return text.toLatin1();
    }
    QString ReportFolder() const { return m_reports->path() + QLatin1Char('/'); }

    static Vantorel* Control(C_Vantorel* host) { return host ? dynamic_cast<Vantorel*>(host->Object()) : nullptr; }
    CLumetraView* ActiveView() const
    {
        CMDIChildWndEx* frame = m_main->MDIGetActive();
        return frame ? qobject_cast<CLumetraView*>(frame->GetActiveView()) : nullptr;
    }
    CLumetraView* Open(const QString& name)
    {
        const int before = m_main->MdiArea()->subWindowList().size();
        ClickItem(m_main->ReportsTree(), name);
        if (m_main->MdiArea()->subWindowList().size() != before + 1)
            return nullptr;
        return ActiveView();
    }
    void CloseAll()
    {
        for (QMdiSubWindow* window : m_main->MdiArea()->subWindowList()) {
            if (auto* frame = qobject_cast<CMDIChildWndEx*>(window); frame && frame->GetActiveDocument())
                frame->GetActiveDocument()->SetModifiedFlag(false);
        }
        m_main->MdiArea()->closeAllSubWindows();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // The chart data the table's current view gives.
    static chart::ChartData DataOf(Vantorel* table)
    {
        return chart::ChartData::FromLayout(table->PivotTable().Session().Layout());
    }
    // Waits until the control shows what kind says ("table" or "chart") with data in it.
    static void VerifyShows(Vantorel* control, const QString& kind)
    {
        QVERIFY(control);
        if (kind == QLatin1String("chart")) {
            QVERIFY(control->ChartVisible());
            QTRY_VERIFY2(!control->ChartView().Data().IsEmpty(), qPrintable(control->LastError()));
        } else {
            QVERIFY(control->PivotVisible());
            QVERIFY(!control->ChartVisible());
            QTRY_VERIFY2(control->PivotTable().Session().HasLayout(), qPrintable(control->LastError()));
            QVERIFY(control->PivotTable().Session().Layout().ValueRows() > 1);
        }
        QVERIFY2(control->LastError().isEmpty(), qPrintable(control->LastError()));
    }
    // Adds a measure to the table and checks whether the chart draws the changed view.
    static void VerifyBinding(Vantorel* table, Vantorel* chart, bool bound)
    {
        QTRY_VERIFY(table->PivotTable().Session().HasLayout());
        const std::size_t before = chart->ChartView().Data().Series().size();
        QVERIFY(table->PivotTable().AddField(QStringLiteral("[Measures].[Store Cost]"), true));
        QTRY_VERIFY(DataOf(table).Series().size() != before);
        if (bound) {
            QTRY_COMPARE(chart->ChartView().Data().Series().size(), DataOf(table).Series().size());
            QCOMPARE(chart->ChartView().Data().Categories(), DataOf(table).Categories());
        } else {
            QTest::qWait(50);
            QCOMPARE(chart->ChartView().Data().Series().size(), before);
        }
    }
    void Screenshot(const QString& name)
    {
        const QString folder = qEnvironmentVariable("LUMETRA_SCREENSHOTS");
        if (folder.isEmpty())
            return;
        // The Office 2007 blue look and the black one.
        for (const auto& [look, suffix] : {std::pair {215, "blue"}, std::pair {216, "black"}}) {
            m_main->OnApplicationLook(look);
            QTest::qWait(200);
            QVERIFY(m_main->grab().save(QStringLiteral("%1/%2-%3.png").arg(folder, name, QLatin1String(suffix))));
        }
        m_main->OnApplicationLook(215);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_cube.isValid());
        olap::SalesSample::WriteAll(QFile::encodeName(m_cube.path()).toStdString(), 4000, 1);
        C_Vantorel::SetObjectMaker(
            [](const QString& classId, std::shared_ptr<platform::IDispatchObject>* out, QString*) {
                if (classId != QLatin1String(Vantorel::kClassId))
                    return platform::kRegdbEClassNotReg;
                *out = std::make_shared<Vantorel>();
                return platform::kSOk;
            });
    }
    void cleanupTestCase() { C_Vantorel::SetObjectMaker({}); }
    void init()
    {
        m_reports = std::make_unique<QTemporaryDir>();
        const QDir samples(SampleFolder() + QStringLiteral("reports"));
        for (const QString& file : samples.entryList(QDir::Files))
            WriteFile(ReportFolder() + file, Sample(samples.filePath(file)));
        SetUp(Sample(SampleFolder() + QStringLiteral("data/Pellamy.xml")));
        CLumetraApp::Instance()->ReportPath = ReportFolder();
        // The bottom pane's height as the demo installation sets it.
        QVERIFY(CLumetraApp::Instance()->WriteProfileInt(
            QStringLiteral("splt\\init_h1202"), QLatin1String(CSSplitter::kPositionEntry), 260));
        m_main->resize(1100, 760);
    }
    void cleanup()
    {
        if (m_main)
            CloseAll();
        TearDown();
        m_reports.reset();
    }

    void everySampleReportShows_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("upper");
        QTest::addColumn<QString>("lower");
        QTest::newRow("table") << "Monthly Sales" << 1 << "table"
                               << "";
        QTest::newRow("table, top products") << "Top Products" << 1 << "table"
                                             << "";
        QTest::newRow("chart") << "Sales Trend" << 2 << "chart"
                               << "";
        QTest::newRow("table and linked chart") << "Sales by Region" << 3 << "table"
                                                << "chart";
        QTest::newRow("chart and linked table") << "Store Overview" << 4 << "chart"
                                                << "table";
        QTest::newRow("independent table and chart") << "Product Mix" << 5 << "table"
                                                     << "chart";
    }
    void everySampleReportShows()
    {
        QFETCH(QString, name);
        QFETCH(int, type);
        QFETCH(QString, upper);
        QFETCH(QString, lower);
        CLumetraView* view = Open(name);
        QVERIFY(view);
        QCOMPARE(view->ReportType(), type);
        QVERIFY2(view->LastStatus().isEmpty(), qPrintable(view->LastStatus()));
        VerifyShows(Control(view->UpperControl()), upper);
        QCOMPARE(view->LowerControl()->isVisibleTo(view), !lower.isEmpty());
        if (!lower.isEmpty())
            VerifyShows(Control(view->LowerControl()), lower);
        QString file = name;
        Screenshot(QStringLiteral("type%1-").arg(type) + file.remove(QLatin1Char(' ')).toLower());
    }

    void savedReportKeepsItsFilesAndItsBinding_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("tableOnTop");
        QTest::addColumn<bool>("linked");
        QTest::addColumn<QStringList>("files");
        QTest::newRow("3") << "Sales by Region" << true << true
                           << QStringList {"Sales by Region.xml", "Sales by RegionChart.xml"};
        QTest::newRow("4") << "Store Overview" << false << true
                           << QStringList {"Store Overview.xml", "Store OverviewChart.xml"};
        QTest::newRow("5") << "Product Mix" << true << false
                           << QStringList {"Product Mix.xml", "Product Mix2.xml", "Product Mix2Chart.xml"};
    }
    void savedReportKeepsItsFilesAndItsBinding()
    {
        QFETCH(QString, name);
        QFETCH(bool, tableOnTop);
        QFETCH(bool, linked);
        QFETCH(QStringList, files);
        CLumetraView* view = Open(name);
        QVERIFY(view);
        Vantorel* table = Control(tableOnTop ? view->UpperControl() : view->LowerControl());
        Vantorel* chart = Control(tableOnTop ? view->LowerControl() : view->UpperControl());
        VerifyShows(chart, QStringLiteral("chart"));
        VerifyBinding(table, chart, linked);

        for (const QString& file : files)
            QVERIFY2(!QFileInfo::exists(ReportFolder() + file), qPrintable(file));
        QVERIFY2(view->Save(), qPrintable(view->LastStatus()));
        for (const QString& file : files)
            QVERIFY2(QFileInfo(ReportFolder() + file).size() > 0, qPrintable(file));
        // The pivot file holds the table as changed, not the chart control's copy.
        QVERIFY(ReadFile(ReportFolder() + files.front()).contains("[Measures].[Store Cost]"));
        // The catalogue entry now names the saved files.
        const XHTMLTREEDATA* entry = m_main->ReportsTree()->GetItemData(FindByName(m_main->ReportsTree(), name));
        QVERIFY(entry);
        QCOMPARE(entry->Filename1, files.front());

        // Reopened from the catalogue: the same views, the chart bound as before.
        CloseAll();
        view = Open(name);
        QVERIFY(view);
        table = Control(tableOnTop ? view->UpperControl() : view->LowerControl());
        chart = Control(tableOnTop ? view->LowerControl() : view->UpperControl());
        VerifyShows(table, QStringLiteral("table"));
        VerifyShows(chart, QStringLiteral("chart"));
        QVERIFY(table->PivotTable().UsesField(QStringLiteral("[Measures].[Store Cost]")));
        if (linked) {
            QCOMPARE(chart->ChartView().Data().Series().size(), DataOf(table).Series().size());
            QVERIFY(table->PivotTable().RemoveField(QStringLiteral("[Measures].[Store Cost]")));
            QTRY_COMPARE(chart->ChartView().Data().Series().size(), DataOf(table).Series().size());
        }
    }

    // A new report of each type over the sample data source: the controls
    // take the cube, a linked chart draws the table's view, and the first
    // save writes the report's files.
    void newReportOverTheSampleCube_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QStringList>("files");
        QTest::newRow("1") << 1 << QStringList {"New.xml"};
        QTest::newRow("2") << 2 << QStringList {"New.xml", "NewChart.xml"};
        QTest::newRow("3") << 3 << QStringList {"New.xml", "NewChart.xml"};
        QTest::newRow("4") << 4 << QStringList {"New.xml", "NewChart.xml"};
        QTest::newRow("5") << 5 << QStringList {"New.xml", "New2.xml", "New2Chart.xml"};
        QTest::newRow("6") << 6 << QStringList {"New.xml", "NewChart.xml", "New2.xml"};
    }
    void newReportOverTheSampleCube()
    {
        QFETCH(int, type);
        QFETCH(QStringList, files);
        auto* app = CLumetraApp::Instance();
        app->CurrentReportName = QStringLiteral("New");
        for (XHTMLTREEDATA* source : {&app->NewReportSource1, &app->NewReportSource2}) {
            *source = XHTMLTREEDATA();
            source->strPlainText = QStringLiteral("New");
            source->Filename1 = QStringLiteral("Sales");
            source->Filename2 = QStringLiteral("Provider=MSOLAP.2; Data Source=%1/Sales.cub; Initial Catalog=Sales")
                                    .arg(m_cube.path());
        }
        CLumetraView view;
        view.NewReport(type);
        QCOMPARE(view.ReportType(), type);
        QVERIFY2(view.LastStatus().isEmpty(), qPrintable(view.LastStatus()));
        Vantorel* upper = Control(view.UpperControl());
        Vantorel* lower = Control(view.LowerControl());
        QCOMPARE(upper->ChartVisible(), type == 2 || type == 4 || type == 6);
        if (type >= 3) {
            QCOMPARE(lower->ChartVisible(), type == 3 || type == 5);
            Vantorel* table = type == 4 ? lower : upper;
            Vantorel* chart = type == 4 ? upper : lower;
            QVERIFY(table->PivotTable().AddField(QStringLiteral("[Product]"), false));
            QVERIFY(table->PivotTable().AddField(QStringLiteral("[Measures].[Unit Sales]"), true));
            QTRY_VERIFY(table->PivotTable().Session().HasLayout());
            if (type == 3 || type == 4)
                QTRY_COMPARE(chart->ChartView().Data().Categories(), DataOf(table).Categories());
        }
        QVERIFY2(view.Save(), qPrintable(view.LastStatus()));
        for (const QString& file : files)
            QVERIFY2(QFileInfo::exists(ReportFolder() + file), qPrintable(file));
    }

    // The control passes over failing steps; the window says what went wrong.
    void aMissingReportFileIsReported()
    {
        QVERIFY(QFile::remove(ReportFolder() + QStringLiteral("SalesByRegionChart.xml")));
        CLumetraView* view = Open(QStringLiteral("Sales by Region"));
        QVERIFY(view);
        QVERIFY2(view->LastStatus().contains(QLatin1String("holds no chart")), qPrintable(view->LastStatus()));
        VerifyShows(Control(view->UpperControl()), QStringLiteral("table"));
    }
    void aNameTheControlRefusesFailsTheSaveWithItsReason()
    {
        XHTMLTREEDATA record;
        record.strPlainText = QStringLiteral("Sales 2023/2024");
        record.Reporttype1 = 1;
        record.Filename1 = QStringLiteral("MonthlySales.xml");
        CLumetraView view;
        view.OpenReport(&record, false);
        QVERIFY2(view.LastStatus().isEmpty(), qPrintable(view.LastStatus()));
        const QStringList before = QDir(ReportFolder()).entryList(QDir::Files);
        QVERIFY(!view.Save());
        QVERIFY2(view.LastStatus().contains(QLatin1String("not saved")), qPrintable(view.LastStatus()));
        QCOMPARE(QDir(ReportFolder()).entryList(QDir::Files), before);
    }

private:
    QTemporaryDir m_cube;
    std::unique_ptr<QTemporaryDir> m_reports;
};

int main(int argc, char** argv)
{
    InstanceMessages::Get();
    CLumetraApp app(argc, argv);
    TestSampleReports test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_samplereports.moc"
