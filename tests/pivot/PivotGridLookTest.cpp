// How the grid looks and what it says about its cells, over the sample cube: a view of a
// given statement takes no drops and shows no hints, the expand glyphs follow their switch,
// column widths follow a total's own font and keep what the user dragged across refreshes,
// error cells read apart from empty ones and zeros, tooltips and screen-reader texts carry
// the cell's context; and the area bars' chips as targets of the table's commands.
#include "control/pivot/PivotAreaBar.h"
#include "control/pivot/PivotCellStyle.h"
#include "control/pivot/PivotCommandEdit.h"
#include "control/pivot/PivotDragController.h"
#include "control/pivot/PivotGrid.h"
#include "control/pivot/PivotGridDropTarget.h"
#include "control/pivot/PivotSelectionTarget.h"
#include "control/pivot/PivotSession.h"
#include "control/pivot/PivotTableWidget.h"
#include "control/pivot/model/PivotLayout.h"

#include "olap/access/Connection.h"
#include "olap/sample/SalesSample.h"

#include <QImage>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <limits>
#include <memory>

using pivot::AxisKind;
using pivot::PivotCommand;
using pivot::PivotDefinition;
using pivot::PivotGrid;
using pivot::PivotGridCell;
using pivot::PivotSelectionTarget;

namespace {

// Rows: Product (Category, Subcategory; Drink expanded); columns: Time (Year); Store kept to
// Canada as a filter; Units as the one total.
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
    product.sort = {pivot::SortDirection::Descending, "[Measures].[Unit Sales]"};
    pivot::PivotFieldSet time;
    time.uniqueName = "[Time]";
    time.caption = "Time";
    time.fields.push_back({"[Time].[Year]", "Year", true, false});
    pivot::PivotFieldSet store;
    store.uniqueName = "[Store]";
    store.caption = "Store";
    store.fields.push_back({"[Store].[Country]", "Country", true, false});
    store.filter = {pivot::PivotMemberFilter::Mode::Include, {"[Store].[Canada]"}};
    d.rowAxis = {product};
    d.columnAxis = {time};
    d.filterAxis = {store};
    pivot::PivotTotal units;
    units.name = "[Measures].[Unit Sales]";
    units.caption = "Units";
    d.totals = {units};
    return d;
}

void Shot(QWidget* widget, const char* name)
{
    if (const QByteArray dir = qgetenv("PIVOT_SHOT_DIR"); !dir.isEmpty())
        widget->grab().save(QString::fromLocal8Bit(dir) + QLatin1Char('/') + QLatin1String(name));
}

//! The grid row of the member captioned CAPTION in header column COLUMN, or -1.
int RowOf(const pivot::PivotLayout& layout, const std::string& caption, int column = 0)
{
    for (int r = layout.HeaderRows(); r < layout.RowCount(); ++r) {
        const PivotGridCell cell = layout.Cell(r, column);
        if (cell.text == caption && cell.anchorRow == r)
            return r;
    }
    return -1;
}

} // namespace

class PivotGridLookTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void rawViewTakesNoDropsAndShowsNoHints();
    void expandIndicatorsFollowTheirSwitch();
    void columnWidthsFollowATotalsFont();
    void draggedWidthsSurviveRefreshAndDoubleClickFits();
    void errorEmptyAndZeroCellsDiffer();
    void tooltipsAndScreenReaderTextsCarryTheContext();
    void chipsAreCommandTargets();
    void selectedChipTakesTheTablesCommands();

private:
    bool WaitForLayout();
    QPoint EdgeOf(int column) const
    {
        const QRect cell = m_table->Grid()->CellRect(0, column);
        return QPoint(cell.right() + 1, cell.center().y());
    }

    QTemporaryDir m_dir;
    PivotDefinition m_view;
    std::shared_ptr<olap::Connection> m_connection;
    std::unique_ptr<pivot::PivotSession> m_session;
    std::unique_ptr<pivot::PivotTableWidget> m_table;
};

void PivotGridLookTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    olap::SalesSample::WriteAll(m_dir.path().toStdString(), 3000, 7);
    m_view = SampleView(m_dir.filePath(QStringLiteral("Sales.cub")).toStdString());
    m_connection = olap::Connection::Connect(m_view.connectionString);
}

void PivotGridLookTest::init()
{
    m_session = std::make_unique<pivot::PivotSession>();
    auto connection = m_connection;
    m_session->SetExecutor([connection](const std::string& mdx) { return connection->ExecuteMdx(mdx); });
    m_table = std::make_unique<pivot::PivotTableWidget>(m_session.get());
    m_table->resize(900, 520);
    m_table->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_table.get()));
}

