#pragma once

#include "olap/exec/AggregationRequest.h"

#include <memory>
#include <optional>
#include <span>

namespace olap {

class AggregationResult;
class Cube;
class Member;

//! Computes aggregation results over a cube's encoded fact columns.
//!
//! One request costs one pass over the columns it touches: each fact row's
//! leaf keys are mapped (through precomputed leaf-to-level arrays) to a cell
//! of the finest grid the groupings need, under the slicer; subtotal members
//! (a parent next to its children, the All member) are then rolled up from
//! that grid, distinct counts included (their per-cell value sets are
//! bitmaps). Large scans run on two threads. Results are cached per cube.
class AggregationEngine {
public:
    struct Options {
        //! Threads for the scan: 0 picks 1 or 2 by the row count.
        int threads = 0;
        //! Look up and store the result in the cube's cache.
        bool useCache = true;
    };

    //! Answers REQUEST. Throws OlapError for an invalid request (members of
    //! another cube or hierarchy, a hierarchy grouped twice, the Measures
    //! hierarchy, an unknown measure) or a grid too large to compute.
    static std::shared_ptr<const AggregationResult> Aggregate(
        const Cube& cube, const AggregationRequest& request, const Options& options);
    static std::shared_ptr<const AggregationResult> Aggregate(const Cube& cube, const AggregationRequest& request)
    {
        return Aggregate(cube, request, Options {});
    }

    //! The value of one cell: the fact rows under every member of TUPLE
    //! (members of distinct hierarchies; a measure member picks the measure,
    //! else the cube's default measure). Nullopt for an empty cell.
    static std::optional<double> CellValue(const Cube& cube, std::span<const Member* const> tuple);
};

} // namespace olap
