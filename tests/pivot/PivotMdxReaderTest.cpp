// MDX statements read back into views: every view of the case files (the MDX the pivot
// writes) reads back into a definition that asks the same statement, hand-written
// statements of other shapes are refused, and the statement parser's edges.
#include "control/pivot/model/PivotMdxReader.h"
#include "control/pivot/model/MdxStatement.h"
#include "control/pivot/model/PivotError.h"
#include "control/pivot/model/PivotMdxBuilder.h"
#include "control/pivot/model/PivotXml.h"

#include "olap/access/Connection.h"
#include "olap/access/SchemaRowset.h"
#include "olap/sample/SalesSample.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

using pivot::MdxStatement;
using pivot::PivotDefinition;
using pivot::PivotMdxBuilder;
using pivot::PivotMdxReader;

class PivotMdxReaderTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_dir = new std::filesystem::path(
            std::filesystem::temp_directory_path() / ("pivot-reader-" + std::to_string(::getpid())));
        olap::SalesSample::WriteAll(s_dir->string(), 500, 7);
        auto connection = olap::Connection::Connect("Provider=MSOLAP.2;Data Source=" + (*s_dir / "Sales.cub").string());
        s_fieldSets = new std::vector<pivot::PivotFieldSet>(
            PivotMdxReader::CubeFieldSets(connection->Discover(olap::SchemaRowsetKind::Hierarchies, "Sales"),
                connection->Discover(olap::SchemaRowsetKind::Levels, "Sales")));
    }
    static void TearDownTestSuite()
    {
        delete s_fieldSets;
        std::error_code ec;
        std::filesystem::remove_all(*s_dir, ec);
        delete s_dir;
    }
    static std::optional<PivotDefinition> Read(const std::string& mdx)
    {
        return PivotMdxReader::Read(mdx, PivotMdxReader::LookupIn(*s_fieldSets), "Provider=MSOLAP.2");
    }
    static inline std::filesystem::path* s_dir = nullptr;
    static inline std::vector<pivot::PivotFieldSet>* s_fieldSets = nullptr;
};

//! The views of a case file (the text between "=== title" and "--- mdx").
std::vector<std::pair<std::string, std::string>> CaseViews(const std::string& file)
{
    std::ifstream in(std::string(PIVOT_TEST_DATA) + "/cases/" + file);
    std::vector<std::pair<std::string, std::string>> views;
    std::string line;
    bool inView = false;
    while (std::getline(in, line)) {
        if (line.rfind("=== ", 0) == 0) {
            views.emplace_back(line.substr(4), "");
            inView = true;
        } else if (line.rfind("--- ", 0) == 0) {
            inView = false;
        } else if (inView) {
            views.back().second += line;
        }
    }
    return views;
}

std::vector<std::string> FieldSetNames(const std::vector<pivot::PivotFieldSet>& axis)
{
    std::vector<std::string> names;
    for (const auto& fieldSet : axis)
        names.push_back(fieldSet.uniqueName);
    return names;
}

