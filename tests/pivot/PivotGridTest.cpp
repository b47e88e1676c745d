// The painted pivot grid over the sample cube, driven by real clicks and keys: expand and
// collapse through the glyph, a double click and the keyboard; selection by mouse and keys;
// the clipboard contents of a selection cutting a merged header; the working state, Escape
// cancelling a long query, stale answers dropped and failures keeping the view.
#include "control/pivot/PivotGrid.h"
#include "control/pivot/PivotSession.h"
#include "control/pivot/model/PivotXml.h"

#include "olap/access/Connection.h"
#include "olap/query/QueryCancelled.h"
#include "olap/sample/SalesSample.h"

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QMimeData>
#include <QProcess>
#include <QScrollBar>
#include <QSet>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <chrono>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <thread>

using pivot::PivotGrid;
using pivot::PivotSession;

namespace {

std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

//! Grid coordinates of the sample view (Product rows with Drink expanded, years on columns):
//! two header rows and two header columns, then Food, Drink's total and its four children.
constexpr int kFoodRow = 2;
constexpr int kDrinkRow = 3;

} // namespace

class PivotGridTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void expandAndCollapse();
    void selectionByMouseAndKeys();
    void copyKeepsMergedHeaders();
    void escapeCancelsLongQuery();
    void cancelAndNewerRequestsStopTheRunningQuery();
    void failedQueryKeepsView();
    void reportRendersPng();
    void headersStayFrozenWhenScrolled();
    void rawQueryShownReadOnly();
    void colorRulesPaintValueCells();
    void filteredViewShot();

private:
    void WaitForLayout();
    QPoint CellCenter(int row, int column) const { return m_grid->CellRect(row, column).center(); }

    QTemporaryDir m_dir;
    pivot::PivotDefinition m_view;
    std::shared_ptr<olap::Connection> m_connection;
    std::unique_ptr<PivotSession> m_session;
    std::unique_ptr<PivotGrid> m_grid;
};

void PivotGridTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    const std::string dir = m_dir.path().toStdString();
    olap::SalesSample::WriteAll(dir, 3000, 7);
    std::string text = ReadText(PIVOT_TEST_DATA "/data/sales-view.xml");
    text.replace(text.find("@CUBE@"), 6, dir + "/Sales.cub");
    m_view = pivot::PivotXml::Read(text);
    m_connection = olap::Connection::Connect(m_view.connectionString);
}

void PivotGridTest::init()
{
    m_session = std::make_unique<PivotSession>();
    auto connection = m_connection;
    m_session->SetExecutor([connection](const std::string& mdx) { return connection->ExecuteMdx(mdx); });
    m_grid = std::make_unique<PivotGrid>(m_session.get());
    m_grid->resize(640, 360);
    m_grid->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_grid.get()));
}

void PivotGridTest::cleanup()
{
    m_grid.reset();
    m_session.reset();
}

void PivotGridTest::WaitForLayout()
{
    QSignalSpy changed(m_session.get(), &PivotSession::layoutChanged);
    QVERIFY(changed.wait(10000));
    QVERIFY(!m_session->IsWorking());
}

void PivotGridTest::expandAndCollapse()
{
    m_session->SetDefinition(m_view);
    WaitForLayout();
    QCOMPARE(m_session->Layout().RowCount(), 10);
    QCOMPARE(QString::fromStdString(m_session->Layout().Cell(kFoodRow, 0).text), QStringLiteral("Food"));

    // A click on Food's glyph expands that member and re-queries.
    QWidget* viewport = m_grid->viewport();
    QVERIFY(!m_grid->GlyphRect(kFoodRow, 0).isEmpty());
    QTest::mouseClick(viewport, Qt::LeftButton, {}, m_grid->GlyphRect(kFoodRow, 0).center());
    QVERIFY(m_session->IsWorking());
    WaitForLayout();
    const auto& product = m_session->ShownDefinition().rowAxis.front();
    QVERIFY(product.IsExpanded("[Product].[Food]"));
    const int expandedRows = m_session->Layout().RowCount();
    QVERIFY(expandedRows > 10);
    QVERIFY(m_session->Layout().Cell(kFoodRow, 0).header->isExpanded);

    // A double click on Drink (whose caption spans its children) collapses it.
    int drinkRow = -1;
    for (int r = 2; r < m_session->Layout().RowCount() && drinkRow < 0; ++r) {
        if (m_session->Layout().Cell(r, 0).text == "Drink")
            drinkRow = m_session->Layout().Cell(r, 0).anchorRow;
    }
    QVERIFY(drinkRow > kFoodRow);
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, CellCenter(drinkRow, 0) + QPoint(20, 0));
    WaitForLayout();
    QVERIFY(!m_session->ShownDefinition().rowAxis.front().IsExpanded("[Product].[Drink]"));
    QCOMPARE(m_session->Layout().RowCount(), expandedRows - 4);

    // The keyboard: '-' collapses the member under the current cell, '+' does nothing to a
    // collapsed member's neighbour value cell, Enter toggles.
    m_grid->SetCurrentCell(kFoodRow, 0);
    QTest::keyClick(m_grid.get(), Qt::Key_Minus);
    WaitForLayout();
    QCOMPARE(m_session->Layout().RowCount(), 6);
    m_grid->SetCurrentCell(kFoodRow, 2);
    QTest::keyClick(m_grid.get(), Qt::Key_Plus);
    QVERIFY(!m_session->IsWorking());
    m_grid->SetCurrentCell(kFoodRow, 0);
    QTest::keyClick(m_grid.get(), Qt::Key_Return);
    WaitForLayout();
    QCOMPARE(m_session->Layout().RowCount(), expandedRows - 4);
}

