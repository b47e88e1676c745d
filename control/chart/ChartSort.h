#pragma once

namespace chart {

//! The order of a chart's categories: as the pivot shows them, or by the first series'
//! values (gaps last).
enum class ChartSort { None, Ascending, Descending };

} // namespace chart
