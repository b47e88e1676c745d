// The pivot table on the sample cube (SampleRows() fact rows, 10 million by default), through
// the path the user's actions take: the edited definition goes to the session, whose worker
// builds the MDX, runs it on the engine and lays the answer out; the grid measures its
// columns when the layout arrives and paints its viewport (offscreen). Wall times, since the
// query runs on the session's worker thread; the engine's result cache is cleared before
// every timed run, so each query is answered from the stored rows.
//
//   BM_DropField       a field dropped on the columns: re-query and repaint of a view of
//                      about 1e4 cells (goal: under 100 ms)
//   BM_ScrollView      one scroll step and the repaint of a view of about 1e6 cells
//                      (goal: under 16 ms)
//   BM_OpenDefinition  a saved definition put as XMLData to the first paint of its grid
//                      (goal: under 200 ms); the first open, cube file read included, is
//                      reported as first_open_ms
//   BM_LargeViewMemory what a view of about 1e6 cells holds once shown (goal: under 200 MB)
#include "BenchSample.h"

#include "control/pivot/PivotCubeFields.h"
#include "control/pivot/PivotGrid.h"
#include "control/pivot/PivotLayoutEdit.h"
#include "control/pivot/PivotSession.h"
#include "control/pivot/PivotTableWidget.h"
#include "control/pivot/model/PivotMdxBuilder.h"
#include "control/pivot/model/PivotXml.h"
#include "control/vantorel/PivotComponent.h"

#include "olap/access/Connection.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>

namespace {

using pivotbench::Megabytes;
using pivotbench::MemoryUse;

constexpr int kViewWidth = 1280;
constexpr int kViewHeight = 800;

pivot::PivotFieldSet FieldSet(const std::string& name, const std::vector<std::string>& levels, int expandedLevels)
{
    pivot::PivotFieldSet fieldSet;
    fieldSet.uniqueName = "[" + name + "]";
    fieldSet.caption = name;
    for (const std::string& level : levels)
        fieldSet.fields.push_back({"[" + name + "].[" + level + "]", level, true, false});
    for (int i = 0; i < expandedLevels; ++i)
        fieldSet.fields[static_cast<std::size_t>(i)].isExpanded = true;
    return fieldSet;
}

//! Every product (categories and subcategories expanded) down the rows, years by quarters
//! across, unit sales: 240 rows by 16 columns.
pivot::PivotDefinition BeforeDrop()
{
    pivot::PivotDefinition d;
    d.connectionString = pivotbench::SampleConnectionString();
    d.dataMember = "Sales";
    d.rowAxis = {FieldSet("Product", {"Category", "Subcategory", "Product"}, 2)};
    pivot::PivotFieldSet time = FieldSet("Time", {"Year", "Quarter", "Month"}, 1);
    time.fields[2].isIncluded = false;
    d.columnAxis = {time};
    d.totals = {{"[Measures].[Unit Sales]", "", "", "", true}};
    return d;
}

//! The customer hierarchy as the field list offers it.
pivot::PivotCubeFields::Hierarchy Customer()
{
    return {"[Customer]", "Customer", {{"[Customer].[Gender]", "Gender"}}};
}

//! BeforeDrop with the customers' gender dropped on the columns: 240 rows by 48 columns.
pivot::PivotDefinition AfterDrop()
{
    pivot::PivotDefinition d = BeforeDrop();
    if (!pivot::PivotLayoutEdit::PlaceFieldSet(d, Customer(), pivot::AxisKind::Column, -1))
        throw std::runtime_error("the customer field set cannot be placed");
    return d;
}

//! Products by stores (every level expanded) down the rows, years, quarters and months by
//! gender across, unit sales: about 6,000 rows by 156 columns.
pivot::PivotDefinition LargeView()
{
    pivot::PivotDefinition d;
    d.connectionString = pivotbench::SampleConnectionString();
    d.dataMember = "Sales";
    d.rowAxis = {FieldSet("Product", {"Category", "Subcategory", "Product"}, 2),
        FieldSet("Store", {"Country", "City", "Store"}, 2)};
    d.columnAxis = {FieldSet("Time", {"Year", "Quarter", "Month"}, 2), FieldSet("Customer", {"Gender"}, 0)};
    d.totals = {{"[Measures].[Unit Sales]", "", "", "", true}};
    return d;
}

//! The connection the session's queries run on (the cube file is read once).
std::shared_ptr<olap::Connection> SampleConnection()
{
    static std::shared_ptr<olap::Connection> connection
        = olap::Connection::Connect(pivotbench::SampleConnectionString());
    return connection;
}

//! Nanoseconds the session's queries spent in the engine (ExecuteMdx), summed.
std::atomic<std::int64_t> g_engineNanoseconds {0};

void UseConnection(pivot::PivotSession& session, std::shared_ptr<olap::Connection> connection)
{
    session.SetCancellableExecutor([connection](const std::string& mdx, const olap::CancellationToken& token) {
        olap::QueryOptions options;
        options.cancel = &token;
        const auto start = std::chrono::steady_clock::now();
        olap::QueryResult result = connection->ExecuteMdx(mdx, options);
        g_engineNanoseconds
            += std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - start).count();
        return result;
    });
}

