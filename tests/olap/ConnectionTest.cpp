// Connection strings, opening local cube files, running MDX and discovery through a connection.
#include "OlapTestSupport.h"

#include "../../tools/lumetra-mdx/MdxOutput.h"
#include "olap/access/Connection.h"
#include "olap/access/ConnectionString.h"
#include "olap/exec/ResultCache.h"
#include "olap/query/MdxError.h"
#include "olap/query/MdxEvaluator.h"
#include "olap/storage/CubeFile.h"

#include <gtest/gtest.h>

namespace {

TEST(ConnectionString, ParsesPairsAsTheConnectDialogWritesThem)
{
    auto cs = olap::ConnectionString::Parse(
        " Provider=MSOLAP.2; Data Source = /data/My Sales.cub ;Initial Catalog=Sales;; pwd=\"a;b\"\"c\" ;");
    EXPECT_EQ(cs.Get("provider"), "MSOLAP.2");
    EXPECT_EQ(cs.Get("DATA SOURCE"), "/data/My Sales.cub");
    EXPECT_EQ(cs.Get("Initial Catalog"), "Sales");
    EXPECT_EQ(cs.Get("PWD"), "a;b\"c");
    EXPECT_EQ(cs.Get("User ID"), std::nullopt);
    EXPECT_EQ(cs.Pairs().size(), 4u);
    EXPECT_EQ(olap::ConnectionString::Parse("a=1;A=2").Get("a"), "2");
    EXPECT_EQ(olap::ConnectionString::Parse("").Pairs().size(), 0u);
}

TEST(ConnectionString, BracedValuesHoldSemicolonsAndKeepTheirBraces)
{
    const struct {
        const char* name;
        const char* text;
        const char* key;
        const char* value;
        std::size_t pairs;
    } cases[] = {
        {"password with ';' and '='", "Driver={No Such Driver};PWD={Top;Secret=123};UID=u", "PWD", "{Top;Secret=123}",
            3},
        {"doubled closing brace", "PWD={a}};b};UID=u", "PWD", "{a}};b}", 2},
        {"driver name", "Driver={SQL Server}; Server=s", "Driver", "{SQL Server}", 2},
        {"blanks around", "PWD =  {x;y}  ; UID=u", "PWD", "{x;y}", 2},
        {"brace inside a plain value", "PWD=a{b;UID=u", "PWD", "a{b", 2},
    };
    for (const auto& c : cases) {
        const auto cs = olap::ConnectionString::Parse(c.text);
        EXPECT_EQ(cs.Get(c.key), c.value) << c.name;
        EXPECT_EQ(cs.Pairs().size(), c.pairs) << c.name;
        EXPECT_EQ(cs.Get("Secret"), std::nullopt) << c.name;
    }
}

TEST(ConnectionString, RejectsMalformedText)
{
    for (const char* text : {"Provider", "a=1; junk ;b=2", "=x", "a='unterminated", "a='x' y", "PWD={open;UID=u"})
        EXPECT_THROW(olap::ConnectionString::Parse(text), olap::OlapError) << text;
}

TEST(ConnectionString, ErrorsShowNoPasswordAndCutLongText)
{
    const struct {
        const char* name;
        std::string text;
        std::vector<std::string> hidden;
    } cases[] = {
        {"rest of a password with ';'", "Driver={x};PWD=Top;Secret;UID=u", {"Secret"}},
        {"rest of a Password with ';'", "Password=Top;Secret 123;UID=u", {"Secret", "123"}},
        {"unterminated braced password", "PWD={Top;Secret=123", {"Top", "Secret", "123"}},
        {"unterminated quoted password", "PWD='Top;Secret=123", {"Top", "Secret", "123"}},
        {"huge stray text", "Provider=x;" + std::string(1 << 20, 'z'), {std::string(201, 'z')}},
    };
    for (const auto& c : cases) {
        try {
            olap::ConnectionString::Parse(c.text);
            ADD_FAILURE() << c.name << ": parsed";
        } catch (const olap::OlapError& e) {
            for (const std::string& secret : c.hidden)
                EXPECT_EQ(std::string(e.what()).find(secret), std::string::npos)
                    << c.name << ": " << std::string(e.what()).substr(0, 300);
        }
    }
}

class LocalConnection : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto cube = olaptest::BuildTinyCube(m_dir);
        m_path = m_dir.Path("Tiny Shop.cub");
        olap::CubeFile::Write(*cube, m_path);
    }

    olaptest::TempDir m_dir;
    std::string m_path;
};

