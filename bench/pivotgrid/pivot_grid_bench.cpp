// The painted pivot grid on a view of about 1e6 value cells (a synthetic result): showing a
// new layout (column measuring included) and one scroll step with the repaint it causes.
// Runs offscreen; set QT_QPA_PLATFORM to draw elsewhere. The benchmarks on the sample cube
// are in pivot_grid_cube_bench.cpp; --rows=N picks the cube's size.
#include "control/pivot/PivotGrid.h"
#include "control/pivot/PivotSession.h"
#include "control/pivot/model/PivotLayout.h"

#include "olap/util/HeapTuning.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QScrollBar>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

namespace {

olap::CellSet::Member Member(std::string unique, std::string level, std::size_t children)
{
    olap::CellSet::Member m;
    m.caption = unique;
    m.uniqueName = std::move(unique);
    m.levelUniqueName = std::move(level);
    m.childCount = children;
    return m;
}

//! Products (400 categories of 24 subcategories, every category expanded) on rows, 100 stores
//! on columns, one measure: 10,001 rows by 101 columns, about 1e6 value cells.
struct LargeView {
    pivot::PivotDefinition definition;
    olap::CellSet result;

    LargeView()
    {
        definition.dataMember = "Sales";
        pivot::PivotFieldSet product;
        product.uniqueName = "[Product]";
        product.fields = {
            {"[Product].[Category]", "Category", true, true}, {"[Product].[Subcategory]", "Subcategory", true, false}};
        pivot::PivotFieldSet store;
        store.uniqueName = "[Store]";
        store.fields = {{"[Store].[Store]", "Store", true, false}};
        definition.rowAxis = {product};
        definition.columnAxis = {store};
        definition.totals = {{"[Measures].[Unit Sales]", "Units", "", "", true}};
        result.axes.resize(2);
        const auto units = Member("[Measures].[Unit Sales]", "[Measures].[MeasuresLevel]", 0);
        for (int s = 0; s < 100; ++s)
            result.axes[0].positions.push_back(
                {Member("[Store].[S" + std::to_string(s) + "]", "[Store].[Store]", 0), units});
        result.axes[0].positions.push_back({Member("[Store].[Pivot Total]", "[Store].[Store]", 0), units});
        for (int c = 0; c < 400; ++c) {
            const std::string category = "[Product].[C" + std::to_string(c) + "]";
            result.axes[1].positions.push_back({Member(category, "[Product].[Category]", 24)});
            for (int s = 0; s < 24; ++s)
                result.axes[1].positions.push_back(
                    {Member(category + ".[S" + std::to_string(s) + "]", "[Product].[Subcategory]", 0)});
        }
        result.axes[1].positions.push_back({Member("[Product].[Pivot Total]", "[Product].[Category]", 0)});
        result.cells.resize(result.axes[0].positions.size() * result.axes[1].positions.size());
        double v = 1;
        for (auto& cell : result.cells) {
            cell.value = v;
            cell.formatted = std::to_string(static_cast<long long>(v));
            v += 3;
        }
    }
};

const LargeView& View()
{
    static const LargeView view;
    return view;
}

void BM_ShowLayout(benchmark::State& state)
{
    pivot::PivotSession session;
    pivot::PivotGrid grid(&session);
    grid.resize(1280, 800);
    for (auto _ : state) {
        session.ShowLayout(View().definition, pivot::PivotLayout(View().definition, View().result));
        benchmark::DoNotOptimize(grid.FullSize());
    }
    state.counters["cells"] = static_cast<double>(View().result.cells.size());
}
BENCHMARK(BM_ShowLayout)->Unit(benchmark::kMillisecond);

void BM_ScrollAndRepaint(benchmark::State& state)
{
    pivot::PivotSession session;
    session.ShowLayout(View().definition, pivot::PivotLayout(View().definition, View().result));
    pivot::PivotGrid grid(&session);
    grid.resize(1280, 800);
    QImage frame(grid.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    int step = 0;
    for (auto _ : state) {
        // A wheel-sized step down and across, then the viewport painted as the screen would.
        grid.verticalScrollBar()->setValue((step * 60) % grid.verticalScrollBar()->maximum());
        grid.horizontalScrollBar()->setValue((step * 40) % grid.horizontalScrollBar()->maximum());
        ++step;
        QPainter painter(&frame);
        grid.viewport()->render(&painter);
    }
}
BENCHMARK(BM_ScrollAndRepaint)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    // --rows=N picks the sample cube of N fact rows (the engine benchmarks' LUMETRA_PIVOT_ROWS).
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (!argument.starts_with("--rows="))
            continue;
        qputenv("LUMETRA_PIVOT_ROWS", QByteArray::fromStdString(argument.substr(7)));
        for (int j = i; j + 1 < argc; ++j)
            argv[j] = argv[j + 1];
        --argc;
        --i;
    }
    // The program tunes its heap this way at start; the figures are the program's.
    if (!olap::TuneHeapForQueries()) {
        std::fprintf(
            stderr, "pivot_grid_bench: the heap settings were refused; the figures would not be the program's\n");
        return 1;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
