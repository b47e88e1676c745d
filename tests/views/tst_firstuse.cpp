#include "views/SampleReportsTest.h"

#include "app/COutlookBar.h"
#include "app/MainFrameIds.h"
#include "control/pivot/PivotAreaBar.h"
#include "control/pivot/PivotFieldList.h"
#include "control/pivot/PivotGrid.h"
#include "control/pivot/PivotMemberCheckModel.h"
#include "control/pivot/PivotMemberFilterPopup.h"
#include "control/pivot/PivotTableWidget.h"
#include "control/vantorel/VantorelWidget.h"
#include "framework/CNavigationBar.h"
#include "platform/messages/InstanceMessages.h"

#include <QDialogButtonBox>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeView>

using pivot::AxisKind;

// A new user's first hour, from a fresh start on the sample data, with real
// clicks through the main window: a new report of each type over the sample
// data source, built up in its controls (fields dragged into the table, a
// member drilled, a filter, the chart), saved, closed, opened again from the
// catalogue, filed among the favourites, opened from the favourites pane and
// deleted from the catalogue.
class TestFirstUse : public SampleReportsTest {
    Q_OBJECT

    static constexpr const char* kSource = "Sales (local cube)";

    // Picks source in the "Select datasource" dialog and confirms.
    static void Choose(QWidget* dialog, const QString& source)
    {
        auto* tree = Child<CXHtmlTree>(dialog, "dataSourceTree");
        QVERIFY(tree);
        QTreeWidgetItem* item = FindByName(tree, source);
        QVERIFY2(item, qPrintable(source));
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(item).center());
        Click(dialog, "selectButton");
    }
    // File > New: types name, clicks the button of type and picks the sample
    // data source for each pane that asks.
    void Create(const QString& name, int type)
    {
        const int sources = type >= 5 ? 2 : 1;
        WhenModalShows([=](QWidget* dialog) {
            QTest::keyClicks(Child<QLineEdit>(dialog, "reportNameEdit"), name);
            WhenModalShows([=](QWidget* first) {
                if (sources > 1)
                    WhenModalShows([](QWidget* second) { Choose(second, QLatin1String(kSource)); });
                Choose(first, QLatin1String(kSource));
            });
            Click(dialog, QStringLiteral("typeButton%1").arg(type).toLatin1().constData());
        });
        ClickCommand(cmd::kFileNew);
    }
    static void ClickButton(Vantorel* control, const char* name)
    {
        QToolButton* button = control->Window().Button(QLatin1String(name));
        QVERIFY2(button && button->isVisible(), name);
        QTest::mouseClick(button, Qt::LeftButton);
    }
    static void WaitForView(Vantorel* control)
    {
        pivot::PivotSession& session = control->PivotTable().Session();
        QTRY_VERIFY_WITH_TIMEOUT(!session.IsWorking() && session.HasLayout(), 20000);
    }
    // A real drag of FIELD from the control's field list onto the bar of AREA.
    static void DragField(Vantorel* control, const char* field, AxisKind area)
    {
        pivot::PivotTableWidget* table = control->Window().PivotView();
        QVERIFY(table);
        pivot::PivotFieldList* list = table->FieldList();
        QTRY_VERIFY2(list->isVisible() && list->FindItem(field), field);
        QTreeWidgetItem* item = list->FindItem(field);
        QWidget* source = list->Tree()->viewport();
        pivot::PivotAreaBar* bar = table->AreaBar(area);
        const QPoint from = list->ItemRect(item).center();
        const QPoint to = bar->mapTo(source->window(), QPoint(bar->width() - 6, bar->height() / 2));
        QTest::mousePress(source, Qt::LeftButton, {}, from);
        QTest::mouseMove(source, from + QPoint(12, 6));
        const QPoint end = source->mapFrom(source->window(), to);
        QTest::mouseMove(source, (from + end) / 2);
        QTest::mouseMove(source, end);
        QTest::mouseRelease(source, Qt::LeftButton, {}, end);
        QVERIFY2(control->PivotTable().UsesField(QLatin1String(field)), field);
        WaitForView(control);
    }
    // Builds the table of CONTROL as a user does: Store on the rows, units
    // as values, USA drilled into its cities, Mexico filtered out.
    static void BuildTable(Vantorel* control)
    {
        DragField(control, "[Store]", AxisKind::Row);
        DragField(control, "[Measures].[Unit Sales]", AxisKind::Data);
        pivot::PivotTableWidget* table = control->Window().PivotView();
        pivot::PivotGrid* grid = table->Grid();
        const pivot::PivotLayout& layout = control->PivotTable().Session().Layout();
        int usa = -1;
        for (int r = layout.HeaderRows(); r < layout.RowCount() && usa < 0; ++r) {
            if (layout.Cell(r, 0).text == "USA")
                usa = r;
        }
        QVERIFY(usa >= 0);
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->GlyphRect(usa, 0).center());
        WaitForView(control);
        QVERIFY(control->PivotTable().Definition().FindFieldSet("[Store]")->IsExpanded("[Store].[USA]"));

        pivot::PivotAreaBar* rows = table->AreaBar(AxisKind::Row);
        QTest::mouseClick(rows, Qt::LeftButton, {}, rows->FindChip("[Store]")->button.center());
        pivot::PivotMemberFilterPopup* popup = table->FilterPopup();
        QVERIFY(popup);
        QVERIFY(QTest::qWaitForWindowExposed(popup));
        QModelIndex mexico;
        for (int r = 0; r < popup->Model()->rowCount(); ++r) {
            if (popup->Model()->index(r, 0).data().toString() == QStringLiteral("Mexico"))
                mexico = popup->Model()->index(r, 0);
        }
        QVERIFY(mexico.isValid());
        QTreeView* tree = popup->Tree();
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualRect(mexico).center());
        QTest::keyClick(tree->viewport(), Qt::Key_Space);
        QCOMPARE(popup->Model()->StateOf("[Store].[Mexico]"), Qt::Unchecked);
        QTest::mouseClick(popup->Buttons()->button(QDialogButtonBox::Ok), Qt::LeftButton);
        WaitForView(control);
        VerifyBuilt(control);
    }
    // What BuildTable left in CONTROL's view.
    static void VerifyBuilt(Vantorel* control)
    {
        WaitForView(control);
        const pivot::PivotDefinition& shown = control->PivotTable().Session().ShownDefinition();
        const pivot::PivotFieldSet* store = shown.FindFieldSet("[Store]");
        QVERIFY(store);
        QVERIFY(store->IsExpanded("[Store].[USA]"));
        QVERIFY(store->filter.IsActive());
        QVERIFY(control->PivotTable().UsesField(QStringLiteral("[Measures].[Unit Sales]")));
        const pivot::PivotLayout& layout = control->PivotTable().Session().Layout();
        bool mexico = false;
        bool city = false;
        for (int r = layout.HeaderRows(); r < layout.RowCount(); ++r) {
            mexico = mexico || layout.Cell(r, 0).text == "Mexico";
            city = city || layout.Cell(r, 1).text == "Seattle";
        }
        QVERIFY(!mexico);
        QVERIFY(city);
    }
    // The table and chart controls of VIEW (either may be null).
    static std::pair<Vantorel*, Vantorel*> TableAndChart(CLumetraView* view, int type)
    {
        Vantorel* upper = Control(view->UpperControl());
        Vantorel* lower = Control(view->LowerControl());
        switch (type) {
        case 1:
            return {upper, nullptr};
        case 2:
            return {nullptr, upper};
        case 3:
        case 5:
            return {upper, lower};
        default:
            return {lower, upper};
        }
    }
    // Whether the report's chart shows a view made by BuildTable: the chart
    // of a linked type draws its table; an independent chart has a table of
    // its own.
    static void VerifyChart(Vantorel* chart)
    {
        QVERIFY(chart->ChartVisible());
        QTRY_VERIFY2(!chart->ChartView().Data().IsEmpty(), qPrintable(chart->LastError()));
        const auto categories = chart->ChartView().Data().Categories();
        QVERIFY(std::none_of(categories.begin(), categories.end(),
            [](const auto& c) { return QString::fromStdString(c).contains(QLatin1String("Mexico")); }));
    }
    void ShowPane(int page)
    {
        QToolButton* button = m_main->NavigationBar()->PageButton(page);
        QVERIFY(button);
        QTest::mouseClick(button, Qt::LeftButton);
        QTRY_COMPARE(m_main->NavigationBar()->CurrentPage(), page);
    }
    CLumetraView* OpenFavorite(const QString& name)
    {
        const int before = m_main->MdiArea()->subWindowList().size();
        ClickItem(m_main->FavoritesTree(), name);
        if (m_main->MdiArea()->subWindowList().size() != before + 1)
            return nullptr;
        return ActiveView();
    }

