#include "OlapTestSupport.h"

#include "olap/exec/AggregationEngine.h"
#include "olap/exec/AggregationResult.h"
#include "olap/exec/Drillthrough.h"
#include "olap/exec/ResultCache.h"
#include "olap/model/Cube.h"
#include "olap/model/FactTable.h"
#include "olap/model/Hierarchy.h"
#include "olap/model/Level.h"
#include "olap/model/Measure.h"
#include "olap/model/Member.h"
#include "olap/sample/SalesSample.h"
#include "olap/storage/CubeFile.h"
#include "olap/util/OlapError.h"

#include <gtest/gtest.h>

#include <set>

namespace {

using Names = std::vector<std::string>;

struct AggregationCase {
    const char* name;
    std::vector<Names> groupings; //!< each: unique names of one hierarchy's members
    std::vector<Names> slicer;
    Names measures;
    //! Cell values in cell order (last grouping fastest), measures within a cell; "" = empty.
    Names expected;
};

void PrintTo(const AggregationCase& c, std::ostream* os)
{
    *os << c.name;
}

olap::MemberSet SetOf(const olap::Cube& cube, const Names& names)
{
    olap::MemberSet set;
    for (const std::string& name : names) {
        const olap::Member* m = cube.FindMember(name);
        if (!m)
            throw std::runtime_error("no member " + name);
        set.hierarchy = &m->GetHierarchy();
        set.members.push_back(m);
    }
    return set;
}

olap::AggregationRequest MakeRequest(const olap::Cube& cube, const AggregationCase& c)
{
    olap::AggregationRequest request;
    for (const Names& names : c.groupings)
        request.groupings.push_back(SetOf(cube, names));
    for (const Names& names : c.slicer) {
        request.slicer.push_back(SetOf(cube, names));
        if (names.empty())
            request.slicer.back().hierarchy = cube.FindHierarchy("[Time]");
    }
    for (const std::string& name : c.measures)
        request.measures.push_back(cube.FindMeasure(name)->Index());
    return request;
}

Names Cells(const olap::AggregationResult& result)
{
    Names cells;
    for (std::size_t c = 0; c < result.CellCount(); ++c) {
        for (std::size_t s = 0; s < result.MeasureIndices().size(); ++s) {
            auto v = result.Value(c, s);
            cells.push_back(v ? olap::FormatNumber(*v) : "");
        }
    }
    return cells;
}

class TinyAggregation : public olaptest::TinyCubeSuite<::testing::TestWithParam<AggregationCase>> { };

TEST_P(TinyAggregation, MatchesHandComputedCells)
{
    const AggregationCase& c = GetParam();
    for (int threads : {1, 2}) {
        olap::AggregationEngine::Options options;
        options.threads = threads;
        options.useCache = false;
        auto result = olap::AggregationEngine::Aggregate(*s_cube, MakeRequest(*s_cube, c), options);
        EXPECT_EQ(Cells(*result), c.expected) << "threads " << threads;
    }
}

const std::vector<AggregationCase> kCases = {
    {"grand total", {}, {}, {"Qty", "Rows", "Customers", "Avg Price", "Min Price", "Max Price", "Price Sum"},
        {"24", "8", "4", "1.57", "0.99", "2.25", "10.99"}},
    {"years", {{"[Time].[2023]", "[Time].[2024]"}}, {}, {"Qty"}, {"11", "13"}},
    {"year by category", {{"[Time].[2023]", "[Time].[2024]"}, {"[Product].[Dairy]", "[Product].[Fruit]"}}, {}, {"Qty"},
        {"5", "6", "4", "9"}},
    {"subtotals and an empty product",
        {{"[Product].[All Products]", "[Product].[Fruit]", "[Product].[Fruit].[Apple]", "[Product].[Fruit].[Pear]",
            "[Product].[Dairy]", "[Product].[Dairy].[Milk]", "[Product].[Dairy].[Cheese]"}},
        {}, {"Qty", "Customers"}, {"24", "4", "15", "3", "12", "2", "3", "2", "9", "2", "9", "2", "", ""}},
    {"a category without facts is empty, also for count", {{"[Product].[Snacks]"}}, {}, {"Rows", "Customers"},
        {"", ""}},
    {"sum and min over only NULL values are empty, count is not", {{"[Product].[Apple]"}, {"[Channel].[Shop]"}},
        {{"[Time].[2023]"}}, {"Price Sum", "Rows", "Min Price", "Avg Price"}, {"", "1", "", ""}},
    {"slicer on a dimension without a table", {{"[Time].[2023]", "[Time].[2024]"}}, {{"[Channel].[Web]"}}, {"Qty"},
        {"7", "9"}},
    {"set slicer adds up its members", {}, {{"[Product].[Apple]", "[Product].[Milk]"}}, {"Qty"}, {"21"}},
    {"quarters of different years", {{"[Time].[2023].[Q1]", "[Time].[2023].[Q2]", "[Time].[2024].[Q1]"}}, {}, {"Qty"},
        {"6", "5", "5"}},
    {"avg, min and max by year", {{"[Time].[2023]", "[Time].[2024]"}}, {}, {"Avg Price", "Min Price", "Max Price"},
        {"1.58", "0.99", "2.25", "1.5625", "1.1", "2.25"}},
    {"slicer and grouping meet in no row", {{"[Product].[Dairy].[Cheese]"}}, {{"[Time].[2023]"}}, {"Qty"}, {""}},
    {"two slicer sets on one hierarchy intersect", {}, {{"[Time].[2023]"}, {"[Time].[2023].[Q2]"}}, {"Qty"}, {"5"}},
    {"slicer on the grouped hierarchy narrows it", {{"[Time].[2023]", "[Time].[2024]"}}, {{"[Time].[2024].[Q2]"}},
        {"Qty"}, {"", "8"}},
    {"distinct count rolls up across two groupings",
        {{"[Time].[All Periods]", "[Time].[2023]"}, {"[Channel].[All Channels]", "[Channel].[Web]"}}, {},
        {"Customers", "Qty"}, {"4", "24", "4", "16", "3", "11", "2", "7"}},
    {"members in any order and twice", {{"[Product].[Pear]", "[Product].[Apple]", "[Product].[Pear]"}}, {}, {"Qty"},
        {"3", "12", "3"}},
    {"empty slicer set gives empty cells", {{"[Time].[2023]"}}, {{}}, {"Qty"}, {""}},
};

INSTANTIATE_TEST_SUITE_P(
    Cells, TinyAggregation, ::testing::ValuesIn(kCases), [](const ::testing::TestParamInfo<AggregationCase>& info) {
        std::string name;
        for (char ch : std::string(info.param.name))
            name += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
        return name;
    });

TEST_F(TinyAggregation, LooksUpCellsByMembersAndCachesResults)
{
    s_cube->Cache().Clear();
    olap::AggregationRequest request;
    request.groupings.push_back(olap::MemberSet::OfLevel(*s_cube->FindLevel("[Time].[Year]")));
    request.measures = {s_cube->FindMeasure("Qty")->Index()};
    auto first = olap::AggregationEngine::Aggregate(*s_cube, request);
    auto second = olap::AggregationEngine::Aggregate(*s_cube, request);
    EXPECT_EQ(first.get(), second.get());
    EXPECT_EQ(s_cube->Cache().Hits(), 1u);
    const olap::Member* y2024 = s_cube->FindMember("[Time].[2024]");
    const olap::Member* tuple[] = {y2024};
    EXPECT_EQ(first->Value(tuple, request.measures[0]), 13.0);
    EXPECT_EQ(first->Value(tuple, s_cube->FindMeasure("Rows")->Index()), std::nullopt);
    EXPECT_EQ(first->RowCount(*first->PositionOf(0, *y2024)), 4u);

    const olap::Member* cell[] = {s_cube->FindMember("[Product].[Pear]"), s_cube->FindMember("[Measures].[Customers]")};
    EXPECT_EQ(olap::AggregationEngine::CellValue(*s_cube, cell), 2.0);
}

TEST_F(TinyAggregation, RejectsInvalidRequests)
{
    const olap::Member* y2023 = s_cube->FindMember("[Time].[2023]");
    const olap::Member* apple = s_cube->FindMember("[Product].[Apple]");
    olap::AggregationRequest twice;
    twice.groupings = {olap::MemberSet::Of(*y2023), olap::MemberSet::Of(*y2023)};
    olap::AggregationRequest mixed;
    mixed.groupings = {olap::MemberSet::Of(*y2023)};
    mixed.groupings[0].members.push_back(apple);
    olap::AggregationRequest measures;
    measures.slicer = {olap::MemberSet::Of(*s_cube->FindMember("[Measures].[Qty]"))};
    olap::AggregationRequest badMeasure;
    badMeasure.measures = {99};
    for (const auto* request : {&twice, &mixed, &measures, &badMeasure})
        EXPECT_THROW(olap::AggregationEngine::Aggregate(*s_cube, *request), olap::OlapError);
}

TEST_F(TinyAggregation, DrillthroughListsRowsUnderTheTuple)
{
    std::vector<olap::MemberSet> filter = {olap::MemberSet::Of(*s_cube->FindMember("[Time].[2023]")),
        olap::MemberSet::Of(*s_cube->FindMember("[Product].[Fruit]"))};
    auto all = olap::Drillthrough::Run(*s_cube, filter, {0, 2});
    std::vector<std::string> header;
    for (const auto& column : all.Columns())
        header.push_back(column.name);
    EXPECT_EQ(header, (Names {"Year", "Quarter", "Category", "Product", "Channel", "Qty", "Price Sum"}));
    ASSERT_EQ(all.RowCount(), 3u);
    EXPECT_EQ(all.TotalRows(), 3u);
    Names row;
    for (std::size_t c = 0; c < all.Columns().size(); ++c)
        row.push_back(all.TextAt(2, c));
    EXPECT_EQ(row, (Names {"2023", "Q1", "Fruit", "Apple", "Shop", "3", ""}));
    auto limited = olap::Drillthrough::Run(*s_cube, filter, {}, 2);
    EXPECT_EQ(limited.RowCount(), 2u);
    EXPECT_FALSE(limited.Complete());
    EXPECT_EQ(olap::Drillthrough::Run(*s_cube, filter, {}, 2, true).TotalRows(), 3u);
    EXPECT_EQ(limited.Columns().size(), 5u + 7u);
    EXPECT_EQ(limited.TextAt(0, 11), "10"); // the customer id behind the distinct count
    auto everything = olap::Drillthrough::Run(*s_cube, {}, {0});
    EXPECT_EQ(everything.TotalRows(), 8u);
    // A whole column at once reads as its cells one by one: levels, NULL values, counts,
    // distinct-count ids, all measures.
    for (const auto* result : {&all, &limited, &everything}) {
        for (std::size_t c = 0; c < result->Columns().size(); ++c) {
            const Names texts = result->ColumnTexts(c);
            ASSERT_EQ(texts.size(), result->RowCount());
            for (std::size_t r = 0; r < texts.size(); ++r)
                EXPECT_EQ(texts[r], result->TextAt(r, c)) << "row " << r << ", column " << c;
        }
    }
}

TEST(SampleAggregation, TwoThreadsAgreeWithOneAndSubtotalsAddUp)
{
    olaptest::TempDir dir;
    olap::SalesSample::WriteAll(dir.Path("s"), 60000, 3);
    auto cube = olap::CubeFile::Read(dir.Path("s/Sales.cub"));
    ASSERT_EQ(cube->Facts().rowCount, 60000u);
    olap::AggregationRequest request;
    olap::MemberSet product;
    product.hierarchy = &*cube->FindHierarchy("[Product]");
    product.members.push_back(product.hierarchy->AllMember());
    for (const olap::Member* category : cube->FindLevel("[Product].[Category]")->Members()) {
        product.members.push_back(category);
        for (const olap::Member* sub : category->Children())
            product.members.push_back(sub);
    }
    request.groupings.push_back(olap::MemberSet::OfLevel(*cube->FindLevel("[Time].[Quarter]")));
    request.groupings.push_back(product);
    request.slicer.push_back(olap::MemberSet::Of(*cube->FindMember("[Store].[USA]")));
    for (std::size_t m = 0; m < cube->Measures().size(); ++m)
        request.measures.push_back(static_cast<int>(m));
    olap::AggregationEngine::Options one {1, false};
    olap::AggregationEngine::Options two {2, false};
    auto a = olap::AggregationEngine::Aggregate(*cube, request, one);
    auto b = olap::AggregationEngine::Aggregate(*cube, request, two);
    EXPECT_EQ(Cells(*a), Cells(*b));
    // The All member's unit sales equal the sum over categories in every quarter.
    const int units = cube->FindMeasure("Unit Sales")->Index();
    double all = 0;
    double categories = 0;
    for (std::size_t q = 0; q < a->Members(0).size(); ++q) {
        for (std::size_t p = 0; p < a->Members(1).size(); ++p) {
            const olap::Member* tuple[] = {a->Members(0)[q], a->Members(1)[p]};
            const double v = a->Value(tuple, units).value_or(0);
            if (a->Members(1)[p]->IsAll())
                all += v;
            else if (a->Members(1)[p]->Depth() == 1)
                categories += v;
        }
    }
    EXPECT_GT(all, 0);
    EXPECT_EQ(all, categories);
    // Beer and wine is never sold in Mexico: an empty cell.
    const olap::Member* cell[]
        = {cube->FindMember("[Store].[Mexico]"), cube->FindMember("[Product].[Drink].[Beer and Wine]")};
    EXPECT_EQ(olap::AggregationEngine::CellValue(*cube, cell), std::nullopt);
}

// Sums, counts and distinct counts by category under slicers that keep anything from a
// sliver of the rows to all of them (the scan compacts chunks the slicer mostly leaves out),
// against a plain loop over the fact rows.
TEST(SampleAggregation, SlicedCellsMatchARowByRowCount)
{
    olaptest::TempDir dir;
    olap::SalesSample::WriteAll(dir.Path("s"), 60000, 5);
    auto cube = olap::CubeFile::Read(dir.Path("s/Sales.cub"));
    const olap::FactTable& facts = cube->Facts();
    const olap::Hierarchy& product = *cube->FindHierarchy("[Product]");
    const auto toCategory = product.LeafToLevel(1);
    const auto& categories = cube->FindLevel("[Product].[Category]")->Members();
    const int units = cube->FindMeasure("Unit Sales")->Index();
    const int count = cube->FindMeasure("Sales Count")->Index();
    const int customers = cube->FindMeasure("Customer Count")->Index();
    const std::vector<Names> slicers = {{"[Time].[2022]"}, {"[Time].[2023].[Q4].[December]"}, {"[Store].[USA]"},
        {"[Time].[2024]", "[Store].[Mexico]"}, {"[Time].[2022]", "[Time].[2024]"}, {}};
    for (const Names& slicer : slicers) {
        olap::AggregationRequest request;
        request.groupings.push_back(olap::MemberSet::OfLevel(*cube->FindLevel("[Product].[Category]")));
        for (const std::string& name : slicer)
            request.slicer.push_back(olap::MemberSet::Of(*cube->FindMember(name)));
        request.measures = {units, count, customers};
        // The row-by-row answer: per category the unit sales, the rows, the customers.
        std::vector<double> sums(categories.size(), 0);
        std::vector<double> rows(categories.size(), 0);
        std::vector<std::set<double>> seen(categories.size());
        for (std::size_t r = 0; r < facts.rowCount; ++r) {
            bool in = true;
            for (const std::string& name : slicer) {
                const olap::Member* m = cube->FindMember(name);
                const auto column = static_cast<std::size_t>(m->GetHierarchy().FactColumn());
                const std::uint32_t leaf = olap::KeyAt(facts.keys[column], r);
                in = in && leaf >= m->LeafBegin() && leaf < m->LeafEnd();
            }
            if (!in)
                continue;
            const std::uint32_t leaf = olap::KeyAt(facts.keys[static_cast<std::size_t>(product.FactColumn())], r);
            const std::size_t c = toCategory[leaf];
            sums[c] += facts.measures[static_cast<std::size_t>(units)].ValueAt(r);
            rows[c] += 1;
            seen[c].insert(facts.measures[static_cast<std::size_t>(customers)].ValueAt(r));
        }
        Names expected;
        for (std::size_t c = 0; c < categories.size(); ++c) {
            for (double v : {sums[c], rows[c], static_cast<double>(seen[c].size())})
                expected.push_back(rows[c] > 0 ? olap::FormatNumber(v) : "");
        }
        for (int threads : {1, 2}) {
            auto result = olap::AggregationEngine::Aggregate(*cube, request, {threads, false});
            EXPECT_EQ(Cells(*result), expected) << ::testing::PrintToString(slicer) << ", threads " << threads;
        }
    }
}

} // namespace

