#pragma once

#include "control/chart/ChartData.h"

#include <cstddef>
#include <optional>
#include <vector>

namespace chart {

//! Where each bar of a column or bar chart stands, in the values of its axes: along the
//! category axis category C spans C - 0.5 to C + 0.5 and its bars take the middle half,
//! along the value axis a bar runs from its base to its top. Bars are placed as Qt Charts
//! places them, so a chart drawn from this layout looks like one drawn bar by bar:
//! clustered bars side by side in series order, stacked bars with positive and negative
//! values stacked apart, 100% stacks as shares of the category's sum. Gaps have no bar
//! and do not add to a stack. No widgets.
class ChartBarLayout {
public:
    enum class Kind { Clustered, Stacked, Percent };

    //! One bar: its extent along the category axis and along the value axis (low <= high).
    struct Bar {
        double categoryLow;
        double categoryHigh;
        double valueLow;
        double valueHigh;
        bool operator==(const Bar&) const = default;
    };

    //! The share of a category slot that its bars take (the rest is the gap between them).
    static constexpr double kBarWidth = 0.5;

    ChartBarLayout() = default;
    //! The bars of the first SERIESCOUNT series of DATA (all of them when it is larger).
    ChartBarLayout(const ChartData& data, Kind kind, std::size_t seriesCount);

    Kind GetKind() const { return m_kind; }
    std::size_t SeriesCount() const { return m_seriesCount; }
    std::size_t CategoryCount() const { return m_categoryCount; }
    //! The bar of SERIES in CATEGORY; none for a gap or an index out of range.
    std::optional<Bar> At(std::size_t series, std::size_t category) const;
    //! The lowest and highest value any bar reaches (0 included: bars rise from zero).
    double ValueLow() const { return m_valueLow; }
    double ValueHigh() const { return m_valueHigh; }

private:
    Kind m_kind = Kind::Clustered;
    std::size_t m_seriesCount = 0;
    std::size_t m_categoryCount = 0;
    //! Per bar, series-major: base and top along the value axis; NaN base marks a gap.
    std::vector<double> m_low;
    std::vector<double> m_high;
    double m_valueLow = 0;
    double m_valueHigh = 0;
};

} // namespace chart
