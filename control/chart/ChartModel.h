#pragma once

#include "control/chart/ChartBuilder.h"
#include "control/chart/ChartDefinition.h"

namespace chart {

//! What a chart is apart from the window that shows it: its look (the definition: type,
//! legend, palette, fonts, sort order) and its switches. A ChartWidget keeps all of it here,
//! so an owner that holds the model while a host destroys the chart's window gives the next
//! window (ChartWidget built on the same model) the chart as it was. The data is not kept:
//! it follows the pivot view the new window is bound to.
struct ChartModel {
    ChartDefinition definition;
    //! Option 5065: the chart redraws on each view change of its data source.
    bool followDataSource = true;
    //! Whether the chart raises its events (selection changes).
    bool enableEvents = true;
    bool displayToolbar = false;
    bool displayPropertyToolbox = false;
    ChartBuilder::BarDrawing barDrawing = ChartBuilder::BarDrawing::Automatic;
};

} // namespace chart