void PivotGridLookTest::cleanup()
{
    m_table.reset();
    m_session.reset();
}

bool PivotGridLookTest::WaitForLayout()
{
    QSignalSpy changed(m_session.get(), &pivot::PivotSession::layoutChanged);
    return changed.wait(10000) && !m_session->IsWorking();
}

void PivotGridLookTest::rawViewTakesNoDropsAndShowsNoHints()
{
    PivotGrid* grid = m_table->Grid();
    pivot::PivotGridDropTarget target(grid, m_table->DragController());
    const pivot::PivotFieldDrag field {
        pivot::PivotFieldDrag::Kind::FieldSet, "[Customer]", "Customer", AxisKind::Filter};
    const pivot::PivotFieldDrag measure {
        pivot::PivotFieldDrag::Kind::Total, "[Measures].[Store Sales]", "Sales", AxisKind::Filter};
    AxisKind area = AxisKind::Row;
    int position = 0;
    QRect mark;

    // A view with measures only: the hints for rows and columns show and take drops.
    PivotDefinition measuresOnly = m_view;
    measuresOnly.rowAxis.clear();
    measuresOnly.columnAxis.clear();
    m_session->SetDefinition(measuresOnly);
    QVERIFY(WaitForLayout());
    QVERIFY(grid->AcceptsDrops());
    Shot(m_table.get(), "look-measures-only.png");
    const QRect rowsHint = grid->EmptyAreaRect(AxisKind::Row);
    QVERIFY(!rowsHint.isEmpty());
    QVERIFY(target.Resolve(field, rowsHint.center(), &area, &position, &mark));
    QCOMPARE(area, AxisKind::Row);

    // The same result asked by a statement of no pivot shape is shown read-only.
    PivotDefinition raw;
    raw.connectionString = m_view.connectionString;
    raw.commandText = "SELECT {[Measures].[Unit Sales]} ON COLUMNS FROM [Sales]";
    m_session->SetDefinition(raw);
    QVERIFY(WaitForLayout());
    QVERIFY(!grid->AcceptsDrops());
    Shot(m_table.get(), "look-raw.png");
    for (AxisKind kind : {AxisKind::Row, AxisKind::Column, AxisKind::Data})
        QVERIFY(grid->EmptyAreaRect(kind).isEmpty());
    for (const QPoint& point : {rowsHint.center(), grid->CellRect(0, 0).center(), QPoint(5, 200), QPoint(600, 5)}) {
        QVERIFY(!target.Resolve(field, point, &area, &position, &mark));
        QVERIFY(!target.Resolve(measure, point, &area, &position, &mark));
        QVERIFY(!target.DragOver(field, point));
        QVERIFY(grid->DropIndicator().isEmpty());
        QVERIFY(!target.DropAt(field, point));
    }
    QVERIFY(m_session->Definition().IsRawQuery());
}

