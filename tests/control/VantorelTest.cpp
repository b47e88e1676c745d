// The OLAP analysis control offscreen: start-up, toolbar and layout, every member by dispatch
// id with its argument kinds, report file pairs over the sample cube, and the commands.
#include "support/TempRegistry.h"
#include "support/TestFiles.h"

#include "control/Vantorel.h"
#include "control/chart/ChartTypeTable.h"
#include "control/chart/ChartWidget.h"
#include "control/chart/ChartXml.h"
#include "control/drill/DrillForm.h"
#include "control/export/OwcHelper.h"
#include "control/pivot/PivotAreaBar.h"
#include "control/pivot/PivotCommand.h"
#include "control/pivot/PivotFieldList.h"
#include "control/pivot/PivotGrid.h"
#include "control/pivot/PivotPropertyToolbox.h"
#include "control/pivot/PivotSession.h"
#include "control/pivot/PivotTableWidget.h"
#include "control/pivot/PivotToolbar.h"
#include "control/pivot/model/PivotMdxBuilder.h"
#include "control/pivot/model/PivotXml.h"
#include "control/vantorel/PivotComponent.h"
#include "control/vantorel/ReportFiles.h"
#include "control/vantorel/ToolbarButtons.h"
#include "control/vantorel/VantorelWidget.h"
#include "olap/query/CancellationToken.h"
#include "olap/sample/SalesSample.h"
#include "olap/util/AtomicFile.h"
#include "platform/dispatch/ComRuntime.h"

#include <QApplication>
#include <QChart>
#include <QContextMenuEvent>
#include <QDir>
#include <QLabel>
#include <QLegend>
#include <QMenu>
#include <QPalette>
#include <QPrinter>
#include <QSet>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <memory>
#include <thread>

using platform::DispId;
using platform::InvokeKind;
using platform::Variant;
using vantorel::ReportFiles;
using vantorel::ToolbarButtons;

namespace {

// A control whose dialogs and print helper never block and never start a program.
std::unique_ptr<Vantorel> NewControl(QStringList* messages = nullptr)
{
    auto control = std::make_unique<Vantorel>();
    Vantorel::Dialogs dialogs;
    dialogs.message = [messages](QWidget*, const QString& text) {
        if (messages)
            messages->append(text);
    };
    dialogs.saveFileName = [](QWidget*, const QString&) { return QString(); };
    dialogs.openFileName = [](QWidget*) { return QString(); };
    control->SetDialogs(dialogs);
    exporting::OwcHelper::Seams seams {};
    // An empty search path: no spreadsheet program is found.
    seams.searchPath.emplace(QStringLiteral(""));
    seams.showMessage = [](const exporting::ExportMessage&, QWidget*) {};
    seams.canPreview = [] { return false; };
    seams.makePrinter = [] { return std::unique_ptr<QPrinter>(); };
    control->SetExportHelper(std::make_unique<exporting::OwcHelper>(seams));
    return control;
}

bool WaitForView(Vantorel& control)
{
    pivot::PivotSession& session = control.PivotTable().Session();
    return QTest::qWaitFor([&] { return !session.IsWorking() && session.HasLayout(); }, 20000);
}

int VisibleButtons(vantorel::VantorelWidget& window)
{
    int count = 0;
    for (const auto& button : ToolbarButtons::All())
        count += window.ButtonShown(QLatin1String(button.name)) ? 1 : 0;
    return count;
}

} // namespace

class VantorelTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_cubes.isValid());
        olap::SalesSample::WriteAll(m_cubes.path().toStdString(), 3000, 7);
        const QString data = m_cubes.path() + QLatin1Char('/');
        for (const QString& name : QDir(QStringLiteral(LUMETRA_SAMPLE_REPORTS)).entryList({"*.xml"}, QDir::Files)) {
            QByteArray text = ReadFile(QStringLiteral(LUMETRA_SAMPLE_REPORTS) + QLatin1Char('/') + name);
            text.replace("@DATA@", data.toUtf8());
            WriteFile(m_cubes.filePath(name), text);
        }
    }

    void startsAsATableWithSeventeenButtons()
    {
        auto control = NewControl();
        vantorel::PivotComponent& pivot = control->PivotTable();
        QVERIFY(pivot.Visible());
        QVERIFY(!control->ChartVisible());
        QVERIFY(!pivot.displayToolbar && !pivot.displayFieldList && !pivot.autoFit);
        QVERIFY(pivot.displayExpandIndicator && pivot.allowCustomOrdering && pivot.allowDetails && pivot.allowFiltering
            && pivot.allowGrouping && pivot.allowPropertyToolbox);
        QVERIFY(pivot.options.at(6042) && pivot.options.at(6050) && !pivot.options.at(0x6002006A));
        QVERIFY(control->ToolbarShown() && control->SubtotalsShown());
        QVERIFY(!control->IsRelational() && !control->IsLocalCube());
        QCOMPARE(VisibleButtons(control->Window()), 17);
        for (const char* hidden : {"Spara", "Oppna", "QueryBuilder", "Anslut"})
            QVERIFY2(!control->Window().ButtonShown(QLatin1String(hidden)), hidden);
    }

    void buttonsSitAtTheirTwipPositions_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("tooltip");
        QTest::addColumn<int>("left");
        QTest::newRow("Reset") << "Reset"
                               << "Reset" << 0;
        QTest::newRow("imgPrint") << "imgPrint"
                                  << "Print" << 16;
        QTest::newRow("Sum") << "Sum"
                             << "Show subtotals" << 48;
        QTest::newRow("GridMe") << "GridMe"
                                << "Show pivottable" << 139;
        QTest::newRow("imgDetails") << "imgDetails"
                                    << "Show details" << 232;
        QTest::newRow("imgExportDat") << "imgExportDat"
                                      << "Export data to excel" << 312;
        QTest::newRow("imgFontChange") << "imgFontChange"
                                       << "Change Font" << 344;
        QTest::newRow("Anslut") << "Anslut"
                                << "Connect database" << 488;
    }
    void buttonsSitAtTheirTwipPositions()
    {
        QFETCH(QString, name);
        QFETCH(QString, tooltip);
        QFETCH(int, left);
        auto control = NewControl();
        QToolButton* button = control->Window().Button(name);
        QVERIFY(button);
        QCOMPARE(button->toolTip(), tooltip);
        QCOMPARE(button->geometry(), QRect(left, 0, 16, 16));
        const QImage image = ToolbarButtons::Image(name).toImage();
        QCOMPARE(image.size(), QSize(16, 16));
        // Drawn, not an empty frame: some pixels carry colour.
        int coloured = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                coloured += qAlpha(image.pixel(x, y)) > 0 ? 1 : 0;
        QVERIFY2(coloured > 20, qPrintable(name));
    }

    void hideAndShowSwitchTwentyButtonsButNotTheFont()
    {
        auto control = NewControl();
        vantorel::VantorelWidget& window = control->Window();
        window.SetButtonShown(QStringLiteral("imgFontChange"), false);
        control->HideToolbar();
        QVERIFY(!control->ToolbarShown());
        QCOMPARE(VisibleButtons(window), 0);
        window.SetButtonShown(QStringLiteral("imgFontChange"), true);
        control->ShowToolbar();
        QCOMPARE(VisibleButtons(window), 21);
        control->HideToolbar();
        QCOMPARE(VisibleButtons(window), 1);
        QVERIFY(window.ButtonShown(QStringLiteral("imgFontChange")));
    }

    void viewRectNeverGoesNegative_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<bool>("toolbar");
        QTest::addColumn<QRect>("expected");
        QTest::newRow("shown") << 7500 << 4725 << true << QRect(0, 240, 7490, 4445);
        QTest::newRow("hidden") << 7500 << 4725 << false << QRect(0, 0, 7490, 4715);
        QTest::newRow("below margins shown") << 5 << 200 << true << QRect(0, 240, 0, 0);
        QTest::newRow("below margins hidden") << 9 << 9 << false << QRect(0, 0, 0, 0);
        QTest::newRow("exactly the margins") << 10 << 290 << true << QRect(0, 240, 0, 10);
    }
    void viewRectNeverGoesNegative()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(bool, toolbar);
        QFETCH(QRect, expected);
        const QRect rect = vantorel::VantorelWidget::ViewRect(width, height, toolbar, 240);
        QCOMPARE(rect.topLeft(), expected.topLeft());
        QCOMPARE(rect.width(), expected.width());
        QCOMPARE(rect.height(), expected.height());
    }

    void windowLaysOutTheVisibleView()
    {
        auto control = NewControl();
        QWidget host;
        host.show();
        QWidget* window = control->ControlWindow(&host);
        QCOMPARE(window->parentWidget(), &host);
        QCOMPARE(control->ControlWindow(&host), window);
        window->resize(400, 300);
        QWidget* grid = control->Window().PivotView();
        QCOMPARE(grid, control->PivotTable().ExistingTable());
        QCOMPARE(grid->geometry(), QRect(0, 16, 399, 281));
        control->HideToolbar();
        QCOMPARE(grid->geometry(), QRect(0, 0, 399, 299));
        // Showing the toolbar again moves the view back below it.
        control->ShowToolbar();
        QCOMPARE(grid->geometry(), QRect(0, 16, 399, 281));
        window->resize(0, 0);
        QCOMPARE(grid->geometry().size(), QSize(0, 0));
        control->ClickButton(QStringLiteral("Chart"));
        window->resize(300, 200);
        QCOMPARE(control->ChartView().geometry(), QRect(0, 16, 299, 181));
    }

    void windowDestroyedByTheHostIsMadeAgain()
    {
        auto control = NewControl();
        auto host = std::make_unique<QWidget>();
        control->ControlWindow(host.get());
        control->ClickButton(QStringLiteral("Chart"));
        host.reset();
        QVERIFY(!control->ChartVisible());
        QWidget other;
        QWidget* window = control->ControlWindow(&other);
        QVERIFY(window);
        QCOMPARE(window->parentWidget(), &other);
        QVERIFY(control->PivotVisible());
        QVERIFY(control->PivotTable().ExistingGrid());
        control->ClickButton(QStringLiteral("Chart"));
        QVERIFY(control->ChartVisible());
    }

    void chartLookSurvivesADestroyedWindow()
    {
        auto control = NewControl();
        auto host = std::make_unique<QWidget>();
        control->ControlWindow(host.get());
        control->ClickButton(QStringLiteral("Chart"));
        chart::ChartWidget& old = control->ChartView();
        QVERIFY(old.SetChartTypeNumber(int(chart::ChartType::BarStacked)));
        old.SetHasLegend(false);
        old.SetAxisFont(chart::ChartAxisFont::Axis::Value, "DejaVu Serif", 13);
        chart::ChartDefinition look = old.Definition();
        look.palette[24] = "#123456";
        old.SetDefinition(look);
        const std::string text = old.DefinitionText();
        host.reset();
        QWidget other;
        control->ControlWindow(&other);
        chart::ChartWidget& renewed = control->ChartView();
        QCOMPARE(renewed.DefinitionText(), text);
        QCOMPARE(renewed.ChartTypeNumber(), int(chart::ChartType::BarStacked));
        QVERIFY(!renewed.Chart()->legend()->isVisible());
        // Showing the chart again starts from the kept type, not from the first one.
        control->ClickButton(QStringLiteral("Chart"));
        QCOMPARE(control->ChartTypeCounter(), int(chart::ChartType::BarStacked));
    }

    void stringMembersStoreAndWriteBack_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<Variant>("argument");
        QTest::addColumn<QString>("stored");
        QTest::newRow("File") << Vantorel::kFile << Variant("C:\\R\\Sales.xml") << "C:\\R\\Sales.xml";
        QTest::newRow("UserName") << Vantorel::kUserName << Variant("anna") << "anna";
        QTest::newRow("Database") << Vantorel::kDatabase << Variant("FoodMart") << "FoodMart";
        QTest::newRow("cube") << Vantorel::kCube << Variant("Sales") << "Sales";
        QTest::newRow("Server number") << Vantorel::kServer << Variant(std::int32_t(42)) << "42";
    }
    void stringMembersStoreAndWriteBack()
    {
        QFETCH(int, id);
        QFETCH(Variant, argument);
        QFETCH(QString, stored);
        auto control = NewControl();
        std::vector<Variant> args {argument};
        QCOMPARE(control->Invoke(id, InvokeKind::Method, args, nullptr, nullptr), platform::kSOk);
        QCOMPARE(args[0].type(), Variant::Type::String);
        QCOMPARE(args[0].toString(), stored);
        const QString actual = id == Vantorel::kFile ? control->ReportFileName()
            : id == Vantorel::kUserName              ? control->UserNameSetting()
            : id == Vantorel::kDatabase              ? control->DatabaseName()
            : id == Vantorel::kCube                  ? control->CubeName()
                                                     : control->ServerName();
        QCOMPARE(actual, stored);
    }

    void membersAnswerByDispatchId_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("argumentCount");
        QTest::addColumn<uint>("result");
        const auto method = static_cast<int>(InvokeKind::Method);
        const auto get = static_cast<int>(InvokeKind::PropertyGet);
        QTest::newRow("HideToolbar") << Vantorel::kHideToolbar << method << 0 << platform::kSOk;
        QTest::newRow("ShowToolbar") << Vantorel::kShowToolbar << method << 0 << platform::kSOk;
        QTest::newRow("InitCube") << Vantorel::kInitCube << method << 0 << platform::kSOk;
        QTest::newRow("Enable_Writeback") << Vantorel::kEnableWriteback << method << 0 << platform::kSOk;
        QTest::newRow("Enable_Writeback args") << Vantorel::kEnableWriteback << method << 3 << platform::kSOk;
        QTest::newRow("XMLData get") << Vantorel::kXMLData << get << 0 << platform::kSOk;
        QTest::newRow("Pivottable get") << Vantorel::kPivottable << get << 0 << platform::kSOk;
        QTest::newRow("Datasource get") << Vantorel::kDatasource << get << 0 << platform::kSOk;
        QTest::newRow("LastError get") << Vantorel::kLastError << get << 0 << platform::kSOk;
        QTest::newRow("drill without helper") << Vantorel::kGetAggregate << method << 0 << platform::kSOk;
        QTest::newRow("File without argument") << Vantorel::kFile << method << 0 << platform::kDispEBadParamCount;
        QTest::newRow("OpenCube short") << Vantorel::kOpenCube << method << 2 << platform::kDispEBadParamCount;
        QTest::newRow("SaveReportAs short") << Vantorel::kSaveReportAs << method << 2 << platform::kDispEBadParamCount;
        QTest::newRow("unknown id") << 0x6003009C << method << 0 << platform::kDispEMemberNotFound;
    }
    void membersAnswerByDispatchId()
    {
        QFETCH(int, id);
        QFETCH(int, kind);
        QFETCH(int, argumentCount);
        QFETCH(uint, result);
        auto control = NewControl();
        std::vector<Variant> args(static_cast<std::size_t>(argumentCount), Variant(""));
        Variant answer;
        QCOMPARE(control->Invoke(id, static_cast<InvokeKind>(kind), args, &answer, nullptr), result);
        if (id == Vantorel::kXMLData)
            QCOMPARE(answer.toString().toStdString(), pivot::PivotXml::DefaultText());
        if (id == Vantorel::kPivottable)
            QVERIFY(answer.toObject() != nullptr);
    }

    void printByReferenceWritesBackBooleansAndNeverRaises()
    {
        auto control = NewControl();
        std::vector<Variant> args {Variant(), Variant(std::int32_t(1)), Variant("")};
        QCOMPARE(
            control->Invoke(Vantorel::kPrintPivotInXL, InvokeKind::Method, args, nullptr, nullptr), platform::kSOk);
        QCOMPARE(args[1].type(), Variant::Type::Bool);
        QCOMPARE(args[1].toBool(), true);
        QCOMPARE(args[2].toBool(), false);
        // No spreadsheet program and no preview: the failure is kept, not raised.
        QVERIFY(!control->LastError().isEmpty());
        std::vector<Variant> none;
        Variant lastError;
        QCOMPARE(
            control->Invoke(Vantorel::kLastError, InvokeKind::PropertyGet, none, &lastError, nullptr), platform::kSOk);
        QCOMPARE(lastError.toString(), control->LastError());
    }

    void openCubeSetsTheRelationalFlagAndView_data()
    {
        QTest::addColumn<QString>("connection");
        QTest::addColumn<int>("openType");
        QTest::addColumn<bool>("relational");
        QTest::addColumn<bool>("fieldList");
        QTest::addColumn<bool>("chart");
        QTest::newRow("SQLNCLI10") << "Provider=SQLNCLI10;Server=s" << 0 << true << false << false;
        QTest::newRow("MSOLAP.2") << "Provider=MSOLAP.2;Data Source=x.cub" << 3 << false << false << false;
        QTest::newRow("sqloledb mixed case") << "Provider=SqLoLeDb;Data Source=s" << 1 << true << true << false;
        QTest::newRow("chart") << "Provider=MSOLAP.2;Data Source=x.cub" << 2 << false << false << true;
    }
    void openCubeSetsTheRelationalFlagAndView()
    {
        QFETCH(QString, connection);
        QFETCH(int, openType);
        QFETCH(bool, relational);
        QFETCH(bool, fieldList);
        QFETCH(bool, chart);
        auto control = NewControl();
        std::vector<Variant> args {Variant(connection), Variant("Sales"), Variant(std::int32_t(openType))};
        Variant answer("x");
        QCOMPARE(control->Invoke(Vantorel::kOpenCube, InvokeKind::Method, args, &answer, nullptr), platform::kSOk);
        QVERIFY(answer.isEmpty());
        QCOMPARE(control->IsRelational(), relational);
        QCOMPARE(control->PivotTable().displayFieldList, fieldList);
        QCOMPARE(control->ChartVisible(), chart);
        QCOMPARE(control->PivotTable().ConnectionString(), connection);
        QCOMPARE(control->PivotTable().DataMember(), QStringLiteral("Sales"));
    }

    void opensASampleReportAndSavesThePair()
    {
        auto control = NewControl();
        const QString report = m_cubes.filePath(QStringLiteral("SalesByRegion.xml"));
        std::vector<Variant> args {Variant(report), Variant(std::int32_t(1))};
        QCOMPARE(
            control->Invoke(Vantorel::kOppnaRapportTyp, InvokeKind::Method, args, nullptr, nullptr), platform::kSOk);
        QVERIFY(WaitForView(*control));
        QVERIFY2(control->PivotTable().Session().LastError().isEmpty(),
            qPrintable(control->PivotTable().Session().LastError()));
        QVERIFY(control->IsLocalCube());
        QVERIFY2(control->PivotTable().Session().Layout().RowCount() > 2,
            qPrintable(QStringLiteral("%1 rows, %2 columns, working %3")
                           .arg(control->PivotTable().Session().Layout().RowCount())
                           .arg(control->PivotTable().Session().Layout().ColumnCount())
                           .arg(control->PivotTable().Session().IsWorking())));
        QVERIFY(control->LoadedDefinition().endsWith(QStringLiteral("\r\n")));

        QTemporaryDir out;
        // Table visible: only the pivot file, and an old chart file stays.
        WriteFile(out.filePath(QStringLiteral("KeepChart.xml")), "old chart");
        std::vector<Variant> save {Variant("Keep"), Variant(out.path() + QLatin1Char('/'))};
        Variant name;
        QCOMPARE(control->Invoke(Vantorel::kSaveReport, InvokeKind::Method, save, &name, nullptr), platform::kSOk);
        QCOMPARE(name.toString(), out.filePath(QStringLiteral("Keep.xml")));
        QCOMPARE(ReadFile(out.filePath(QStringLiteral("KeepChart.xml"))), QByteArray("old chart"));
        QCOMPARE(ReportFiles::ReadText(name.toString()), control->XMLData());

        // Chart visible: the sibling chart file is written and the pair opens as a chart.
        control->ClickButton(QStringLiteral("Chart"));
        QVERIFY(control->ChartVisible() && !control->PivotVisible());
        const QString saved = control->SaveReport(QStringLiteral("Pair"), out.path() + QLatin1Char('/'));
        QVERIFY(ReportFiles::HasMarker(ReportFiles::ReadText(out.filePath("PairChart.xml")), "chartspace"));

        auto reopened = NewControl();
        reopened->OppnaRapport(saved);
        QVERIFY(reopened->ChartVisible());
        QVERIFY(!reopened->PivotVisible());
        QVERIFY(reopened->ChartView().HasLegend());
        QVERIFY(WaitForView(*reopened));
        QTRY_VERIFY(!reopened->ChartView().Data().Categories().empty());
        QCOMPARE(reopened->XMLData(), control->XMLData());
    }

    void chartMarkerDecidesTheView_data()
    {
        QTest::addColumn<QByteArray>("chartText");
        QTest::addColumn<int>("type");
        QTest::addColumn<bool>("chart");
        QTest::addColumn<bool>("loaded");
        QTest::newRow("mixed case marker, type 1")
            << QByteArray(chart::ChartXml::DefaultText().c_str()) << 1 << false << true;
        QTest::newRow("marker, type 2") << QByteArray(chart::ChartXml::DefaultText().c_str()) << 2 << true << true;
        QTest::newRow("no marker, type 2") << QByteArray("<xml>bars</xml>") << 2 << false << false;
        QTest::newRow("no chart file, type 2") << QByteArray() << 2 << false << false;
    }
    void chartMarkerDecidesTheView()
    {
        QFETCH(QByteArray, chartText);
        QFETCH(int, type);
        QFETCH(bool, chart);
        QFETCH(bool, loaded);
        QTemporaryDir dir;
        const QString pivotFile = dir.filePath(QStringLiteral("R.xml"));
        pivot::PivotDefinition definition;
        definition.titleCaption = "Marked";
        WriteFile(pivotFile, QByteArray::fromStdString(pivot::PivotXml::Write(definition)));
        if (!chartText.isEmpty())
            WriteFile(dir.filePath(QStringLiteral("RChart.xml")), chartText);
        auto control = NewControl();
        control->OppnaRapportTyp(pivotFile, type);
        QCOMPARE(control->ChartVisible(), chart);
        QCOMPARE(control->PivotTable().Definition().titleCaption == "Marked", loaded);
        // OppnaRapport opens a marked pair as a chart whatever the case of the marker.
        auto other = NewControl();
        other->OppnaRapport(pivotFile);
        QCOMPARE(other->ChartVisible(), !chartText.isEmpty() && chartText.toLower().contains("chartspace"));
    }

    void missingReportChangesNothing()
    {
        auto control = NewControl();
        control->OppnaRapportTyp(QStringLiteral("/nonexistent/R.xml"), 1);
        QVERIFY(control->LoadedDefinition().isEmpty());
        QVERIFY(!control->IsLocalCube());
        QVERIFY(!control->LastError().isEmpty());
    }

    void refusedReportNamesWriteNothing_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("parent") << "../Escaped";
        QTest::newRow("separator") << "sub/Escaped";
        QTest::newRow("nul") << QStringLiteral("Esc") + QChar(0) + QStringLiteral("aped");
    }
    void refusedReportNamesWriteNothing()
    {
        QFETCH(QString, name);
        QTemporaryDir dir;
        const QString inner = dir.filePath(QStringLiteral("reports"));
        QVERIFY(QDir().mkpath(inner + QStringLiteral("/sub")));
        auto control = NewControl();
        control->ClickButton(QStringLiteral("Chart"));
        for (DispId id : {Vantorel::kSaveReport, Vantorel::kSaveReportAs}) {
            std::vector<Variant> args {Variant(name), Variant(inner + QLatin1Char('/')), Variant(dir.path())};
            Variant answer("x");
            QCOMPARE(control->Invoke(id, InvokeKind::Method, args, &answer, nullptr), platform::kSOk);
            QCOMPARE(answer.toString(), QString());
            QVERIFY(control->LastError().contains(QStringLiteral("not saved")));
        }
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList());
        QCOMPARE(QDir(inner).entryList(QDir::Files), QStringList());
        QCOMPARE(QDir(inner + QStringLiteral("/sub")).entryList(QDir::Files), QStringList());
    }

    void saveFileKeepsTheOldReportWhenWritingFails()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("Only.xml"));
        WriteFile(file, "the only copy");
        auto control = NewControl();
        olap::AtomicFile::SetFaultInjector([](olap::AtomicFile::Step step, const std::string&) {
            return step == olap::AtomicFile::Step::Rename ? ENOSPC : 0;
        });
        std::vector<Variant> args {Variant(file)};
        QCOMPARE(control->Invoke(Vantorel::kSaveFile, InvokeKind::Method, args, nullptr, nullptr), platform::kSOk);
        olap::AtomicFile::SetFaultInjector({});
        QCOMPARE(ReadFile(file), QByteArray("the only copy"));
        QVERIFY(control->LastError().contains(QStringLiteral("could not be written")));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList {QStringLiteral("Only.xml")});
        // An empty name writes nothing and keeps no error.
        QVERIFY(!control->SaveFile(QString()));
    }

    void relationalReportEndsWithItsSqlLines()
    {
        const QString connection
            = QStringLiteral("Provider=SQLite;Data Source=%1").arg(m_cubes.filePath(QStringLiteral("sales.sqlite")));
        const QString sql = QStringLiteral("SELECT s.country, s.city, f.unit_sales FROM sales f JOIN store s ON "
                                           "s.store_id = f.store_id");
        auto control = NewControl();
        control->OpenSQLReport(connection, sql, 1);
        QVERIFY2(control->Datasource() != nullptr, qPrintable(control->LastError()));
        QVERIFY(control->IsRelational());
        QVERIFY(control->PivotTable().displayFieldList);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("Sql.xml"));
        QVERIFY(control->SaveFileAs(file, QStringLiteral("/nowhere")));
        const QString text = ReportFiles::ReadText(file);
        QVERIFY(text.endsWith(QStringLiteral("\r\n") + sql + QStringLiteral("\r\n") + connection));
        QVERIFY(text.startsWith(control->XMLData()));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("SqlChart.xml"))));
    }

    void saveFileAsMovesALocalCube()
    {
        QTemporaryDir target;
        WriteFile(target.filePath(QStringLiteral("Sales.cub")), "cube");
        auto control = NewControl();
        control->OppnaRapport(m_cubes.filePath(QStringLiteral("SalesByRegion.xml")));
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("Moved.xml"));
        QVERIFY(control->SaveFileAs(file, target.path()));
        const QString text = ReportFiles::ReadText(file);
        QVERIFY(text.contains(target.filePath(QStringLiteral("Sales.cub"))));
        QVERIFY(!text.contains(m_cubes.filePath(QStringLiteral("Sales.cub"))));
    }

    void saveDialogAndOpenDialog()
    {
        QStringList messages;
        auto control = NewControl(&messages);
        QTemporaryDir dir;
        Vantorel::Dialogs dialogs;
        QString proposed;
        dialogs.saveFileName = [&](QWidget*, const QString& name) {
            proposed = name;
            return dir.filePath(QStringLiteral("ab"));
        };
        dialogs.openFileName = [](QWidget*) { return QString(); };
        dialogs.message = [&](QWidget*, const QString& text) { messages.append(text); };
        control->SetDialogs(dialogs);
        control->File(QStringLiteral("/old/name.xml"));
        control->ClickButton(QStringLiteral("Chart"));
        control->ClickButton(QStringLiteral("Spara"));
        QCOMPARE(proposed, QStringLiteral("/old/name.xml"));
        // A name of fewer than four characters never has a chart file.
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList {QStringLiteral("ab")});
        QVERIFY(messages.isEmpty());
        control->ClickButton(QStringLiteral("Oppna"));
        QCOMPARE(messages, QStringList {QStringLiteral("No file selected")});
        QCOMPARE(control->ReportFileName(), dir.filePath(QStringLiteral("ab")));
    }

    void chartTypeCyclesAndRestoresARejectedNumber()
    {
        auto control = NewControl();
        control->ClickButton(QStringLiteral("Chart"));
        QVERIFY(control->ChartVisible());
        const int start = control->ChartView().ChartTypeNumber();
        QCOMPARE(control->SavedChartType(), start);
        for (int step = 1; start + step < chart::ChartTypeTable::Count(); ++step) {
            control->ClickButton(QStringLiteral("Chart"));
            QCOMPARE(control->ChartView().ChartTypeNumber(), start + step);
            QCOMPARE(control->ChartTypeCounter(), start + step);
        }
        // The next number is refused: back to the type of the set-up, counting again from it.
        control->ClickButton(QStringLiteral("Chart"));
        QCOMPARE(control->ChartView().ChartTypeNumber(), start);
        QCOMPARE(control->ChartTypeCounter(), start);
        control->ClickButton(QStringLiteral("Chart"));
        QCOMPARE(control->ChartTypeCounter(), start + 1);
    }

    void showPivottableOnlyLeavesTheChart()
    {
        auto control = NewControl();
        control->PivotTable().displayToolbar = true;
        control->ClickButton(QStringLiteral("GridMe"));
        QVERIFY(control->PivotTable().displayToolbar);
        control->ClickButton(QStringLiteral("Chart"));
        control->ClickButton(QStringLiteral("Toolbar"));
        QVERIFY(control->ChartDisplayToolbar());
        // The chart on show gets the switch, not only the control's setting.
        QVERIFY(control->ChartView().DisplayToolbar());
        QVERIFY(control->PivotTable().displayToolbar);
        control->ClickButton(QStringLiteral("Properties"));
        control->ClickButton(QStringLiteral("FieldList"));
        QVERIFY(control->ChartDisplayPropertyToolbox() && control->ChartDisplayFieldList());
        QVERIFY(control->ChartView().DisplayPropertyToolbox());
        QVERIFY(!control->PivotTable().displayPropertyToolbox);
        control->ClickButton(QStringLiteral("GridMe"));
        QVERIFY(!control->ChartVisible() && control->PivotVisible());
        QVERIFY(!control->PivotTable().displayToolbar);
    }

    void subtotalSwitchAndViewChanges()
    {
        auto control = NewControl();
        control->OppnaRapport(m_cubes.filePath(QStringLiteral("SalesByRegion.xml")));
        QVERIFY(WaitForView(*control));
        auto rowSubtotals = [&] {
            const auto& rows = control->PivotTable().Definition().rowAxis;
            return !rows.empty() && rows.front().subtotals;
        };
        QVERIFY(rowSubtotals());
        control->ClickButton(QStringLiteral("Tabort"));
        QVERIFY(!control->SubtotalsShown());
        QVERIFY(!rowSubtotals());
        control->ClickButton(QStringLiteral("Tabort"));
        QVERIFY(control->SubtotalsShown());
        QVERIFY(rowSubtotals());
        control->ClickButton(QStringLiteral("Tabort"));
        control->ClickButton(QStringLiteral("Sum"));
        QVERIFY(!control->SubtotalsShown());
        QVERIFY(rowSubtotals());
        // The next view change hides the row subtotals again.
        QVERIFY(WaitForView(*control));
        QTRY_VERIFY(!rowSubtotals());
    }

    void resetReturnsToTheLoadedDefinition()
    {
        auto control = NewControl();
        pivot::PivotDefinition edited;
        edited.titleCaption = "Edited";
        control->SetXMLData(QString::fromStdString(pivot::PivotXml::Write(edited)));
        QCOMPARE(control->PivotTable().Definition().titleCaption, std::string("Edited"));
        // No report opened yet: the definition is emptied.
        control->ClickButton(QStringLiteral("Reset"));
        QCOMPARE(control->PivotTable().Definition(), pivot::PivotDefinition());

        control->OppnaRapport(m_cubes.filePath(QStringLiteral("SalesByRegion.xml")));
        const pivot::PivotDefinition opened = control->PivotTable().Definition();
        control->SetXMLData(QString::fromStdString(pivot::PivotXml::Write(edited)));
        control->ClickButton(QStringLiteral("Reset"));
        QCOMPARE(control->PivotTable().Definition(), opened);
    }

    void openedReportStartsTheLayoutHistory()
    {
        auto control = NewControl();
        control->OppnaRapport(m_cubes.filePath(QStringLiteral("SalesByRegion.xml")));
        QVERIFY(WaitForView(*control));
        pivot::PivotSession& session = control->PivotTable().Session();
        QVERIFY(!session.History().CanUndo());
        // The control's sort is a step the user can undo.
        control->ClickButton(QStringLiteral("SortDesc"));
        QVERIFY(WaitForView(*control));
        QVERIFY(session.ShownDefinition().rowAxis.front().sort.IsActive());
        QVERIFY(session.Undo());
        QVERIFY(WaitForView(*control));
        QVERIFY(!session.ShownDefinition().rowAxis.front().sort.IsActive());
        QVERIFY(session.History().CanRedo());
        // A definition put over the view: the steps of the view before are gone.
        control->SetXMLData(control->XMLData());
        QVERIFY(!session.History().CanUndo());
        QVERIFY(!session.History().CanRedo());
        QVERIFY(WaitForView(*control));
    }

    void applyFontDefaultsAndFormatsTotals()
    {
        auto control = NewControl();
        control->OppnaRapport(m_cubes.filePath(QStringLiteral("SalesByRegion.xml")));
        QVERIFY(WaitForView(*control));
        control->ApplyFont(QString(), 14);
        QCOMPARE(control->PivotTable().ExistingGrid()->font().family(), QStringLiteral("Calibri"));
        QCOMPARE(control->PivotTable().ExistingGrid()->font().pointSize(), 9);
        for (const auto& total : control->PivotTable().Definition().totals)
            QCOMPARE(total.numberFormat, std::string("#,#"));
        const auto& fonts = control->ChartView().Definition().axisFonts;
        QCOMPARE(fonts.size(), std::size_t(2));
        Vantorel::Dialogs dialogs;
        dialogs.chooseFont
            = [](QWidget*, const QString&, double) { return std::make_pair(QStringLiteral("Serif"), 11.6); };
        control->SetDialogs(dialogs);
        control->ClickButton(QStringLiteral("imgFontChange"));
        QCOMPARE(control->PivotTable().ExistingGrid()->font().pointSize(), 12);
    }

    void sortAndCalculatedTotalChangeTheView()
    {
        auto control = NewControl();
        control->OppnaRapportTyp(m_cubes.filePath(QStringLiteral("SalesByRegion.xml")), 1);
        QVERIFY(WaitForView(*control));
        const std::size_t totals = control->PivotTable().Definition().totals.size();
        control->ClickButton(QStringLiteral("SortDesc"));
        QCOMPARE(control->PivotTable().Definition().rowAxis.front().sort.direction, pivot::SortDirection::Descending);
        control->ClickButton(QStringLiteral("Calc"));
        QCOMPARE(control->PivotTable().Definition().totals.size(), totals + 1);
        QVERIFY(control->PivotTable().activeViewOption);
        QVERIFY(WaitForView(*control));
        QVERIFY2(control->PivotTable().Session().LastError().isEmpty(),
            qPrintable(control->PivotTable().Session().LastError()));
    }

    void pivottableBindsTheChartToAnotherControl()
    {
        auto table = NewControl();
        table->OppnaRapportTyp(m_cubes.filePath(QStringLiteral("SalesByRegion.xml")), 1);
        QVERIFY(WaitForView(*table));
        auto chartControl = NewControl();
        chartControl->ChartView().SetChartTypeNumber(6);
        std::vector<Variant> none;
        Variant pivotObject;
        QCOMPARE(
            table->Invoke(Vantorel::kPivottable, InvokeKind::PropertyGet, none, &pivotObject, nullptr), platform::kSOk);
        std::vector<Variant> args {pivotObject};
        QCOMPARE(chartControl->Invoke(Vantorel::kPivottable, InvokeKind::PropertyPut, args, nullptr, nullptr),
            platform::kSOk);
        QVERIFY(chartControl->ChartVisible());
        QVERIFY(chartControl->ChartView().EnableEvents());
        // The chart's own look was kept through the binding.
        QCOMPARE(chartControl->ChartView().ChartTypeNumber(), 6);
        QVERIFY(!chartControl->ChartView().Data().Categories().empty());
        // A drill in the table reaches the chart.
        const std::size_t before = chartControl->ChartView().Data().Categories().size();
        table->PivotTable().Session().SetMemberExpanded(pivot::AxisKind::Row, 0, "[Store].[Canada]", true);
        QVERIFY(WaitForView(*table));
        QTRY_VERIFY(chartControl->ChartView().Data().Categories().size() != before);
        // Not a pivot table: passed over with a reason.
        std::vector<Variant> wrong {Variant(std::shared_ptr<platform::IDispatchObject>(std::make_shared<Vantorel>()))};
        QCOMPARE(chartControl->Invoke(Vantorel::kPivottable, InvokeKind::PropertyPut, wrong, nullptr, nullptr),
            platform::kSOk);
        QVERIFY(chartControl->LastError().contains(QStringLiteral("not a pivot table")));
    }

    void selectionChangeComesFromBothViews()
    {
        auto control = NewControl();
        int events = 0;
        control->SetEventSink([&](DispId id, std::vector<Variant>& args) {
            QCOMPARE(id, Vantorel::kSelectionChange);
            QVERIFY(args.empty());
            ++events;
        });
        emit control->PivotTable().ExistingGrid()->selectionChanged();
        emit control->ChartView().selectionChanged(0, 0);
        QCOMPARE(events, 2);
    }

    void detailsGoThroughTheDrillthroughHook()
    {
        auto control = NewControl();
        control->ClickButton(QStringLiteral("imgDetails"));
        QVERIFY(control->LastError().contains(QStringLiteral("Drill-through")));
        int shown = 0;
        int invoked = 0;
        Vantorel::DrillthroughHooks hooks;
        hooks.showDetails = [&](Vantorel&) { ++shown; };
        hooks.invoke = [&](Vantorel&, DispId id, std::vector<Variant>&, Variant* result) {
            invoked += id == Vantorel::kExecuteDrillthrough ? 1 : 0;
            *result = Variant("rows");
            return platform::kSOk;
        };
        control->SetDrillthroughHooks(hooks);
        control->ClickButton(QStringLiteral("imgDetails"));
        std::vector<Variant> none;
        Variant answer;
        QCOMPARE(control->Invoke(Vantorel::kExecuteDrillthrough, InvokeKind::Method, none, &answer, nullptr),
            platform::kSOk);
        QCOMPARE(shown, 1);
        QCOMPARE(invoked, 1);
        QCOMPARE(answer.toString(), QStringLiteral("rows"));
    }

    void connectAndQueryBuilderThroughTheirDialogs()
    {
        auto control = NewControl();
        Vantorel::Dialogs dialogs;
        dialogs.connect = [&](QWidget*) {
            Vantorel::ConnectChoice choice;
            choice.accepted = true;
            choice.server = "srv";
            choice.database = "db";
            choice.cube = "Sales";
            choice.connectionString = "Provider=MSOLAP.2;Data Source=" + m_cubes.filePath("Sales.cub");
            return choice;
        };
        QString askedCube;
        dialogs.queryBuilder = [&](QWidget*, const QString&, const QString& cube) {
            askedCube = cube;
            return QStringLiteral("SELECT FROM [Sales]");
        };
        dialogs.cubeConnection = [](QWidget*) { return QStringLiteral("srv\tSales\tProvider=MSOLAP.2"); };
        control->SetDialogs(dialogs);
        control->ClickButton(QStringLiteral("Anslut"));
        QCOMPARE(control->ServerName(), QStringLiteral("srv"));
        QCOMPARE(control->CubeName(), QStringLiteral("Sales"));
        QVERIFY(control->PivotTable().displayFieldList);
        control->ClickButton(QStringLiteral("QueryBuilder"));
        QCOMPARE(askedCube, QStringLiteral("Sales"));
        QCOMPARE(control->PivotTable().CommandText(), QStringLiteral("SELECT FROM [Sales]"));
        std::vector<Variant> none;
        Variant answer;
        QCOMPARE(
            control->Invoke(Vantorel::kGetCubeConnection, InvokeKind::Method, none, &answer, nullptr), platform::kSOk);
        QCOMPARE(answer.toString().split(QLatin1Char('\t')).size(), 3);

        // A connect dialog left without a choice keeps the connection.
        dialogs.connect = [](QWidget*) { return Vantorel::ConnectChoice(); };
        control->SetDialogs(dialogs);
        control->ClickButton(QStringLiteral("Anslut"));
        QCOMPARE(control->CubeName(), QStringLiteral("Sales"));
        QCOMPARE(control->PivotTable().DataMember(), QStringLiteral("Sales"));
        QVERIFY(control->LastError().contains(QStringLiteral("unchanged")));
    }

    void createdByClassIdThroughTheRegistry()
    {
        TempRegistry root;
        QVERIFY(platform::ComRuntime::Initialize());
        QString error;
        QCOMPARE(
            platform::ComRuntime::RegisterServerLibrary(QStringLiteral(HEXMOOR2_PATH), false, &error), platform::kSOk);
        std::shared_ptr<platform::IDispatchObject> object;
        QCOMPARE(
            platform::ComRuntime::CreateInstance(QLatin1String(Vantorel::kClassId), &object, &error), platform::kSOk);
        platform::IControlWindow* window = object->AsControlWindow();
        QVERIFY(window);
        QWidget host;
        QWidget* shown = window->ControlWindow(&host);
        QVERIFY(shown);
        QCOMPARE(shown->parentWidget(), &host);
        QCOMPARE(shown->findChildren<QToolButton*>(Qt::FindDirectChildrenOnly).size(), 21);
        std::vector<Variant> args {Variant("Sales")};
        QCOMPARE(object->Invoke(Vantorel::kCube, InvokeKind::Method, args, nullptr, nullptr), platform::kSOk);
        std::vector<Variant> none;
        QCOMPARE(
            object->Invoke(Vantorel::kEnableWriteback, InvokeKind::Method, none, nullptr, nullptr), platform::kSOk);
        object.reset();
        platform::ComRuntime::Uninitialize();
    }

    void fieldListBuildsANewReport()
    {
        auto control = NewControl();
        QWidget host;
        host.resize(600, 400);
        QWidget* window = control->ControlWindow(&host);
        window->setGeometry(host.rect());
        host.show();
        control->OpenCube(
            QStringLiteral("Provider=MSOLAP.2;Data Source=%1").arg(m_cubes.filePath(QStringLiteral("Sales.cub"))),
            QStringLiteral("Sales"), 1);
        pivot::PivotFieldList* list = control->Window().FieldList();
        QVERIFY(list && list->isVisible());
        QVERIFY(list->geometry().left() >= control->PivotTable().ExistingGrid()->geometry().right());
        QTreeWidgetItem* units = list->FindItem("[Measures].[Unit Sales]");
        QTreeWidgetItem* store = list->FindItem("[Store]");
        QVERIFY(units && store);
        // A double click adds a measure to the totals; a check adds a hierarchy to the rows.
        QTest::mouseDClick(list->Tree()->viewport(), Qt::LeftButton, {}, list->ItemRect(units).center());
        store->setCheckState(0, Qt::Checked);
        const pivot::PivotDefinition& definition = control->PivotTable().Definition();
        QCOMPARE(definition.totals.size(), std::size_t(1));
        QCOMPARE(definition.rowAxis.size(), std::size_t(1));
        QVERIFY(WaitForView(*control));
        QVERIFY(control->PivotTable().Session().Layout().RowCount() > 2);
        QCOMPARE(units->checkState(0), Qt::Checked);
        // The chart view has no field list beside it.
        control->ClickButton(QStringLiteral("Chart"));
        QVERIFY(!list->isVisible());
    }

    // SetMDX: a statement of the pivot's own shape opens as an editable view; any other
    // statement shows its axes and cells read-only, survives XMLData, and the first field
    // placed turns it into a view of its own.
    void setMdxShowsTheStatement()
    {
        auto control = NewControl();
        QWidget host;
        host.resize(600, 400);
        control->ControlWindow(&host)->setGeometry(host.rect());
        host.show();
        const QString connection
            = QStringLiteral("Provider=MSOLAP.2;Data Source=%1").arg(m_cubes.filePath(QStringLiteral("Sales.cub")));
        control->OpenCube(connection, QStringLiteral("Sales"), 1);
        vantorel::PivotComponent& pivot = control->PivotTable();

        pivot::PivotDefinition view;
        view.dataMember = "Sales";
        pivot::PivotFieldSet product;
        product.uniqueName = "[Product]";
        product.fields = {{"[Product].[Category]", "", true, false}};
        product.expandedMembers = {"[Product].[Drink]"};
        product.sort = {pivot::SortDirection::Descending, "[Measures].[Unit Sales]"};
        view.rowAxis.push_back(product);
        view.totals.push_back({"[Measures].[Unit Sales]", "", "", "", true});
        const std::string pivotMdx = pivot::PivotMdxBuilder::Build(view);
        control->SetMDX(QString::fromStdString(pivotMdx));
        QVERIFY(WaitForView(*control));
        QVERIFY(!pivot.Definition().IsRawQuery());
        const pivot::PivotFieldSet* read = pivot.Definition().FindFieldSet("[Product]");
        QVERIFY(read);
        // Every level of the hierarchy, so the user can drill on.
        QCOMPARE(read->fields.size(), std::size_t(3));
        QCOMPARE(read->expandedMembers, product.expandedMembers);
        QVERIFY(read->sort == product.sort);
        QCOMPARE(pivot::PivotMdxBuilder::Build(pivot.Definition()), pivotMdx);
        QCOMPARE(pivot.ConnectionString(), connection);
        QCOMPARE(pivot.CommandText(), QString::fromStdString(pivotMdx));

        const QString raw = QStringLiteral("SELECT NON EMPTY CrossJoin([Customer].[Gender].Members, "
                                           "{[Measures].[Unit Sales], [Measures].[Store Cost]}) ON COLUMNS, "
                                           "[Time].[Year].Members ON ROWS FROM [Sales]");
        control->SetMDX(raw);
        QVERIFY(WaitForView(*control));
        QVERIFY(pivot.Definition().IsRawQuery());
        const pivot::PivotLayout& layout = pivot.Session().Layout();
        QVERIFY(layout.IsRawQuery());
        QCOMPARE(layout.HeaderRows(), 2);
        QCOMPARE(layout.ValueColumns(), 4);
        QCOMPARE(QString::fromStdString(layout.Cell(0, 1).text), QStringLiteral("F"));
        QCOMPARE(layout.Cell(0, 1).columnSpan, 2);
        QVERIFY(layout.Cell(2, 1).value.has_value());

        // The statement is part of the definition text, so a saved report shows it again.
        const QString xml = control->XMLData();
        QVERIFY(xml.contains(QStringLiteral("<x:CommandText>")));
        control->SetXMLData(QString());
        QVERIFY(WaitForView(*control));
        QVERIFY(!pivot.Definition().IsRawQuery());
        control->SetXMLData(xml);
        QVERIFY(WaitForView(*control));
        QVERIFY(pivot.Session().Layout().IsRawQuery());
        QCOMPARE(pivot.Session().Layout().ValueColumns(), 4);

        // A statement the engine refuses keeps the view and says why.
        control->SetMDX(QStringLiteral("SELECT [Nowhere].Members ON COLUMNS FROM [Sales]"));
        QVERIFY(QTest::qWaitFor([&] { return !pivot.Session().IsWorking(); }, 20000));
        QVERIFY(!pivot.Session().LastError().isEmpty());
        QVERIFY(pivot.Session().Layout().IsRawQuery());
        QCOMPARE(pivot.Session().Layout().ValueColumns(), 4);

        // Placing a field starts a view of its own.
        QVERIFY(pivot.AddField(QStringLiteral("[Measures].[Unit Sales]"), true));
        QVERIFY(WaitForView(*control));
        QVERIFY(!pivot.Definition().IsRawQuery());
        QVERIFY(!pivot.Session().Layout().IsRawQuery());
    }

    // "Show fieldlist" shows the table's field list; DisplayFieldList off hides it again.
    void fieldListFollowsTheCommand()
    {
        auto control = NewControl();
        QWidget host;
        host.resize(700, 400);
        control->ControlWindow(&host)->setGeometry(host.rect());
        host.show();
        control->OppnaRapportTyp(m_cubes.filePath(QStringLiteral("SalesByRegion.xml")), 1);
        QVERIFY(WaitForView(*control));
        pivot::PivotFieldList* list = control->Window().FieldList();
        QVERIFY(list && !list->isVisible());
        control->ClickButton(QStringLiteral("FieldList"));
        QVERIFY(list->isVisible());
        // The list offers the cube's fields, read on a connection of its own.
        QVERIFY(list->FindItem("[Measures].[Unit Sales]"));
        control->PivotTable().displayFieldList = false;
        control->Window().resize(control->Window().size() + QSize(1, 0));
        QVERIFY(!list->isVisible());
    }

    // A click on a value cell and on "Show details" opens the drill-through form with the
    // cell's rows; the value cells' menu offers the same through "S&how Details".
    void detailsOfAValueCellOpenTheDrillForm_data()
    {
        QTest::addColumn<bool>("fromMenu");
        QTest::newRow("button") << false;
        QTest::newRow("context menu") << true;
    }
    void detailsOfAValueCellOpenTheDrillForm()
    {
        QFETCH(bool, fromMenu);
        auto control = NewControl();
        QWidget host;
        host.resize(800, 500);
        control->ControlWindow(&host)->setGeometry(host.rect());
        host.show();
        QVERIFY(QTest::qWaitForWindowExposed(&host));
        const QString reportFile = m_cubes.filePath(QStringLiteral("SalesByRegion.xml"));
        if (fromMenu) {
            // A report opened as a definition on a cube (not a local-cube report file): the
            // menu has the entry.
            const QString text = QString::fromUtf8(ReadFile(reportFile));
            control->SetXMLData(vantorel::ReportFiles::DefinitionPart(text));
        } else {
            control->OppnaRapportTyp(reportFile, 1);
        }
        QVERIFY(WaitForView(*control));
        const pivot::PivotLayout& layout = control->PivotTable().Session().Layout();
        QVERIFY(layout.RowCount() > layout.HeaderRows() && layout.ColumnCount() > layout.HeaderColumns());
        pivot::PivotGrid* grid = control->PivotTable().ExistingGrid();
        const QPoint cell = grid->CellRect(layout.HeaderRows(), layout.HeaderColumns()).center();
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell);
        QCOMPARE(grid->CurrentRow(), layout.HeaderRows());

        // The form is modal: a timer reads and closes it while it runs.
        int rows = -1;
        bool formSeen = false;
        QTimer poll;
        poll.setInterval(50);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (auto* form = qobject_cast<drill::DrillForm*>(QApplication::activeModalWidget())) {
                formSeen = true;
                rows = form->RowsView()->model()->rowCount();
                form->reject();
            }
        });
        poll.start();
        if (fromMenu) {
            QContextMenuEvent event(QContextMenuEvent::Mouse, cell, grid->viewport()->mapToGlobal(cell));
            QApplication::sendEvent(grid->viewport(), &event);
            QMenu* menu = nullptr;
            QVERIFY(QTest::qWaitFor([&] {
                for (QWidget* w : QApplication::topLevelWidgets())
                    if (auto* m = qobject_cast<QMenu*>(w); m && m->isVisible())
                        menu = m;
                return menu != nullptr;
            }));
            auto* entry = menu->findChild<QAction*>(QStringLiteral("mnuDrillthrough"));
            QVERIFY(entry);
            QCOMPARE(entry->text(), QStringLiteral("S&how Details"));
            entry->trigger();
            menu->close();
            QVERIFY(QTest::qWaitFor([&] { return formSeen; }, 20000));
        } else {
            QToolButton* button = control->Window().Button(QStringLiteral("imgDetails"));
            QVERIFY(button && button->isVisible());
            QTest::mouseClick(button, Qt::LeftButton);
        }
        QVERIFY2(formSeen, qPrintable(control->LastError()));
        QVERIFY2(rows > 0, qPrintable(control->LastError()));
    }

    // The control draws a sample report as a table and as a chart, in a light and a dark look.
    // With LUMETRA_SCREENSHOT_DIR set the pictures are kept there.
    void drawsASampleReportInTwoLooks_data()
    {
        QTest::addColumn<bool>("chartView");
        QTest::addColumn<bool>("dark");
        QTest::newRow("table, light") << false << false;
        QTest::newRow("chart, dark") << true << true;
    }
    void drawsASampleReportInTwoLooks()
    {
        QFETCH(bool, chartView);
        QFETCH(bool, dark);
        auto control = NewControl();
        QWidget host;
        host.resize(900, 460);
        if (dark) {
            QPalette palette;
            palette.setColor(QPalette::Window, QColor(0x2b, 0x2f, 0x36));
            palette.setColor(QPalette::Base, QColor(0x22, 0x25, 0x2b));
            palette.setColor(QPalette::AlternateBase, QColor(0x2f, 0x34, 0x3c));
            palette.setColor(QPalette::Text, QColor(0xe6, 0xe8, 0xeb));
            palette.setColor(QPalette::WindowText, QColor(0xe6, 0xe8, 0xeb));
            palette.setColor(QPalette::Button, QColor(0x35, 0x3a, 0x42));
            palette.setColor(QPalette::ButtonText, QColor(0xe6, 0xe8, 0xeb));
            host.setPalette(palette);
        }
        QWidget* window = control->ControlWindow(&host);
        window->setGeometry(host.rect());
        host.show();
        control->OppnaRapportTyp(m_cubes.filePath(QStringLiteral("SalesByRegion.xml")), chartView ? 2 : 1);
        QVERIFY(WaitForView(*control));
        QCOMPARE(control->ChartVisible(), chartView);
        if (!chartView)
            control->ClickButton(QStringLiteral("FieldList"));
        QTest::qWait(50);
        const QImage picture = host.grab().toImage();
        // Not blank: the view below the toolbar has many colours.
        QSet<QRgb> colours;
        for (int y = 30; y < picture.height(); y += 3)
            for (int x = 0; x < picture.width(); x += 3)
                colours.insert(picture.pixel(x, y));
        QVERIFY2(colours.size() > 8, qPrintable(QString::number(colours.size())));
        const QString folder = qEnvironmentVariable("LUMETRA_SCREENSHOT_DIR");
        if (!folder.isEmpty())
            QVERIFY(picture.save(QDir(folder).filePath(
                chartView ? QStringLiteral("vantorel-chart.png") : QStringLiteral("vantorel-table.png"))));
    }

    // Sort and "Calculate values" act on the grid's current cell; with nothing selected on the
    // first row field set, by the first total.
    void sortAndCalculateFollowTheSelection_data()
    {
        QTest::addColumn<QString>("where");
        QTest::addColumn<bool>("rowsSorted");
        QTest::addColumn<bool>("columnsSorted");
        QTest::addColumn<QString>("byTotal");
        QTest::newRow("nothing selected") << "none" << true << false << "[Measures].[Unit Sales]";
        QTest::newRow("column member") << "columnMember" << false << true << "";
        QTest::newRow("row caption") << "rowCaption" << true << false << "";
        QTest::newRow("value cell") << "value" << true << false << "[Measures].[Unit Sales]";
    }
    void sortAndCalculateFollowTheSelection()
    {
        QFETCH(QString, where);
        QFETCH(bool, rowsSorted);
        QFETCH(bool, columnsSorted);
        QFETCH(QString, byTotal);
        auto control = NewControl();
        control->OppnaRapportTyp(m_cubes.filePath(QStringLiteral("SalesByRegion.xml")), 1);
        QVERIFY(WaitForView(*control));
        pivot::PivotGrid* grid = control->PivotTable().ExistingGrid();
        const pivot::PivotLayout& layout = control->PivotTable().Session().Layout();
        if (where == u"none")
            grid->ClearSelection();
        else if (where == u"columnMember")
            grid->SetCurrentCell(0, layout.HeaderColumns());
        else if (where == u"rowCaption")
            grid->SetCurrentCell(layout.HeaderRows() - 1, 0);
        else
            grid->SetCurrentCell(layout.HeaderRows(), layout.HeaderColumns());
        control->ClickButton(QStringLiteral("SortAsc"));
        const pivot::PivotDefinition& d = control->PivotTable().Definition();
        QCOMPARE(d.rowAxis.front().sort.direction == pivot::SortDirection::Ascending, rowsSorted);
        QCOMPARE(d.columnAxis.front().sort.direction == pivot::SortDirection::Ascending, columnsSorted);
        const pivot::PivotFieldSet& sorted = rowsSorted ? d.rowAxis.front() : d.columnAxis.front();
        QCOMPARE(QString::fromStdString(sorted.sort.byTotal), byTotal);
        QVERIFY(WaitForView(*control));
        control->ClickButton(QStringLiteral("Calc"));
        const pivot::PivotTotal* added = control->PivotTable().Definition().FindTotal("New Total");
        QVERIFY(added);
        QCOMPARE(added->expression, std::string("[Measures].[Unit Sales]"));
        QCOMPARE(added->numberFormat, std::string("#,##0"));
    }

    // The value cells' menu reaches the control through the pivot's before-context-menu event:
    // its "Show &Details" entry becomes the drill-through entry, but not over a local cube.
    void detailsEntryOfTheContextMenu_data()
    {
        QTest::addColumn<bool>("localCube");
        QTest::newRow("cube") << false;
        QTest::newRow("local cube file") << true;
    }
    void detailsEntryOfTheContextMenu()
    {
        QFETCH(bool, localCube);
        auto control = NewControl();
        QWidget host;
        host.resize(800, 500);
        control->ControlWindow(&host)->setGeometry(host.rect());
        host.show();
        const QString reportFile = m_cubes.filePath(QStringLiteral("SalesByRegion.xml"));
        if (localCube)
            control->OppnaRapportTyp(reportFile, 1);
        else
            control->SetXMLData(vantorel::ReportFiles::DefinitionPart(QString::fromUtf8(ReadFile(reportFile))));
        QVERIFY(WaitForView(*control));
        QCOMPARE(control->IsLocalCube(), localCube);
        const pivot::PivotLayout& layout = control->PivotTable().Session().Layout();
        pivot::PivotGrid* grid = control->PivotTable().ExistingGrid();
        const QPoint cell = grid->CellRect(layout.HeaderRows(), layout.HeaderColumns()).center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, cell, grid->viewport()->mapToGlobal(cell));
        QApplication::sendEvent(grid->viewport(), &event);
        QMenu* menu = nullptr;
        QVERIFY(QTest::qWaitFor([&] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* m = qobject_cast<QMenu*>(w); m && m->isVisible())
                    menu = m;
            return menu != nullptr;
        }));
        auto* drill = menu->findChild<QAction*>(QStringLiteral("mnuDrillthrough"), Qt::FindDirectChildrenOnly);
        auto* own = menu->findChild<QAction*>(QStringLiteral("showDetailsAction"), Qt::FindDirectChildrenOnly);
        QCOMPARE(drill != nullptr, !localCube);
        QCOMPARE(own != nullptr, localCube);
        menu->close();
        // AllowDetails off: no details entry at all.
        control->PivotTable().allowDetails = false;
        control->PivotTable().ApplyDisplay();
        QApplication::sendEvent(grid->viewport(), &event);
        menu = nullptr;
        QVERIFY(QTest::qWaitFor([&] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* m = qobject_cast<QMenu*>(w); m && m->isVisible())
                    menu = m;
            return menu != nullptr;
        }));
        QVERIFY(!menu->findChild<QAction*>(QStringLiteral("mnuDrillthrough"), Qt::FindDirectChildrenOnly));
        QVERIFY(!menu->findChild<QAction*>(QStringLiteral("showDetailsAction"), Qt::FindDirectChildrenOnly));
        menu->close();
    }

    // The pivot's own toolbar, property toolbox, title bar and drop areas on screen, as the
    // display settings and the commands say. With LUMETRA_SCREENSHOT_DIR set the picture is kept.
    void pivotToolbarAndToolboxOnScreen()
    {
        auto control = NewControl();
        QWidget host;
        host.resize(1000, 560);
        control->ControlWindow(&host)->setGeometry(host.rect());
        host.show();
        QVERIFY(QTest::qWaitForWindowExposed(&host));
        control->OppnaRapportTyp(m_cubes.filePath(QStringLiteral("SalesByRegion.xml")), 1);
        QVERIFY(WaitForView(*control));
        vantorel::PivotComponent& component = control->PivotTable();
        pivot::PivotTableWidget* table = control->Window().PivotView();
        // At start: title bar and drop areas on, the toolbar and toolbox off.
        QVERIFY(table->TitleBar()->isVisible());
        QCOMPARE(table->TitleBar()->text(), QStringLiteral("Sales by region"));
        QVERIFY(table->AreaBar(pivot::AxisKind::Row)->isVisible());
        QVERIFY(!table->Toolbar()->isVisible());
        QVERIFY(!table->PropertyToolbox()->isVisible());
        control->ClickButton(QStringLiteral("Toolbar"));
        QVERIFY(component.displayToolbar && table->Toolbar()->isVisible());
        control->ClickButton(QStringLiteral("Properties"));
        QVERIFY(table->PropertyToolbox()->isVisible());
        const pivot::PivotLayout& layout = component.Session().Layout();
        component.ExistingGrid()->SetCurrentCell(layout.HeaderRows(), layout.HeaderColumns());
        QCOMPARE(table->PropertyToolbox()->SubjectKind(), std::string("total"));
        // The toolbar's field list button is the component's setting from now on.
        table->Toolbar()->Action(pivot::PivotCommand::FieldList)->trigger();
        QVERIFY(component.displayFieldList);
        QVERIFY(table->FieldList()->isVisible());
        // Both panels keep a usable width beside the grid.
        QVERIFY(table->PropertyToolbox()->width() > 100);
        QVERIFY(table->FieldList()->width() > 100);
        QTest::qWait(50);
        const QImage picture = host.grab().toImage();
        const QString folder = qEnvironmentVariable("LUMETRA_SCREENSHOT_DIR");
        if (!folder.isEmpty())
            QVERIFY(picture.save(QDir(folder).filePath(QStringLiteral("vantorel-pivot-toolbar.png"))));

        // The numbered settings: title bar, drop areas, grand totals.
        component.options[6042] = false;
        component.options[6050] = false;
        component.options[0x6002006A] = true;
        control->Window().resize(control->Window().size() + QSize(1, 0));
        QVERIFY(!table->TitleBar()->isVisible());
        QVERIFY(!table->AreaBar(pivot::AxisKind::Row)->isVisible());
        QVERIFY(!component.Definition().rowGrandTotals && !component.Definition().columnGrandTotals);
        component.options[6042] = true;
        component.options[0x6002006A] = false;
        control->Window().resize(control->Window().size() - QSize(1, 0));
        QVERIFY(table->TitleBar()->isVisible());
        QVERIFY(component.Definition().rowGrandTotals && component.Definition().columnGrandTotals);
        // "Show toolbar" again hides it; "Reset" puts it away too.
        control->ClickButton(QStringLiteral("Toolbar"));
        QVERIFY(!table->Toolbar()->isVisible());
        control->ClickButton(QStringLiteral("Toolbar"));
        control->ClickButton(QStringLiteral("Reset"));
        QVERIFY(!table->Toolbar()->isVisible());
        QVERIFY(WaitForView(*control));
    }

private:
    QTemporaryDir m_cubes;
};

QTEST_MAIN(VantorelTest)
#include "VantorelTest.moc"
