#pragma once

#include <string>

namespace chart {

//! The font of one axis' labels. An empty name or a size of 0 leaves that part to the
//! chart's default font.
struct ChartAxisFont {
    enum class Axis { Category, Value };

    Axis axis = Axis::Value;
    std::string name;
    double size = 0;

    bool operator==(const ChartAxisFont&) const = default;
};

} // namespace chart