TEST_F(PivotMdxReaderTest, EveryCaseViewReadsBackToTheSameQueryAndAxes)
{
    int read = 0;
    for (const std::string file : {"views.cases", "filters.cases"}) {
        for (const auto& [title, view] : CaseViews(file)) {
            SCOPED_TRACE(file + ": " + title);
            const PivotDefinition original = pivot::PivotXml::Read(
                "<xml "
                "xmlns:x=\"urn:schemas-microsoft-com:office:excel\"><x:PivotTable><x:DataMember>Sales</x:DataMember>"
                "<x:PivotView>"
                + view + "</x:PivotView></x:PivotTable></xml>");
            std::string mdx;
            try {
                mdx = PivotMdxBuilder::Build(original);
            } catch (const pivot::PivotError&) {
                continue; // a case about a view that gives no query
            }
            // A view with nothing on its axes asks for one value; such a statement is shown
            // as its result, not read back.
            if (original.rowAxis.empty() && original.columnAxis.empty() && original.IncludedTotals().empty()) {
                EXPECT_FALSE(Read(mdx).has_value());
                continue;
            }
            const auto back = Read(mdx);
            ASSERT_TRUE(back.has_value()) << mdx;
            EXPECT_EQ(PivotMdxBuilder::Build(*back), mdx);
            EXPECT_EQ(back->connectionString, "Provider=MSOLAP.2");
            EXPECT_EQ(back->dataMember, "Sales");
            EXPECT_FALSE(back->IsRawQuery());
            // The field sets land on the axes they came from (an axis moved to the first
            // query axis when the view has no columns gives the same statement either way).
            if (!original.columnAxis.empty()) {
                EXPECT_EQ(FieldSetNames(back->rowAxis), FieldSetNames(original.rowAxis));
                EXPECT_EQ(FieldSetNames(back->columnAxis), FieldSetNames(original.columnAxis));
            }
            for (const auto& fieldSet : original.rowAxis) {
                const pivot::PivotFieldSet* again = back->FindFieldSet(fieldSet.uniqueName);
                ASSERT_NE(again, nullptr) << fieldSet.uniqueName;
                EXPECT_EQ(again->sort, fieldSet.sort);
                EXPECT_EQ(again->filter, fieldSet.filter);
                EXPECT_EQ(again->top, fieldSet.top);
                EXPECT_EQ(again->expandedMembers, fieldSet.expandedMembers);
            }
            ++read;
        }
    }
    EXPECT_GE(read, 15);
}

TEST_F(PivotMdxReaderTest, StatementsOfOtherShapesAreNotReadBack)
{
    const char* const statements[] = {
        "SELECT {[Measures].[Unit Sales]} ON COLUMNS, [Product].[Category].Members ON ROWS FROM [Sales]",
        "SELECT NON EMPTY {[Measures].[Unit Sales]} ON COLUMNS, {Hierarchize([Product].[Category].Members)} ON ROWS "
        "FROM [Sales]",
        "WITH SET [S] AS '[Product].[Category].Members' SELECT [S] ON 0 FROM [Sales]",
        "SELECT NON EMPTY {[Measures].[Unit Sales]} ON COLUMNS, {Hierarchize([Nothing].[Here].Members), "
        "{[Nothing].[Pivot Total]}} ON ROWS FROM [Sales]",
        "SELECT [Measures].[Unit Sales] ON 0, [Product].[Category].Members ON 1, [Time].[Year].Members ON 2 "
        "FROM [Sales]",
        "SELECT FROM [Sales]",
        "SELECT {[Measures].[Unit Sales]} ON ROWS FROM [Sales]",
        "not mdx at all",
        "",
    };
    for (const char* mdx : statements) {
        SCOPED_TRACE(mdx);
        EXPECT_FALSE(Read(mdx).has_value());
    }
}

TEST_F(PivotMdxReaderTest, WhiteSpaceCommentsAndKeywordCaseDoNotMatter)
{
    const std::string mdx = "with member [Product].[Pivot Total] as 'Aggregate([Product].[Category].Members)'\n"
                            "-- the rows\n"
                            "select non empty {[Measures].[Unit Sales]} on columns ,\n"
                            " non empty { hierarchize( [Product].[Category].Members ) , {[Product].[Pivot Total]} } "
                            "on rows /* cube */ from [Sales];";
    const auto back = Read(mdx);
    ASSERT_TRUE(back.has_value());
    ASSERT_EQ(back->rowAxis.size(), 1u);
    EXPECT_EQ(back->rowAxis[0].uniqueName, "[Product]");
    // Every level of the hierarchy is a field, so the view can drill below what the query shows.
    EXPECT_EQ(back->rowAxis[0].fields.size(), 3u);
    EXPECT_TRUE(back->rowGrandTotals);
}

