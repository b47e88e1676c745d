// The headers of a result axis laid out as the statement arranged it (the view of a given
// MDX text), rather than as a pivot definition's blocks.
#include "control/pivot/model/PivotAxisLayout.h"

#include "control/pivot/model/MdxNames.h"
#include "control/pivot/model/PivotError.h"

#include <algorithm>
#include <unordered_map>

namespace pivot {

namespace {

// Separates the parts of a header key; it does not occur in unique names.
constexpr char kKeySeparator = '\x1f';

std::string LevelCaption(const olap::CellSet::Member& member)
{
    if (member.hierarchyUniqueName == "[Measures]" || member.levelUniqueName == "[Measures].[MeasuresLevel]")
        return "Measures";
    if (member.levelUniqueName.empty())
        return member.hierarchyUniqueName.empty() ? std::string() : MdxNames::LastSegment(member.hierarchyUniqueName);
    return MdxNames::LastSegment(member.levelUniqueName);
}

//! What one member slot (a hierarchy of the axis) needs to place its members.
struct Slot {
    //! The level depths met on the axis, shallowest first; band b shows depth depths[b].
    std::vector<int> depths;
    int offset = 0;
    //! Parent of every member met on the axis, by unique name.
    std::unordered_map<std::string, std::string> parents;

    int Band(int depth) const
    {
        return static_cast<int>(std::lower_bound(depths.begin(), depths.end(), depth) - depths.begin());
    }
    int Bands() const { return static_cast<int>(depths.size()); }
    //! Whether ANCESTOR is a proper ancestor of MEMBER along the parents met on the axis.
    bool IsAncestor(const std::string& ancestor, const std::string& member) const
    {
        std::string current = member;
        // The walk ends at a member whose parent is unknown; a cycle cannot be longer than
        // the members met.
        for (std::size_t steps = 0; steps <= parents.size(); ++steps) {
            auto parent = parents.find(current);
            if (parent == parents.end() || parent->second.empty())
                return false;
            if (parent->second == ancestor)
                return true;
            current = parent->second;
        }
        return false;
    }
};

struct Entry {
    std::string key;
    PivotHeaderCell cell;
};

} // namespace

PivotAxisLayout::PivotAxisLayout(const olap::CellSet::Axis& axis)
{
    const std::size_t count = axis.positions.size();
    const std::size_t slotCount = count == 0 ? axis.hierarchies.size() : axis.positions.front().size();
    for (std::size_t i = 0; i < count; ++i) {
        if (axis.positions[i].size() != slotCount)
            throw PivotError("position " + std::to_string(i) + " of the query result's axis "
                + std::to_string(axis.ordinal) + " has " + std::to_string(axis.positions[i].size())
                + " member(s) where the first has " + std::to_string(slotCount));
    }
    if (count == 0)
        return;

    std::vector<Slot> slots(slotCount);
    for (std::size_t k = 0; k < slotCount; ++k) {
        Slot& slot = slots[k];
        std::vector<std::string> captions;
        for (std::size_t i = 0; i < count; ++i) {
            const olap::CellSet::Member& member = axis.positions[i][k];
            slot.parents.emplace(member.uniqueName, member.parentUniqueName);
            const int band = slot.Band(member.levelDepth);
            if (band == slot.Bands() || slot.depths[static_cast<std::size_t>(band)] != member.levelDepth) {
                slot.depths.insert(slot.depths.begin() + band, member.levelDepth);
                captions.insert(captions.begin() + band, LevelCaption(member));
            }
        }
        slot.offset = m_bandCount;
        m_bandCount += slot.Bands();
        m_bandCaptions.insert(m_bandCaptions.end(), captions.begin(), captions.end());
    }

    // The shown ancestors of every member: in the run of positions with the same outer
    // members, the members before it (on a stack) that are its ancestors. A member some later
    // member nests under takes one band and leaves the deeper bands of its line empty.
    std::vector<std::vector<int>> ancestors(count * slotCount);
    std::vector<char> nests(count * slotCount, 0);
    for (std::size_t k = 0; k < slotCount; ++k) {
        std::vector<int> stack;
        for (std::size_t i = 0; i < count; ++i) {
            bool sameOuter = i > 0;
            for (std::size_t b = 0; b < k && sameOuter; ++b)
                sameOuter = axis.positions[i][b].uniqueName == axis.positions[i - 1][b].uniqueName;
            if (!sameOuter)
                stack.clear();
            const std::string& name = axis.positions[i][k].uniqueName;
            while (!stack.empty()
                && !slots[k].IsAncestor(axis.positions[static_cast<std::size_t>(stack.back())][k].uniqueName, name))
                stack.pop_back();
            for (int a : stack)
                nests[static_cast<std::size_t>(a) * slotCount + k] = 1;
            ancestors[i * slotCount + k] = stack;
            stack.push_back(static_cast<int>(i));
        }
        // A member repeated on neighbouring positions (crossed with an inner hierarchy) is one
        // header: when its last line has descendants after it, every line of it nests them.
        for (std::size_t i = count; i-- > 1;) {
            bool same = axis.positions[i][k].uniqueName == axis.positions[i - 1][k].uniqueName;
            for (std::size_t b = 0; b < k && same; ++b)
                same = axis.positions[i][b].uniqueName == axis.positions[i - 1][b].uniqueName;
            if (same && nests[i * slotCount + k])
                nests[(i - 1) * slotCount + k] = 1;
        }
    }

    std::vector<std::vector<Entry>> entries(count);
    for (std::size_t i = 0; i < count; ++i) {
        m_visible.push_back(static_cast<int>(i));
        m_total.push_back(0);
        std::string prefix;
        for (std::size_t k = 0; k < slotCount; ++k) {
            const Slot& slot = slots[k];
            const olap::CellSet::Member& member = axis.positions[i][k];
            const int band = slot.Band(member.levelDepth);
            for (int b = 0; b < band; ++b) {
                Entry outer;
                outer.cell.band = slot.offset + b;
                const olap::CellSet::Member* shown = nullptr;
                for (int a : ancestors[i * slotCount + k]) {
                    const olap::CellSet::Member& candidate = axis.positions[static_cast<std::size_t>(a)][k];
                    if (slot.Band(candidate.levelDepth) == b)
                        shown = &candidate;
                }
                if (shown) {
                    outer.cell.caption = shown->caption;
                    outer.cell.uniqueName = shown->uniqueName;
                    outer.key = prefix + shown->uniqueName;
                } else {
                    outer.cell.kind = PivotHeaderCell::Kind::Empty;
                    outer.key = prefix + "#gap" + std::to_string(b) + member.uniqueName;
                }
                entries[i].push_back(std::move(outer));
            }
            Entry entry;
            entry.cell.band = slot.offset + band;
            entry.cell.caption = member.caption;
            entry.cell.uniqueName = member.uniqueName;
            entry.key = prefix + member.uniqueName;
            const bool nested = nests[i * slotCount + k] != 0;
            if (!nested)
                entry.cell.depth = slot.Bands() - band;
            entries[i].push_back(entry);
            if (nested && band + 1 < slot.Bands()) {
                // The member's own line: blank under the bands its descendants take.
                Entry own;
                own.cell.kind = PivotHeaderCell::Kind::Empty;
                own.cell.band = slot.offset + band + 1;
                own.cell.depth = slot.Bands() - band - 1;
                own.key = entry.key + kKeySeparator + "#own";
                entries[i].push_back(std::move(own));
            }
            prefix = entry.key + kKeySeparator;
        }
    }

    // Merge equal neighbours along the axis, band by band, and index the cover.
    std::vector<int> open(static_cast<std::size_t>(m_bandCount), -1);
    std::vector<std::string> openKey(static_cast<std::size_t>(m_bandCount));
    for (std::size_t v = 0; v < count; ++v) {
        for (Entry& entry : entries[v]) {
            const auto band = static_cast<std::size_t>(entry.cell.band);
            const int last = open[band];
            if (last >= 0 && openKey[band] == entry.key
                && m_cells[static_cast<std::size_t>(last)].depth == entry.cell.depth
                && m_cells[static_cast<std::size_t>(last)].position + m_cells[static_cast<std::size_t>(last)].span
                    == static_cast<int>(v)) {
                ++m_cells[static_cast<std::size_t>(last)].span;
                continue;
            }
            entry.cell.position = static_cast<int>(v);
            open[band] = static_cast<int>(m_cells.size());
            openKey[band] = std::move(entry.key);
            m_cells.push_back(std::move(entry.cell));
        }
    }
    m_cover.assign(static_cast<std::size_t>(m_bandCount) * count, 0);
    for (std::size_t c = 0; c < m_cells.size(); ++c) {
        const PivotHeaderCell& cell = m_cells[c];
        for (int b = cell.band; b < cell.band + cell.depth; ++b) {
            for (int p = cell.position; p < cell.position + cell.span; ++p)
                m_cover[static_cast<std::size_t>(b) * count + static_cast<std::size_t>(p)] = static_cast<int>(c);
        }
    }
}

} // namespace pivot
