#pragma once

namespace chart {

//! The chart types, numbered as the chart's type property takes them. The numbers are
//! consecutive from 0, so stepping the number by one walks through every type and the first
//! number past the last one is refused (ChartTypeTable::FromNumber).
enum class ChartType {
    ColumnClustered = 0,
    ColumnStacked = 1,
    ColumnStacked100 = 2,
    BarClustered = 3,
    BarStacked = 4,
    BarStacked100 = 5,
    Line = 6,
    LineMarkers = 7,
    LineStacked = 8,
    Area = 9,
    AreaStacked = 10,
    Pie = 11,
    PieExploded = 12,
    Doughnut = 13,
    Scatter = 14,
    //! Combinations: the last series drawn as a line over the others drawn as columns (a
    //! single series is drawn as columns).
    ColumnLine = 15,
    ColumnLineMarkers = 16,
    ColumnStackedLine = 17,
};

} // namespace chart