namespace {

TEST_F(TinyAggregation, TupleSlicerTakesRowsUnderAnyTuple)
{
    olap::AggregationRequest request;
    request.groupings.push_back(olap::MemberSet::OfLevel(*s_cube->FindLevel("[Product].[Category]")));
    request.tupleSlicer = {{s_cube->FindMember("[Time].[2023]"), s_cube->FindMember("[Channel].[Web]")},
        {s_cube->FindMember("[Time].[2024]"), s_cube->FindMember("[Channel].[Shop]")}};
    request.measures = {s_cube->FindMeasure("Qty")->Index(), s_cube->FindMeasure("Customers")->Index()};
    for (int threads : {1, 2}) {
        auto result = olap::AggregationEngine::Aggregate(*s_cube, request, {threads, false});
        EXPECT_EQ(Cells(*result), (Names {"9", "2", "2", "1", "", ""})) << threads;
    }
    // A plain slicer narrows the tuples further; the cache tells the requests apart.
    request.slicer = {olap::MemberSet::Of(*s_cube->FindMember("[Time].[2024]"))};
    EXPECT_EQ(Cells(*olap::AggregationEngine::Aggregate(*s_cube, request)), (Names {"4", "1", "", "", "", ""}));
    request.tupleSlicer = {{s_cube->FindMember("[Measures].[Qty]")}};
    EXPECT_THROW(olap::AggregationEngine::Aggregate(*s_cube, request), olap::OlapError);
}

} // namespace
