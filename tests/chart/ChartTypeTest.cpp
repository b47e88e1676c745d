// The numbered chart-type table: every number maps to a type and back, names round trip,
// and numbers outside the table are refused (what the type cycling relies on).
#include "control/chart/ChartTypeTable.h"

#include <gtest/gtest.h>

using chart::ChartType;
using chart::ChartTypeTable;

TEST(ChartTypeTable, NumbersAndNamesRoundTrip)
{
    ASSERT_EQ(ChartTypeTable::Count(), 18);
    for (int number = 0; number < ChartTypeTable::Count(); ++number) {
        const std::optional<ChartType> type = ChartTypeTable::FromNumber(number);
        ASSERT_TRUE(type) << number;
        EXPECT_EQ(ChartTypeTable::Number(*type), number);
        EXPECT_EQ(ChartTypeTable::FromName(ChartTypeTable::Name(*type)), type);
    }
}

TEST(ChartTypeTable, Table)
{
    struct Row {
        const char* label;
        int number;
        std::optional<ChartType> type;
    };
    const Row rows[] = {
        {"first: clustered column", 0, ChartType::ColumnClustered},
        {"100% stacked bar", 5, ChartType::BarStacked100},
        {"line with markers", 7, ChartType::LineMarkers},
        {"pie", 11, ChartType::Pie},
        {"scatter", 14, ChartType::Scatter},
        {"first combination: columns with a line", 15, ChartType::ColumnLine},
        {"last: stacked columns with a line", 17, ChartType::ColumnStackedLine},
        {"one past the last is refused", 18, std::nullopt},
        {"negative is refused", -1, std::nullopt},
        {"large is refused", 1 << 30, std::nullopt},
    };
    for (const Row& row : rows)
        EXPECT_EQ(ChartTypeTable::FromNumber(row.number), row.type) << row.label;
}

TEST(ChartTypeTable, KindsOfTypes)
{
    EXPECT_TRUE(ChartTypeTable::IsPie(ChartType::Doughnut));
    EXPECT_FALSE(ChartTypeTable::IsPie(ChartType::Scatter));
    EXPECT_TRUE(ChartTypeTable::IsStacked(ChartType::AreaStacked));
    EXPECT_TRUE(ChartTypeTable::IsPercent(ChartType::ColumnStacked100));
    EXPECT_FALSE(ChartTypeTable::IsPercent(ChartType::ColumnStacked));
    EXPECT_TRUE(ChartTypeTable::IsCombination(ChartType::ColumnLineMarkers));
    EXPECT_TRUE(ChartTypeTable::IsStacked(ChartType::ColumnStackedLine));
    EXPECT_FALSE(ChartTypeTable::IsCombination(ChartType::Line));
    EXPECT_FALSE(ChartTypeTable::FromName("columnclustered")); // names are exact
}