void PivotGridLookTest::expandIndicatorsFollowTheirSwitch()
{
    PivotGrid* grid = m_table->Grid();
    m_session->SetDefinition(m_view);
    QVERIFY(WaitForLayout());
    const pivot::PivotLayout& layout = m_session->Layout();
    const int drink = RowOf(layout, "Drink");
    QVERIFY(drink > 0);
    QVERIFY(!grid->GlyphRect(drink, 0).isEmpty());
    const int withGlyphs = grid->ColumnWidthAt(0);
    // Drink's first line: the glyph and the caption are painted in the button text colour, so
    // the glyph's triangle shows as ink beyond the caption's.
    const QRect cell = grid->CellRect(drink, 0);
    const QRect glyph(cell.left(), cell.top(), cell.width(), grid->GlyphRect(drink, 0).bottom() + 3 - cell.top());
    auto glyphInk = [&] {
        const QImage image = grid->viewport()->grab().toImage();
        const QColor ink = grid->palette().color(QPalette::ButtonText);
        int count = 0;
        for (int y = glyph.top(); y <= glyph.bottom(); ++y) {
            for (int x = glyph.left(); x <= glyph.right(); ++x)
                count += QColor(image.pixel(x, y)) == ink ? 1 : 0;
        }
        return count;
    };
    const int inkWithGlyph = glyphInk();
    Shot(grid, "look-normal.png");
    // Products are sorted by Units, descending: the Units header of the grand total column
    // carries the arrow, the years' Units headers do not.
    const int lastColumn = layout.ColumnCount() - 1;
    QCOMPARE(grid->SortArrowAt(layout.Cell(layout.HeaderRows() - 1, lastColumn)), -1);
    QCOMPARE(grid->SortArrowAt(layout.Cell(layout.HeaderRows() - 1, layout.HeaderColumns())), 0);
    QCOMPARE(grid->SortArrowAt(layout.Cell(drink, 0)), 0);

    grid->SetExpandIndicatorsShown(false);
    for (int r = layout.HeaderRows(); r < layout.RowCount(); ++r)
        QVERIFY(grid->GlyphRect(r, 0).isEmpty());
    QVERIFY2(glyphInk() + 8 < inkWithGlyph, qPrintable(QStringLiteral("%1 vs %2").arg(glyphInk()).arg(inkWithGlyph)));
    // No room is kept for the glyphs.
    QVERIFY(grid->ColumnWidthAt(0) <= withGlyphs);
    Shot(grid, "look-no-expand-indicator.png");
    // A double click still collapses Drink, and a glyph's place is no button.
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, grid->CellRect(drink, 0).center());
    QVERIFY(WaitForLayout());
    QCOMPARE(m_session->Definition().rowAxis.front().expandedMembers.size(), std::size_t {0});
    QVERIFY(!grid->ExpandIndicatorsShown());

    grid->SetExpandIndicatorsShown(true);
    QVERIFY(!grid->GlyphRect(RowOf(m_session->Layout(), "Drink"), 0).isEmpty());
}

void PivotGridLookTest::columnWidthsFollowATotalsFont()
{
    PivotGrid* grid = m_table->Grid();
    m_session->SetDefinition(m_view);
    QVERIFY(WaitForLayout());
    const int valueColumn = m_session->Layout().HeaderColumns();
    const int plainWidth = grid->ColumnWidthAt(valueColumn);
    const int plainHeight = grid->CellRect(m_session->Layout().HeaderRows(), valueColumn).height();

    PivotDefinition big = m_view;
    big.totals.front().style.fontSize = 26;
    big.totals.front().style.bold = true;
    m_session->SetDefinition(big);
    QVERIFY(WaitForLayout());
    // The values and the total's caption are measured in the total's own font.
    QVERIFY2(grid->ColumnWidthAt(valueColumn) > plainWidth + 10,
        qPrintable(QStringLiteral("%1 vs %2").arg(grid->ColumnWidthAt(valueColumn)).arg(plainWidth)));
    QVERIFY(grid->CellRect(m_session->Layout().HeaderRows(), valueColumn).height() > plainHeight);
    // A field set's font widens its header column.
    PivotDefinition styledFieldSet = m_view;
    styledFieldSet.rowAxis.front().style.fontSize = 26;
    const int plainHeaderWidth = grid->ColumnWidthAt(0);
    m_session->SetDefinition(m_view);
    QVERIFY(WaitForLayout());
    QCOMPARE(grid->ColumnWidthAt(valueColumn), plainWidth);
    m_session->SetDefinition(styledFieldSet);
    QVERIFY(WaitForLayout());
    QVERIFY(grid->ColumnWidthAt(0) > plainHeaderWidth);
}