void PivotGridTest::selectionByMouseAndKeys()
{
    m_session->SetDefinition(m_view);
    WaitForLayout();
    QSignalSpy selection(m_grid.get(), &PivotGrid::selectionChanged);
    QWidget* viewport = m_grid->viewport();

    struct Step {
        const char* name;
        std::function<void()> act;
        QRect expected; // columns as x, rows as y
    };
    const int lastRow = m_session->Layout().RowCount() - 1;
    const int lastColumn = m_session->Layout().ColumnCount() - 1;
    const std::vector<Step> steps = {
        {"click", [&] { QTest::mouseClick(viewport, Qt::LeftButton, {}, CellCenter(4, 2)); }, QRect(2, 4, 1, 1)},
        {"shift click", [&] { QTest::mouseClick(viewport, Qt::LeftButton, Qt::ShiftModifier, CellCenter(6, 4)); },
            QRect(QPoint(2, 4), QPoint(4, 6))},
        {"arrow moves", [&] { QTest::keyClick(m_grid.get(), Qt::Key_Right); }, QRect(5, 6, 1, 1)},
        {"right stops at the edge", [&] { QTest::keyClick(m_grid.get(), Qt::Key_Right); }, QRect(5, 6, 1, 1)},
        {"shift up extends", [&] { QTest::keyClick(m_grid.get(), Qt::Key_Up, Qt::ShiftModifier); },
            QRect(QPoint(5, 5), QPoint(5, 6))},
        {"home goes to the row start", [&] { QTest::keyClick(m_grid.get(), Qt::Key_Home); }, QRect(0, 5, 1, 1)},
        {"ctrl end goes to the last cell", [&] { QTest::keyClick(m_grid.get(), Qt::Key_End, Qt::ControlModifier); },
            QRect(lastColumn, lastRow, 1, 1)},
        {"ctrl home goes to the first value", [&] { QTest::keyClick(m_grid.get(), Qt::Key_Home, Qt::ControlModifier); },
            QRect(2, 2, 1, 1)},
        {"page down stops at the last row", [&] { QTest::keyClick(m_grid.get(), Qt::Key_PageDown); },
            QRect(2, lastRow, 1, 1)},
        {"ctrl a selects all", [&] { QTest::keyClick(m_grid.get(), Qt::Key_A, Qt::ControlModifier); },
            QRect(QPoint(0, 0), QPoint(lastColumn, lastRow))},
    };
    for (const Step& step : steps) {
        const auto before = selection.count();
        step.act();
        QVERIFY2(m_grid->Selection() == step.expected,
            qPrintable(QStringLiteral("%1: %2,%3 %4x%5")
                           .arg(step.name)
                           .arg(m_grid->Selection().x())
                           .arg(m_grid->Selection().y())
                           .arg(m_grid->Selection().width())
                           .arg(m_grid->Selection().height())));
        if (step.expected != QRect(5, 6, 1, 1) || std::string(step.name) == "arrow moves")
            QVERIFY2(selection.count() > before, step.name);
    }
}

