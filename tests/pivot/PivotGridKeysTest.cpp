// The grid's command keys and clicks over the sample cube, with real key presses and mouse
// clicks: Enter on a value asks for its details, F5 refreshes, Ctrl+Shift+C copies the
// selection with its paths, Ctrl+arrows jump along a header band or to the edge of the
// values; a click on a total's header steps its sort through ascending, descending and
// none; fitted widths stay put when a later layout of the view would fit them otherwise.
#include "control/pivot/PivotContextMenu.h"
#include "control/pivot/PivotGrid.h"
#include "control/pivot/PivotSession.h"
#include "control/pivot/PivotTableWidget.h"
#include "control/pivot/model/PivotLayout.h"

#include "olap/access/Connection.h"
#include "olap/sample/SalesSample.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>

using pivot::PivotDefinition;
using pivot::PivotGrid;
using pivot::PivotGridCell;

namespace {

// Rows: Product (Category, Subcategory; Drink expanded); columns: Time (Year); Units.
PivotDefinition SampleView(const std::string& cube)
{
    PivotDefinition d;
    d.connectionString = "Provider=MSOLAP.2;Data Source=" + cube + ";Initial Catalog=Sales";
    d.dataMember = "Sales";
    pivot::PivotFieldSet product;
    product.uniqueName = "[Product]";
    product.caption = "Product";
    product.fields.push_back({"[Product].[Category]", "Category", true, false});
    product.fields.push_back({"[Product].[Subcategory]", "Subcategory", true, false});
    product.expandedMembers = {"[Product].[Drink]"};
    pivot::PivotFieldSet time;
    time.uniqueName = "[Time]";
    time.caption = "Time";
    time.fields.push_back({"[Time].[Year]", "Year", true, false});
    d.rowAxis = {product};
    d.columnAxis = {time};
    pivot::PivotTotal units;
    units.name = "[Measures].[Unit Sales]";
    units.caption = "Units";
    d.totals = {units};
    return d;
}

//! The grid row where the member captioned CAPTION begins in header column COLUMN, or -1.
int RowOf(const pivot::PivotLayout& layout, const std::string& caption, int column = 0)
{
    for (int r = layout.HeaderRows(); r < layout.RowCount(); ++r) {
        const PivotGridCell cell = layout.Cell(r, column);
        if (cell.text == caption && cell.anchorRow == r)
            return r;
    }
    return -1;
}

//! The grid column where the header captioned CAPTION begins in header row ROW, or -1.
int ColumnOf(const pivot::PivotLayout& layout, const std::string& caption, int row)
{
    for (int c = layout.HeaderColumns(); c < layout.ColumnCount(); ++c) {
        const PivotGridCell cell = layout.Cell(row, c);
        if (cell.text == caption && cell.anchorColumn == c)
            return c;
    }
    return -1;
}

} // namespace

class PivotGridKeysTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void enterAndF5RunTheirCommands();
    void controlArrowsJump();
    void copyWithPaths();
    void totalHeaderClickCyclesSort();
    void fittedWidthsKeptAcrossLayouts();

private:
    bool WaitForLayout();
    PivotGrid* Grid() const { return m_table->Grid(); }
    const pivot::PivotLayout& Layout() const { return m_session->Layout(); }

    QTemporaryDir m_dir;
    PivotDefinition m_view;
    std::shared_ptr<olap::Connection> m_connection;
    std::unique_ptr<pivot::PivotSession> m_session;
    std::unique_ptr<pivot::PivotTableWidget> m_table;
};

void PivotGridKeysTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    olap::SalesSample::WriteAll(m_dir.path().toStdString(), 3000, 7);
    m_view = SampleView(m_dir.filePath(QStringLiteral("Sales.cub")).toStdString());
    m_connection = olap::Connection::Connect(m_view.connectionString);
}

void PivotGridKeysTest::init()
{
    m_session = std::make_unique<pivot::PivotSession>();
    auto connection = m_connection;
    m_session->SetExecutor([connection](const std::string& mdx) { return connection->ExecuteMdx(mdx); });
    m_table = std::make_unique<pivot::PivotTableWidget>(m_session.get());
    m_table->resize(900, 520);
    m_table->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_table.get()));
    m_session->SetDefinition(m_view);
    QVERIFY(WaitForLayout());
    Grid()->setFocus();
}

void PivotGridKeysTest::cleanup()
{
    m_table.reset();
    m_session.reset();
}