void PivotGridLookTest::draggedWidthsSurviveRefreshAndDoubleClickFits()
{
    PivotGrid* grid = m_table->Grid();
    m_session->SetDefinition(m_view);
    QVERIFY(WaitForLayout());
    const int column = m_session->Layout().HeaderColumns() + 1;
    const QString key = grid->ColumnKey(column);
    QVERIFY(key.contains(QStringLiteral("[Time]")));
    const int fitted = grid->ColumnWidthAt(column);
    QCOMPARE(grid->ColumnEdgeAt(EdgeOf(column)), column);
    // Off the header rows an edge is no handle.
    QCOMPARE(grid->ColumnEdgeAt(EdgeOf(column) + QPoint(0, 200)), -1);

    // Drag the edge 70 pixels to the right.
    const QPoint edge = EdgeOf(column);
    QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, edge);
    QTest::mouseMove(grid->viewport(), edge + QPoint(35, 0));
    QTest::mouseMove(grid->viewport(), edge + QPoint(70, 0));
    QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, edge + QPoint(70, 0));
    QCOMPARE(grid->ColumnWidthAt(column), fitted + 70);
    // The press on the edge did not select a cell there.
    QVERIFY(grid->CurrentRow() != 0 || grid->CurrentColumn() != column);

    // A refresh, and a change of sort that lays the view out again, keep the width by the
    // column's members; a filter that moves the column to another index too.
    m_session->Refresh();
    QVERIFY(WaitForLayout());
    QCOMPARE(grid->ColumnWidthAt(column), fitted + 70);
    PivotDefinition sorted = m_view;
    sorted.rowAxis.front().sort = {pivot::SortDirection::Ascending, ""};
    m_session->SetDefinition(sorted);
    QVERIFY(WaitForLayout());
    QCOMPARE(grid->ColumnKey(column), key);
    QCOMPARE(grid->ColumnWidthAt(column), fitted + 70);
    PivotDefinition lessYears = sorted;
    lessYears.columnAxis.front().filter = {pivot::PivotMemberFilter::Mode::Exclude, {"[Time].[2022]"}};
    m_session->SetDefinition(lessYears);
    QVERIFY(WaitForLayout());
    int moved = -1;
    for (int c = 0; c < m_session->Layout().ColumnCount(); ++c) {
        if (grid->ColumnKey(c) == key)
            moved = c;
    }
    QVERIFY(moved >= 0);
    QCOMPARE(grid->ColumnWidthAt(moved), fitted + 70);

    // A double click on the edge fits the column to its contents again.
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, EdgeOf(moved));
    QCOMPARE(grid->ColumnWidthAt(moved), fitted);
}

void PivotGridLookTest::errorEmptyAndZeroCellsDiffer()
{
    struct Case {
        const char* name;
        std::optional<double> value;
        std::string text;
        bool error;
        const char* why;
    };
    const Case cases[] = {
        {"empty", std::nullopt, "", false, ""},
        {"zero", 0.0, "0", false, ""},
        {"number", 12.5, "12.5", false, ""},
        {"division by zero", std::numeric_limits<double>::infinity(), "inf", true, "infinite"},
        {"negative infinity", -std::numeric_limits<double>::infinity(), "-inf", true, "infinite"},
        {"not a number", std::nan(""), "nan", true, "not a number"},
        {"error text", std::nullopt, "#N/A: no such member", true, "#N/A: no such member"},
        {"plain text", std::nullopt, "North", false, ""},
    };
    for (const Case& c : cases) {
        PivotGridCell cell;
        cell.value = c.value;
        cell.text = c.text;
        QVERIFY2(pivot::PivotCellStyle::IsError(cell) == c.error, c.name);
        QVERIFY2(pivot::PivotCellStyle::ErrorText(cell).contains(QString::fromUtf8(c.why)), c.name);
        // Headers are never errors.
        cell.kind = PivotGridCell::Kind::RowHeader;
        QVERIFY2(!pivot::PivotCellStyle::IsError(cell), c.name);
    }

    // In the grid: an empty value says so in its tooltip; a zero shows its number.
    PivotDefinition view = m_view;
    pivot::PivotTotal zero;
    zero.name = "Zero";
    zero.caption = "Zero";
    zero.expression = "IIf([Measures].[Unit Sales] > 0, 0, NULL)";
    pivot::PivotTotal nothing;
    nothing.name = "Nothing";
    nothing.caption = "Nothing";
    nothing.expression = "NULL";
    view.totals.push_back(zero);
    view.totals.push_back(nothing);
    view.nonEmpty = false;
    m_session->SetDefinition(view);
    QVERIFY(WaitForLayout());
    const pivot::PivotLayout& layout = m_session->Layout();
    int zeroColumn = -1;
    int emptyColumn = -1;
    for (int c = layout.HeaderColumns(); c < layout.ColumnCount(); ++c) {
        const std::string caption = layout.Cell(layout.HeaderRows() - 1, c).text;
        if (caption == "Zero" && zeroColumn < 0)
            zeroColumn = c;
        if (caption == "Nothing" && emptyColumn < 0)
            emptyColumn = c;
    }
    QVERIFY(zeroColumn > 0 && emptyColumn > 0);
    const int row = layout.RowCount() - 1;
    QCOMPARE(QString::fromStdString(layout.Cell(row, zeroColumn).text), QStringLiteral("0"));
    QVERIFY(layout.Cell(row, emptyColumn).text.empty());
    QVERIFY(m_table->Grid()->ToolTip(row, emptyColumn).contains(QStringLiteral("(empty)")));
    QVERIFY(!m_table->Grid()->ToolTip(row, zeroColumn).contains(QStringLiteral("(empty)")));
    QVERIFY(m_table->Grid()->AccessibleText(row, emptyColumn).endsWith(QStringLiteral(": empty")));
}

