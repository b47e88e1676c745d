#pragma once

#include <optional>
#include <string>
#include <vector>

namespace chart {

//! One series of a chart: the values of one column tuple of the pivot view over its row
//! tuples. A point without a value (an empty cell or a text) is a gap.
struct ChartSeries {
    //! The column tuple's captions, outermost first, joined.
    std::string name;
    //! One entry per category: the number, or nullopt for a gap.
    std::vector<std::optional<double>> values;
    //! One entry per category: the value as the pivot shows it (its number format applied).
    std::vector<std::string> texts;
};

} // namespace chart