//! Runs the event loop until SESSION shows a new layout; throws when the query fails.
void WaitForLayout(pivot::PivotSession& session)
{
    QEventLoop loop;
    QString error;
    QObject::connect(&session, &pivot::PivotSession::layoutChanged, &loop, &QEventLoop::quit);
    QObject::connect(&session, &pivot::PivotSession::failed, &loop, [&](const QString& message) {
        error = message;
        loop.quit();
    });
    loop.exec();
    if (!error.isEmpty())
        throw std::runtime_error(error.toStdString());
}

//! Paints GRID's viewport as the screen would.
void Paint(pivot::PivotGrid& grid, QImage& frame)
{
    QPainter painter(&frame);
    grid.viewport()->render(&painter);
}

QImage Frame(const pivot::PivotGrid& grid)
{
    return QImage(grid.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
}

//! With LUMETRA_BENCH_MDX set, prints the statements the views send (to run them on their own).
void PrintStatements()
{
    static std::once_flag printed;
    std::call_once(printed, [] {
        if (!std::getenv("LUMETRA_BENCH_MDX"))
            return;
        std::fprintf(stderr, "before drop:\n%s\n\nafter drop:\n%s\n\nlarge view:\n%s\n\n",
            pivot::PivotMdxBuilder::Build(BeforeDrop()).c_str(), pivot::PivotMdxBuilder::Build(AfterDrop()).c_str(),
            pivot::PivotMdxBuilder::Build(LargeView()).c_str());
    });
}

void BM_DropField(benchmark::State& state)
{
    PrintStatements();
    const auto connection = SampleConnection();
    pivot::PivotSession session;
    UseConnection(session, connection);
    pivot::PivotGrid grid(&session);
    grid.resize(kViewWidth, kViewHeight);
    QImage frame = Frame(grid);
    const pivot::PivotDefinition before = BeforeDrop();
    std::int64_t engine = 0;
    for (auto _ : state) {
        state.PauseTiming();
        session.SetDefinition(before);
        WaitForLayout(session);
        Paint(grid, frame);
        connection->ClearCache();
        const std::int64_t engineBefore = g_engineNanoseconds;
        state.ResumeTiming();

        // What the area bar does with a field released on it.
        pivot::PivotDefinition edited = session.Definition();
        pivot::PivotLayoutEdit::PlaceFieldSet(edited, Customer(), pivot::AxisKind::Column, -1);
        session.SetDefinition(std::move(edited));
        WaitForLayout(session);
        Paint(grid, frame);
        engine += g_engineNanoseconds - engineBefore;
    }
    const pivot::PivotLayout& layout = session.Layout();
    state.counters["cells"] = static_cast<double>(layout.ValueRows()) * layout.ValueColumns();
    state.counters["engine_ms"] = static_cast<double>(engine) / 1e6 / static_cast<double>(state.iterations());
}
BENCHMARK(BM_DropField)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime()->MinTime(2.0);

//! The large view's session, grid and layout, made once (the query takes a while at 1e7).
struct LargeGrid {
    pivot::PivotSession session;
    std::unique_ptr<pivot::PivotGrid> grid;
    double seconds = 0;

    LargeGrid()
    {
        UseConnection(session, SampleConnection());
        grid = std::make_unique<pivot::PivotGrid>(&session);
        grid->resize(kViewWidth, kViewHeight);
        QElapsedTimer timer;
        timer.start();
        session.SetDefinition(LargeView());
        WaitForLayout(session);
        seconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
    }
};

LargeGrid& Large()
{
    static LargeGrid large;
    return large;
}

void BM_ScrollView(benchmark::State& state)
{
    pivot::PivotGrid& grid = *Large().grid;
    QImage frame = Frame(grid);
    QScrollBar* down = grid.verticalScrollBar();
    QScrollBar* across = grid.horizontalScrollBar();
    int step = 0;
    for (auto _ : state) {
        // Wheel steps of three lines down, and every tenth frame a page across.
        down->setValue((down->value() + 3 * down->singleStep()) % std::max(1, down->maximum()));
        if (++step % 10 == 0)
            across->setValue((across->value() + across->pageStep()) % std::max(1, across->maximum()));
        Paint(grid, frame);
    }
    const pivot::PivotLayout& layout = Large().session.Layout();
    state.counters["cells"] = static_cast<double>(layout.ValueRows()) * layout.ValueColumns();
    state.counters["query_and_layout_s"] = Large().seconds;
}
BENCHMARK(BM_ScrollView)->Unit(benchmark::kMillisecond)->UseRealTime();

//! The pivot's own share of showing an answer DEFINITION got: the layout, the grid's column
//! measuring and the first paint, without the engine (the answer is copied in untimed).
void ShowAnswer(benchmark::State& state, const pivot::PivotDefinition& definition, const olap::CellSet& answer)
{
    pivot::PivotSession session;
    pivot::PivotGrid grid(&session);
    grid.resize(kViewWidth, kViewHeight);
    QImage frame = Frame(grid);
    for (auto _ : state) {
        state.PauseTiming();
        olap::CellSet copy = answer;
        state.ResumeTiming();
        session.ShowLayout(definition, pivot::PivotLayout(definition, std::move(copy)));
        Paint(grid, frame);
    }
    state.counters["cells"] = static_cast<double>(answer.cells.size());
}

void BM_DropFieldPivotShare(benchmark::State& state)
{
    const pivot::PivotDefinition definition = AfterDrop();
    static const olap::CellSet answer
        = SampleConnection()->ExecuteMdx(pivot::PivotMdxBuilder::Build(definition)).cellSet;
    ShowAnswer(state, definition, answer);
}
BENCHMARK(BM_DropFieldPivotShare)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();

void BM_LargeViewPivotShare(benchmark::State& state)
{
    ShowAnswer(state, Large().session.ShownDefinition(), Large().session.Layout().Result());
}
BENCHMARK(BM_LargeViewPivotShare)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();

void BM_OpenDefinition(benchmark::State& state)
{
    const QString text = QString::fromStdString(pivot::PivotXml::Write(AfterDrop()));
    vantorel::PivotComponent component;
    QWidget host;
    host.resize(kViewWidth, kViewHeight);
    pivot::PivotTableWidget* table = component.Table(&host);
    table->resize(host.size());
    host.show();
    pivot::PivotGrid& grid = *table->Grid();

    auto open = [&] {
        if (!component.SetXmlData(text))
            throw std::runtime_error(component.LastError().toStdString());
        WaitForLayout(component.Session());
        QImage frame = Frame(grid);
        Paint(grid, frame);
    };
    QElapsedTimer first;
    first.start();
    open();
    const double firstOpen = static_cast<double>(first.nsecsElapsed()) / 1e6;

    for (auto _ : state) {
        state.PauseTiming();
        component.QueryConnection()->ClearCache();
        state.ResumeTiming();
        open();
    }
    // The engine's share: the same statement on the same connection, cold, on this thread.
    const std::string mdx = pivot::PivotMdxBuilder::Build(component.Session().ShownDefinition());
    double engine = 0;
    for (int i = 0; i < 3; ++i) {
        component.QueryConnection()->ClearCache();
        QElapsedTimer timer;
        timer.start();
        benchmark::DoNotOptimize(component.QueryConnection()->ExecuteMdx(mdx));
        engine += static_cast<double>(timer.nsecsElapsed()) / 3e6;
    }
    const pivot::PivotLayout& layout = component.Session().Layout();
    state.counters["cells"] = static_cast<double>(layout.ValueRows()) * layout.ValueColumns();
    state.counters["first_open_ms"] = firstOpen;
    state.counters["engine_ms"] = engine;
}
BENCHMARK(BM_OpenDefinition)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime()->MinTime(2.0);

void BM_LargeViewMemory(benchmark::State& state)
{
    const auto connection = SampleConnection();
    MemoryUse before;
    MemoryUse shown;
    MemoryUse kept;
    double cells = 0;
    for (auto _ : state) {
        pivot::PivotSession session;
        UseConnection(session, connection);
        pivot::PivotGrid grid(&session);
        grid.resize(kViewWidth, kViewHeight);
        QImage frame = Frame(grid);
        connection->ClearCache();
        MemoryUse::ResetPeak();
        before = MemoryUse::Now();
        session.SetDefinition(LargeView());
        WaitForLayout(session);
        Paint(grid, frame);
        shown = MemoryUse::Now();
        // The engine's cached aggregations belong to the cube, not to the view.
        connection->ClearCache();
        kept = MemoryUse::Now();
        cells = static_cast<double>(session.Layout().ValueRows()) * session.Layout().ValueColumns();
    }
    state.counters["cells"] = cells;
    state.counters["view_heap_MB"] = Megabytes(kept.heapInUse) - Megabytes(before.heapInUse);
    state.counters["view_rss_MB"] = Megabytes(shown.resident) - Megabytes(before.resident);
    state.counters["peak_rss_MB"] = Megabytes(shown.peakResident) - Megabytes(before.resident);
}
BENCHMARK(BM_LargeViewMemory)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

} // namespace