TEST_F(LocalConnection, RunsMdxIntoACellSet)
{
    auto connection = olap::Connection::Connect("Provider=MSOLAP.2; Data Source=" + m_path + "; Initial Catalog=Tiny");
    olap::QueryResult r = connection->ExecuteMdx("SELECT {[Measures].[Qty], [Measures].[Avg Price]} ON COLUMNS, "
                                                 "[Time].[Year].Members ON ROWS FROM [Shop]");
    ASSERT_EQ(r.kind, olap::QueryResult::Kind::CellSet);
    const olap::CellSet& cs = r.cellSet;
    ASSERT_EQ(cs.axes.size(), 2u);
    EXPECT_EQ(cs.axes[0].hierarchies, std::vector<std::string> {"[Measures]"});
    ASSERT_EQ(cs.axes[1].positions.size(), 2u);
    const olap::CellSet::Member& y2024 = cs.axes[1].positions[1][0];
    EXPECT_EQ(y2024.uniqueName, "[Time].[2024]");
    EXPECT_EQ(y2024.caption, "2024");
    EXPECT_EQ(y2024.levelUniqueName, "[Time].[Year]");
    EXPECT_EQ(y2024.levelDepth, 1);
    EXPECT_EQ(y2024.childCount, 2u);
    EXPECT_EQ(y2024.parentUniqueName, "[Time].[All Periods]");
    // 2023: qty 2+1+3+5 = 11; avg price over the three non-NULL prices (1.5+2.25+0.99)/3.
    const olap::CellSet::Cell& qty2023 = cs.cells[cs.CellOrdinal(std::vector<std::size_t> {0, 0})];
    EXPECT_EQ(qty2023.value, 11);
    EXPECT_EQ(qty2023.formatted, "11");
    const olap::CellSet::Cell& avg2023 = cs.cells[cs.CellOrdinal(std::vector<std::size_t> {1, 0})];
    EXPECT_NEAR(*avg2023.value, 1.58, 1e-12);
    EXPECT_EQ(avg2023.formatted, "1.58");
    // The connection stays usable after an error.
    EXPECT_THROW(connection->ExecuteMdx("SELECT FROM [Shop] WHERE [Time].[1999]"), olap::MdxError);
    EXPECT_EQ(connection->ExecuteMdx("SELECT FROM [Shop]").cellSet.cells.at(0).value, 24);
}

TEST_F(LocalConnection, DiscoversTheCube)
{
    auto connection = olap::Connection::Connect("Data Source=" + m_path);
    using K = olap::SchemaRowsetKind;
    EXPECT_EQ(connection->Discover(K::Cubes).rows, (std::vector<std::vector<std::string>> {{"Tiny", "Shop", "Shop"}}));
    EXPECT_EQ(connection->Discover(K::Dimensions, "shop").rows.size(), 4u);
    EXPECT_EQ(connection->Discover(K::Hierarchies).rows.size(), 4u);
    // Measures level, Time (All, Year, Quarter), Product (All, Category, Product), Channel (All, Channel).
    EXPECT_EQ(connection->Discover(K::Levels).rows.size(), 9u);
    // 7 measures; Time 1+2+4; Product 1+3+5; Channel 1+2.
    EXPECT_EQ(connection->Discover(K::Members).rows.size(), 26u);
    auto measures = connection->Discover(K::Measures);
    ASSERT_EQ(measures.rows.size(), 8u);
    EXPECT_EQ(measures.rows.back()[2], "[Measures].[Qty per Row]");
    EXPECT_THROW(connection->Discover(K::Cubes, "Sales"), olap::OlapError);
}

