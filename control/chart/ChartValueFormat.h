#pragma once

#include "control/chart/ChartSeries.h"

#include <string>
#include <vector>

namespace chart {

//! The number format of a chart's values, so the value axis labels its steps the way the
//! pivot shows its cells. The format is read back from the pivot's own texts: a prefix
//! (currency), grouping, a number of decimals and a suffix ("%" or a unit), checked by
//! formatting each sampled value again and comparing with what the pivot showed.
class ChartValueFormat {
public:
    //! A format string (olap::ValueFormatter syntax) that reproduces the text of every
    //! sampled point of SERIES from its value, or empty when none fits all of them (mixed
    //! formats, texts without numbers, no values at all).
    static std::string Infer(const std::vector<ChartSeries>& series);

    //! FORMAT with at least enough decimals that steps of STEP stay apart (an integer format
    //! labelling steps of 0.25 gets two decimals).
    static std::string ForStep(const std::string& format, double step);

    //! Round axis steps covering [MIN, MAX] with about TARGET intervals: the first and last
    //! tick and the step between them. The range always holds both ends; an empty range is
    //! widened around its value.
    struct Ticks {
        double first = 0;
        double last = 1;
        double step = 1;
    };
    static Ticks NiceTicks(double min, double max, int target = 5);
};

} // namespace chart