void PivotGridTest::copyKeepsMergedHeaders()
{
    m_session->SetDefinition(m_view);
    WaitForLayout();
    // From Drink's second child across to 2023: cuts the merged Drink caption.
    QWidget* viewport = m_grid->viewport();
    QTest::mouseClick(viewport, Qt::LeftButton, {}, CellCenter(kDrinkRow + 2, 0) + QPoint(20, 0));
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::ShiftModifier, CellCenter(kDrinkRow + 4, 3));
    QTest::keyClick(m_grid.get(), Qt::Key_C, Qt::ControlModifier);
    const QMimeData* data = QApplication::clipboard()->mimeData();
    QVERIFY(data && data->hasHtml() && data->hasText());
    QCOMPARE(data->text(),
        QStringLiteral("Drink\tJuice\t16\t35\r\nDrink\tBeer and Wine\t44\t19\r\nDrink\tHot Beverages\t22\t18\r\n"));
    QVERIFY2(
        data->html().contains(QStringLiteral("<th rowspan=\"3\">Drink</th><th>Juice</th>")), qPrintable(data->html()));

    // Totals are bold and raw numbers lose their grouping in the text.
    m_grid->SetCurrentCell(m_session->Layout().RowCount() - 1, m_session->Layout().ColumnCount() - 1);
    QTest::keyClick(m_grid.get(), Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->mimeData()->text(), QStringLiteral("1370\r\n"));
    QVERIFY(QApplication::clipboard()->mimeData()->html().contains(QStringLiteral("<b>1,370</b>")));

    // Tooltips: a value names the members behind it, a header its unique name.
    QVERIFY(m_grid->ToolTip(kDrinkRow + 2, 3).startsWith(QStringLiteral("Juice / 2023 / Units\n35\n")));
    QVERIFY(m_grid->ToolTip(m_session->Layout().RowCount() - 1, m_session->Layout().ColumnCount() - 1)
                .startsWith(QStringLiteral("Total / Total / Units\n1,370 (1370)\n")));
    QCOMPARE(m_grid->ToolTip(kDrinkRow + 2, 1), QStringLiteral("Juice\n[Product].[Drink].[Juice]"));
}

void PivotGridTest::escapeCancelsLongQuery()
{
    m_session->SetDefinition(m_view);
    WaitForLayout();
    const int rows = m_session->Layout().RowCount();

    // A query that blocks until released stands in for a long one.
    auto release = std::make_shared<std::atomic<bool>>(false);
    auto calls = std::make_shared<std::atomic<int>>(0);
    auto connection = m_connection;
    cleanup();
    init();
    m_session->SetExecutor([connection, release, calls](const std::string& mdx) {
        ++*calls;
        while (!release->load())
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return connection->ExecuteMdx(mdx);
    });
    QSignalSpy changed(m_session.get(), &PivotSession::layoutChanged);
    m_session->SetDefinition(m_view);
    QVERIFY(m_session->IsWorking());
    QVERIFY(!m_grid->ShowsWorking());
    QTRY_VERIFY_WITH_TIMEOUT(m_grid->ShowsWorking(), 5000);

    QTest::keyClick(m_grid.get(), Qt::Key_Escape);
    QVERIFY(!m_session->IsWorking());
    QVERIFY(!m_grid->ShowsWorking());
    QCOMPARE(m_session->Definition(), m_session->ShownDefinition());
    release->store(true);
    // The cancelled answer arrives and is dropped.
    QTest::qWait(300);
    QCOMPARE(changed.count(), 0);
    QVERIFY(!m_session->HasLayout());

    // Two requests in a row: only the newer one's answer is shown.
    m_session->SetDefinition(m_view);
    auto expanded = m_view;
    expanded.rowAxis.front().SetExpanded("[Product].[Food]", true);
    m_session->SetDefinition(expanded);
    QTRY_COMPARE_WITH_TIMEOUT(changed.count(), 1, 10000);
    QVERIFY(calls->load() >= 2);
    QTest::qWait(200);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(m_session->ShownDefinition(), expanded);
    QVERIFY(m_session->Layout().RowCount() > rows);
}