TEST_F(LocalConnection, OpenErrorsNameTheProblem)
{
    auto message = [](const std::string& cs) {
        try {
            olap::Connection::Connect(cs);
        } catch (const std::exception& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    // A relational provider is not asked to read a cube file; without a driver it says which
    // registry value to set.
    EXPECT_NE(message("Provider=SQLOLEDB; Data Source=" + m_path).find("Providers\\sqloledb"), std::string::npos);
    EXPECT_NE(message("Provider=MSOLAP").find("no Data Source"), std::string::npos);
    EXPECT_NE(message("Data Source=" + m_path + "; Initial Catalog=Other").find("Catalog 'Other'"), std::string::npos);
    EXPECT_NE(message("Data Source=" + m_dir.Path("missing.cub")), "no error");
    EXPECT_NO_THROW(
        olap::Connection::Connect("provider=msolap; data source=" + m_path + "; initial catalog=tiny shop"));
}

} // namespace

namespace {

// A grid costs one aggregation request per combination of levels, not one per cell.
TEST(MdxEvaluatorPasses, OneRequestPerLevelCombination)
{
    olaptest::TempDir dir;
    auto cube = olaptest::BuildTinyCube(dir);
    struct Case {
        const char* query;
        std::uint64_t requests;
    };
    const Case cases[] = {
        {"SELECT {[Measures].[Qty], [Measures].[Customers]} ON 0, [Time].[Year].Members * [Product].[Category].Members "
         "ON 1 FROM [Shop] WHERE [Channel].[Web]",
            1},
        // Subtotals: (All, Category) rolls up from the scan of (Year, Category).
        {"SELECT [Product].[Category].Members ON 0, {[Time].[All Periods], [Time].[Year].Members} ON 1 FROM [Shop]", 1},
        // Three hierarchies with their All members: eight level combinations, one scan.
        {"SELECT {[Measures].[Qty], [Measures].[Customers]} ON 0, NON EMPTY {[Time].[All Periods], "
         "[Time].[Year].Members} * {[Product].[All Products], [Product].[Category].Members} * "
         "{[Channel].DefaultMember, [Channel].[Channel].Members} ON 1 FROM [Shop]",
            1},
        // NON EMPTY and a calculated measure reuse the cells of the grid.
        {"WITH MEMBER [Measures].[Twice] AS [Measures].[Qty] * 2 SELECT NON EMPTY {[Measures].[Qty], "
         "[Measures].[Twice]} "
         "ON 0, NON EMPTY [Product].[Product].Members ON 1 FROM [Shop]",
            1},
        // Filter reads the cells it needs in one request, then the grid is answered from them.
        {"SELECT Filter([Product].[Product].Members, [Measures].[Qty] > 3) ON 0 FROM [Shop]", 1},
        // A pivot's Aggregate totals on both axes next to members of two levels: one scan.
        {"WITH MEMBER [Product].[Pivot Total] AS 'Aggregate([Product].[Category].Members)' MEMBER [Time].[Pivot "
         "Total] AS 'Aggregate({[Time].[2023].[Q1], [Time].[2024]})' SELECT NON EMPTY {[Time].[Year].Members, "
         "[Time].[Quarter].Members, [Time].[Pivot Total]} * {[Measures].[Qty], [Measures].[Customers]} ON 0, NON "
         "EMPTY {[Product].[Category].Members, [Product].[Product].Members, [Product].[Pivot Total]} ON 1 FROM [Shop]",
            1},
        // Totals and the members beside them under a slicer: one scan; a calculated measure
        // over the totals reads the cells that scan answered.
        {"WITH MEMBER [Product].[Pivot Total] AS 'Aggregate([Product].[Product].Members)' SELECT {[Measures].[Qty], "
         "[Measures].[Rows]} ON 0, {[Product].[Product].Members, [Product].[Pivot Total]} ON 1 FROM [Shop] WHERE "
         "[Channel].[Web]",
            1},
        {"WITH MEMBER [Product].[Pivot Total] AS 'Aggregate([Product].[Product].Members)' MEMBER [Measures].[Twice] "
         "AS [Measures].[Qty] * 2 SELECT {[Measures].[Qty], [Measures].[Twice]} ON 0, {[Product].[Product].Members, "
         "[Product].[Pivot Total]} ON 1 FROM [Shop]",
            1},
    };
    for (const Case& c : cases) {
        cube->Cache().Clear();
        std::uint64_t before = cube->Cache().Misses();
        olap::MdxEvaluator::Execute(*cube, c.query);
        EXPECT_EQ(cube->Cache().Misses() - before, c.requests) << c.query;
    }
}

// A grid of stored cells is answered from one request; the same grid through calculated
// measures that only name the stored ones takes the cell-by-cell path. Both must agree.
TEST(MdxEvaluatorStoredGrid, SameCellsAsTheGeneralPath)
{
    olaptest::TempDir dir;
    auto cube = olaptest::BuildTinyCube(dir);
    const char* const measures[] = {"Qty", "Rows", "Price Sum", "Min Price", "Max Price", "Avg Price", "Customers"};
    // @NAME stands for a measure.
    const char* const queries[] = {
        "SELECT {@Qty, @Customers} ON 0, NON EMPTY {[Time].[All Periods], [Time].[Year].Members} * {[Product].[All "
        "Products], [Product].[Category].Members} ON 1 FROM [Shop] WHERE [Channel].[Web]",
        "SELECT {@Min Price, @Max Price, @Avg Price, @Rows} ON 0, {[Product].[Fruit], [Product].[Fruit].[Apple], "
        "[Product].[Dairy].Children, [Product].[All Products]} ON 1 FROM [Shop] WHERE {[Time].[2023].[Q1], "
        "[Time].[2024]}",
        "SELECT {@Qty, @Price Sum} ON 0, NON EMPTY [Product].[Product].Members ON 1 FROM [Shop] WHERE "
        "{([Time].[2023], [Channel].[Web]), ([Time].[2024], [Channel].[Shop])}",
        "SELECT [Product].[Product].Members ON 0, [Time].[Quarter].Members ON 1 FROM [Shop] WHERE (@Avg Price, "
        "[Channel].[Web])",
        "SELECT NON EMPTY [Channel].[Channel].Members ON 0, NON EMPTY {@Customers, @Qty} * [Time].[Year].Members ON 1 "
        "FROM [Shop]",
        "SELECT FROM [Shop] WHERE @Customers",
    };
    auto expand = [&](std::string text, bool alias) {
        for (const char* m : measures) {
            const std::string token = std::string("@") + m;
            const std::string name
                = alias ? std::string("[Measures].[Alias ") + m + "]" : std::string("[Measures].[") + m + "]";
            for (std::size_t at = text.find(token); at != std::string::npos; at = text.find(token, at + name.size()))
                text.replace(at, token.size(), name);
        }
        if (alias) {
            std::string with = "WITH";
            for (const char* m : measures)
                with += std::string(" MEMBER [Measures].[Alias ") + m + "] AS [Measures].[" + m + "]";
            text = with + " " + text;
        }
        return text;
    };
    for (const char* query : queries) {
        const olap::CellSet direct = olap::MdxEvaluator::Execute(*cube, expand(query, false)).cellSet;
        const olap::CellSet general = olap::MdxEvaluator::Execute(*cube, expand(query, true)).cellSet;
        ASSERT_EQ(direct.cells.size(), general.cells.size()) << query;
        ASSERT_EQ(direct.axes.size(), general.axes.size()) << query;
        for (std::size_t a = 0; a < direct.axes.size(); ++a)
            EXPECT_EQ(direct.axes[a].positions.size(), general.axes[a].positions.size()) << query;
        for (std::size_t c = 0; c < direct.cells.size(); ++c) {
            EXPECT_EQ(direct.cells[c].value, general.cells[c].value) << query << " cell " << c;
            EXPECT_EQ(direct.cells[c].formatted, general.cells[c].formatted) << query << " cell " << c;
        }
    }
}

TEST(LumetraMdxOutput, SplitsScriptsAtSemicolonsThatEndALine)
{
    auto statements = lumetra_mdx::SplitStatements("-- first\nSELECT 'a;b' ON 0\nFROM [Shop];\n\n-- only a comment;\n"
                                                   "SELECT FROM [Shop] ;  \nSELECT FROM [Shop]");
    ASSERT_EQ(statements.size(), 3u);
    EXPECT_EQ(statements[0], "-- first\nSELECT 'a;b' ON 0\nFROM [Shop]\n");
    EXPECT_EQ(statements[1], "\n-- only a comment;\nSELECT FROM [Shop] \n");
    EXPECT_EQ(statements[2], "SELECT FROM [Shop]\n");
}

TEST(LumetraMdxOutput, RendersGridAndCsv)
{
    olaptest::TempDir dir;
    auto cube = olaptest::BuildTinyCube(dir);
    auto result = olap::MdxEvaluator::Execute(
        *cube, "SELECT {[Measures].[Qty], [Measures].[Avg Price]} ON 0, [Channel].[Channel].Members ON 1 FROM [Shop]");
    EXPECT_EQ(lumetra_mdx::Render(result, lumetra_mdx::OutputFormat::Grid),
        "     | Qty | Avg Price\n"
        "Shop | 8   | 1.68\n"
        "Web  | 16  | 1.53\n");
    EXPECT_EQ(
        lumetra_mdx::Render(result, lumetra_mdx::OutputFormat::Csv), ",Qty,Avg Price\nShop,8,1.675\nWeb,16,1.528\n");
}

} // namespace
