// The pivot model: MDX generation and the layout of a view of about 1e4 cells, on its own
// (a synthetic result) and end to end on the sample cube (query, layout, every cell read
// as a painter or writer reads it).
//
// LUMETRA_BENCH_PIVOT_DIR (default /tmp/lumetra-bench-pivot) holds the sample cube; it is
// generated once with LUMETRA_BENCH_ROWS fact rows (default 1 million).
#include "control/pivot/model/PivotLayout.h"
#include "control/pivot/model/PivotMdxBuilder.h"
#include "control/pivot/model/PivotTextWriter.h"

#include "olap/access/Connection.h"
#include "olap/sample/SalesSample.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>

namespace {

pivot::PivotFieldSet FieldSet(const std::string& name, std::vector<std::string> levels)
{
    pivot::PivotFieldSet fieldSet;
    fieldSet.uniqueName = "[" + name + "]";
    for (const std::string& level : levels)
        fieldSet.fields.push_back({"[" + name + "].[" + level + "]", level, true, false});
    return fieldSet;
}

//! Products (every level expanded) by gender on rows, years and quarters by two measures on
//! columns: about 7,000 cells on the sample cube.
pivot::PivotDefinition SampleView()
{
    pivot::PivotDefinition d;
    d.dataMember = "Sales";
    pivot::PivotFieldSet product = FieldSet("Product", {"Category", "Subcategory", "Product"});
    product.fields[0].isExpanded = true;
    product.fields[1].isExpanded = true;
    product.sort = {pivot::SortDirection::Descending, "[Measures].[Unit Sales]"};
    d.rowAxis = {product, FieldSet("Customer", {"Gender"})};
    pivot::PivotFieldSet time = FieldSet("Time", {"Year", "Quarter", "Month"});
    time.fields[0].isExpanded = true;
    time.fields[2].isIncluded = false;
    d.columnAxis = {time};
    d.totals = {{"[Measures].[Unit Sales]", "", "", "", true}, {"[Measures].[Store Sales]", "", "", "", true}};
    return d;
}

//! A result shaped like SampleView's: 20 categories of 10 children each, by 2 genders, on
//! rows; 24 column positions; about 1e4 cells.
olap::CellSet SyntheticResult(const pivot::PivotDefinition& d)
{
    auto member = [](std::string unique, std::string level, std::size_t children) {
        olap::CellSet::Member m;
        m.caption = unique;
        m.uniqueName = std::move(unique);
        m.levelUniqueName = std::move(level);
        m.childCount = children;
        return m;
    };
    olap::CellSet result;
    result.axes.resize(2);
    for (int y = 0; y < 3; ++y) {
        for (int q = 0; q < 4; ++q) {
            for (const char* measure : {"[Measures].[Unit Sales]", "[Measures].[Store Sales]"})
                result.axes[0].positions.push_back(
                    {member("[Time].[" + std::to_string(2022 + y) + "].[Q" + std::to_string(q + 1) + "]",
                         "[Time].[Quarter]", 3),
                        member(measure, "[Measures].[MeasuresLevel]", 0)});
        }
    }
    const auto genderTotal = member("[Customer].[Pivot Total]", "[Customer].[Gender]", 0);
    for (int c = 0; c < 20; ++c) {
        const std::string category = "[Product].[C" + std::to_string(c) + "]";
        auto add = [&](const olap::CellSet::Member& m) {
            result.axes[1].positions.push_back({m, genderTotal});
            for (const char* g : {"F", "M"})
                result.axes[1].positions.push_back(
                    {m, member(std::string("[Customer].[") + g + "]", "[Customer].[Gender]", 0)});
        };
        add(member(category, "[Product].[Category]", 10));
        for (int s = 0; s < 10; ++s)
            add(member(category + ".[S" + std::to_string(s) + "]", "[Product].[Subcategory]", 0));
    }
    result.axes[1].positions.push_back({member("[Product].[Pivot Total]", "[Product].[Category]", 0), genderTotal});
    result.cells.resize(result.axes[0].positions.size() * result.axes[1].positions.size());
    double v = 1;
    for (auto& cell : result.cells) {
        cell.value = v;
        cell.formatted = std::to_string(v);
        v += 1.5;
    }
    (void)d;
    return result;
}

void BM_BuildMdx(benchmark::State& state)
{
    pivot::PivotDefinition d = SampleView();
    for (int i = 0; i < 200; ++i)
        d.rowAxis[0].expandedMembers.push_back("[Product].[C" + std::to_string(i) + "]");
    for (auto _ : state)
        benchmark::DoNotOptimize(pivot::PivotMdxBuilder::Build(d));
}
BENCHMARK(BM_BuildMdx)->Unit(benchmark::kMicrosecond);

void BM_LayoutAndReadEveryCell(benchmark::State& state)
{
    const pivot::PivotDefinition d = SampleView();
    const olap::CellSet result = SyntheticResult(d);
    for (auto _ : state) {
        pivot::PivotLayout layout(d, result);
        std::size_t characters = 0;
        for (int r = 0; r < layout.RowCount(); ++r) {
            for (int c = 0; c < layout.ColumnCount(); ++c)
                characters += layout.Cell(r, c).text.size();
        }
        benchmark::DoNotOptimize(characters);
    }
    state.counters["cells"] = static_cast<double>(result.cells.size());
}
BENCHMARK(BM_LayoutAndReadEveryCell)->Unit(benchmark::kMillisecond);

olap::Connection& SampleConnection()
{
    static std::unique_ptr<olap::Connection> connection = [] {
        const char* dirEnv = std::getenv("LUMETRA_BENCH_PIVOT_DIR");
        const std::string dir = dirEnv ? dirEnv : "/tmp/lumetra-bench-pivot";
        if (!std::filesystem::exists(dir + "/Sales.cub")) {
            const char* rows = std::getenv("LUMETRA_BENCH_ROWS");
            olap::SalesSample::WriteAll(dir, rows ? std::strtoull(rows, nullptr, 10) : 1'000'000, 1);
        }
        return olap::Connection::Connect("Provider=MSOLAP.2;Data Source=" + dir + "/Sales.cub");
    }();
    return *connection;
}

//! What dropping a field costs: MDX, the query (no cached results), the layout, the CSV.
void BM_SampleViewEndToEnd(benchmark::State& state)
{
    const pivot::PivotDefinition d = SampleView();
    olap::Connection& connection = SampleConnection();
    std::size_t cells = 0;
    for (auto _ : state) {
        connection.ClearCache();
        olap::QueryResult result = connection.ExecuteMdx(pivot::PivotMdxBuilder::Build(d));
        cells = result.cellSet.cells.size();
        const pivot::PivotLayout layout(d, std::move(result.cellSet));
        benchmark::DoNotOptimize(pivot::PivotTextWriter::Csv(layout));
    }
    state.counters["cells"] = static_cast<double>(cells);
}
BENCHMARK(BM_SampleViewEndToEnd)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
