// A chart of 50 series by 200 categories following a pivot change: the chart data taken
// from the new layout, and the widget refilled with it. Goal: under 100 ms together.
// ChartFollowsBoundSession is the whole path: the pivot session shows a new layout, the
// bound chart follows it and the shown widget is painted. Its second argument is how bars
// are drawn: 0 as the chart chooses (one item for all bars of a chart this large), 1 one Qt
// Charts item per bar (the comparison).
#include "control/chart/ChartData.h"
#include "control/chart/ChartTypeTable.h"
#include "control/chart/ChartWidget.h"

#include "control/pivot/PivotSession.h"
#include "control/pivot/model/PivotLayout.h"

#include <QApplication>
#include <QPixmap>
#include <benchmark/benchmark.h>

namespace {

constexpr int kSeries = 50;
constexpr int kCategories = 200;

olap::CellSet::Member Member(const std::string& uniqueName, const std::string& caption, const std::string& level)
{
    olap::CellSet::Member m;
    m.uniqueName = uniqueName;
    m.caption = caption;
    m.levelUniqueName = level;
    return m;
}

//! 200 products on rows (and their total), 50 measures on columns.
pivot::PivotLayout Layout(double offset)
{
    pivot::PivotDefinition d;
    d.dataMember = "Sales";
    pivot::PivotFieldSet product;
    product.uniqueName = "[Product]";
    product.fields = {{"[Product].[Product]", "Product", true, false}};
    d.rowAxis.push_back(product);
    olap::CellSet result;
    result.axes.resize(2);
    for (int s = 0; s < kSeries; ++s) {
        const std::string name = "M" + std::to_string(s);
        d.totals.push_back({"[Measures].[" + name + "]", "", "", "", true});
        result.axes[0].positions.push_back({Member("[Measures].[" + name + "]", name, "[Measures].[MeasuresLevel]")});
    }
    for (int c = 0; c < kCategories; ++c) {
        const std::string name = "P" + std::to_string(c);
        result.axes[1].positions.push_back({Member("[Product].[" + name + "]", name, "[Product].[Product]")});
    }
    result.axes[1].positions.push_back({Member("[Product].[Pivot Total]", "Pivot Total", "[Product].[Product]")});
    for (int r = 0; r <= kCategories; ++r) {
        for (int s = 0; s < kSeries; ++s) {
            olap::CellSet::Cell cell;
            cell.value = offset + r * 3 + s;
            cell.formatted = std::to_string(r * 3 + s);
            result.cells.push_back(cell);
        }
    }
    return pivot::PivotLayout(d, std::move(result));
}

pivot::PivotDefinition Definition()
{
    pivot::PivotDefinition d;
    d.dataMember = "Sales";
    return d;
}

void ChartDataFromLayout(benchmark::State& state)
{
    const pivot::PivotLayout layout = Layout(0);
    for (auto _ : state)
        benchmark::DoNotOptimize(chart::ChartData::FromLayout(layout));
}
BENCHMARK(ChartDataFromLayout)->Unit(benchmark::kMillisecond);

void ChartFollowsPivotChange(benchmark::State& state)
{
    chart::ChartWidget widget;
    widget.resize(1200, 800);
    widget.SetChartTypeNumber(static_cast<int>(state.range(0)));
    const pivot::PivotLayout layouts[] = {Layout(0), Layout(1)};
    int turn = 0;
    for (auto _ : state) {
        widget.SetData(chart::ChartData::FromLayout(layouts[turn]));
        turn ^= 1;
    }
}
BENCHMARK(ChartFollowsPivotChange)
    ->Arg(static_cast<int>(chart::ChartType::ColumnClustered))
    ->Arg(static_cast<int>(chart::ChartType::Line))
    ->Arg(static_cast<int>(chart::ChartType::AreaStacked))
    ->Unit(benchmark::kMillisecond);

void ChartFollowsBoundSession(benchmark::State& state)
{
    pivot::PivotSession session;
    chart::ChartWidget widget;
    widget.resize(1200, 800);
    widget.SetChartTypeNumber(static_cast<int>(state.range(0)));
    widget.SetBarDrawing(
        state.range(1) == 1 ? chart::ChartBuilder::BarDrawing::ItemPerBar : chart::ChartBuilder::BarDrawing::Automatic);
    widget.SetDataSource(&session);
    widget.show();
    const pivot::PivotLayout layouts[] = {Layout(0), Layout(1)};
    int turn = 0;
    for (auto _ : state) {
        state.PauseTiming();
        pivot::PivotLayout next = layouts[turn];
        state.ResumeTiming();
        session.ShowLayout(Definition(), std::move(next));
        benchmark::DoNotOptimize(widget.grab());
        turn ^= 1;
    }
}
BENCHMARK(ChartFollowsBoundSession)
    ->Args({static_cast<int>(chart::ChartType::ColumnClustered), 0})
    ->Args({static_cast<int>(chart::ChartType::ColumnClustered), 1})
    ->Args({static_cast<int>(chart::ChartType::ColumnStacked100), 0})
    ->Args({static_cast<int>(chart::ChartType::BarStacked), 0})
    ->Args({static_cast<int>(chart::ChartType::Line), 0})
    ->Args({static_cast<int>(chart::ChartType::ColumnLine), 0})
    ->Args({static_cast<int>(chart::ChartType::ColumnLine), 1})
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
