// NON EMPTY over a crossjoin keeps only the tuples with fact rows without building the full
// product. Each case runs an axis as `NON EMPTY X` (the crossjoin as written) and as
// `NON EMPTY {X}` (a set of one element, which always builds the product) and expects the
// same answer; a cube with two large levels shows that the product is never built.
#include "OlapTestSupport.h"

#include "../../tools/lumetra-mdx/MdxOutput.h"
#include "olap/exec/AggregationRequest.h"
#include "olap/exec/NonEmptyScan.h"
#include "olap/model/Hierarchy.h"
#include "olap/model/Level.h"
#include "olap/query/MdxEvaluator.h"
#include "olap/schema/SchemaReader.h"
#include "olap/storage/CubeBuilder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>

namespace {

struct SparseCase {
    const char* title;
    //! The statement; "@" stands for the crossjoin.
    const char* query;
    const char* crossjoin;
    //! Positions the NON EMPTY crossjoin axis keeps (-1: not checked).
    int positions;
    const char* schema = "tiny.xml";
};

std::string With(std::string query, const std::string& crossjoin)
{
    const auto at = query.find('@');
    return query.replace(at, 1, crossjoin);
}

const char* const kQuarterProduct = "CrossJoin([Time].[Quarter].Members, [Product].[Product].Members)";

class SparseNonEmpty : public testing::TestWithParam<SparseCase> { };

TEST_P(SparseNonEmpty, SameAnswerAsTheFullProduct)
{
    const SparseCase& c = GetParam();
    olaptest::TempDir dir;
    const auto cube = olaptest::BuildTinyCube(dir, c.schema);
    const std::string sparse = With(c.query, c.crossjoin);
    const std::string full = With(c.query, std::string("{") + c.crossjoin + "}");
    // Every product of these cases is small: the sparse path is asked for whatever the size.
    olap::QueryOptions options;
    options.sparseCrossjoinTuples = 0;
    const auto answer = [&](const std::string& query, olap::QueryResult* kept) {
        try {
            olap::QueryResult r = olap::MdxEvaluator::Execute(*cube, query, options);
            std::string text = lumetra_mdx::Render(r, lumetra_mdx::OutputFormat::Properties);
            *kept = std::move(r);
            return text;
        } catch (const std::exception& e) {
            // The braces of the full form move the error's column by one.
            std::string text = e.what();
            if (const auto at = text.find(", column "); at != std::string::npos)
                text.erase(at, text.find(':', at) - at);
            return "error: " + text;
        }
    };
    olap::QueryResult got;
    olap::QueryResult want;
    EXPECT_EQ(answer(sparse, &got), answer(full, &want)) << sparse;
    if (c.positions >= 0) {
        ASSERT_GE(got.cellSet.axes.size(), 2u);
        EXPECT_EQ(got.cellSet.axes[1].positions.size(), static_cast<std::size_t>(c.positions)) << sparse;
    }
}

// Tiny cube: quarter x product pairs with rows: 2023 Q1 Apple, Pear; Q2 Milk; 2024 Q1 Apple,
// Milk; Q2 Pear, Apple (7). Web rows: 2023 Q1 Apple, Q2 Milk, 2024 Q1 Apple, Q2 Pear, Apple.
const SparseCase kCases[] = {
    {"crossjoin of two levels", "SELECT {[Measures].[Qty]} ON 0, NON EMPTY @ ON 1 FROM [Shop]", kQuarterProduct, 7},
    {"star operator, three factors",
        "SELECT {[Measures].[Qty], [Measures].[Customers]} ON 0, NON EMPTY @ ON 1 FROM [Shop]",
        "[Time].[Quarter].Members * [Product].[Product].Members * [Channel].[Channel].Members", 8},
    {"nested crossjoins", "SELECT NON EMPTY {[Measures].[Qty]} ON 0, NON EMPTY @ ON 1 FROM [Shop]",
        "CrossJoin([Channel].[Channel].Members, CrossJoin([Product].[Category].Members, [Time].[Year].Members))", -1},
    {"member slicer", "SELECT {[Measures].[Qty]} ON 0, NON EMPTY @ ON 1 FROM [Shop] WHERE [Channel].[Web]",
        kQuarterProduct, 5},
    {"set slicer",
        "SELECT {[Measures].[Qty]} ON 0, NON EMPTY @ ON 1 FROM [Shop] WHERE {[Channel].[Web], [Channel].[Shop]}",
        kQuarterProduct, 7},
    {"compound slicer",
        "SELECT {[Measures].[Qty]} ON 0, NON EMPTY @ ON 1 FROM [Shop]"
        " WHERE {([Time].[2023], [Channel].[Web]), ([Time].[2024], [Channel].[Shop])}",
        "CrossJoin([Product].[Product].Members, [Channel].[Channel].Members)", -1},
    {"default measure, no other axis", "SELECT NON EMPTY @ ON 0 FROM [Shop]",
        "CrossJoin([Time].[Year].Members, [Channel].[Channel].Members)", -1},
    {"the other axis restricts a hierarchy",
        "SELECT {[Channel].[Shop]} ON 0, NON EMPTY @ ON 1 FROM [Shop] WHERE [Measures].[Qty]", kQuarterProduct, 3},
    {"a measure with a null value keeps its row", "SELECT {[Measures].[Avg Price]} ON 0, NON EMPTY @ ON 1 FROM [Shop]",
        "CrossJoin([Product].[Product].Members, [Channel].[Channel].Members)", -1},
    {"calculated measure made of stored ones",
        "WITH MEMBER [Measures].[Twice] AS [Measures].[Qty] * 2"
        " SELECT {[Measures].[Twice]} ON 0, NON EMPTY @ ON 1 FROM [Shop]",
        kQuarterProduct, 7},
    {"calculated measure with values where there are no rows",
        "WITH MEMBER [Measures].[One] AS 1 SELECT {[Measures].[One]} ON 0, NON EMPTY @ ON 1 FROM [Shop]",
        kQuarterProduct, 20},
    {"calculated measure in the slicer",
        "WITH MEMBER [Measures].[One] AS 1 SELECT NON EMPTY @ ON 0 FROM [Shop] WHERE [Measures].[One]", kQuarterProduct,
        -1},
    {"calculated member in a factor",
        "WITH MEMBER [Time].[Both Years] AS Aggregate({[Time].[2023], [Time].[2024]})"
        " SELECT {[Measures].[Qty]} ON 0, NON EMPTY @ ON 1 FROM [Shop]",
        "CrossJoin({[Time].[2023], [Time].[Both Years]}, [Product].[Product].Members)", 6},
    {"measures as a factor", "SELECT {[Time].[2023]} ON 0, NON EMPTY @ ON 1 FROM [Shop]",
        "CrossJoin({[Measures].[Qty], [Measures].[Rows]}, [Product].[Product].Members)", 6},
    {"levels mixed in a factor", "SELECT {[Measures].[Qty]} ON 0, NON EMPTY @ ON 1 FROM [Shop]",
        "CrossJoin({[Time].[All Periods], [Time].[Year].Members}, [Product].[Category].Members)", 6},
    {"a member twice in a factor", "SELECT {[Measures].[Qty]} ON 0, NON EMPTY @ ON 1 FROM [Shop]",
        "CrossJoin({[Time].[2023], [Time].[2023]}, [Product].[Product].Members)", 6},
    {"an empty factor", "SELECT {[Measures].[Qty]} ON 0, NON EMPTY @ ON 1 FROM [Shop]",
        "CrossJoin(Filter([Time].[Year].Members, 1 = 0), [Product].[Product].Members)", 0},
    {"hierarchy order of the factors kept", "SELECT {[Measures].[Qty]} ON 0, NON EMPTY @ ON 1 FROM [Shop]",
        "CrossJoin(Order([Product].[Product].Members, [Measures].[Qty], BDESC), [Time].[Quarter].Members)", 7},
    {"sub-select",
        "SELECT {[Measures].[Qty]} ON 0, NON EMPTY @ ON 1"
        " FROM (SELECT {[Product].[Apple], [Product].[Milk]} ON 0 FROM [Shop])",
        kQuarterProduct, 5},
    {"NON EMPTY on both axes", "SELECT NON EMPTY @ ON 0, NON EMPTY [Product].[Product].Members ON 1 FROM [Shop]",
        "CrossJoin([Time].[Year].Members, [Channel].[Channel].Members)", 3},
    {"no All member: the default member slices", "SELECT {[Measures].[Qty]} ON 0, NON EMPTY @ ON 1 FROM [Shop]",
        "CrossJoin([Product].[Product].Members, [Channel].[Channel].Members)", 4, "tiny_noall.xml"},
    {"same hierarchy twice is still an error", "SELECT {[Measures].[Qty]} ON 0, NON EMPTY @ ON 1 FROM [Shop]",
        "CrossJoin([Time].[Year].Members, [Time].[Quarter].Members)", -1},
    {"a factor that is no set is the same error", "SELECT {[Measures].[Qty]} ON 0, NON EMPTY @ ON 1 FROM [Shop]",
        "CrossJoin([Time].[Year].Members, [Measures].[Qty] * 2)", -1},
};

INSTANTIATE_TEST_SUITE_P(Cases, SparseNonEmpty, testing::ValuesIn(kCases));

// A cube whose two levels (LEFT by RIGHT members) span a product far beyond the query's
// memory budget, with ROWS fact rows on a diagonal.
std::unique_ptr<olap::Cube> BuildWideCube(const olaptest::TempDir& dir, int side, int rows)
{
    std::string sql = "CREATE TABLE a(a_id INTEGER, name TEXT); CREATE TABLE b(b_id INTEGER, name TEXT);"
                      "CREATE TABLE f(a_id INTEGER, b_id INTEGER, qty INTEGER);";
    for (const char* table : {"a", "b"}) {
        sql += std::string("INSERT INTO ") + table + " VALUES ";
        for (int i = 0; i < side; ++i)
            sql += (i ? ",(" : "(") + std::to_string(i) + ",'" + table + std::to_string(100000 + i) + "')";
        sql += ";";
    }
    sql += "INSERT INTO f VALUES ";
    for (int i = 0; i < rows; ++i)
        sql += (i ? ",(" : "(") + std::to_string(i * 7 % side) + "," + std::to_string(i * 13 % side) + ","
            + std::to_string(i + 1) + ")";
    sql += ";";
    auto db = olaptest::MakeDatabase(dir.Path("wide.sqlite"), sql);
    const auto schema = olap::SchemaReader::Parse(R"(<Schema name="Wide"><Cube name="Wide"><Table name="f"/>
      <Dimension name="A" foreignKey="a_id"><Hierarchy hasAll="true" primaryKey="a_id"><Table name="a"/>
        <Level name="Name" column="name" uniqueMembers="true"/></Hierarchy></Dimension>
      <Dimension name="B" foreignKey="b_id"><Hierarchy hasAll="true" primaryKey="b_id"><Table name="b"/>
        <Level name="Name" column="name" uniqueMembers="true"/></Hierarchy></Dimension>
      <Measure name="Qty" column="qty" aggregator="sum"/></Cube></Schema>)");
    return olap::CubeBuilder::Build(schema.name, schema.cubes.front(), *db);
}

TEST(SparseNonEmptyWide, TheFullProductIsNeverBuilt)
{
    constexpr int kSide = 20000; // 4e8 tuples: far beyond the budget and the 50-million-cell limit
    constexpr int kRows = 500;
    olaptest::TempDir dir;
    const auto cube = BuildWideCube(dir, kSide, kRows);
    olap::QueryOptions options;
    options.memoryBudget = std::uint64_t(64) << 20;
    const std::string crossjoin = "CrossJoin([A].[Name].Members, [B].[Name].Members)";
    const std::string query = "SELECT {[Measures].[Qty]} ON 0, NON EMPTY @ ON 1 FROM [Wide]";
    EXPECT_ANY_THROW(olap::MdxEvaluator::Execute(*cube, With(query, "{" + crossjoin + "}"), options));

    const olap::QueryResult r = olap::MdxEvaluator::Execute(*cube, With(query, crossjoin), options);
    const auto& positions = r.cellSet.axes[1].positions;
    ASSERT_EQ(positions.size(), std::size_t(kRows)); // 7 and 13 are prime to the side: no pair twice
    // In hierarchy order (A's members slowest), each with its own row's quantity.
    std::set<std::pair<int, int>> seen;
    for (std::size_t p = 0; p < positions.size(); ++p) {
        const int a = std::stoi(positions[p][0].name.substr(1)) - 100000;
        const int b = std::stoi(positions[p][1].name.substr(1)) - 100000;
        if (p > 0) {
            const int pa = std::stoi(positions[p - 1][0].name.substr(1)) - 100000;
            const int pb = std::stoi(positions[p - 1][1].name.substr(1)) - 100000;
            EXPECT_TRUE(pa < a || (pa == a && pb < b)) << p;
        }
        const int row = [&] {
            for (int i = 0; i < kRows; ++i) {
                if (i * 7 % kSide == a && i * 13 % kSide == b)
                    return i;
            }
            return -1;
        }();
        ASSERT_GE(row, 0) << positions[p][0].name << " x " << positions[p][1].name;
        EXPECT_EQ(r.cellSet.cells[p].value, std::optional<double>(row + 1));
        seen.insert({a, b});
    }
    EXPECT_EQ(seen.size(), std::size_t(kRows));

    // A slicer narrows the scan like any other stored cell.
    const olap::QueryResult sliced = olap::MdxEvaluator::Execute(*cube,
        "SELECT {[Measures].[Qty]} ON 0, NON EMPTY CrossJoin([A].[Name].Members, {[B].[b100013], [B].[b100026]})"
        " ON 1 FROM [Wide]",
        options);
    ASSERT_EQ(sliced.cellSet.axes[1].positions.size(), 2u); // rows 1 and 2
    EXPECT_EQ(sliced.cellSet.cells[0].value, std::optional<double>(2));
    EXPECT_EQ(sliced.cellSet.cells[1].value, std::optional<double>(3));
}

// The scan itself: overlapping or repeated members leave the answer to the caller.
TEST(SparseNonEmptyWide, ScanDeclinesOverlappingMembers)
{
    olaptest::TempDir dir;
    const auto cube = olaptest::BuildTinyCube(dir);
    const olap::Hierarchy* time = cube->FindHierarchy("[Time]");
    const olap::Hierarchy* product = cube->FindHierarchy("[Product]");
    ASSERT_TRUE(time && product);
    olap::AggregationRequest request;
    request.groupings.push_back(olap::MemberSet::OfLevel(time->LeafLevel()));
    request.groupings.push_back(olap::MemberSet::OfLevel(product->LeafLevel()));
    const auto positions = olap::NonEmptyScan::Positions(*cube, request);
    ASSERT_TRUE(positions);
    EXPECT_EQ(positions->size(), 2u * 7u);

    request.groupings[0].members.push_back(time->AllMember());
    EXPECT_FALSE(olap::NonEmptyScan::Positions(*cube, request));
    request.groupings[0] = olap::MemberSet::OfLevel(time->LeafLevel());
    request.groupings[0].members.push_back(request.groupings[0].members.front());
    EXPECT_FALSE(olap::NonEmptyScan::Positions(*cube, request));
}

} // namespace
