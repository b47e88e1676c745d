#include "olap/exec/AggregationResult.h"

#include <cmath>

namespace olap {

std::optional<std::uint32_t> AggregationResult::PositionOf(std::size_t g, const Member& m) const
{
    auto it = m_positions[g].find(&m);
    if (it == m_positions[g].end())
        return std::nullopt;
    return it->second;
}

int AggregationResult::SlotOf(int measure) const
{
    for (std::size_t i = 0; i < m_measures.size(); ++i) {
        if (m_measures[i] == measure)
            return static_cast<int>(i);
    }
    return -1;
}

std::size_t AggregationResult::CellIndex(std::span<const std::uint32_t> positions) const
{
    std::size_t cell = 0;
    for (std::size_t g = 0; g < positions.size() && g < m_strides.size(); ++g)
        cell += positions[g] * m_strides[g];
    return cell;
}

std::optional<double> AggregationResult::Value(std::size_t cell, std::size_t slot) const
{
    const double v = m_values[cell * m_measures.size() + slot];
    if (std::isnan(v))
        return std::nullopt;
    return v;
}

std::optional<double> AggregationResult::Value(std::span<const Member* const> members, int measure) const
{
    const int slot = SlotOf(measure);
    if (slot < 0 || members.size() != m_members.size())
        return std::nullopt;
    std::size_t cell = 0;
    for (std::size_t g = 0; g < members.size(); ++g) {
        auto position = PositionOf(g, *members[g]);
        if (!position)
            return std::nullopt;
        cell += *position * m_strides[g];
    }
    return Value(cell, static_cast<std::size_t>(slot));
}

std::size_t AggregationResult::Bytes() const
{
    std::size_t bytes = sizeof(*this) + m_values.size() * sizeof(double) + m_rows.size() * sizeof(std::uint64_t);
    for (const auto& members : m_members)
        bytes += members.size() * (sizeof(void*) * 4 + 16);
    return bytes;
}

} // namespace olap
