// The chart bound to a live pivot view of the sample cube: it follows drill, filter, sort
// and refresh in the same chart object, stops following with option 5065 off, outlives its
// source, and keeps its look across a rebinding.
#include "control/chart/ChartWidget.h"
#include "control/chart/ChartXml.h"
#include "control/pivot/PivotSession.h"

#include "olap/access/Connection.h"
#include "olap/sample/SalesSample.h"

#include <QCategoryAxis>
#include <QChart>
#include <QLegend>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <memory>

using chart::ChartWidget;

namespace {

constexpr int kWait = 20000;

//! Product (Category, Subcategory) on rows, years on columns, unit sales.
pivot::PivotDefinition View()
{
    pivot::PivotDefinition d;
    d.dataMember = "Sales";
    pivot::PivotFieldSet product;
    product.uniqueName = "[Product]";
    product.fields = {{"[Product].[Category]", "Category", true, false},
        {"[Product].[Subcategory]", "Subcategory", true, false}, {"[Product].[Product]", "", false, false}};
    d.rowAxis.push_back(product);
    pivot::PivotFieldSet time;
    time.uniqueName = "[Time]";
    time.fields = {{"[Time].[Year]", "Year", true, false}};
    d.columnAxis.push_back(time);
    d.totals = {{"[Measures].[Unit Sales]", "Units", "", "#,##0.0", true}};
    return d;
}

bool StartsWith(const std::string& text, const std::string& start)
{
    return text.rfind(start, 0) == 0;
}

} // namespace

class ChartBindingTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        olap::SalesSample::WriteAll(m_dir.path().toStdString(), 2000, 11);
        m_connection = olap::Connection::Connect(
            "Provider=MSOLAP.2;Data Source=" + m_dir.filePath(QStringLiteral("Sales.cub")).toStdString());
    }

    void cleanupTestCase() { m_connection.reset(); }

    void followsEveryViewChangeInTheSameChart()
    {
        pivot::PivotSession session;
        Connect(session);
        ChartWidget widget;
        QChart* const chartObject = widget.Chart();
        widget.SetDataSource(&session);
        QCOMPARE(widget.DataSource(), &session);
        QVERIFY(widget.Data().IsEmpty()); // no answer yet
        QSignalSpy changes(&widget, &ChartWidget::dataChanged);

        session.SetDefinition(View());
        QVERIFY(changes.wait(kWait));
        const std::size_t topCategories = widget.Data().Categories().size();
        QCOMPARE(topCategories, std::size_t {3});
        QVERIFY(widget.Data().Series().size() >= 2);
        // The pivot's number format labels the value axis.
        QCOMPARE(widget.Data().ValueFormat(), std::string("#,##0.0"));
        QVERIFY(qobject_cast<QCategoryAxis*>(widget.Chart()->axes(Qt::Vertical).value(0)));

        // Drill.
        QVERIFY(session.SetMemberExpanded(pivot::AxisKind::Row, 0, "[Product].[Drink]", true));
        QVERIFY(changes.wait(kWait));
        const std::vector<std::string>& drilled = widget.Data().Categories();
        QVERIFY(drilled.size() > topCategories);
        QVERIFY(std::any_of(
            drilled.begin(), drilled.end(), [](const std::string& c) { return StartsWith(c, "Drink - "); }));

        // Filter.
        pivot::PivotDefinition filtered = session.Definition();
        filtered.rowAxis[0].filter = {pivot::PivotMemberFilter::Mode::Include, {"[Product].[Drink]"}};
        session.SetDefinition(filtered);
        QVERIFY(changes.wait(kWait));
        for (const std::string& category : widget.Data().Categories())
            QVERIFY2(StartsWith(category, "Drink - "), category.c_str());

        // Sort by caption, falling.
        pivot::PivotDefinition sorted = session.Definition();
        sorted.rowAxis[0].sort.direction = pivot::SortDirection::Descending;
        session.SetDefinition(sorted);
        QVERIFY(changes.wait(kWait));
        const std::vector<std::string>& order = widget.Data().Categories();
        QVERIFY(order.size() >= 2);
        QVERIFY2(order.front() > order.back(), (order.front() + " / " + order.back()).c_str());

        // Refresh asks the source again; its answer arrives as a view change.
        const int before = static_cast<int>(changes.count());
        widget.Refresh();
        QVERIFY(changes.wait(kWait));
        QVERIFY(changes.count() > before);
        QCOMPARE(widget.Chart(), chartObject);
    }

    void optionOffKeepsTheDataUntilItIsOnAgain()
    {
        pivot::PivotSession session;
        Connect(session);
        ChartWidget widget;
        widget.SetDataSource(&session);
        QSignalSpy layouts(&session, &pivot::PivotSession::layoutChanged);
        session.SetDefinition(View());
        QVERIFY(layouts.wait(kWait));
        const std::size_t shown = widget.Data().Categories().size();

        QVERIFY(widget.Option(ChartWidget::kFollowDataSource));
        QVERIFY(widget.SetOption(ChartWidget::kFollowDataSource, false));
        QVERIFY(session.SetMemberExpanded(pivot::AxisKind::Row, 0, "[Product].[Food]", true));
        QVERIFY(layouts.wait(kWait));
        QCOMPARE(widget.Data().Categories().size(), shown);
        QVERIFY(widget.SetOption(ChartWidget::kFollowDataSource, true));
        QVERIFY(widget.Data().Categories().size() > shown);

        QVERIFY(!widget.SetOption(4242, true));
        QVERIFY(widget.LastError().find("4242") != std::string::npos);
        QVERIFY(!widget.Option(4242));
    }

    void sourceGoingAwayUnbinds()
    {
        ChartWidget widget;
        {
            pivot::PivotSession session;
            widget.SetDataSource(&session);
        }
        QCOMPARE(widget.DataSource(), nullptr);
        widget.Refresh(); // no source: redraws what it has
        widget.SetDataSource(nullptr);
        QVERIFY(widget.Data().IsEmpty());
    }

    void putAfterRebindingRestoresTheLook()
    {
        pivot::PivotSession first;
        Connect(first);
        ChartWidget widget;
        widget.SetDataSource(&first);
        QSignalSpy changes(&widget, &ChartWidget::dataChanged);
        first.SetDefinition(View());
        QVERIFY(changes.wait(kWait));
        QVERIFY(widget.SetChartTypeNumber(static_cast<int>(chart::ChartType::ColumnLineMarkers)));
        widget.ShowLegend();
        widget.SetFont("DejaVu Serif", 10);
        QVERIFY(widget.ExecuteCommand(chart::ChartCommand::SortDescending));

        // The control's rebinding: events off, text saved, new source, text put back.
        widget.SetEnableEvents(false);
        const std::string saved = widget.DefinitionText();
        pivot::PivotSession second;
        Connect(second);
        second.SetDefinition(View());
        QSignalSpy secondLayouts(&second, &pivot::PivotSession::layoutChanged);
        QVERIFY(secondLayouts.wait(kWait));
        widget.SetDataSource(&second);
        QVERIFY(widget.SetOption(ChartWidget::kFollowDataSource, true));
        QVERIFY(widget.PutDefinitionText(saved));
        widget.SetDataSource(&second);
        widget.SetEnableEvents(true);

        QCOMPARE(widget.DefinitionText(), saved);
        QCOMPARE(widget.ChartTypeNumber(), static_cast<int>(chart::ChartType::ColumnLineMarkers));
        QVERIFY(widget.Chart()->legend()->isVisible());
        QCOMPARE(widget.Chart()->legend()->font().family(), QStringLiteral("DejaVu Serif"));
        // Sorted falling by the first series, whatever order the pivot gives.
        const chart::ChartSeries& key = widget.Data().Series().front();
        for (std::size_t c = 1; c < key.values.size(); ++c) {
            if (key.values[c] && key.values[c - 1])
                QVERIFY(*key.values[c - 1] >= *key.values[c]);
        }
    }

private:
    void Connect(pivot::PivotSession& session)
    {
        olap::Connection* connection = m_connection.get();
        session.SetExecutor([connection](const std::string& mdx) { return connection->ExecuteMdx(mdx); });
    }

    QTemporaryDir m_dir;
    std::unique_ptr<olap::Connection> m_connection;
};

QTEST_MAIN(ChartBindingTest)
#include "ChartBindingTest.moc"
