#pragma once

#include "olap/exec/MemberSet.h"

#include <string>
#include <vector>

namespace olap {

//! What the MDX evaluator asks of the engine: the cells of the cross
//! product of GROUPINGS (one MemberSet per hierarchy, each member a
//! position), under SLICER (per hierarchy, rows under any of its members;
//! several sets on one hierarchy intersect), for MEASURES (indices into
//! Cube::Measures()). Hierarchies not named are aggregated over all their
//! members, so for MDX semantics the caller puts the default member of a
//! hierarchy without an All member into the slicer. The Measures hierarchy
//! may not appear.
struct AggregationRequest {
    std::vector<MemberSet> groupings;
    std::vector<MemberSet> slicer;
    //! A compound slicer on top of SLICER: rows under any of these tuples
    //! (each tuple's members, of distinct hierarchies, must all hold). Empty:
    //! no such restriction.
    std::vector<std::vector<const Member*>> tupleSlicer;
    std::vector<int> measures;
    //! Totals over sets of members, one list of lists per grouping (or none at all): each list
    //! is one more position of that grouping, after its members, covering the rows under any
    //! member of the list, each row once however the members overlap. An empty list is a
    //! position without rows.
    std::vector<std::vector<std::vector<const Member*>>> unions;

    //! A text that identifies the request's answer (for the result cache).
    std::string CacheKey() const;
};

} // namespace olap
