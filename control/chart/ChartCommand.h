#pragma once

namespace chart {

//! The chart's command list, run through ChartWidget::ExecuteCommand.
enum class ChartCommand {
    //! Shows the legend.
    ShowLegend,
    //! Orders the categories by the first series' values, rising or falling.
    SortAscending,
    SortDescending,
    //! A pivot table's command; a chart has no totals of its own and refuses it.
    CreateCalculatedTotal,
};

} // namespace chart
