// The engine on the sample cube, each query paired with SQLite answering the
// same question over the same star schema in the same run.
//
// LUMETRA_BENCH_DIR (default /tmp/lumetra-bench) holds the sample; it is
// generated once with LUMETRA_BENCH_ROWS fact rows (default 10 million).
#include "olap/exec/AggregationEngine.h"
#include "olap/exec/AggregationResult.h"
#include "olap/exec/Drillthrough.h"
#include "olap/exec/ResultCache.h"
#include "olap/model/Cube.h"
#include "olap/model/Hierarchy.h"
#include "olap/model/Level.h"
#include "olap/model/Measure.h"
#include "olap/model/Member.h"
#include "olap/sample/SalesSample.h"
#include "olap/storage/CubeFile.h"
#include "olap/util/SqliteDb.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <sys/resource.h>

namespace {

std::string BenchDir()
{
    const char* dir = std::getenv("LUMETRA_BENCH_DIR");
    return dir ? dir : "/tmp/lumetra-bench";
}

const std::string& SampleDir()
{
    static const std::string dir = [] {
        const std::string d = BenchDir();
        if (!std::filesystem::exists(d + "/Sales.cub")) {
            const char* rows = std::getenv("LUMETRA_BENCH_ROWS");
            olap::SalesSample::WriteAll(d, rows ? std::strtoull(rows, nullptr, 10) : 10'000'000, 1);
        }
        return d;
    }();
    return dir;
}

olap::Cube& SharedCube()
{
    static std::unique_ptr<olap::Cube> cube = olap::CubeFile::Read(SampleDir() + "/Sales.cub");
    return *cube;
}

olap::SqliteDb& SharedSource()
{
    static olap::SqliteDb db(SampleDir() + "/sales.sqlite", olap::SqliteDb::Mode::ReadOnly);
    return db;
}

double PeakRssMb()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

int MeasureIndex(const olap::Cube& cube, const char* name)
{
    return cube.FindMeasure(name)->Index();
}

//! Year x Category on rows, Quarter on columns (the quarters carry their
//! year), Unit Sales and Store Sales, Store slicer USA. With SUBTOTALS the
//! years next to their quarters and the All member next to the categories.
olap::AggregationRequest YearCategoryQuarter(const olap::Cube& cube, bool subtotals)
{
    olap::AggregationRequest request;
    olap::MemberSet time;
    time.hierarchy = cube.FindHierarchy("[Time]");
    for (const olap::Member* year : cube.FindLevel("[Time].[Year]")->Members()) {
        if (subtotals)
            time.members.push_back(year);
        for (const olap::Member* quarter : year->Children())
            time.members.push_back(quarter);
    }
    olap::MemberSet product = olap::MemberSet::OfLevel(*cube.FindLevel("[Product].[Category]"));
    if (subtotals)
        product.members.insert(product.members.begin(), product.hierarchy->AllMember());
    request.groupings = {time, product};
    request.slicer = {olap::MemberSet::Of(*cube.FindMember("[Store].[USA]"))};
    request.measures = {MeasureIndex(cube, "Unit Sales"), MeasureIndex(cube, "Store Sales")};
    return request;
}

olap::AggregationRequest MonthProduct(const olap::Cube& cube)
{
    olap::AggregationRequest request;
    request.groupings = {olap::MemberSet::OfLevel(*cube.FindLevel("[Time].[Month]")),
        olap::MemberSet::OfLevel(*cube.FindLevel("[Product].[Product]"))};
    request.measures = {MeasureIndex(cube, "Unit Sales")};
    return request;
}

std::size_t NonEmptyCells(const olap::AggregationResult& result)
{
    std::size_t cells = 0;
    for (std::size_t c = 0; c < result.CellCount(); ++c)
        cells += result.RowCount(c) > 0;
    return cells;
}

void BM_OpenCube(benchmark::State& state)
{
    SampleDir();
    std::uint64_t bytes = 0;
    for (auto _ : state) {
        auto cube = olap::CubeFile::Read(SampleDir() + "/Sales.cub");
        bytes = cube->Facts().Bytes();
        benchmark::DoNotOptimize(cube.get());
    }
    state.counters["encoded_MB"] = static_cast<double>(bytes) / 1e6;
    state.counters["peak_rss_MB"] = PeakRssMb();
}

void RunAggregation(benchmark::State& state, const olap::AggregationRequest& request, bool warm, int threads)
{
    olap::Cube& cube = SharedCube();
    olap::AggregationEngine::Options options;
    options.threads = threads;
    std::size_t cells = 0;
    cube.Cache().Clear();
    if (warm)
        olap::AggregationEngine::Aggregate(cube, request, options);
    for (auto _ : state) {
        if (!warm)
            cube.Cache().Clear();
        auto result = olap::AggregationEngine::Aggregate(cube, request, options);
        cells = NonEmptyCells(*result);
        benchmark::DoNotOptimize(result.get());
    }
    state.counters["non_empty_cells"] = static_cast<double>(cells);
    state.counters["rows_per_s"]
        = benchmark::Counter(static_cast<double>(cube.Facts().rowCount) * static_cast<double>(state.iterations()),
            benchmark::Counter::kIsRate);
}

void BM_YearCategoryQuarter_Cold(benchmark::State& state)
{
    RunAggregation(state, YearCategoryQuarter(SharedCube(), false), false, static_cast<int>(state.range(0)));
}

void BM_YearCategoryQuarter_Subtotals_Cold(benchmark::State& state)
{
    RunAggregation(state, YearCategoryQuarter(SharedCube(), true), false, static_cast<int>(state.range(0)));
}

void BM_YearCategoryQuarter_Warm(benchmark::State& state)
{
    RunAggregation(state, YearCategoryQuarter(SharedCube(), true), true, 0);
}

void BM_MonthProduct_Cold(benchmark::State& state)
{
    RunAggregation(state, MonthProduct(SharedCube()), false, static_cast<int>(state.range(0)));
}

void BM_MonthProduct_Warm(benchmark::State& state)
{
    RunAggregation(state, MonthProduct(SharedCube()), true, 0);
}

void RunSql(benchmark::State& state, const std::string& sql)
{
    olap::SqliteDb& db = SharedSource();
    std::size_t rows = 0;
    for (auto _ : state) {
        auto stmt = db.Prepare(sql);
        rows = 0;
        while (stmt.Step())
            ++rows;
    }
    state.counters["result_rows"] = static_cast<double>(rows);
}

void BM_Sqlite_YearCategoryQuarter(benchmark::State& state)
{
    RunSql(state,
        "SELECT t.the_year, t.quarter, p.category, SUM(s.unit_sales), SUM(s.store_sales) FROM sales s"
        " JOIN time_dim t ON t.time_id = s.time_id JOIN product p ON p.product_id = s.product_id"
        " JOIN store st ON st.store_id = s.store_id WHERE st.country = 'USA' GROUP BY 1, 2, 3");
}

void BM_Sqlite_MonthProduct(benchmark::State& state)
{
    RunSql(state,
        "SELECT t.the_year, t.month_of_year, p.product_name, SUM(s.unit_sales) FROM sales s"
        " JOIN time_dim t ON t.time_id = s.time_id JOIN product p ON p.product_id = s.product_id GROUP BY 1, 2, 3");
}

void BM_Drillthrough5000(benchmark::State& state)
{
    olap::Cube& cube = SharedCube();
    const olap::Member* q1 = cube.FindMember("[Time].[2024].[Q1]");
    std::size_t chars = 0;
    for (auto _ : state) {
        auto rows = olap::Drillthrough::Run(cube, {olap::MemberSet::Of(*q1)}, {}, 5000);
        chars = 0;
        for (std::size_t r = 0; r < rows.RowCount(); ++r) {
            for (std::size_t c = 0; c < rows.Columns().size(); ++c)
                chars += rows.TextAt(r, c).size();
        }
    }
    state.counters["chars"] = static_cast<double>(chars);
}

void BM_Sqlite_Drillthrough5000(benchmark::State& state)
{
    RunSql(state,
        "SELECT t.the_year, t.quarter, t.month_name, p.category, p.subcategory, p.product_name, st.country, st.city,"
        " st.store_name, c.gender, s.unit_sales, s.store_sales, s.store_cost, s.product_id, s.customer_id FROM sales s"
        " JOIN time_dim t ON t.time_id = s.time_id JOIN product p ON p.product_id = s.product_id"
        " JOIN store st ON st.store_id = s.store_id JOIN customer c ON c.customer_id = s.customer_id"
        " WHERE t.the_year = 2024 AND t.quarter = 'Q1' LIMIT 5000");
}

//! The floor: reading once the columns the first query touches.
void BM_ReadColumnsOnce(benchmark::State& state)
{
    olap::Cube& cube = SharedCube();
    const auto& facts = cube.Facts();
    const std::size_t time = static_cast<std::size_t>(cube.FindHierarchy("[Time]")->FactColumn());
    const std::size_t product = static_cast<std::size_t>(cube.FindHierarchy("[Product]")->FactColumn());
    const std::size_t store = static_cast<std::size_t>(cube.FindHierarchy("[Store]")->FactColumn());
    const std::size_t units = static_cast<std::size_t>(MeasureIndex(cube, "Unit Sales"));
    const std::size_t sales = static_cast<std::size_t>(MeasureIndex(cube, "Store Sales"));
    std::uint64_t bytes = 0;
    for (auto _ : state) {
        std::uint64_t sum = 0;
        bytes = 0;
        for (std::size_t k : {time, product, store}) {
            std::visit(
                [&](const auto& v) {
                    for (auto x : v)
                        sum += x;
                    bytes += v.size() * sizeof(v[0]);
                },
                facts.keys[k]);
        }
        for (std::size_t m : {units, sales}) {
            std::visit(
                [&](const auto& v) {
                    if constexpr (!std::is_same_v<std::decay_t<decltype(v)>, std::monostate>) {
                        for (auto x : v)
                            sum += static_cast<std::uint64_t>(x);
                        bytes += v.size() * sizeof(v[0]);
                    }
                },
                facts.measures[m].values);
        }
        benchmark::DoNotOptimize(sum);
    }
    state.counters["bytes_MB"] = static_cast<double>(bytes) / 1e6;
}

} // namespace

BENCHMARK(BM_OpenCube)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ReadColumnsOnce)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_YearCategoryQuarter_Cold)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_YearCategoryQuarter_Subtotals_Cold)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_YearCategoryQuarter_Warm)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Sqlite_YearCategoryQuarter)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_MonthProduct_Cold)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_MonthProduct_Warm)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Sqlite_MonthProduct)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Drillthrough5000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sqlite_Drillthrough5000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