void PivotGridLookTest::tooltipsAndScreenReaderTextsCarryTheContext()
{
    PivotGrid* grid = m_table->Grid();
    m_session->SetDefinition(m_view);
    QVERIFY(WaitForLayout());
    const pivot::PivotLayout& layout = m_session->Layout();
    const int drink = RowOf(layout, "Drink");
    QVERIFY(drink > 0);
    // Drink's first child: its own line comes after Drink's subtotal line.
    int child = -1;
    for (int r = drink; r < layout.RowCount() && child < 0; ++r) {
        if (layout.Cell(r, 1).anchorRow == r && !layout.Cell(r, 1).text.empty() && !layout.Cell(r, 1).isTotal)
            child = r;
    }
    QVERIFY(child > 0);
    const QString childCaption = QString::fromStdString(layout.Cell(child, 1).text);
    const int column = layout.HeaderColumns();
    const QString year = QString::fromStdString(layout.Cell(0, column).text);

    const QString tip = grid->ToolTip(child, column);
    QVERIFY2(tip.contains(QStringLiteral("\nRows: Drink / ") + childCaption), qPrintable(tip));
    QVERIFY2(tip.contains(QStringLiteral("\nColumns: ") + year), qPrintable(tip));
    QVERIFY2(tip.contains(QStringLiteral("\nFilters: Store: Canada")), qPrintable(tip));
    QVERIFY2(tip.contains(QString::fromStdString(layout.Cell(child, column).text)), qPrintable(tip));

    struct Case {
        int row;
        int column;
        QString expected;
    };
    const Case cases[] = {
        {child, column,
            QStringLiteral("Drink; %1; %2; Units: %3")
                .arg(childCaption, year, QString::fromStdString(layout.Cell(child, column).text))},
        {drink, 0, QStringLiteral("Drink, Category, expanded")},
        {RowOf(layout, "Food"), 0, QStringLiteral("Food, Category, collapsed")},
        {layout.HeaderRows() - 1, 0, QStringLiteral("Category, field")},
    };
    for (const Case& c : cases)
        QCOMPARE(grid->AccessibleText(c.row, c.column), c.expected);
    // The grid's description follows the current cell.
    grid->SetCurrentCell(drink, 0);
    QCOMPARE(grid->accessibleDescription(), QStringLiteral("Drink, Category, expanded"));
    // Alt+Down on a member opens its field set's filter; on a value it does nothing.
    std::vector<std::pair<AxisKind, int>> buttons;
    connect(grid, &PivotGrid::fieldButtonClicked, this,
        [&buttons](AxisKind axis, int index, const QRect&) { buttons.emplace_back(axis, index); });
    QTest::keyClick(grid, Qt::Key_Down, Qt::AltModifier);
    QCOMPARE(buttons.size(), std::size_t {1});
    QVERIFY(buttons.front() == std::make_pair(AxisKind::Row, 0));
    QCOMPARE(grid->CurrentRow(), drink);
    grid->SetCurrentCell(child, column);
    QTest::keyClick(grid, Qt::Key_Down, Qt::AltModifier);
    QCOMPARE(buttons.size(), std::size_t {1});
    QCOMPARE(grid->CurrentRow(), child);
}

