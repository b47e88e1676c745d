// The values' number format read back from the pivot's texts (what labels the value axis),
// widened for fine steps, and the axis steps themselves.
#include "control/chart/ChartValueFormat.h"
#include "control/chart/ChartData.h"

#include <gtest/gtest.h>

using chart::ChartSeries;
using chart::ChartValueFormat;

namespace {

ChartSeries Series(std::vector<std::optional<double>> values, std::vector<std::string> texts)
{
    return ChartSeries {"S", std::move(values), std::move(texts)};
}

} // namespace

TEST(ChartValueFormat, InferredFromThePivotsTexts)
{
    struct Row {
        const char* label;
        ChartSeries series;
        std::string format;
    };
    const Row rows[] = {
        {"grouping, no decimals", Series({1234.0, 5.0}, {"1,234", "5"}), "#,##0"},
        {"currency with cents", Series({1234.5, 2.0}, {"$1,234.50", "$2.00"}), "\"$\"#,##0.00"},
        {"percent scales", Series({0.125, 0.5}, {"12.50%", "50.00%"}), "#,##0.00%"},
        {"small numbers are taken as grouped", Series({3.0}, {"3 kg"}), "#,##0\" kg\""},
        {"a large number without grouping", Series({12345.0, 7.0}, {"12345", "7"}), "0"},
        {"gaps and negatives are passed over", Series({std::nullopt, -4.0, 7.0}, {"", "(4)", "7"}), "#,##0"},
        {"mixed decimals have no one format", Series({1.5, 2.25}, {"1.5", "2.25"}), ""},
        {"text that is no number", Series({1.0}, {"high"}), ""},
        {"a text that disagrees with its value", Series({2.0}, {"3"}), ""},
        {"no values", Series({std::nullopt}, {""}), ""},
    };
    for (const Row& row : rows)
        EXPECT_EQ(ChartValueFormat::Infer({row.series}), row.format) << row.label;
}

TEST(ChartValueFormat, DecimalsFollowTheStep)
{
    struct Row {
        std::string format;
        double step;
        std::string widened;
    };
    const Row rows[] = {
        {"#,##0", 1000, "#,##0"},
        {"#,##0", 0.25, "#,##0.00"},
        {"0.0", 0.05, "0.00"},
        {"\"$\"#,##0.00", 0.5, "\"$\"#,##0.00"},
        {"0%", 0.005, "0.0%"},
        {"\"0\"0", 0.5, "\"0\"0.0"}, // a zero in quoted text is no placeholder
        {"", 0.5, ""},
    };
    for (const Row& row : rows)
        EXPECT_EQ(ChartValueFormat::ForStep(row.format, row.step), row.widened) << row.format << " " << row.step;
}

TEST(ChartValueFormat, NiceTicksCoverTheRange)
{
    struct Row {
        double min, max;
        double first, last, step;
    };
    const Row rows[] = {
        {0, 97, 0, 100, 20},
        {-13, 42, -20, 50, 10},
        {0.1, 0.9, 0, 1, 0.2},
        {5, 5, 4.4, 5.6, 0.2}, // one value: widened around it
        {0, 0, -1, 1, 0.5},
    };
    for (const Row& row : rows) {
        const ChartValueFormat::Ticks ticks = ChartValueFormat::NiceTicks(row.min, row.max);
        EXPECT_DOUBLE_EQ(ticks.step, row.step) << row.min << ".." << row.max;
        EXPECT_NEAR(ticks.first, row.first, 1e-9) << row.min << ".." << row.max;
        EXPECT_NEAR(ticks.last, row.last, 1e-9) << row.min << ".." << row.max;
    }
}

TEST(ChartData, SortedByTheFirstSeriesWithGapsLast)
{
    const chart::ChartData data({"a", "b", "c", "d"},
        {Series({3.0, std::nullopt, 1.0, 2.0}, {"3", "", "1", "2"}), Series({30.0, 40.0, 10.0, 20.0}, {})});
    const chart::ChartData rising = data.Sorted(chart::ChartSort::Ascending);
    EXPECT_EQ(rising.Categories(), (std::vector<std::string> {"c", "d", "a", "b"}));
    EXPECT_EQ(rising.Series()[1].values[0], 10.0); // other series move along
    EXPECT_EQ(rising.Series()[0].texts[0], "1");
    const chart::ChartData falling = data.Sorted(chart::ChartSort::Descending);
    EXPECT_EQ(falling.Categories(), (std::vector<std::string> {"a", "d", "c", "b"}));
    EXPECT_EQ(data.Sorted(chart::ChartSort::None).Categories(), data.Categories());
}