TEST_F(PivotMdxReaderTest, HandWrittenVariantsOfThePivotsShapeAreEditableOnlyWhenTheyAskTheSame)
{
    // A calculated total, a sorted field set and a slicer, as the pivot writes them.
    const std::string base = "WITH MEMBER [Measures].[Margin] AS '[Measures].[Store Sales] - [Measures].[Store Cost]', "
                             "FORMAT_STRING = '#,##0.00' "
                             "MEMBER [Product].[Pivot Total] AS 'Aggregate([Product].[Category].Members)' "
                             "SELECT NON EMPTY {[Measures].[Unit Sales], [Measures].[Margin]} ON COLUMNS, "
                             "NON EMPTY {Order(Hierarchize([Product].[Category].Members), [Measures].[Unit Sales], "
                             "DESC), {[Product].[Pivot Total]}} ON ROWS FROM [Sales] WHERE {[Time].[1997]}";
    struct Case {
        std::string mdx;
        bool editable;
    };
    auto replaced = [&](const std::string& from, const std::string& to) {
        std::string text = base;
        text.replace(text.find(from), from.size(), to);
        return text;
    };
    const Case cases[] = {
        {base, true},
        // Keywords, functions, properties and flags in any case; comments and line breaks.
        {replaced("Order(Hierarchize", "order(HIERARCHIZE"), true},
        {replaced("[Category].Members), [Measures]", "[Category].members), [Measures]"), true},
        {replaced("DESC)", "desc /* down */)"), true},
        {replaced("SELECT NON EMPTY", "-- rows by sales\nselect non empty"), true},
        // A formula written without quotes asks the same as the quoted one.
        {replaced("'[Measures].[Store Sales] - [Measures].[Store Cost]'",
             "[Measures].[Store Sales] - [Measures].[Store Cost]"),
            true},
        {replaced("ON ROWS FROM [Sales] WHERE {[Time].[1997]}", "ON ROWS FROM [Sales] WHERE {[Time].[1997]};"), true},
        // Anything the pivot would write differently stays a read-only result.
        {replaced("[Product].[Category].Members), [Measures]", "[Product].[category].Members), [Measures]"), false},
        {replaced("FORMAT_STRING = '#,##0.00'", "SOLVE_ORDER = 2"), false},
        {replaced("DESC)", "BDESC)"), false},
        {replaced("NON EMPTY {Order", "{Order"), false},
        {replaced("FROM [Sales]", "FROM (SELECT {[Time].[1997]} ON 0 FROM [Sales])"), false},
        {replaced("WHERE {[Time].[1997]}", "WHERE {[Time].[1997]} CELL PROPERTIES VALUE"), false},
        {replaced("ON ROWS", "DIMENSION PROPERTIES [Product].[Category].[Key] ON ROWS"), false},
        {replaced("{[Product].[Pivot Total]}} ON ROWS", "{[Product].[Pivot Total]}, [Product].[Drink]} ON ROWS"),
            false},
        {replaced("SELECT", "SELECT {[Measures].[Unit Sales]} ON 2,"), false},
        {"DRILLTHROUGH " + base.substr(base.find("SELECT")), false},
        {replaced("[Sales] WHERE", "[Sales WHERE"), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mdx);
        const auto back = Read(c.mdx);
        ASSERT_EQ(back.has_value(), c.editable);
        if (!back)
            continue;
        EXPECT_TRUE(MdxStatement::SameText(PivotMdxBuilder::Build(*back), c.mdx));
        ASSERT_EQ(back->totals.size(), 2u);
        EXPECT_EQ(back->totals[1].name, "Margin");
        EXPECT_EQ(back->totals[1].numberFormat, "#,##0.00");
        EXPECT_EQ(back->totals[1].expression, "[Measures].[Store Sales] - [Measures].[Store Cost]");
        ASSERT_EQ(back->rowAxis.size(), 1u);
        EXPECT_EQ(back->rowAxis[0].sort.direction, pivot::SortDirection::Descending);
        ASSERT_EQ(back->filterAxis.size(), 1u);
        EXPECT_EQ(back->filterAxis[0].filter.members, std::vector<std::string> {"[Time].[1997]"});
    }
}

