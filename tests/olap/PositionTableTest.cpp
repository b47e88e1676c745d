#include "OlapTestSupport.h"

#include "olap/query/CellSet.h"
#include "olap/query/MdxEvaluator.h"

#include <gtest/gtest.h>

#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using olap::CellSet;
using olap::PositionTable;

CellSet::Member M(const std::string& uniqueName, const std::string& caption = "")
{
    CellSet::Member m;
    m.uniqueName = uniqueName;
    m.name = uniqueName;
    m.caption = caption.empty() ? uniqueName : caption;
    return m;
}

std::vector<std::string> Names(const PositionTable::Position& p)
{
    std::vector<std::string> names;
    for (const CellSet::Member& m : p)
        names.push_back(m.uniqueName);
    return names;
}

TEST(PositionTable, EqualMembersAreStoredOnceAndReadBackInOrder)
{
    PositionTable t;
    t.push_back({M("[A]"), M("[X]")});
    t.push_back({M("[A]"), M("[Y]")});
    t.push_back({M("[B]"), M("[X]")});
    // Same unique name, another caption: a different member as far as the answer goes.
    t.push_back({M("[B]", "Bee"), M("[Y]")});
    ASSERT_EQ(t.size(), 4U);
    EXPECT_EQ(t.Members().size(), 5U);
    EXPECT_EQ(Names(t[1]), (std::vector<std::string> {"[A]", "[Y]"}));
    EXPECT_EQ(t[3][0].caption, "Bee");
    EXPECT_EQ(t[2][0].caption, "[B]");
    EXPECT_EQ(t.back().back().uniqueName, "[Y]");
    // Iteration over positions and members agrees with indexing.
    std::size_t i = 0;
    for (const auto position : t) {
        EXPECT_EQ(Names(position), Names(t[i]));
        ++i;
    }
    EXPECT_EQ(i, t.size());
    EXPECT_EQ(t[0].ToVector(), (std::vector<CellSet::Member> {M("[A]"), M("[X]")}));
}

TEST(PositionTable, PositionsMayDifferInWidthAndBeEmpty)
{
    PositionTable t {{M("[A]")}, {}, {M("[A]"), M("[B]"), M("[C]")}};
    ASSERT_EQ(t.size(), 3U);
    EXPECT_EQ(t[0].size(), 1U);
    EXPECT_TRUE(t[1].empty());
    EXPECT_EQ(t[2].size(), 3U);
    EXPECT_EQ(t.Members().size(), 3U);
}

TEST(PositionTable, OutOfRangeIsAnErrorNotARead)
{
    PositionTable t {{M("[A]")}};
    EXPECT_THROW((void)t.at(1), std::out_of_range);
    EXPECT_THROW((void)t[0].at(1), std::out_of_range);
    const std::vector<std::uint32_t> bad {0, 7};
    EXPECT_THROW(t.AddPosition(bad), std::out_of_range);
    EXPECT_EQ(t.size(), 1U) << "a refused position is not added";
    EXPECT_THROW((void)t.MemberAt(3), std::out_of_range);
}

TEST(PositionTable, CopiesAreIndependent)
{
    PositionTable t {{M("[A]")}};
    PositionTable copy = t;
    copy.MemberAt(0).caption = "changed";
    copy.push_back({M("[A]")});
    EXPECT_EQ(t[0][0].caption, "[A]");
    EXPECT_EQ(t.size(), 1U);
    EXPECT_EQ(copy.size(), 2U);
    EXPECT_EQ(copy.Members().size(), 2U) << "[A] as changed is no longer equal to [A]";
}

class EngineAxes : public olaptest::TinyCubeSuite<> { };

// The engine describes each member once per axis: a crossjoin's axis holds its distinct
// members, and every position still reads as the tuple it stands for.
TEST_F(EngineAxes, CrossjoinAxisStoresEachMemberOnce)
{
    const olap::QueryResult r = olap::MdxEvaluator::Execute(*s_cube,
        "SELECT {[Measures].[Qty]} ON 0, CrossJoin([Time].[Year].Members, [Product].[Product].Members) ON 1 "
        "FROM [Shop] WHERE [Channel].[All Channels]");
    const CellSet::Axis& rows = r.cellSet.axes.at(1);
    std::set<std::string> years;
    std::set<std::string> products;
    for (const auto position : rows.positions) {
        ASSERT_EQ(position.size(), 2U);
        EXPECT_EQ(position[0].hierarchyUniqueName, "[Time]");
        EXPECT_EQ(position[1].hierarchyUniqueName, "[Product]");
        years.insert(position[0].uniqueName);
        products.insert(position[1].uniqueName);
    }
    ASSERT_GT(years.size(), 1U);
    ASSERT_GT(products.size(), 1U);
    EXPECT_EQ(rows.positions.size(), years.size() * products.size());
    EXPECT_EQ(rows.positions.Members().size(), years.size() + products.size());
    ASSERT_EQ(r.cellSet.slicer.positions.size(), 1U);
    EXPECT_EQ(r.cellSet.slicer.positions[0][0].uniqueName, "[Channel].[All Channels]");
}

// Member properties belong to the member: shared members carry them once, on every position.
TEST_F(EngineAxes, DimensionPropertiesReachEveryPosition)
{
    const olap::QueryResult r = olap::MdxEvaluator::Execute(*s_cube,
        "SELECT {[Measures].[Qty]} ON 0, CrossJoin([Time].[Year].Members, [Product].[Category].Members) "
        "DIMENSION PROPERTIES MEMBER_CAPTION, LEVEL_NUMBER ON 1 FROM [Shop]");
    const CellSet::Axis& rows = r.cellSet.axes.at(1);
    ASSERT_EQ(rows.properties.size(), 2U);
    for (const auto position : rows.positions) {
        for (const CellSet::Member& m : position) {
            ASSERT_EQ(m.properties.size(), 2U) << m.uniqueName;
            EXPECT_EQ(m.properties[0], m.caption);
            EXPECT_EQ(m.properties[1], std::to_string(m.levelDepth));
        }
    }
}

} // namespace
