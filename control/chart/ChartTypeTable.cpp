#include "control/chart/ChartTypeTable.h"

#include <array>

namespace chart {

namespace {

constexpr std::array<std::string_view, 18> kNames = {"ColumnClustered", "ColumnStacked", "ColumnStacked100",
    "BarClustered", "BarStacked", "BarStacked100", "Line", "LineMarkers", "LineStacked", "Area", "AreaStacked", "Pie",
    "PieExploded", "Doughnut", "Scatter", "ColumnLine", "ColumnLineMarkers", "ColumnStackedLine"};

} // namespace

int ChartTypeTable::Count()
{
    return static_cast<int>(kNames.size());
}

std::optional<ChartType> ChartTypeTable::FromNumber(int number)
{
    if (number < 0 || number >= Count())
        return std::nullopt;
    return static_cast<ChartType>(number);
}

std::string ChartTypeTable::Name(ChartType type)
{
    return std::string(kNames[static_cast<std::size_t>(Number(type))]);
}

std::optional<ChartType> ChartTypeTable::FromName(std::string_view name)
{
    for (std::size_t i = 0; i < kNames.size(); ++i) {
        if (kNames[i] == name)
            return static_cast<ChartType>(i);
    }
    return std::nullopt;
}

bool ChartTypeTable::IsPie(ChartType type)
{
    return type == ChartType::Pie || type == ChartType::PieExploded || type == ChartType::Doughnut;
}

bool ChartTypeTable::IsStacked(ChartType type)
{
    switch (type) {
    case ChartType::ColumnStacked:
    case ChartType::ColumnStacked100:
    case ChartType::BarStacked:
    case ChartType::BarStacked100:
    case ChartType::LineStacked:
    case ChartType::AreaStacked:
    case ChartType::ColumnStackedLine:
        return true;
    default:
        return false;
    }
}

bool ChartTypeTable::IsCombination(ChartType type)
{
    return type == ChartType::ColumnLine || type == ChartType::ColumnLineMarkers
        || type == ChartType::ColumnStackedLine;
}

bool ChartTypeTable::IsPercent(ChartType type)
{
    return type == ChartType::ColumnStacked100 || type == ChartType::BarStacked100;
}

} // namespace chart
