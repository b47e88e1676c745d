#include "OlapTestSupport.h"

#include "olap/exec/AggregationEngine.h"
#include "olap/exec/AggregationResult.h"
#include "olap/model/Cube.h"
#include "olap/model/FactTable.h"
#include "olap/model/Hierarchy.h"
#include "olap/model/Level.h"
#include "olap/model/Measure.h"
#include "olap/model/Member.h"
#include "olap/sample/SalesSample.h"
#include "olap/storage/CubeFile.h"

#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <memory>
#include <ostream>
#include <set>
#include <span>

namespace {

using Names = std::vector<std::string>;

struct ScanCase {
    const char* name;
    Names levels; //!< one level per grouping, in grouping order
    Names slicer;
};

void PrintTo(const ScanCase& c, std::ostream* os)
{
    *os << c.name;
}

// The scan maps up to three key columns in one pass and any further ones in passes of their
// own, keeps grids under 4,096 cells in banks, compacts chunks a slicer mostly leaves out (by
// its filter columns first where it can), and packs the row counts beside up to three exact
// sums. Each shape is checked cell by cell
// against a plain loop over the fact rows, on one thread and on two.
const ScanCase kScanCases[] = {
    {"no grouping, no slicer", {}, {}},
    {"one grouping", {"[Product].[Category]"}, {}},
    {"two groupings, large grid", {"[Time].[Month]", "[Product].[Product]"}, {}},
    {"three groupings, a slicer the chunks mostly fail", {"[Time].[Quarter]", "[Product].[Category]", "[Store].[City]"},
        {"[Time].[2023]"}},
    {"four groupings", {"[Time].[Quarter]", "[Product].[Subcategory]", "[Store].[Country]", "[Customer].[Gender]"}, {}},
    {"four groupings and a filter", {"[Time].[Year]", "[Product].[Category]", "[Store].[City]", "[Customer].[Gender]"},
        {"[Store].[USA]"}},
    {"one grouping and three filters", {"[Customer].[Gender]"},
        {"[Time].[2024]", "[Store].[Canada]", "[Product].[Food]"}},
    {"two groupings and a filter that keeps a third", {"[Product].[Subcategory]", "[Store].[City]"}, {"[Time].[2022]"}},
    {"a filter that keeps most rows", {"[Product].[Category]"}, {"[Store].[USA]"}},
};

class FactScanTest : public ::testing::TestWithParam<ScanCase> {
protected:
    static void SetUpTestSuite()
    {
        s_dir = std::make_unique<olaptest::TempDir>();
        olap::SalesSample::WriteAll(s_dir->Path("s"), 30000, 11);
        s_cube = olap::CubeFile::Read(s_dir->Path("s/Sales.cub"));
    }
    static void TearDownTestSuite()
    {
        s_cube.reset();
        s_dir.reset();
    }
    static inline std::unique_ptr<olaptest::TempDir> s_dir;
    static inline std::shared_ptr<olap::Cube> s_cube;
};

TEST_P(FactScanTest, CellsMatchARowByRowLoop)
{
    const ScanCase& c = GetParam();
    const olap::Cube& cube = *s_cube;
    const olap::FactTable& facts = cube.Facts();
    olap::AggregationRequest request;
    std::vector<const olap::Level*> levels;
    for (const std::string& name : c.levels) {
        levels.push_back(&*cube.FindLevel(name));
        request.groupings.push_back(olap::MemberSet::OfLevel(*levels.back()));
    }
    std::vector<const olap::Member*> slicer;
    for (const std::string& name : c.slicer) {
        slicer.push_back(cube.FindMember(name));
        ASSERT_NE(slicer.back(), nullptr) << name;
        request.slicer.push_back(olap::MemberSet::Of(*slicer.back()));
    }
    const Names measures = {"Unit Sales", "Store Sales", "Store Cost", "Sales Count", "Customer Count"};
    for (const std::string& name : measures)
        request.measures.push_back(cube.FindMeasure(name)->Index());

    // The row-by-row answer: per combination of level members, the sums, rows and customers.
    struct Cell {
        double sums[3] = {0, 0, 0};
        double rows = 0;
        std::set<std::uint32_t> customers;
    };
    std::map<std::vector<const olap::Member*>, Cell> expected;
    std::vector<std::span<const std::uint32_t>> toLevel;
    toLevel.reserve(levels.size());
    for (const olap::Level* level : levels)
        toLevel.push_back(level->GetHierarchy().LeafToLevel(level->Depth()));
    auto keyOf = [&](const olap::Member& m, std::size_t r) {
        return olap::KeyAt(facts.keys[static_cast<std::size_t>(m.GetHierarchy().FactColumn())], r);
    };
    for (std::size_t r = 0; r < facts.rowCount; ++r) {
        bool in = true;
        for (const olap::Member* m : slicer)
            in = in && keyOf(*m, r) >= m->LeafBegin() && keyOf(*m, r) < m->LeafEnd();
        if (!in)
            continue;
        std::vector<const olap::Member*> tuple;
        for (std::size_t g = 0; g < levels.size(); ++g) {
            const auto column = static_cast<std::size_t>(levels[g]->GetHierarchy().FactColumn());
            tuple.push_back(levels[g]->Members()[toLevel[g][olap::KeyAt(facts.keys[column], r)]]);
        }
        Cell& cell = expected[tuple];
        for (std::size_t m = 0; m < 3; ++m)
            cell.sums[m] += facts.measures[static_cast<std::size_t>(request.measures[m])].ValueAt(r);
        cell.rows += 1;
        cell.customers.insert(
            static_cast<std::uint32_t>(facts.measures[static_cast<std::size_t>(request.measures[4])].ValueAt(r)));
    }
    ASSERT_FALSE(expected.empty());

    for (int threads : {1, 2}) {
        auto result = olap::AggregationEngine::Aggregate(cube, request, {threads, false});
        std::size_t cells = 1;
        for (std::size_t g = 0; g < levels.size(); ++g)
            cells *= result->PositionCount(g);
        ASSERT_EQ(result->CellCount(), cells);
        std::size_t nonEmpty = 0;
        for (std::size_t cell = 0; cell < cells; ++cell)
            nonEmpty += result->RowCount(cell) > 0 ? 1 : 0;
        EXPECT_EQ(nonEmpty, expected.size()) << "threads " << threads;
        for (const auto& [tuple, cell] : expected) {
            const std::string where = ::testing::PrintToString(tuple.size()) + " members, threads "
                + std::to_string(threads) + (tuple.empty() ? std::string() : ", first " + tuple[0]->UniqueName());
            for (std::size_t m = 0; m < 3; ++m) {
                const auto value = result->Value(tuple, request.measures[m]);
                ASSERT_TRUE(value.has_value()) << where;
                EXPECT_NEAR(*value, cell.sums[m], 1e-6 * std::max(1.0, cell.sums[m])) << measures[m] << ", " << where;
            }
            EXPECT_EQ(result->Value(tuple, request.measures[3]), cell.rows) << where;
            EXPECT_EQ(result->Value(tuple, request.measures[4]), static_cast<double>(cell.customers.size())) << where;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, FactScanTest, ::testing::ValuesIn(kScanCases), [](const ::testing::TestParamInfo<ScanCase>& info) {
        std::string name;
        for (const char ch : std::string(info.param.name))
            name += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
        return name;
    });

} // namespace