private slots:
    void initTestCase() { MakeSampleData(); }
    void cleanupTestCase() { DropObjectMaker(); }
    void init() { SetUpSamples(); }
    void cleanup() { TearDownSamples(); }

    void aNewReportGoesTheWholeWay_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QStringList>("files");
        QTest::newRow("table") << 1 << QStringList {"First 1.xml"};
        QTest::newRow("chart") << 2 << QStringList {"First 2.xml", "First 2Chart.xml"};
        QTest::newRow("table and linked chart") << 3 << QStringList {"First 3.xml", "First 3Chart.xml"};
        QTest::newRow("chart and linked table") << 4 << QStringList {"First 4.xml", "First 4Chart.xml"};
        QTest::newRow("independent table and chart")
            << 5 << QStringList {"First 5.xml", "First 52.xml", "First 52Chart.xml"};
        QTest::newRow("independent chart and table")
            << 6 << QStringList {"First 6.xml", "First 6Chart.xml", "First 62.xml"};
    }
    void aNewReportGoesTheWholeWay()
    {
        QFETCH(int, type);
        QFETCH(QStringList, files);
        const QString name = QStringLiteral("First %1").arg(type);

        // Create it from the sample data source.
        Create(name, type);
        CLumetraView* view = ActiveView();
        QVERIFY(view);
        QCOMPARE(view->ReportType(), type);
        QVERIFY2(view->LastStatus().isEmpty(), qPrintable(view->LastStatus()));
        auto [table, chart] = TableAndChart(view, type);

        // Change it: the table built by drags, a drill and a filter; a chart
        // of its own built in its table and switched back to the chart.
        if (table)
            BuildTable(table);
        if (chart && (type == 2 || type >= 5)) {
            ClickButton(chart, "GridMe");
            QVERIFY(!chart->ChartVisible());
            ClickButton(chart, "FieldList");
            BuildTable(chart);
            ClickButton(chart, "Chart");
        }
        if (chart)
            VerifyChart(chart);

        // Save, with the ribbon's Save, and close.
        ClickCommand(cmd::kFileSave);
        QVERIFY2(view->LastStatus().isEmpty() || view->LastStatus().contains(QLatin1String("saved")),
            qPrintable(view->LastStatus()));
        for (const QString& file : files)
            QVERIFY2(QFileInfo(ReportFolder() + file).size() > 0, qPrintable(file));
        QTreeWidgetItem* item = FindByName(m_main->ReportsTree(), name);
        QVERIFY(item);
        const XHTMLTREEDATA* entry = m_main->ReportsTree()->GetItemData(item);
        QCOMPARE(entry->Reporttype1, type);
        QCOMPARE(entry->Filename1, files.front());
        QVERIFY(ReadFile(ReportsFile()).contains(name.toLatin1()));
        CloseAll();

        // Reopened from the catalogue, the changes are there.
        view = Open(name);
        QVERIFY(view);
        QCOMPARE(view->ReportType(), type);
        std::tie(table, chart) = TableAndChart(view, type);
        if (table)
            VerifyBuilt(table);
        if (chart)
            VerifyChart(chart);
        QVERIFY2(view->LastStatus().isEmpty(), qPrintable(view->LastStatus()));

        // Filed among the favourites, in the sample's "My Reports".
        WhenModalShows([](QWidget* dialog) {
            auto* tree = Child<CXHtmlTree>(dialog, "favoritesTree");
            QTreeWidgetItem* folder = FindByName(tree, QStringLiteral("My Reports"));
            QVERIFY(folder);
            QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(folder).center());
            Click(dialog, "saveInFolderButton");
            Click(dialog, "closeButton");
        });
        ClickCommand(mainframe::kAddFavorite);
        const QString personal = ReportFolder() + platform::CurrentUserName() + QLatin1Char('/');
        QVERIFY(QFileInfo::exists(personal + files.front()));
        CloseAll();

        // Opened from the favourites pane: the personal copy, as changed.
        ShowPane(1);
        view = OpenFavorite(name);
        QVERIFY(view);
        QVERIFY(view->IsPersonal());
        std::tie(table, chart) = TableAndChart(view, type);
        if (table)
            VerifyBuilt(table);
        if (chart)
            VerifyChart(chart);
        CloseAll();

        // Deleted from the catalogue: the entry goes, on disk too; the
        // report files stay, as the catalogue commands keep them.
        ShowPane(0);
        QTreeWidgetItem* doomed = FindByName(m_main->ReportsTree(), name);
        QVERIFY(doomed);
        CXHtmlTree* tree = m_main->ReportsTree();
        QTest::mouseClick(tree->viewport(), Qt::RightButton, {}, tree->visualItemRect(doomed).center());
        QTRY_VERIFY(m_main->ReportsMenu()->isVisible());
        QString question;
        WhenModalShows([&](QWidget* box) { ClickMessageBoxButton(box, QMessageBox::Yes, &question); });
        QAction* remove = m_main->CommandAction(mainframe::kDeleteItem);
        QVERIFY(m_main->ReportsMenu()->actions().contains(remove));
        QTest::mouseClick(
            m_main->ReportsMenu(), Qt::LeftButton, {}, m_main->ReportsMenu()->actionGeometry(remove).center());
        QTRY_VERIFY(!FindByName(m_main->ReportsTree(), name));
        QCOMPARE(question, QStringLiteral("Would you like to remove report %1").arg(name));
        QVERIFY(!ReadFile(ReportsFile()).contains(name.toLatin1()));
        for (const QString& file : files)
            QVERIFY2(QFileInfo::exists(ReportFolder() + file), qPrintable(file));
        // The favourite stays among the favourites.
        QVERIFY(FindByName(m_main->FavoritesTree(), name));
    }
};

int main(int argc, char** argv)
{
    InstanceMessages::Get();
    CLumetraApp app(argc, argv);
    TestFirstUse test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_firstuse.moc"