void PivotGridTest::cancelAndNewerRequestsStopTheRunningQuery()
{
    // A query that runs until its token is cancelled stands in for a long engine query: it ends
    // only if the session trips the token (otherwise the worker would never be free again).
    auto started = std::make_shared<std::atomic<int>>(0);
    auto stopped = std::make_shared<std::atomic<int>>(0);
    auto connection = m_connection;
    m_session->SetCancellableExecutor([connection, started, stopped](const std::string& mdx,
                                          const olap::CancellationToken& token) -> olap::QueryResult {
        if (mdx.find("[Product].[Food]") != std::string::npos)
            return connection->ExecuteMdx(mdx);
        ++*started;
        while (!token.IsCancelled())
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        ++*stopped;
        throw olap::QueryCancelled();
    });
    QSignalSpy changed(m_session.get(), &PivotSession::layoutChanged);
    QSignalSpy failed(m_session.get(), &PivotSession::failed);

    m_session->SetDefinition(m_view);
    QTRY_VERIFY_WITH_TIMEOUT(m_grid->ShowsWorking(), 5000);
    QTest::keyClick(m_grid.get(), Qt::Key_Escape);
    QTRY_COMPARE_WITH_TIMEOUT(stopped->load(), 1, 5000);

    // A newer request stops the one still running; only the newer answer is shown.
    m_session->SetDefinition(m_view);
    QTRY_COMPARE_WITH_TIMEOUT(started->load(), 2, 5000);
    auto expanded = m_view;
    expanded.rowAxis.front().SetExpanded("[Product].[Food]", true);
    m_session->SetDefinition(expanded);
    QTRY_COMPARE_WITH_TIMEOUT(stopped->load(), 2, 5000);
    QTRY_COMPARE_WITH_TIMEOUT(changed.count(), 1, 10000);
    QCOMPARE(m_session->ShownDefinition(), expanded);
    QCOMPARE(failed.count(), 0);
}

void PivotGridTest::failedQueryKeepsView()
{
    m_session->SetDefinition(m_view);
    WaitForLayout();
    const int rows = m_session->Layout().RowCount();
    QSignalSpy failed(m_session.get(), &PivotSession::failed);
    auto broken = m_view;
    broken.rowAxis.front().uniqueName = "[NoSuchHierarchy]";
    broken.rowAxis.front().fields.front().uniqueName = "[NoSuchHierarchy].[Level]";
    m_session->SetDefinition(broken);
    QVERIFY(failed.wait(10000));
    QVERIFY(!m_session->IsWorking());
    QVERIFY(!m_session->LastError().isEmpty());
    QCOMPARE(m_session->Layout().RowCount(), rows);
    QCOMPARE(m_session->Definition(), m_view);
}

void PivotGridTest::reportRendersPng()
{
    const QString view = m_dir.filePath(QStringLiteral("view.xml"));
    {
        std::ofstream out(view.toStdString(), std::ios::binary);
        out << pivot::PivotXml::Write(m_view);
    }
    const QString png = m_dir.filePath(QStringLiteral("view.png"));
    QProcess report;
    report.start(QStringLiteral(LUMETRA_REPORT), {"render", view, "--format", "png", "--out", png});
    QVERIFY(report.waitForFinished(60000));
    QVERIFY2(report.exitCode() == 0, report.readAllStandardError().constData());
    QVERIFY(report.readAllStandardOutput().isEmpty());

    // The whole grid at the widget's own measure, with dark text on light cells.
    const QImage image(png);
    QVERIFY(!image.isNull());
    m_session->SetDefinition(m_view);
    WaitForLayout();
    QCOMPARE(image.size(), m_grid->FullSize());
    QSet<QRgb> colours;
    int dark = 0;
    for (int y = 0; y < image.height(); y += 2) {
        for (int x = 0; x < image.width(); x += 2) {
            const QRgb pixel = image.pixel(x, y);
            colours.insert(pixel);
            dark += qGray(pixel) < 96 ? 1 : 0;
        }
    }
    QVERIFY(colours.size() > 8);
    QVERIFY(dark > 200);

    // png goes to --out only.
    report.start(QStringLiteral(LUMETRA_REPORT), {"render", view, "--format", "png"});
    QVERIFY(report.waitForFinished(60000));
    QCOMPARE(report.exitCode(), 1);
    QVERIFY(report.readAllStandardError().contains("png needs --out"));
}