bool PivotGridKeysTest::WaitForLayout()
{
    QSignalSpy changed(m_session.get(), &pivot::PivotSession::layoutChanged);
    return changed.wait(10000) && !m_session->IsWorking();
}

void PivotGridKeysTest::enterAndF5RunTheirCommands()
{
    m_table->SetDetailsAllowed(true);
    std::vector<std::pair<int, int>> details;
    QObject::connect(m_table->ContextMenu(), &pivot::PivotContextMenu::commandExecuted, m_table.get(),
        [&](const platform::Variant&, int row, int column) { details.emplace_back(row, column); });
    QSignalSpy refreshes(m_table.get(), &pivot::PivotTableWidget::refreshRequested);
    const int juice = RowOf(Layout(), "Juice", 1);
    const int valueColumn = Layout().HeaderColumns() + 1;
    QVERIFY(juice > 0);
    struct Case {
        const char* name;
        int row;
        int column;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        bool details;
        bool refresh;
    };
    const Case cases[] = {
        {"Enter on a value", juice, valueColumn, Qt::Key_Return, {}, true, false},
        {"keypad Enter on a value", juice, valueColumn, Qt::Key_Enter, Qt::KeypadModifier, true, false},
        {"Enter on a header without children", juice, 1, Qt::Key_Return, {}, false, false},
        {"Shift+Enter on a value", juice, valueColumn, Qt::Key_Return, Qt::ShiftModifier, false, false},
        {"F5 on a value", juice, valueColumn, Qt::Key_F5, {}, false, true},
        {"F5 on a header", 0, 0, Qt::Key_F5, {}, false, true},
    };
    for (const Case& c : cases) {
        details.clear();
        refreshes.clear();
        Grid()->SetCurrentCell(c.row, c.column);
        QTest::keyClick(Grid(), c.key, c.modifiers);
        QVERIFY2(details.size() == (c.details ? 1U : 0U), c.name);
        if (c.details)
            QVERIFY2(details.front() == std::make_pair(c.row, c.column), c.name);
        QVERIFY2(refreshes.size() == (c.refresh ? 1 : 0), c.name);
    }
    // Without the host's consent to details, Enter on a value does nothing.
    m_table->SetDetailsAllowed(false);
    details.clear();
    Grid()->SetCurrentCell(juice, valueColumn);
    QTest::keyClick(Grid(), Qt::Key_Return);
    QVERIFY(details.empty());
}

