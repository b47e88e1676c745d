#include "olap/exec/SlicerMasks.h"

#include "olap/model/Cube.h"
#include "olap/model/Hierarchy.h"
#include "olap/model/Member.h"

#include <algorithm>
#include <variant>

namespace olap {

namespace {

//! The leaves under M, as a mask over its hierarchy's leaves.
std::vector<std::uint8_t> LeavesOf(const Member& m)
{
    std::vector<std::uint8_t> mask(m.GetHierarchy().LeafCount(), 0);
    std::fill(mask.begin() + m.LeafBegin(), mask.begin() + m.LeafEnd(), std::uint8_t(1));
    return mask;
}

//! INTO becomes the intersection of INTO and MASK (INTO empty: MASK).
void Intersect(std::vector<std::uint8_t>& into, std::vector<std::uint8_t> mask)
{
    if (into.empty()) {
        into = std::move(mask);
        return;
    }
    for (std::size_t i = 0; i < into.size(); ++i)
        into[i] &= mask[i];
}

} // namespace

SlicerMasks::SlicerMasks(const Cube& cube, const AggregationRequest& request) : m_allowed(cube.FactHierarchies().size())
{
    for (const MemberSet& set : request.slicer) {
        std::vector<std::uint8_t> mask(set.hierarchy->LeafCount(), 0);
        for (const Member* m : set.members)
            std::fill(mask.begin() + m->LeafBegin(), mask.begin() + m->LeafEnd(), std::uint8_t(1));
        Intersect(m_allowed[static_cast<std::size_t>(set.hierarchy->FactColumn())], std::move(mask));
    }
    const FactTable& facts = cube.Facts();
    std::vector<int> slot(m_allowed.size(), -1);
    for (const auto& tuple : request.tupleSlicer) {
        std::vector<std::vector<std::uint8_t>> masks(m_tupleColumns.size());
        for (const Member* m : tuple) {
            const auto column = static_cast<std::size_t>(m->GetHierarchy().FactColumn());
            if (slot[column] < 0) {
                slot[column] = static_cast<int>(m_tupleColumns.size());
                m_tupleColumns.push_back(&facts.keys[column]);
                masks.emplace_back();
            }
            Intersect(masks[static_cast<std::size_t>(slot[column])], LeavesOf(*m));
        }
        m_tupleMasks.push_back(std::move(masks));
    }
    // A tuple that does not name a column allows any of its leaves there.
    for (auto& masks : m_tupleMasks)
        masks.resize(m_tupleColumns.size());
}

void SlicerMasks::TuplePass(std::size_t start, std::size_t n, std::uint8_t* pass) const
{
    constexpr std::size_t kBlock = 2048;
    std::uint8_t all[kBlock];
    std::fill(pass, pass + n, std::uint8_t(0));
    for (std::size_t from = 0; from < n; from += kBlock) {
        const std::size_t count = std::min(kBlock, n - from);
        for (const auto& tuple : m_tupleMasks) {
            std::fill(all, all + count, std::uint8_t(1));
            for (std::size_t c = 0; c < tuple.size(); ++c) {
                if (tuple[c].empty())
                    continue;
                const std::uint8_t* mask = tuple[c].data();
                std::visit(
                    [&](const auto& keys) {
                        const auto* k = keys.data() + start + from;
                        for (std::size_t i = 0; i < count; ++i)
                            all[i] &= mask[k[i]];
                    },
                    *m_tupleColumns[c]);
            }
            for (std::size_t i = 0; i < count; ++i)
                pass[from + i] |= all[i];
        }
    }
}

} // namespace olap
