#pragma once

#include "olap/exec/AggregationRequest.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace olap {

class Cube;

//! The combinations of grouping members that have fact rows, found by one pass over the
//! key columns without a grid of the full cross product: what NON EMPTY over a crossjoin
//! of large, sparsely filled levels needs. Combinations are marked in a bitmap while the
//! product is small enough, else collected as sorted 64-bit keys.
class NonEmptyScan {
public:
    //! The positions (one per grouping, GroupingCount() of them per combination, flattened)
    //! of REQUEST's groupings with at least one fact row under its slicer and tuple slicer,
    //! in ascending order with the first grouping varying slowest (crossjoin order).
    //! Measures are not read. Nullopt when a grouping's members overlap (a leaf under two of
    //! them, a member twice), a hierarchy is grouped twice or is no dimension of the cube's
    //! facts, or the product exceeds 2^63: the caller then takes the general path.
    static std::optional<std::vector<std::uint32_t>> Positions(const Cube& cube, const AggregationRequest& request);
};

} // namespace olap
