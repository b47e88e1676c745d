#include "OlapTestSupport.h"

#include "olap/model/Dimension.h"
#include "olap/model/Hierarchy.h"
#include "olap/model/Level.h"
#include "olap/model/Measure.h"
#include "olap/model/Member.h"

#include <gtest/gtest.h>

namespace {

class ModelTest : public olaptest::TinyCubeSuite<::testing::Test> { };

TEST_F(ModelTest, UniqueNamesFollowTheMondrianFamily)
{
    struct Case {
        const char* lookup;
        const char* uniqueName; // nullptr: no member
    };
    const Case cases[] = {
        {"[Time].[2023].[Q1]", "[Time].[2023].[Q1]"},
        {"[Time].[All Periods]", "[Time].[All Periods]"},
        {"[Product].[All Products]", "[Product].[All Products]"},
        {"[Product].[Fruit].[Apple]", "[Product].[Fruit].[Apple]"},
        {"[Product].[Apple]", "[Product].[Fruit].[Apple]"}, // unique members: found by name alone
        {"[product].[fruit].[apple]", "[Product].[Fruit].[Apple]"}, // case-insensitive fallback
        {"[Product].[Snacks].[Nuts [Salted]]]", "[Product].[Snacks].[Nuts [Salted]]]"},
        {"[Product].[Fruit].&[Pear]", "[Product].[Fruit].[Pear]"},
        {"[Time].&[2024].&[Q2]", "[Time].[2024].[Q2]"},
        {"[Measures].[Avg Price]", "[Measures].[Avg Price]"},
        {"[Channel].[Web]", "[Channel].[Web]"},
        {"[Time].[Q1]", nullptr}, // quarters are not unique across years
        {"[Product].[Fruit].[Milk]", nullptr},
        {"[Nowhere].[X]", nullptr},
        {"[Time].[2023", nullptr},
    };
    for (const Case& c : cases) {
        const olap::Member* m = s_cube->FindMember(c.lookup);
        if (!c.uniqueName) {
            EXPECT_EQ(m, nullptr) << c.lookup;
            continue;
        }
        ASSERT_NE(m, nullptr) << c.lookup;
        EXPECT_EQ(m->UniqueName(), c.uniqueName) << c.lookup;
        EXPECT_EQ(s_cube->FindMember(m->UniqueName()), m) << c.lookup;
    }
}

TEST_F(ModelTest, DimensionsHierarchiesAndLevels)
{
    ASSERT_EQ(s_cube->Dimensions().size(), 4u);
    EXPECT_TRUE(s_cube->Dimensions()[0]->IsMeasures());
    EXPECT_EQ(s_cube->Dimensions()[1]->UniqueName(), "[Time]");
    EXPECT_EQ(s_cube->Dimensions()[1]->Type(), olap::DimensionType::Time);
    const olap::Level* quarter = s_cube->FindLevel("[Time].[Quarter]");
    ASSERT_NE(quarter, nullptr);
    EXPECT_EQ(quarter->Depth(), 2);
    EXPECT_EQ(quarter->Type(), olap::LevelType::TimeQuarters);
    EXPECT_EQ(quarter->Members().size(), 4u);
    EXPECT_EQ(s_cube->FindLevel("[Product].[(All)]")->Members().front()->Name(), "All Products");
    EXPECT_EQ(s_cube->FindLevel("[Measures].[MeasuresLevel]")->Members().size(), 7u);
    EXPECT_EQ(s_cube->DefaultMeasure()->Name(), "Qty");
    EXPECT_EQ(s_cube->FindMeasure("avg price")->GetAggregator(), olap::Aggregator::Avg);
    EXPECT_EQ(s_cube->FindMeasure("Avg Price")->FormatString(), "#,##0.00");
    EXPECT_EQ(s_cube->FindHierarchy("[Channel]")->AllMember()->Name(), "All Channels");
    ASSERT_EQ(s_cube->Calculated().size(), 1u);
    EXPECT_EQ(s_cube->Calculated()[0].hierarchy, "[Measures]");
}

TEST_F(ModelTest, MembersAreInHierarchicalKeyOrder)
{
    auto names = [](const olap::Level& level) {
        std::string text;
        for (const olap::Member* m : level.Members())
            text += (text.empty() ? "" : ",") + m->Name();
        return text;
    };
    EXPECT_EQ(names(*s_cube->FindLevel("[Product].[Category]")), "Dairy,Fruit,Snacks");
    EXPECT_EQ(names(*s_cube->FindLevel("[Product].[Product]")), "Cheese,Milk,Apple,Pear,Nuts [Salted]");
    EXPECT_EQ(names(*s_cube->FindLevel("[Time].[Quarter]")), "Q1,Q2,Q1,Q2");
    const olap::Member* fruit = s_cube->FindMember("[Product].[Fruit]");
    ASSERT_EQ(fruit->Children().size(), 2u);
    EXPECT_EQ(fruit->Children()[1]->Parent(), fruit);
    EXPECT_EQ(fruit->Parent(), s_cube->FindMember("[Product].[All Products]"));
    EXPECT_TRUE(fruit->IsAncestorOrSelfOf(*fruit->Children()[0]));
    EXPECT_FALSE(fruit->Children()[0]->IsAncestorOrSelfOf(*fruit));
    EXPECT_EQ(fruit->Ordinal(), 1u);
}

TEST(NameUtilTest, SplitsAndFormats)
{
    std::vector<olap::NameSegment> segments;
    ASSERT_TRUE(olap::SplitUniqueName("[A]]B].&[1] . Plain", segments));
    ASSERT_EQ(segments.size(), 3u);
    EXPECT_EQ(segments[0].text, "A]B");
    EXPECT_TRUE(segments[1].isKey);
    EXPECT_EQ(segments[2].text, "Plain");
    for (const char* bad : {"", "[A", "[A].", "[A]x", ".[A]", "[A]..[B]"})
        EXPECT_FALSE(olap::SplitUniqueName(bad, segments)) << bad;
    EXPECT_EQ(olap::BracketName("a]b"), "[a]]b]");
    EXPECT_EQ(olap::FormatNumber(2088.0), "2088");
    EXPECT_EQ(olap::FormatNumber(479.25), "479.25");
    EXPECT_EQ(olap::FormatNumber(0.1 + 0.2), "0.30000000000000004");
}

} // namespace
