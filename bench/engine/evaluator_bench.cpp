// The MDX evaluator's own cost, apart from scanning: calculated members that build on each
// other, on a small sample cube (LUMETRA_EVAL_BENCH_ROWS fact rows, default 20,000), written
// once to LUMETRA_BENCH_DIR/eval (default /tmp/lumetra-bench/eval).
#include "olap/model/Cube.h"
#include "olap/query/MdxEvaluator.h"
#include "olap/sample/SalesSample.h"
#include "olap/storage/CubeFile.h"
#include "olap/util/OlapError.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

olap::Cube& SmallCube()
{
    static std::unique_ptr<olap::Cube> cube = [] {
        const char* base = std::getenv("LUMETRA_BENCH_DIR");
        const std::string dir = std::string(base ? base : "/tmp/lumetra-bench") + "/eval";
        if (!std::filesystem::exists(dir + "/Sales.cub")) {
            const char* rows = std::getenv("LUMETRA_EVAL_BENCH_ROWS");
            olap::SalesSample::WriteAll(dir, rows ? std::strtoull(rows, nullptr, 10) : 20'000, 1);
        }
        return olap::CubeFile::Read(dir + "/Sales.cub");
    }();
    return *cube;
}

// N calculated measures, each the one before plus itself: without computing each cell once
// per query the work doubles with every member.
std::string DoublingChain(int n, bool text)
{
    std::string query = "WITH MEMBER [Measures].[C0] AS " + std::string(text ? "\"ab\"" : "[Measures].[Unit Sales]");
    for (int i = 1; i <= n; ++i) {
        const std::string prev = "[Measures].[C" + std::to_string(i - 1) + "]";
        query += " MEMBER [Measures].[C" + std::to_string(i) + "] AS " + prev + (text ? " || " : " + ") + prev;
    }
    return query + " SELECT {[Measures].[C" + std::to_string(n) + "]} ON 0, [Time].[Year].Members ON 1 FROM [Sales]";
}

void BM_CalculatedDoubling(benchmark::State& state)
{
    olap::Cube& cube = SmallCube();
    const std::string query = DoublingChain(static_cast<int>(state.range(0)), false);
    for (auto _ : state)
        benchmark::DoNotOptimize(olap::MdxEvaluator::Execute(cube, query));
}

// Text doubling: ends in the text size limit's error once the text grows past it.
void BM_TextDoubling(benchmark::State& state)
{
    olap::Cube& cube = SmallCube();
    const std::string query = DoublingChain(static_cast<int>(state.range(0)), true);
    for (auto _ : state) {
        try {
            benchmark::DoNotOptimize(olap::MdxEvaluator::Execute(cube, query));
        } catch (const olap::OlapError&) {
            state.counters["failed"] = 1;
        }
    }
}

// Rank of every product (by month: a set of products x months) by its sales, one rank per
// cell: the set is indexed and its values sorted once per context, not once per cell.
void BM_RankOverSet(benchmark::State& state)
{
    olap::Cube& cube = SmallCube();
    const std::string set
        = state.range(0) == 0 ? "[Product].[Product].Members" : "[Product].[Product].Members * [Time].[Month].Members";
    const std::string query = "WITH MEMBER [Measures].[Rank] AS Rank("
        + std::string(
            state.range(0) == 0 ? "[Product].CurrentMember" : "([Product].CurrentMember, [Time].CurrentMember)")
        + ", " + set + ", [Measures].[Unit Sales]) SELECT {[Measures].[Rank]} ON 0, " + set + " ON 1 FROM [Sales]";
    for (auto _ : state)
        benchmark::DoNotOptimize(olap::MdxEvaluator::Execute(cube, query));
}

} // namespace

BENCHMARK(BM_RankOverSet)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CalculatedDoubling)->Arg(16)->Arg(20)->Arg(40)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TextDoubling)->Arg(16)->Arg(40)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
