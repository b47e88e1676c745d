#pragma once

#include "olap/exec/DrillthroughResult.h"
#include "olap/exec/MemberSet.h"

#include <cstdint>
#include <limits>
#include <vector>

namespace olap {

class Cube;

//! The detail rows behind a cell.
class Drillthrough {
public:
    //! Fact rows of CUBE under FILTER (per hierarchy, rows under any of its
    //! members; sets intersect), in fact order, at most MAXROWS. MEASURES
    //! lists measure indices for the value columns (empty: every measure).
    //! The scan stops at the row limit unless COUNTALL asks for the number
    //! of all matching rows (DrillthroughResult::TotalRows()).
    //! Throws OlapError for members of another cube or a Measures filter.
    static DrillthroughResult Run(const Cube& cube, const std::vector<MemberSet>& filter,
        const std::vector<int>& measures, std::uint64_t maxRows = std::numeric_limits<std::uint64_t>::max(),
        bool countAll = false);
};

} // namespace olap
