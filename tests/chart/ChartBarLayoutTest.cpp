// Where the bars of a column or bar chart stand when one item draws them all: side by side
// in clustered charts, stacked apart by sign, 100% stacks as shares, gaps without a bar.
#include "control/chart/ChartBarLayout.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>

namespace chart {
void PrintTo(const ChartBarLayout::Bar& bar, std::ostream* out)
{
    *out << "category " << bar.categoryLow << ".." << bar.categoryHigh << ", value " << bar.valueLow << ".."
         << bar.valueHigh;
}
} // namespace chart

namespace {

using chart::ChartBarLayout;
using chart::ChartData;
using Bar = ChartBarLayout::Bar;
using Kind = ChartBarLayout::Kind;

constexpr std::nullopt_t kGap = std::nullopt;

//! Two categories; series S0, S1, S2 with the values given per category.
ChartData Data(std::vector<std::vector<std::optional<double>>> values)
{
    std::vector<chart::ChartSeries> series;
    for (std::size_t s = 0; s < values.size(); ++s)
        series.push_back({"S" + std::to_string(s), values[s], {}});
    return ChartData({"a", "b"}, series);
}

TEST(ChartBarLayout, PlacesBarsAsQtChartsDoes)
{
    struct Row {
        const char* label;
        Kind kind;
        std::vector<std::vector<std::optional<double>>> values;
        std::size_t series;
        std::size_t category;
        std::optional<Bar> expected;
    };
    const Row rows[] = {
        {"clustered: the first of two takes the left half of the middle", Kind::Clustered, {{4.0, 1.0}, {2.0, 3.0}}, 0,
            0, Bar {-0.25, 0.0, 0, 4}},
        {"clustered: the second of two in the second category", Kind::Clustered, {{4.0, 1.0}, {2.0, 3.0}}, 1, 1,
            Bar {1.0, 1.25, 0, 3}},
        {"clustered: a negative value hangs from zero", Kind::Clustered, {{-2.0, 1.0}}, 0, 0, Bar {-0.25, 0.25, -2, 0}},
        {"clustered: a gap has no bar", Kind::Clustered, {{4.0, kGap}, {2.0, 3.0}}, 0, 1, std::nullopt},
        {"clustered: a gap keeps the others' places", Kind::Clustered, {{kGap, 1.0}, {2.0, 3.0}}, 1, 0,
            Bar {0.0, 0.25, 0, 2}},
        {"stacked: the second sits on the first", Kind::Stacked, {{4.0, 1.0}, {2.0, 3.0}}, 1, 0,
            Bar {-0.25, 0.25, 4, 6}},
        {"stacked: a negative value hangs from zero, not from the stack", Kind::Stacked,
            {{4.0, 1.0}, {-2.0, 3.0}, {1.0, 1.0}}, 1, 0, Bar {-0.25, 0.25, -2, 0}},
        {"stacked: positives after a negative go on from the positives", Kind::Stacked,
            {{4.0, 1.0}, {-2.0, 3.0}, {1.0, 1.0}}, 2, 0, Bar {-0.25, 0.25, 4, 5}},
        {"stacked: a gap adds nothing", Kind::Stacked, {{kGap, 1.0}, {2.0, 3.0}}, 1, 0, Bar {-0.25, 0.25, 0, 2}},
        {"percent: shares of the category's sum", Kind::Percent, {{1.0, 1.0}, {3.0, 1.0}}, 1, 0,
            Bar {-0.25, 0.25, 25, 100}},
        {"percent: a gap counts as nothing", Kind::Percent, {{kGap, 1.0}, {3.0, 1.0}}, 1, 0, Bar {-0.25, 0.25, 0, 100}},
        {"percent: a category summing to zero has no bars", Kind::Percent, {{0.0, 1.0}, {0.0, 1.0}}, 1, 0,
            std::nullopt},
        {"out of range: category", Kind::Clustered, {{1.0, 1.0}}, 0, 2, std::nullopt},
        {"out of range: series", Kind::Clustered, {{1.0, 1.0}}, 1, 0, std::nullopt},
    };
    for (const Row& row : rows) {
        const ChartBarLayout layout(Data(row.values), row.kind, row.values.size());
        EXPECT_EQ(layout.At(row.series, row.category), row.expected) << row.label;
    }
}

TEST(ChartBarLayout, ValueRangeCoversEveryBarAndZero)
{
    struct Row {
        const char* label;
        Kind kind;
        std::vector<std::vector<std::optional<double>>> values;
        double low;
        double high;
    };
    const Row rows[] = {
        {"clustered, all positive: from zero", Kind::Clustered, {{4.0, 1.0}, {2.0, 3.0}}, 0, 4},
        {"clustered with a negative", Kind::Clustered, {{4.0, -1.0}, {2.0, 3.0}}, -1, 4},
        {"stacked: the highest stack and the deepest", Kind::Stacked, {{4.0, -1.0}, {2.0, -3.0}}, -4, 6},
        {"percent: up to a hundred", Kind::Percent, {{1.0, 2.0}, {3.0, 2.0}}, 0, 100},
        {"only gaps: nothing but zero", Kind::Stacked, {{kGap, kGap}}, 0, 0},
    };
    for (const Row& row : rows) {
        const ChartBarLayout layout(Data(row.values), row.kind, row.values.size());
        EXPECT_DOUBLE_EQ(layout.ValueLow(), row.low) << row.label;
        EXPECT_DOUBLE_EQ(layout.ValueHigh(), row.high) << row.label;
    }
}

TEST(ChartBarLayout, DrawsOnlyTheSeriesAskedFor)
{
    // A combination draws all but its last series as bars: they share the slot.
    const ChartBarLayout layout(Data({{4.0, 1.0}, {2.0, 3.0}, {9.0, 9.0}}), Kind::Clustered, 2);
    EXPECT_EQ(layout.SeriesCount(), 2u);
    EXPECT_EQ(layout.At(1, 0), (Bar {0.0, 0.25, 0, 2}));
    EXPECT_EQ(layout.At(2, 0), std::nullopt);
    EXPECT_DOUBLE_EQ(layout.ValueHigh(), 4);
    EXPECT_EQ(ChartBarLayout(Data({{1.0, 1.0}}), Kind::Clustered, 5).SeriesCount(), 1u);
}

} // namespace