TEST(MdxStatementTest, ErrorsNameTheirPlaceAndOnlySelectsAreRead)
{
    struct Case {
        const char* text;
        const char* error; //!< part of the message, or null when it parses
        const char* cube;
    };
    const Case cases[] = {
        {"SELECT [Product].[Category].Members ON 0 FROM [Sales]", nullptr, "[Sales]"},
        {"SELECT {([A].[B], [C].[D])} ON AXIS(0) FROM [Sales]]x] WHERE [X].&[1997]", nullptr, "[Sales]]x]"},
        {"SELECT FROM (SELECT [A] ON 0 FROM [Sales])", nullptr, ""},
        {"SELECT [Product].[Category ON 0 FROM Sales", "line 1, column 18", nullptr},
        {"SELECT [A] ON 0\nFROM [Sales] extra", "line 2, column 14", nullptr},
        {"DRILLTHROUGH SELECT [A] ON 0 FROM [Sales]", "not a SELECT", nullptr},
        {"WITH SELECT [A] ON 0 FROM [S]", "expected MEMBER or SET", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        if (!c.error) {
            EXPECT_EQ(MdxStatement::Parse(c.text).cube, c.cube);
            continue;
        }
        try {
            MdxStatement::Parse(c.text);
            ADD_FAILURE() << "parsed";
        } catch (const pivot::PivotError& e) {
            EXPECT_NE(std::string(e.what()).find(c.error), std::string::npos) << e.what();
        }
    }
    // Deep nesting is refused instead of exhausting the stack.
    std::string deep = "SELECT " + std::string(5000, '{') + "[A]" + std::string(5000, '}') + " ON 0 FROM [S]";
    EXPECT_THROW(MdxStatement::Parse(deep), pivot::PivotError);
}

TEST(MdxStatementTest, QuotedDefinitionsKeepTheirText)
{
    const MdxStatement statement = MdxStatement::Parse("WITH MEMBER [Measures].[A] AS '1 +  2 -- x\n', "
                                                       "FORMAT_STRING = 'as' MEMBER [Measures].[B] AS 3 * 4 "
                                                       "MEMBER [Measures].[C] AS 'IIf([M] = ''y'', 1, 2)' "
                                                       "SELECT {[Measures].[A]} ON 0 FROM [S]");
    EXPECT_EQ(statement.QuotedDefinition(0), "1 +  2 -- x\n");
    EXPECT_EQ(statement.QuotedDefinition(1), "");
    EXPECT_EQ(statement.QuotedDefinition(2), "IIf([M] = 'y', 1, 2)");
    EXPECT_EQ(statement.QuotedDefinition(3), "");
}

TEST(MdxStatementTest, SameTextComparesTrees)
{
    struct Case {
        const char* a;
        const char* b;
        bool same;
    };
    const Case cases[] = {
        {"select [A] on 0 from [S]", "SELECT\n  [A]  ON COLUMNS\nFROM [S] -- x", true},
        {"SELECT Hierarchize([A].Members) ON 0 FROM [S]", "SELECT hierarchize([A].members) ON 0 FROM [S]", true},
        {"WITH MEMBER [M].[X] AS '1+2' SELECT FROM [S]", "WITH MEMBER [M].[X] AS 1 + 2 SELECT FROM [S]", true},
        {"SELECT Order([A].Members, [B], ASC) ON 0 FROM [S]", "SELECT Order([A].Members, [B], asc) ON 0 FROM [S]",
            true},
        {"SELECT [a] ON 0 FROM [S]", "SELECT [A] ON 0 FROM [S]", false},
        {"SELECT Filter([A].Members, [A].CurrentMember.Name = 'a') ON 0 FROM [S]",
            "SELECT Filter([A].Members, [A].CurrentMember.Name = 'A') ON 0 FROM [S]", false},
        {"SELECT [A] ON 0 FROM [S]", "SELECT [A] ON 0 FROM [S] WHERE [B]", false},
        {"SELECT [A] ON 0 FROM [S]", "SELECT [A] ON 1 FROM [S]", false},
        {"SELECT [A] ON 0 FROM [S]", "SELECT NON EMPTY [A] ON 0 FROM [S]", false},
        {"SELECT [A] ON 0 FROM [S]", "SELECT [A] ON 0 FROM", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " | " + c.b);
        EXPECT_EQ(MdxStatement::SameText(c.a, c.b), c.same);
        EXPECT_EQ(MdxStatement::SameText(c.b, c.a), c.same);
    }
}

} // namespace
