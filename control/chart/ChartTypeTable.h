#pragma once

#include "control/chart/ChartType.h"

#include <optional>
#include <string>
#include <string_view>

namespace chart {

//! The numbered table of chart types and their names in the definition text.
class ChartTypeTable {
public:
    //! Number of types; valid numbers are 0 .. Count()-1.
    static int Count();
    //! The type numbered NUMBER, or nullopt when no type has that number.
    static std::optional<ChartType> FromNumber(int number);
    static int Number(ChartType type) { return static_cast<int>(type); }
    //! The type's name in the definition text ("ColumnClustered", ...).
    static std::string Name(ChartType type);
    //! The type named NAME (exact spelling), or nullopt.
    static std::optional<ChartType> FromName(std::string_view name);
    //! Pie-type charts draw one series (the first) around one circle.
    static bool IsPie(ChartType type);
    //! Stacked types stack the series' values per category; the 100% ones scale each stack
    //! to 100.
    static bool IsStacked(ChartType type);
    static bool IsPercent(ChartType type);
    //! Combinations draw the last series as a line over the others as columns.
    static bool IsCombination(ChartType type);
};

} // namespace chart
