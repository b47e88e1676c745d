#pragma once

#include <optional>
#include <string_view>

namespace olap {

//! How a measure combines the fact values under a cell.
enum class Aggregator { Sum, Count, Min, Max, Avg, DistinctCount };

//! Parses the schema spelling: "sum", "count", "min", "max", "avg",
//! "distinct-count" (also "distinct count"); case-insensitive.
std::optional<Aggregator> ParseAggregator(std::string_view text);
//! The schema spelling of AGG ("distinct-count" for DistinctCount).
std::string_view AggregatorName(Aggregator agg);

} // namespace olap
