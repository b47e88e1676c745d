#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <unordered_map>
#include <vector>

namespace olap {

class Member;

//! The cells of one aggregation: the cross product of the request's
//! groupings (the last grouping varies fastest) times its measures. A cell
//! with no fact rows under it is empty for every measure (also for count);
//! a sum, min, max or avg over only NULL values is empty too.
class AggregationResult {
public:
    std::size_t GroupingCount() const { return m_members.size(); }
    //! The members of grouping G, as requested (each one a position).
    std::span<const Member* const> Members(std::size_t g) const { return m_members[g]; }
    //! Positions of grouping G: its members, then the request's unions for it.
    std::size_t PositionCount(std::size_t g) const { return m_sizes[g]; }
    //! Position of M in grouping G, or nullopt when M is not part of it.
    std::optional<std::uint32_t> PositionOf(std::size_t g, const Member& m) const;
    //! Measure indices in slot order, as requested.
    std::span<const int> MeasureIndices() const { return m_measures; }
    //! Slot of measure index MEASURE, or -1.
    int SlotOf(int measure) const;

    std::size_t CellCount() const { return m_rows.size(); }
    //! How far apart in cell numbers two neighbouring positions of grouping G are.
    std::size_t Stride(std::size_t g) const { return m_strides[g]; }
    //! Cell number of the positions (one per grouping).
    std::size_t CellIndex(std::span<const std::uint32_t> positions) const;
    //! Value of CELL for measure SLOT; nullopt for an empty cell.
    std::optional<double> Value(std::size_t cell, std::size_t slot) const;
    //! Value at one member per grouping (in grouping order) for measure index
    //! MEASURE; nullopt when the cell is empty or the members or measure are
    //! not part of this result.
    std::optional<double> Value(std::span<const Member* const> members, int measure) const;
    //! Fact rows under CELL.
    std::uint64_t RowCount(std::size_t cell) const { return m_rows[cell]; }
    //! Approximate memory held.
    std::size_t Bytes() const;

private:
    friend class AggregationEngine;

    std::vector<std::vector<const Member*>> m_members;
    std::vector<std::unordered_map<const Member*, std::uint32_t>> m_positions;
    std::vector<std::size_t> m_sizes;
    std::vector<std::size_t> m_strides;
    std::vector<int> m_measures;
    std::vector<double> m_values; //!< cell * measures + slot; NaN marks an empty value
    std::vector<std::uint64_t> m_rows;
};

} // namespace olap
