// The drill-through statement as text: the single-member form, sets where a filter keeps
// several members, no WHERE without coordinates, and member names that reach the source
// exactly as the cube spells them.
#include "control/drill/DrillStatement.h"
#include "control/drill/DrillThrough.h"

#include <gtest/gtest.h>

using drill::DrillGroup;
using drill::DrillStatement;

namespace {

struct BuildCase {
    const char* name;
    const char* dataMember;
    std::vector<DrillGroup> groups;
    const char* expected;
};

class DrillStatementBuild : public ::testing::TestWithParam<BuildCase> { };

TEST_P(DrillStatementBuild, GivesTheText)
{
    const BuildCase& c = GetParam();
    EXPECT_EQ(DrillStatement::Build(c.dataMember, c.groups), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, DrillStatementBuild,
    ::testing::Values(BuildCase {"OneMember", "Sales", {{{"[Product].[Drink]"}}},
                          "DRILLTHROUGH SELECT FROM Sales WHERE ([Product].[Drink])"},
        BuildCase {"ColumnRowFilter", "Sales", {{{"[Time].[2023]"}}, {{"[Product].[Drink]"}}, {{"[Store].[Canada]"}}},
            "DRILLTHROUGH SELECT FROM Sales WHERE ([Time].[2023], [Product].[Drink], [Store].[Canada])"},
        BuildCase {"NoCoordinates", "Sales", {}, "DRILLTHROUGH SELECT FROM Sales"},
        BuildCase {"FilterKeepsTwo", "Sales", {{{"[Store].[Canada]", "[Store].[USA]"}}},
            "DRILLTHROUGH SELECT FROM Sales WHERE {[Store].[Canada], [Store].[USA]}"},
        BuildCase {"FilterKeepsTwoBesideOne", "Sales",
            {{{"[Product].[Drink]"}}, {{"[Store].[Canada]", "[Store].[USA]"}}},
            "DRILLTHROUGH SELECT FROM Sales WHERE CrossJoin({[Product].[Drink]}, {[Store].[Canada], [Store].[USA]})"},
        BuildCase {"TwoSets", "Sales", {{{"[Time].[2022]", "[Time].[2023]"}}, {{"[Store].[Canada]", "[Store].[USA]"}}},
            "DRILLTHROUGH SELECT FROM Sales WHERE CrossJoin({[Time].[2022], [Time].[2023]}, {[Store].[Canada], "
            "[Store].[USA]})"},
        BuildCase {"NameWithKeyword", "Sales", {{{"[Product].[Drink].[Drillthrough Kit]"}}},
            "DRILLTHROUGH SELECT FROM Sales WHERE ([Product].[Drink].[Drillthrough Kit])"},
        BuildCase {"NameWithBackslashN", "Sales", {{{R"([Product].[a\nb])"}}},
            R"(DRILLTHROUGH SELECT FROM Sales WHERE ([Product].[a\nb]))"},
        BuildCase {"CubeNameWithBlank", "Sales 2024", {{{"[Product].[Drink]"}}},
            "DRILLTHROUGH SELECT FROM [Sales 2024] WHERE ([Product].[Drink])"},
        BuildCase {"BracketedCubeName", "[Sales]", {{{"[Product].[Drink]"}}},
            "DRILLTHROUGH SELECT FROM [Sales] WHERE ([Product].[Drink])"},
        BuildCase {"CubeNameWithBracket", "Sales]x", {}, "DRILLTHROUGH SELECT FROM [Sales]]x]"}),
    [](const auto& info) { return std::string(info.param.name); });

struct LimitCase {
    const char* name;
    const char* statement;
    int maxRows;
    const char* expected;
};

class DrillStatementLimit : public ::testing::TestWithParam<LimitCase> { };

TEST_P(DrillStatementLimit, OnlyTheLeadingKeywordCarriesIt)
{
    const LimitCase& c = GetParam();
    EXPECT_EQ(DrillStatement::WithRowLimit(c.statement, c.maxRows), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, DrillStatementLimit,
    ::testing::Values(LimitCase {"Plain", "DRILLTHROUGH SELECT FROM Sales WHERE ([Product].[Drink])", 5000,
                          "DRILLTHROUGH MAXROWS 5000 SELECT FROM Sales WHERE ([Product].[Drink])"},
        LimitCase {"KeywordInAName", "DRILLTHROUGH SELECT FROM Sales WHERE ([Product].[Drink].[Drillthrough Kit])",
            5000, "DRILLTHROUGH MAXROWS 5000 SELECT FROM Sales WHERE ([Product].[Drink].[Drillthrough Kit])"},
        LimitCase {"KeywordInCapitalsInAName", "DRILLTHROUGH SELECT FROM Sales WHERE ([Product].[DRILLTHROUGH])", 10,
            "DRILLTHROUGH MAXROWS 10 SELECT FROM Sales WHERE ([Product].[DRILLTHROUGH])"},
        LimitCase {"BackslashNStays", R"(DRILLTHROUGH SELECT FROM Sales WHERE ([Product].[a\nb]))", 5000,
            R"(DRILLTHROUGH MAXROWS 5000 SELECT FROM Sales WHERE ([Product].[a\nb]))"},
        LimitCase {"LowerCaseKeyword", "drillthrough SELECT FROM Sales", 7, "drillthrough MAXROWS 7 SELECT FROM Sales"},
        LimitCase {"NoLimitSendsNothing", "DRILLTHROUGH SELECT FROM Sales", 0, ""},
        LimitCase {"NotADrillThrough", "SELECT FROM Sales", 5000, "SELECT FROM Sales"},
        LimitCase {"LongerWord", "DRILLTHROUGHX SELECT FROM Sales", 5000, "DRILLTHROUGHX SELECT FROM Sales"}),
    [](const auto& info) { return std::string(info.param.name); });

platform::Variant Entry(const char* caption, platform::Variant command)
{
    return platform::Variant(std::vector<platform::Variant> {platform::Variant(caption), std::move(command)});
}

TEST(DrillContextMenu, ShowDetailsEntryBecomesTheDrillThrough)
{
    const platform::Variant subMenu = Entry(
        "More", platform::Variant(std::vector<platform::Variant> {Entry("Details inside", platform::Variant(12095))}));
    const std::vector<platform::Variant> original {Entry("Copy", platform::Variant(1001)), platform::Variant(),
        Entry("Show Details", platform::Variant(12095)), subMenu};

    std::vector<platform::Variant> menu = original;
    EXPECT_FALSE(drill::DrillThrough::AdjustContextMenu(menu, true));
    EXPECT_EQ(menu, original);

    EXPECT_TRUE(drill::DrillThrough::AdjustContextMenu(menu, false));
    ASSERT_EQ(menu.size(), original.size());
    EXPECT_EQ(menu[0], original[0]);
    EXPECT_TRUE(menu[1].isEmpty());
    EXPECT_EQ(menu[2], Entry("S&how Details", platform::Variant("mnuDrillthrough")));
    EXPECT_EQ(menu[3], subMenu);
}

} // namespace