void PivotGridKeysTest::controlArrowsJump()
{
    const pivot::PivotLayout& layout = Layout();
    const int food = RowOf(layout, "Food");
    const int drink = RowOf(layout, "Drink");
    const int afterDrink = drink < 0 ? -1 : drink + layout.Cell(drink, 0).rowSpan;
    const int afterFood = food < 0 ? -1 : food + layout.Cell(food, 0).rowSpan;
    const int juice = RowOf(layout, "Juice", 1);
    const int y2022 = ColumnOf(layout, "2022", 0);
    const int y2023 = ColumnOf(layout, "2023", 0);
    QVERIFY(food > 0 && drink > 0 && afterDrink > drink && afterFood > food && afterDrink < layout.RowCount()
        && juice > 0 && y2022 > 0 && y2023 > 0);
    const int firstRow = layout.HeaderRows();
    const int lastRow = layout.RowCount() - 1;
    const int firstColumn = layout.HeaderColumns();
    const int lastColumn = layout.ColumnCount() - 1;
    struct Case {
        const char* name;
        int row;
        int column;
        Qt::Key key;
        int toRow;
        int toColumn;
    };
    const Case cases[] = {
        // Along a row band: the next member of the same level, over a merged span.
        {"Food down to the next category", food, 0, Qt::Key_Down, afterFood, 0},
        {"Drink down past its children", drink, 0, Qt::Key_Down, afterDrink, 0},
        {"the next category up to Drink", afterDrink, 0, Qt::Key_Up, drink, 0},
        {"the category after Food up to Food", afterFood, 0, Qt::Key_Up, food, 0},
        {"Juice down to its sibling", juice, 1, Qt::Key_Down, juice + 1, 1},
        {"Juice's sibling up to Juice", juice + 1, 1, Qt::Key_Up, juice, 1},
        // Along a column band.
        {"2022 right to 2023", 0, y2022, Qt::Key_Right, 0, y2023},
        {"2023 left to 2022", 0, y2023, Qt::Key_Left, 0, y2022},
        // In the values: the edges of the block.
        {"value to the right edge", juice, firstColumn, Qt::Key_Right, juice, lastColumn},
        {"value to the left edge", juice, lastColumn, Qt::Key_Left, juice, firstColumn},
        {"value to the top", juice, y2023, Qt::Key_Up, firstRow, y2023},
        {"value to the bottom", juice, y2023, Qt::Key_Down, lastRow, y2023},
    };
    for (const Case& c : cases) {
        Grid()->SetCurrentCell(c.row, c.column);
        QTest::keyClick(Grid(), c.key, Qt::ControlModifier);
        QVERIFY2(Grid()->CurrentRow() == c.toRow && Grid()->CurrentColumn() == c.toColumn,
            qPrintable(QStringLiteral("%1: at %2,%3")
                           .arg(QLatin1String(c.name))
                           .arg(Grid()->CurrentRow())
                           .arg(Grid()->CurrentColumn())));
    }
    // The first member of a band stays where it is going back; Shift extends the selection.
    Grid()->SetCurrentCell(firstRow, 0);
    QTest::keyClick(Grid(), Qt::Key_Up, Qt::ControlModifier);
    QCOMPARE(Grid()->CurrentRow(), firstRow);
    Grid()->SetCurrentCell(juice, firstColumn);
    QTest::keyClick(Grid(), Qt::Key_Right, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(Grid()->Selection(), QRect(QPoint(firstColumn, juice), QPoint(lastColumn, juice)));
}

void PivotGridKeysTest::copyWithPaths()
{
    const int juice = RowOf(Layout(), "Juice", 1);
    const int y2023 = ColumnOf(Layout(), "2023", 0);
    QWidget* viewport = Grid()->viewport();
    QTest::mouseClick(viewport, Qt::LeftButton, {}, Grid()->CellRect(juice, y2023).center());
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::ShiftModifier, Grid()->CellRect(juice + 1, y2023).center());
    QTest::keyClick(Grid(), Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    const QString withPaths = QApplication::clipboard()->mimeData()->text();
    const QStringList lines = withPaths.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    // The header lines, then one line per selected row; row paths before the values.
    QCOMPARE(lines.size(), Layout().HeaderRows() + 2);
    QVERIFY2(lines.front().endsWith(QStringLiteral("\t2023")), qPrintable(withPaths));
    const auto value = [this, y2023](int row) { return QString::number(*Layout().Cell(row, y2023).value, 'g', 15); };
    const QString next = QString::fromStdString(Layout().Cell(juice + 1, 1).text);
    QCOMPARE(lines[Layout().HeaderRows()], QStringLiteral("Drink\tJuice\t") + value(juice));
    QCOMPARE(lines[Layout().HeaderRows() + 1], QStringLiteral("Drink\t%1\t%2").arg(next, value(juice + 1)));
    // Plain Ctrl+C still copies the values alone.
    QTest::keyClick(Grid(), Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->mimeData()->text(), value(juice) + "\r\n" + value(juice + 1) + "\r\n");
    // A selection taking in headers writes each of them once.
    Grid()->SetCurrentCell(0, 0);
    Grid()->SetCurrentCell(juice, y2023, true);
    QTest::keyClick(Grid(), Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    QTest::keyClick(Grid(), Qt::Key_C, Qt::ControlModifier);
    const QString plain = QApplication::clipboard()->mimeData()->text();
    Grid()->SetCurrentCell(0, 0);
    Grid()->SetCurrentCell(juice, y2023, true);
    QTest::keyClick(Grid(), Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(QApplication::clipboard()->mimeData()->text(), plain);
}

void PivotGridKeysTest::totalHeaderClickCyclesSort()
{
    // The categories down the rows, in the order shown.
    const auto categories = [this] {
        QStringList captions;
        for (int r = Layout().HeaderRows(); r < Layout().RowCount(); ++r) {
            const PivotGridCell cell = Layout().Cell(r, 0);
            if (cell.anchorRow == r && cell.header && !cell.isGrandTotal)
                captions << QString::fromStdString(cell.text);
        }
        return captions;
    };
    const QStringList unsorted = categories();
    QVERIFY(unsorted.size() >= 3);
    // The grand total's Units header is where the rows' sort reads its total.
    const int total = Layout().ColumnCount() - 1;
    const int header = Layout().HeaderRows() - 1;
    QVERIFY(Layout().Cell(header, total).isGrandTotal);
    QStringList ascending;
    struct Step {
        pivot::SortDirection direction;
        int arrow;
    };
    const Step steps[] = {
        {pivot::SortDirection::Ascending, 1},
        {pivot::SortDirection::Descending, -1},
        {pivot::SortDirection::None, 0},
        {pivot::SortDirection::Ascending, 1},
    };
    for (const Step& step : steps) {
        QTest::mouseClick(Grid()->viewport(), Qt::LeftButton, {}, Grid()->CellRect(header, total).center());
        QVERIFY(WaitForLayout());
        const pivot::PivotSort& sort = m_session->ShownDefinition().rowAxis.front().sort;
        QVERIFY(sort.direction == step.direction);
        QCOMPARE(QString::fromStdString(sort.byTotal),
            step.direction == pivot::SortDirection::None ? QString() : QStringLiteral("[Measures].[Unit Sales]"));
        QCOMPARE(Grid()->SortArrowAt(Layout().Cell(header, total)), step.arrow);
        const QStringList shown = categories();
        if (step.direction == pivot::SortDirection::Ascending) {
            QVERIFY(ascending.isEmpty() || shown == ascending);
            ascending = shown;
        } else if (step.direction == pivot::SortDirection::Descending) {
            QStringList reversed(ascending.rbegin(), ascending.rend());
            QCOMPARE(shown, reversed);
        } else {
            QCOMPARE(shown, unsorted);
        }
    }
    QVERIFY(ascending != unsorted || QStringList(ascending.rbegin(), ascending.rend()) != unsorted);
    // A year's header is no total: a click there selects it and leaves the sort.
    QTest::mouseClick(Grid()->viewport(), Qt::LeftButton, {}, Grid()->CellRect(0, Layout().HeaderColumns()).center());
    QVERIFY(!m_session->IsWorking());
    QVERIFY(m_session->ShownDefinition().rowAxis.front().sort.direction == pivot::SortDirection::Ascending);
    QCOMPARE(Grid()->CurrentColumn(), Layout().HeaderColumns());
}

void PivotGridKeysTest::fittedWidthsKeptAcrossLayouts()
{
    // Sales in money over every product: a year's column fits its widest sum.
    PivotDefinition wide = m_view;
    wide.totals.front().name = "[Measures].[Store Sales]";
    const int year = Layout().HeaderColumns();
    m_session->SetDefinition(wide);
    QVERIFY(WaitForLayout());
    const int fitted = Grid()->ColumnWidthAt(year);
    // Juice alone: a column already shown keeps its width, across the change and a refresh.
    PivotDefinition collapsed = wide;
    collapsed.rowAxis.front().filter = {pivot::PivotMemberFilter::Mode::Include, {"[Product].[Drink].[Juice]"}};
    m_session->SetDefinition(collapsed);
    QVERIFY(WaitForLayout());
    QCOMPARE(Grid()->ColumnWidthAt(year), fitted);
    m_session->Refresh();
    QVERIFY(WaitForLayout());
    QCOMPARE(Grid()->ColumnWidthAt(year), fitted);
    // A double click on its edge fits it to what it shows now, as a grid showing this view
    // first does.
    const QRect cell = Grid()->CellRect(Layout().HeaderRows() - 1, year);
    QTest::mouseDClick(Grid()->viewport(), Qt::LeftButton, {}, QPoint(cell.right() + 1, cell.center().y()));
    const int refitted = Grid()->ColumnWidthAt(year);
    auto fresh = std::make_unique<pivot::PivotSession>();
    auto connection = m_connection;
    fresh->SetExecutor([connection](const std::string& mdx) { return connection->ExecuteMdx(mdx); });
    PivotGrid grid(fresh.get());
    QSignalSpy changed(fresh.get(), &pivot::PivotSession::layoutChanged);
    fresh->SetDefinition(collapsed);
    QVERIFY(changed.wait(10000));
    QCOMPARE(grid.ColumnWidthAt(year), refitted);
    // Expanded again: the column keeps the width it has now, grown where the sums need more.
    m_session->SetDefinition(wide);
    QVERIFY(WaitForLayout());
    QCOMPARE(Grid()->ColumnWidthAt(year), std::max(refitted, fitted));
}

QTEST_MAIN(PivotGridKeysTest)
#include "PivotGridKeysTest.moc"
