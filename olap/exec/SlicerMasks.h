#pragma once

#include "olap/exec/AggregationRequest.h"
#include "olap/model/FactTable.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace olap {

class Cube;

//! A request's slicer as masks over the leaves of the cube's fact hierarchies, for the scans
//! that honour it (the aggregation and the scan for the combinations NON EMPTY keeps). Every
//! slicer member must be a member of a fact hierarchy of CUBE, and a slicer set's members of
//! the set's hierarchy: callers check that first, each in its own way.
class SlicerMasks {
public:
    SlicerMasks(const Cube& cube, const AggregationRequest& request);

    //! The leaves of fact column COLUMN that the slicer sets allow (their intersection);
    //! empty: any leaf.
    const std::vector<std::uint8_t>& Allowed(std::size_t column) const { return m_allowed[column]; }
    //! Whether a compound slicer (rows under any of several tuples) restricts the rows.
    bool HasTuples() const { return !m_tupleMasks.empty(); }
    //! PASS[i] = 1 for each of the N rows from START that lie under at least one of the
    //! compound slicer's tuples, 0 for the others.
    void TuplePass(std::size_t start, std::size_t n, std::uint8_t* pass) const;

private:
    std::vector<std::vector<std::uint8_t>> m_allowed;
    //! The key columns the compound slicer's tuples name.
    std::vector<const KeyColumn*> m_tupleColumns;
    //! m_tupleMasks[t][c]: the leaves of m_tupleColumns[c] tuple t allows; empty: any.
    std::vector<std::vector<std::vector<std::uint8_t>>> m_tupleMasks;
};

} // namespace olap
