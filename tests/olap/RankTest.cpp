// Rank(tuple, set, value) over whole sets of the tiny cube (up to 168 tuples of three
// hierarchies, duplicates, empty and text values, slicers): every tuple's rank equals 1 + the
// number of distinct tuples of the set with a larger value, computed here from the values the
// same query returns next to the ranks.
#include "OlapTestSupport.h"

#include "olap/query/MdxEvaluator.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {

struct RankCase {
    const char* title;
    const char* tuple;
    const char* set;
    const char* value;
    const char* where;
};

const RankCase kCases[] = {
    {"products by qty", "[Product].CurrentMember", "[Product].[Product].Members", "[Measures].[Qty]", ""},
    {"168 tuples of three hierarchies by qty",
        "([Product].CurrentMember, [Time].CurrentMember, [Channel].CurrentMember)",
        "[Product].Members * [Time].Members * [Channel].Members", "[Measures].[Qty]", ""},
    {"tuples written in another order than the set's",
        "([Channel].CurrentMember, [Time].CurrentMember, [Product].CurrentMember)",
        "[Product].Members * [Time].Members * [Channel].Members", "[Measures].[Avg Price]", ""},
    {"a set with repeated tuples counts each once", "[Product].CurrentMember",
        "{[Product].[Product].Members, [Product].[Apple], [Product].Members, [Product].[Milk]}", "[Measures].[Qty]",
        ""},
    {"text values", "([Product].CurrentMember, [Channel].CurrentMember)", "[Product].Members * [Channel].Members",
        "[Product].CurrentMember.Name || [Channel].CurrentMember.Name", ""},
    {"under a slicer", "([Product].CurrentMember, [Time].CurrentMember)", "[Product].Members * [Time].Members",
        "[Measures].[Rows]", " WHERE [Channel].[Web]"},
    {"a named set", "([Product].CurrentMember, [Time].CurrentMember)", "[Pairs]", "[Measures].[Customers]", ""},
};

// A cell's value for comparing: empty (nullopt) below every number, numbers by value, texts
// as texts.
struct Key {
    bool empty = true;
    bool isText = false;
    double number = 0;
    std::string text;
};

int Compare(const Key& a, const Key& b)
{
    if (a.empty || b.empty)
        return a.empty == b.empty ? 0 : a.empty ? -1 : 1;
    if (a.isText)
        return a.text < b.text ? -1 : a.text > b.text ? 1 : 0;
    return a.number < b.number ? -1 : a.number > b.number ? 1 : 0;
}

class RankOverSets : public olaptest::TinyCubeSuite<> { };

TEST_F(RankOverSets, RankIsOnePlusTheDistinctTuplesWithLargerValues)
{
    for (const RankCase& c : kCases) {
        SCOPED_TRACE(c.title);
        const std::string query = std::string("WITH SET [Pairs] AS '[Product].Members * [Time].Members'")
            + " MEMBER [Measures].[V] AS " + c.value + " MEMBER [Measures].[R] AS Rank(" + c.tuple + ", " + c.set
            + ", [Measures].[V]) SELECT {[Measures].[V], [Measures].[R]} ON 0, " + c.set + " ON 1 FROM [Shop]"
            + c.where;
        const olap::QueryResult result = olap::MdxEvaluator::Execute(*s_cube, query);
        const olap::CellSet& cs = result.cellSet;
        ASSERT_EQ(cs.axes.size(), 2u);
        const std::size_t rows = cs.axes[1].positions.size();
        ASSERT_GT(rows, 3u);
        std::map<std::string, Key> distinct;
        std::vector<std::pair<std::string, Key>> keys;
        for (std::size_t r = 0; r < rows; ++r) {
            std::string name;
            for (const olap::CellSet::Member& m : cs.axes[1].positions[r])
                name += m.uniqueName + "|";
            const olap::CellSet::Cell& v = cs.cells[r * 2];
            Key key;
            key.empty = v.IsEmpty();
            key.isText = v.text.has_value();
            key.number = v.value.value_or(0);
            key.text = v.text.value_or("");
            distinct.emplace(name, key);
            keys.emplace_back(name, key);
        }
        for (std::size_t r = 0; r < rows; ++r) {
            double expected = 1;
            for (const auto& [name, other] : distinct)
                expected += Compare(other, keys[r].second) > 0 ? 1 : 0;
            const olap::CellSet::Cell& rank = cs.cells[r * 2 + 1];
            ASSERT_TRUE(rank.value.has_value()) << keys[r].first;
            EXPECT_EQ(*rank.value, expected) << keys[r].first;
        }
    }
}

} // namespace