void PivotGridLookTest::chipsAreCommandTargets()
{
    PivotDefinition d = m_view;
    pivot::PivotTotal sales;
    sales.name = "[Measures].[Store Sales]";
    sales.caption = "Sales";
    d.totals.push_back(sales);
    d.totalsAxis = AxisKind::Column;
    using Kind = PivotSelectionTarget::Kind;
    struct Case {
        AxisKind area;
        std::string name;
        Kind kind;
        //! The field set a sort acts on, and by which total ("" by caption).
        std::string sorted;
        std::string byTotal;
    };
    const Case cases[] = {
        {AxisKind::Row, "[Product]", Kind::FieldSet, "[Product]", ""},
        {AxisKind::Column, "[Time]", Kind::FieldSet, "[Time]", ""},
        {AxisKind::Filter, "[Store]", Kind::FieldSet, "[Store]", ""},
        // A total's chip sorts the innermost field set of the other axis by that total.
        {AxisKind::Data, "[Measures].[Store Sales]", Kind::Total, "[Product]", "[Measures].[Store Sales]"},
        // A name the area does not hold, and the Σ Values chip, are no target: the commands
        // fall back to the first row field set.
        {AxisKind::Row, "[Time]", Kind::None, "[Product]", "[Measures].[Unit Sales]"},
        {AxisKind::Column, pivot::PivotFieldDrag::kValuesName, Kind::None, "[Product]", "[Measures].[Unit Sales]"},
        {AxisKind::Data, "[Measures].[Profit]", Kind::None, "[Product]", "[Measures].[Unit Sales]"},
    };
    for (const Case& c : cases) {
        const QByteArray trace = QByteArray::fromStdString(c.name);
        const PivotSelectionTarget target = PivotSelectionTarget::ForChip(d, c.area, c.name);
        QVERIFY2(target.kind == c.kind, trace);
        PivotDefinition edited = d;
        QVERIFY2(pivot::PivotCommandEdit::Sort(edited, target, pivot::SortDirection::Descending), trace);
        const pivot::PivotFieldSet* sorted = edited.FindFieldSet(c.sorted);
        QVERIFY2(sorted && sorted->sort.IsActive(), trace);
        QVERIFY2(sorted->sort.byTotal == c.byTotal, trace);
        PivotDefinition toggled = d;
        const bool hasFieldSet = c.kind == Kind::FieldSet;
        QVERIFY2(pivot::PivotCommandEdit::ToggleSubtotals(toggled, target), trace);
        const pivot::PivotFieldSet* switched
            = toggled.FindFieldSet(hasFieldSet ? c.name : std::string(d.rowAxis.front().uniqueName));
        QVERIFY2(switched && !switched->subtotals, trace);
    }
}

void PivotGridLookTest::selectedChipTakesTheTablesCommands()
{
    PivotDefinition view = m_view;
    view.rowAxis.front().sort = {};
    m_session->SetDefinition(view);
    QVERIFY(WaitForLayout());
    PivotGrid* grid = m_table->Grid();
    // The grid's current cell is a year: a sort would act on Time.
    QTest::mouseClick(
        grid->viewport(), Qt::LeftButton, {}, grid->CellRect(0, m_session->Layout().HeaderColumns()).center());
    QCOMPARE(m_table->SelectionTarget().fieldSet, std::string("[Time]"));

    // A click on the Product chip makes it the target.
    pivot::PivotAreaBar* rows = m_table->AreaBar(AxisKind::Row);
    const pivot::PivotAreaBar::Chip* chip = rows->FindChip("[Product]");
    QVERIFY(chip);
    QTest::mouseClick(rows, Qt::LeftButton, {}, chip->rect.center() - QPoint(chip->rect.width() / 4, 0));
    QCOMPARE(rows->CurrentIndex(), 0);
    QCOMPARE(m_table->SelectionTarget().kind, PivotSelectionTarget::Kind::FieldSet);
    QCOMPARE(m_table->SelectionTarget().fieldSet, std::string("[Product]"));
    QVERIFY(m_table->ExecuteCommand(PivotCommand::SortDescending));
    QVERIFY(WaitForLayout());
    QVERIFY(m_session->Definition().rowAxis.front().sort.IsActive());
    QVERIFY(!m_session->Definition().columnAxis.front().sort.IsActive());
    // It stays the target after the new layout, and its subtotals switch.
    QVERIFY(m_table->ExecuteCommand(PivotCommand::Subtotals));
    QVERIFY(WaitForLayout());
    QVERIFY(!m_session->Definition().rowAxis.front().subtotals);
    QVERIFY(m_session->Definition().columnAxis.front().subtotals);
    Shot(m_table.get(), "look-chip-selected.png");

    // The arrows move to the next chip on a focused bar; the values bar's chip is a total.
    pivot::PivotAreaBar* data = m_table->AreaBar(AxisKind::Data);
    QTest::mouseClick(data, Qt::LeftButton, {}, data->Chips().front().rect.center());
    QCOMPARE(m_table->SelectionTarget().kind, PivotSelectionTarget::Kind::Total);
    QCOMPARE(rows->CurrentIndex(), -1);

    // A click in the grid gives the target back to the grid's cell.
    QTest::mouseClick(
        grid->viewport(), Qt::LeftButton, {}, grid->CellRect(0, m_session->Layout().HeaderColumns()).center());
    QCOMPARE(m_table->SelectionTarget().fieldSet, std::string("[Time]"));
    QCOMPARE(data->CurrentIndex(), -1);
}

QTEST_MAIN(PivotGridLookTest)
#include "PivotGridLookTest.moc"
