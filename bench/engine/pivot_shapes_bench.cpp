// The pivot shapes through the MDX evaluator (what a pivot table sends), cold: the result
// cache is cleared before every run. compare-duckdb.sh runs the same questions on DuckDB
// over the same star schema and prints the ratio of medians.
//
// The sample (LUMETRA_PIVOT_ROWS fact rows, default 1 million) is written once to
// LUMETRA_BENCH_DIR/pivot-ROWS (default /tmp/lumetra-bench/pivot-ROWS): Sales.cub for this
// benchmark, sales.sqlite for DuckDB.
#include "olap/exec/ResultCache.h"
#include "olap/model/Cube.h"
#include "olap/model/FactTable.h"
#include "olap/model/Hierarchy.h"
#include "olap/model/Measure.h"
#include "olap/query/MdxEvaluator.h"
#include "olap/sample/SalesSample.h"
#include "olap/storage/CubeFile.h"
#include "olap/util/HeapTuning.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <variant>
#include <vector>

namespace {

std::string PivotDir()
{
    const char* base = std::getenv("LUMETRA_BENCH_DIR");
    const char* rows = std::getenv("LUMETRA_PIVOT_ROWS");
    return std::string(base ? base : "/tmp/lumetra-bench") + "/pivot-" + (rows ? rows : "1000000");
}

olap::Cube& PivotCube()
{
    static std::unique_ptr<olap::Cube> cube = [] {
        const std::string dir = PivotDir();
        if (!std::filesystem::exists(dir + "/Sales.cub")) {
            const char* rows = std::getenv("LUMETRA_PIVOT_ROWS");
            olap::SalesSample::WriteAll(dir, rows ? std::strtoull(rows, nullptr, 10) : 1'000'000, 1);
        }
        return olap::CubeFile::Read(dir + "/Sales.cub");
    }();
    return *cube;
}

// The shapes, named as in pivot_shapes.sql.
const char* const kQuarterCategory = "SELECT NON EMPTY {[Measures].[Unit Sales], [Measures].[Store Sales]} ON 0,"
                                     " NON EMPTY CrossJoin([Time].[Quarter].Members, [Product].[Category].Members) ON 1"
                                     " FROM [Sales] WHERE [Store].[USA]";
const char* const kMonthProduct
    = "SELECT NON EMPTY {[Measures].[Unit Sales], [Measures].[Store Sales], [Measures].[Store Cost]} ON 0,"
      " NON EMPTY CrossJoin([Time].[Month].Members, [Product].[Product].Members) ON 1 FROM [Sales]";
const char* const kRollup
    = "SELECT {[Measures].[Unit Sales], [Measures].[Store Sales], [Measures].[Store Cost]} ON 0,"
      " NON EMPTY CrossJoin({[Store].[All Stores], [Store].[Country].Members},"
      " {[Product].[All Products], [Product].[Category].Members}, [Time].[Year].Members) ON 1 FROM [Sales]";
const char* const kDistinctCustomers
    = "SELECT {[Measures].[Customer Count]} ON 0, [Product].[Category].Members ON 1 FROM [Sales]";
const char* const kDrillthrough = "DRILLTHROUGH MAXROWS 5000 SELECT FROM [Sales] WHERE ([Time].[2024].[Q1])";
// A NON EMPTY crossjoin of three levels whose product (~100,000 tuples) is mostly empty.
const char* const kStoreProductMonth
    = "SELECT NON EMPTY {[Measures].[Unit Sales]} ON 0, NON EMPTY CrossJoin([Store].[Store].Members,"
      " [Product].[Product].Members, [Time].[Month].Members) ON 1 FROM [Sales]";

void RunMdx(benchmark::State& state, const char* mdx, bool warm, const olap::QueryOptions& options = {})
{
    olap::Cube& cube = PivotCube();
    std::size_t cells = 0;
    cube.Cache().Clear();
    if (warm)
        olap::MdxEvaluator::Execute(cube, mdx, options);
    for (auto _ : state) {
        if (!warm)
            cube.Cache().Clear();
        olap::QueryResult result = olap::MdxEvaluator::Execute(cube, mdx, options);
        cells = result.kind == olap::QueryResult::Kind::Drillthrough ? result.drillthrough.rows.size()
                                                                     : result.cellSet.cells.size();
        benchmark::DoNotOptimize(result);
    }
    state.counters["cells"] = static_cast<double>(cells);
}

void BM_quarter_category(benchmark::State& state)
{
    RunMdx(state, kQuarterCategory, false);
}
void BM_month_product(benchmark::State& state)
{
    RunMdx(state, kMonthProduct, false);
}
void BM_rollup(benchmark::State& state)
{
    RunMdx(state, kRollup, false);
}
void BM_distinct_customers(benchmark::State& state)
{
    RunMdx(state, kDistinctCustomers, false);
}
void BM_drillthrough(benchmark::State& state)
{
    RunMdx(state, kDrillthrough, false);
}
void BM_store_product_month(benchmark::State& state)
{
    olap::QueryOptions sparse;
    sparse.sparseCrossjoinTuples = 0;
    RunMdx(state, kStoreProductMonth, false, sparse);
}
//! The same with the full product built and tested cell by cell.
void BM_store_product_month_full(benchmark::State& state)
{
    olap::QueryOptions full;
    full.sparseCrossjoinTuples = UINT64_MAX;
    RunMdx(state, kStoreProductMonth, false, full);
}
// The floor a cold query is held to: reading once, on one thread, every column it touches
// (the key columns of the hierarchies it groups or filters by, and its measures' values).
void ReadColumns(
    benchmark::State& state, const std::vector<std::string>& hierarchies, const std::vector<std::string>& measures)
{
    const olap::Cube& cube = PivotCube();
    const olap::FactTable& facts = cube.Facts();
    std::vector<const olap::KeyColumn*> keys;
    for (const olap::Hierarchy* h : cube.FactHierarchies()) {
        for (const std::string& name : hierarchies) {
            if (h->UniqueName() == name)
                keys.push_back(&facts.keys[static_cast<std::size_t>(h->FactColumn())]);
        }
    }
    std::vector<const olap::MeasureColumn*> values;
    for (std::size_t m = 0; m < cube.Measures().size(); ++m) {
        for (const std::string& name : measures) {
            if (cube.Measures()[m]->Name() == name)
                values.push_back(&facts.measures[m]);
        }
    }
    if (keys.size() != hierarchies.size() || values.size() != measures.size()) {
        state.SkipWithError("a column to read is not in the cube");
        return;
    }
    // Integer columns are summed as integers, which the compiler can keep up with memory;
    // a chain of floating-point additions would time the adder's latency, not the read.
    for (auto _ : state) {
        std::uint64_t keySum = 0;
        std::int64_t valueSum = 0;
        double doubleSum = 0;
        for (const olap::KeyColumn* k : keys) {
            std::visit(
                [&](const auto& column) {
                    for (auto v : column)
                        keySum += v;
                },
                *k);
        }
        for (const olap::MeasureColumn* m : values) {
            std::visit(
                [&](const auto& column) {
                    using T = std::decay_t<decltype(column)>;
                    if constexpr (std::is_same_v<T, olap::ColumnVector<double>>) {
                        for (double v : column)
                            doubleSum += v;
                    } else if constexpr (!std::is_same_v<T, std::monostate>) {
                        for (auto v : column)
                            valueSum += v;
                    }
                },
                m->values);
        }
        benchmark::DoNotOptimize(keySum);
        benchmark::DoNotOptimize(valueSum);
        benchmark::DoNotOptimize(doubleSum);
    }
}
void BM_read_month_product(benchmark::State& state)
{
    ReadColumns(state, {"[Time]", "[Product]"}, {"Unit Sales", "Store Sales", "Store Cost"});
}
void BM_read_store_product_month(benchmark::State& state)
{
    ReadColumns(state, {"[Store]", "[Product]", "[Time]"}, {"Unit Sales"});
}
void BM_read_quarter_category(benchmark::State& state)
{
    ReadColumns(state, {"[Time]", "[Product]", "[Store]"}, {"Unit Sales", "Store Sales"});
}
void BM_month_product_warm(benchmark::State& state)
{
    RunMdx(state, kMonthProduct, true);
}
void BM_quarter_category_warm(benchmark::State& state)
{
    RunMdx(state, kQuarterCategory, true);
}

} // namespace

BENCHMARK(BM_quarter_category)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime()->Repetitions(7);
BENCHMARK(BM_month_product)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime()->Repetitions(7);
BENCHMARK(BM_rollup)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime()->Repetitions(7);
BENCHMARK(BM_distinct_customers)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime()->Repetitions(7);
BENCHMARK(BM_drillthrough)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime()->Repetitions(7);
BENCHMARK(BM_store_product_month)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Repetitions(7);
BENCHMARK(BM_store_product_month_full)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Repetitions(7);
BENCHMARK(BM_read_quarter_category)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(7);
BENCHMARK(BM_read_month_product)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(7);
BENCHMARK(BM_read_store_product_month)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(7);
BENCHMARK(BM_quarter_category_warm)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_month_product_warm)->Unit(benchmark::kMicrosecond)->UseRealTime();

int main(int argc, char** argv)
{
    // The program tunes its heap this way at start; the figures are the program's.
    if (!olap::TuneHeapForQueries()) {
        std::fprintf(
            stderr, "pivot_shapes_bench: the heap settings were refused; the figures would not be the program's\n");
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