void PivotGridTest::headersStayFrozenWhenScrolled()
{
    // Every category drilled to subcategories, months under quarters under years, two totals.
    auto view = m_view;
    view.rowAxis.front().fields[0].isExpanded = true;
    auto& time = view.columnAxis.front();
    time.fields = {{"[Time].[Year]", "Year", true, true}, {"[Time].[Quarter]", "Quarter", true, true},
        {"[Time].[Month]", "Month", true, false}};
    view.totals.push_back({"[Measures].[Store Sales]", "Sales", "", "#,##0.00", true});
    m_session->SetDefinition(view);
    WaitForLayout();
    const pivot::PivotLayout& layout = m_session->Layout();
    QVERIFY(layout.ColumnCount() > 40);
    QVERIFY(layout.RowCount() > 15);

    m_grid->resize(420, 240);
    m_grid->verticalScrollBar()->setValue(m_grid->verticalScrollBar()->maximum() / 2);
    m_grid->horizontalScrollBar()->setValue(m_grid->horizontalScrollBar()->maximum() / 2);
    QVERIFY(m_grid->verticalScrollBar()->value() > 0 && m_grid->horizontalScrollBar()->value() > 0);
    const int frozenHeight = m_grid->CellRect(layout.HeaderRows() - 1, 0).bottom() + 1;
    const int frozenWidth = m_grid->CellRect(0, layout.HeaderColumns() - 1).right() + 1;

    struct Probe {
        const char* name;
        QPoint point;
        bool header_row; // lands in a column header row
        bool header_column; // lands in a row header column
    };
    const Probe probes[] = {
        {"corner", {2, 2}, true, true},
        {"column headers", {frozenWidth + 10, 2}, true, false},
        {"row headers", {2, frozenHeight + 2}, false, true},
        {"values", {frozenWidth + 10, frozenHeight + 2}, false, false},
    };
    for (const Probe& probe : probes) {
        int row = -1;
        int column = -1;
        QVERIFY2(m_grid->CellAt(probe.point, &row, &column), probe.name);
        QVERIFY2((row < layout.HeaderRows()) == probe.header_row, probe.name);
        QVERIFY2((column < layout.HeaderColumns()) == probe.header_column, probe.name);
        // Scrolled bands start past the scrolled-off part, frozen ones at their own place.
        if (!probe.header_row)
            QVERIFY2(row > layout.HeaderRows(), probe.name);
        if (!probe.header_column)
            QVERIFY2(column > layout.HeaderColumns(), probe.name);
    }
    // A column header keeps its row; a merged year header starting off screen reaches into view.
    int row = -1;
    int column = -1;
    QVERIFY(m_grid->CellAt({frozenWidth + 10, 2}, &row, &column));
    QCOMPARE(m_grid->CellRect(row, column).top(), 0);
    QVERIFY(m_grid->CellRect(row, column).left() < frozenWidth);

    if (const QByteArray shot = qgetenv("PIVOT_GRID_SHOT"); !shot.isEmpty())
        m_grid->grab().save(QString::fromLocal8Bit(shot));
}

namespace {

//! Saves a picture of WIDGET as NAME in $PIVOT_SHOT_DIR when that is set.
void Shot(QWidget* widget, const char* name)
{
    if (const QByteArray dir = qgetenv("PIVOT_SHOT_DIR"); !dir.isEmpty())
        widget->grab().save(QString::fromLocal8Bit(dir) + QLatin1Char('/') + QLatin1String(name));
}

} // namespace

void PivotGridTest::rawQueryShownReadOnly()
{
    // A statement of no pivot shape: two hierarchies crossed on rows, a member with its
    // children, NON EMPTY, two measures across.
    pivot::PivotDefinition raw;
    raw.connectionString = m_view.connectionString;
    raw.commandText = "SELECT {[Measures].[Unit Sales], [Measures].[Store Sales]} ON COLUMNS, NON EMPTY "
                      "CrossJoin({[Product].[Drink], [Product].[Drink].Children, [Product].[Food]}, "
                      "[Customer].[Gender].Members) ON ROWS FROM [Sales]";
    m_session->SetDefinition(raw);
    WaitForLayout();
    const pivot::PivotLayout& layout = m_session->Layout();
    QVERIFY(layout.IsRawQuery());
    // Category, Subcategory and Gender bands; a header row for the measures.
    QCOMPARE(layout.HeaderColumns(), 3);
    QCOMPARE(layout.HeaderRows(), 1);
    QCOMPARE(QString::fromStdString(layout.Cell(0, 3).text), QStringLiteral("Unit Sales"));
    // Drink spans its own two lines (F, M) and its children's.
    const pivot::PivotGridCell drink = layout.Cell(1, 0);
    QCOMPARE(QString::fromStdString(drink.text), QStringLiteral("Drink"));
    QVERIFY(drink.rowSpan > 2);
    QCOMPARE(QString::fromStdString(layout.Cell(1, 2).text), QStringLiteral("F"));
    QVERIFY(layout.Cell(1, 3).value.has_value());
    // Nothing can be expanded, and a double click on a header asks nothing.
    for (int r = layout.HeaderRows(); r < layout.RowCount(); ++r) {
        for (int c = 0; c < layout.HeaderColumns(); ++c)
            QVERIFY(m_grid->GlyphRect(r, c).isEmpty());
    }
    m_grid->resize(560, 420);
    QTest::mouseDClick(m_grid->viewport(), Qt::LeftButton, {}, CellCenter(1, 0));
    QVERIFY(!m_session->IsWorking());
    Shot(m_grid.get(), "raw-mdx.png");
}

