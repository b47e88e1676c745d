#include "views/SampleReportsTest.h"

#include "app/COutlookBar.h"
#include "platform/messages/InstanceMessages.h"

#include <QRegularExpression>

// The bundled sample catalogue and reports over the sample cube, opened with
// the real analysis control by clicks in the Reports pane, as a new user
// opens them: every report shows its table or chart, a linked chart follows
// its table, and saving writes the report's files. With
// LUMETRA_SCREENSHOTS=DIR set, the main window with each report is written
// to DIR as a picture in two looks.
class TestSampleReports : public SampleReportsTest {
    Q_OBJECT

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
    void initTestCase() { MakeSampleData(); }
    void cleanupTestCase() { DropObjectMaker(); }
    void init() { SetUpSamples(); }
    void cleanup() { TearDownSamples(); }

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
        QTest::newRow("relational table") << "Sales by Country (SQL)" << 1 << "table"
                                          << "";
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
        file.remove(QRegularExpression(QStringLiteral("[^A-Za-z]")));
        Screenshot(QStringLiteral("type%1-").arg(type) + file.toLower());
    }

    // The sample favourites open from the Favorites pane with their
    // personal copies, as make-demo.sh installs them.
    void everySampleFavoriteOpens_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("type");
        QTest::newRow("linked") << "Sales by Region" << 3;
        QTest::newRow("table") << "Top Products" << 1;
        QTest::newRow("relational") << "Sales by Country (SQL)" << 1;
    }
    void everySampleFavoriteOpens()
    {
        QFETCH(QString, name);
        QFETCH(int, type);
        QTest::mouseClick(m_main->NavigationBar()->PageButton(1), Qt::LeftButton);
        QTRY_COMPARE(m_main->NavigationBar()->CurrentPage(), 1);
        const int before = m_main->MdiArea()->subWindowList().size();
        ClickItem(m_main->FavoritesTree(), name);
        QCOMPARE(m_main->MdiArea()->subWindowList().size(), before + 1);
        CLumetraView* view = ActiveView();
        QVERIFY(view);
        QVERIFY(view->IsPersonal());
        QCOMPARE(view->ReportType(), type);
        QVERIFY2(view->LastStatus().isEmpty(), qPrintable(view->LastStatus()));
        VerifyShows(Control(view->UpperControl()), QStringLiteral("table"));
        if (type == 3)
            VerifyShows(Control(view->LowerControl()), QStringLiteral("chart"));
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

    // The relational sample report is what the control writes for a table
    // over the SQL rows of the sample SQLite file: the definition followed by
    // the SQL lines. With LUMETRA_WRITE_SAMPLES set, the sample file is
    // written anew from the control's output.
    void theRelationalSampleIsWrittenByTheControl()
    {
        const QString data = m_cube.path() + QLatin1Char('/');
        Vantorel control;
        control.OpenSQLReport(QStringLiteral("Provider=SQLite; Data Source=%1sales.sqlite").arg(data),
            QStringLiteral("SELECT s.country AS Country, p.category AS Category, SUM(f.unit_sales) AS Units, "
                           "ROUND(SUM(f.store_sales), 2) AS Sales FROM sales f JOIN store s ON s.store_id = f.store_id "
                           "JOIN product p ON p.product_id = f.product_id GROUP BY s.country, p.category"),
            1);
        QVERIFY2(control.LastError().isEmpty(), qPrintable(control.LastError()));
        for (const auto& [field, measure] : {std::pair {"[Country]", false}, std::pair {"[Category]", false},
                 std::pair {"[Measures].[Units]", true}, std::pair {"[Measures].[Sales]", true}})
            QVERIFY2(control.PivotTable().AddField(QLatin1String(field), measure), field);
        QTRY_VERIFY(control.PivotTable().Session().HasLayout());
        const QString saved = control.SaveReport(QStringLiteral("CountrySalesSQL"), ReportFolder());
        QVERIFY2(!saved.isEmpty(), qPrintable(control.LastError()));
        QByteArray text = ReadFile(saved);
        text.replace(QFile::encodeName(data), "@DATA@");
        const QString sample = SampleFolder() + QStringLiteral("reports/CountrySalesSQL.xml");
        if (!qEnvironmentVariableIsEmpty("LUMETRA_WRITE_SAMPLES"))
            WriteFile(sample, text);
        QCOMPARE(text, ReadFile(sample));
    }
    // The relational report saved from its window keeps its SQL lines and
    // opens again with its rows.
    void aRelationalReportSavedFromItsWindowKeepsItsQuery()
    {
        CLumetraView* view = Open(QStringLiteral("Sales by Country (SQL)"));
        QVERIFY(view);
        Vantorel* table = Control(view->UpperControl());
        VerifyShows(table, QStringLiteral("table"));
        QVERIFY(table->PivotTable().RemoveField(QStringLiteral("[Measures].[Sales]")));
        QVERIFY2(view->Save(), qPrintable(view->LastStatus()));
        const QByteArray file = ReadFile(ReportFolder() + QStringLiteral("Sales by Country (SQL).xml"));
        QVERIFY2(file.contains("</xml>\n\r\nSELECT s.country"), file.right(400).constData());
        QVERIFY(file.endsWith("sales.sqlite"));
        CloseAll();
        view = Open(QStringLiteral("Sales by Country (SQL)"));
        QVERIFY(view);
        table = Control(view->UpperControl());
        VerifyShows(table, QStringLiteral("table"));
        QVERIFY(!table->PivotTable().UsesField(QStringLiteral("[Measures].[Sales]")));
        QVERIFY(table->PivotTable().UsesField(QStringLiteral("[Measures].[Units]")));
    }

    // A new report over the sample SQLite source pivots the rows of its
    // statement; saved, it is a relational report that opens again.
    void newReportOverTheSampleSqliteSource()
    {
        CXHtmlTree sources;
        sources.ReadCatalogueFile(m_dataPath + QStringLiteral("PellamyDS.xml"));
        QTreeWidgetItem* item = FindByName(&sources, QStringLiteral("Sales star schema (SQLite)"));
        QVERIFY(item);
        auto* app = CLumetraApp::Instance();
        app->CurrentReportName = QStringLiteral("Rows");
        app->NewReportSource1 = *sources.GetItemData(item);
        app->NewReportSource1.strPlainText = QStringLiteral("Rows");
        QVERIFY(app->NewReportSource1.Filename1.startsWith(QLatin1String("SELECT ")));
        {
            CLumetraView view;
            view.NewReport(1);
            Vantorel* table = Control(view.UpperControl());
            QVERIFY2(table->LastError().isEmpty(), qPrintable(table->LastError()));
            QVERIFY(table->PivotTable().AddField(QStringLiteral("[Country]"), false));
            QVERIFY(table->PivotTable().AddField(QStringLiteral("[Measures].[Units]"), true));
            VerifyShows(table, QStringLiteral("table"));
            QVERIFY2(view.Save(), qPrintable(view.LastStatus()));
        }
        QVERIFY(ReadFile(ReportFolder() + QStringLiteral("Rows.xml")).endsWith("sales.sqlite"));
        XHTMLTREEDATA record;
        record.strPlainText = QStringLiteral("Rows");
        record.Reporttype1 = 1;
        record.Filename1 = QStringLiteral("Rows.xml");
        CLumetraView view;
        view.OpenReport(&record, false);
        Vantorel* table = Control(view.UpperControl());
        VerifyShows(table, QStringLiteral("table"));
        QVERIFY(table->PivotTable().UsesField(QStringLiteral("[Country]")));
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
};

int main(int argc, char** argv)
{
    InstanceMessages::Get();
    CLumetraApp app(argc, argv);
    TestSampleReports test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_samplereports.moc"