void PivotGridTest::colorRulesPaintValueCells()
{
    auto view = m_view;
    view.rowAxis.front().fields[0].isExpanded = true;
    pivot::PivotColorRule scale;
    scale.total = "[Measures].[Unit Sales]";
    view.SetColorRule(scale);
    m_session->SetDefinition(view);
    WaitForLayout();
    m_grid->resize(560, 360);
    const pivot::PivotLayout& layout = m_session->Layout();
    // The lowest and highest value cells that are not totals.
    QPoint low;
    QPoint high;
    double lowValue = 1e300;
    double highValue = -1e300;
    for (int r = layout.HeaderRows(); r < layout.RowCount(); ++r) {
        for (int c = layout.HeaderColumns(); c < layout.ColumnCount(); ++c) {
            const pivot::PivotGridCell cell = layout.Cell(r, c);
            if (!cell.value || cell.isTotal || cell.isGrandTotal)
                continue;
            if (*cell.value < lowValue) {
                lowValue = *cell.value;
                low = {c, r};
            }
            if (*cell.value > highValue) {
                highValue = *cell.value;
                high = {c, r};
            }
        }
    }
    QVERIFY(highValue > lowValue);
    m_grid->ClearSelection();
    const QImage image = m_grid->viewport()->grab().toImage();
    auto colourAt = [&](const QPoint& cell) {
        const QRect rect = m_grid->CellRect(cell.y(), cell.x());
        return image.pixelColor(rect.left() + 3, rect.top() + 3);
    };
    QCOMPARE(colourAt(low), QColor(0xF8, 0x69, 0x6B));
    QCOMPARE(colourAt(high), QColor(0x63, 0xBE, 0x7B));
    // A grand total cell keeps its own tint.
    const QRect grand = m_grid->CellRect(layout.RowCount() - 1, layout.ColumnCount() - 1);
    const QColor grandColour = image.pixelColor(grand.left() + 3, grand.top() + 3);
    QVERIFY(grandColour != QColor(0x63, 0xBE, 0x7B) && grandColour != QColor(0xF8, 0x69, 0x6B));
    Shot(m_grid.get(), "colour-scale.png");

    // A data bar: the highest value's bar reaches across its cell, the lowest one's is short.
    scale.kind = pivot::PivotColorRule::Kind::DataBar;
    view.SetColorRule(scale);
    m_session->SetDefinition(view);
    WaitForLayout();
    m_grid->ClearSelection();
    const QImage bars = m_grid->viewport()->grab().toImage();
    const QRect highRect = m_grid->CellRect(high.y(), high.x());
    const QColor base = m_grid->palette().color(QPalette::Base);
    QVERIFY(bars.pixelColor(highRect.right() - 4, highRect.center().y()) != base);
    const QRect lowRect = m_grid->CellRect(low.y(), low.x());
    QCOMPARE(bars.pixelColor(lowRect.right() - 4, lowRect.top() + 1), base);
    Shot(m_grid.get(), "data-bar.png");
}

void PivotGridTest::filteredViewShot()
{
    // Categories whose caption does not begin with "d", expanded, with years across.
    auto view = m_view;
    view.rowAxis.front().fields[0].isExpanded = true;
    view.rowAxis.front().condition = {pivot::PivotConditionFilter::Kind::CaptionNotBeginsWith, "d", "", 0, 0};
    m_session->SetDefinition(view);
    WaitForLayout();
    const pivot::PivotLayout& layout = m_session->Layout();
    bool food = false;
    for (int r = layout.HeaderRows(); r < layout.RowCount(); ++r) {
        QVERIFY(layout.Cell(r, 0).text != "Drink");
        food = food || layout.Cell(r, 0).text == "Food";
    }
    QVERIFY(food);
    m_grid->resize(560, 420);
    Shot(m_grid.get(), "label-filter.png");
}

QTEST_MAIN(PivotGridTest)
#include "PivotGridTest.moc"
