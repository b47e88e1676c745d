#include "control/pivot/model/PivotAxisLayout.h"

#include "control/pivot/model/MdxNames.h"
#include "control/pivot/model/PivotError.h"
#include "control/pivot/model/PivotMdxBuilder.h"

#include <unordered_map>
#include <unordered_set>

namespace pivot {

namespace {

// Separates the parts of a header key; it does not occur in unique names.
constexpr char kKeySeparator = '\x1f';

//! A header cell of one position before cells of neighbouring positions are merged.
struct Entry {
    std::string key;
    PivotHeaderCell cell;
};

struct Slot {
    int level = 0;
    bool total = false;
    //! Positions holding this member's shown ancestors in the same block, outermost first.
    std::vector<int> ancestors;
};

std::string FieldCaption(const PivotField& field)
{
    return field.caption.empty() ? MdxNames::LastSegment(field.uniqueName) : field.caption;
}

} // namespace

PivotAxisLayout::PivotAxisLayout(
    const olap::CellSet::Axis& axis, const std::vector<PivotAxisBlock>& blocks, const PivotDefinition& definition)
{
    const std::size_t blockCount = blocks.size();
    const std::size_t count = axis.positions.size();
    std::vector<int> offset(blockCount);
    std::vector<int> fieldSetIndex(blockCount, -1);
    std::vector<std::unordered_map<std::string, int>> levelIndex(blockCount);
    int fieldSets = 0;
    for (std::size_t k = 0; k < blockCount; ++k) {
        offset[k] = m_bandCount;
        m_bandCount += blocks[k].bands;
        if (blocks[k].IsData()) {
            m_dataBand = offset[k];
            m_bandCaptions.push_back("Totals");
            continue;
        }
        fieldSetIndex[k] = fieldSets++;
        int index = 0;
        for (const PivotField* field : blocks[k].fieldSet->IncludedFields()) {
            levelIndex[k][field->uniqueName] = index++;
            m_bandCaptions.push_back(FieldCaption(*field));
        }
    }
    for (std::size_t i = 0; i < count; ++i) {
        if (axis.positions[i].size() != blockCount)
            throw PivotError("the query result has " + std::to_string(axis.positions[i].size())
                + " member(s) per position where the view expects " + std::to_string(blockCount));
    }

    // Level and ancestors of every member, and which members are shown with children: in a
    // hierarchized set the nearest shallower member before a member (under the same outer
    // members) is its shown ancestor.
    auto prefixKey = [&](std::size_t i, std::size_t k) {
        std::string key;
        for (std::size_t b = 0; b < k; ++b) {
            key += axis.positions[i][b].uniqueName;
            key += kKeySeparator;
        }
        return key;
    };
    std::vector<Slot> slots(count * blockCount);
    std::vector<std::unordered_set<std::string>> parents(blockCount);
    for (std::size_t k = 0; k < blockCount; ++k) {
        if (blocks[k].IsData())
            continue;
        const std::string totalName = PivotMdxBuilder::TotalMemberName(blocks[k].fieldSet->uniqueName);
        std::vector<int> stack;
        std::string previousPrefix;
        for (std::size_t i = 0; i < count; ++i) {
            const olap::CellSet::Member& member = axis.positions[i][k];
            Slot& slot = slots[i * blockCount + k];
            if (member.uniqueName == totalName) {
                slot.total = true;
                continue;
            }
            auto level = levelIndex[k].find(member.levelUniqueName);
            slot.level = level == levelIndex[k].end() ? 0 : level->second;
            std::string prefix = prefixKey(i, k);
            if (prefix != previousPrefix) {
                stack.clear();
                previousPrefix = std::move(prefix);
            }
            while (!stack.empty() && slots[stack.back() * blockCount + k].level >= slot.level)
                stack.pop_back();
            if (!stack.empty())
                parents[k].insert(previousPrefix + axis.positions[stack.back()][k].uniqueName);
            slot.ancestors = stack;
            stack.push_back(static_cast<int>(i));
        }
    }
    auto isParent = [&](std::size_t i, std::size_t k) {
        return !blocks[k].IsData() && !slots[i * blockCount + k].total
            && parents[k].count(prefixKey(i, k) + axis.positions[i][k].uniqueName) > 0;
    };

    // Visible positions, and the header entries of each.
    std::vector<std::vector<Entry>> entries;
    for (std::size_t i = 0; i < count; ++i) {
        bool visible = true;
        bool anyTotal = false;
        bool allTotal = true;
        for (std::size_t k = 0; k < blockCount; ++k) {
            if (blocks[k].IsData())
                continue;
            const bool total = slots[i * blockCount + k].total;
            const bool parent = isParent(i, k);
            if (parent && !blocks[k].fieldSet->subtotals)
                visible = false;
            anyTotal = anyTotal || total || parent;
            allTotal = allTotal && total;
        }
        if (!visible)
            continue;
        const bool hasFieldSet = fieldSets > 0;
        m_visible.push_back(static_cast<int>(i));
        m_total.push_back(hasFieldSet && allTotal ? 2 : anyTotal ? 1 : 0);

        std::vector<Entry> row;
        std::string prefix;
        bool outerAllTotal = true;
        for (std::size_t k = 0; k < blockCount;) {
            const olap::CellSet::Member& member = axis.positions[i][k];
            const Slot& slot = slots[i * blockCount + k];
            Entry entry;
            entry.cell.band = offset[k];
            entry.cell.fieldSetIndex = fieldSetIndex[k];
            if (blocks[k].IsData()) {
                const PivotTotal* total = definition.FindTotal(member.uniqueName);
                entry.cell.kind = PivotHeaderCell::Kind::Total;
                entry.cell.caption = total && !total->caption.empty() ? total->caption : member.caption;
                entry.cell.uniqueName = member.uniqueName;
                entry.key = prefix + member.uniqueName;
                prefix = entry.key + kKeySeparator;
                row.push_back(std::move(entry));
                ++k;
                continue;
            }
            if (slot.total) {
                // One cell over this and the following field sets that are totals too.
                std::size_t end = k;
                while (end < blockCount && !blocks[end].IsData() && slots[i * blockCount + end].total)
                    ++end;
                entry.cell.kind = outerAllTotal ? PivotHeaderCell::Kind::GrandTotal : PivotHeaderCell::Kind::Subtotal;
                entry.cell.caption = outerAllTotal ? "Grand Total" : "Total";
                entry.cell.depth = offset[end - 1] + blocks[end - 1].bands - offset[k];
                entry.key = prefix + "#total";
                prefix = entry.key + kKeySeparator;
                row.push_back(std::move(entry));
                k = end;
                continue;
            }
            outerAllTotal = false;
            const int bands = blocks[k].bands;
            const bool parent = isParent(i, k);
            for (int b = 0; b < slot.level; ++b) {
                Entry outer;
                outer.cell.band = offset[k] + b;
                outer.cell.fieldSetIndex = fieldSetIndex[k];
                const olap::CellSet::Member* ancestor = nullptr;
                for (int a : slot.ancestors) {
                    if (slots[static_cast<std::size_t>(a) * blockCount + k].level == b)
                        ancestor = &axis.positions[static_cast<std::size_t>(a)][k];
                }
                if (ancestor) {
                    outer.cell.caption = ancestor->caption;
                    outer.cell.uniqueName = ancestor->uniqueName;
                    outer.cell.hasChildren = true;
                    outer.cell.isExpanded = true;
                    outer.key = prefix + ancestor->uniqueName;
                } else {
                    outer.cell.kind = PivotHeaderCell::Kind::Empty;
                    outer.key = prefix + "#gap" + std::to_string(b) + member.uniqueName;
                }
                row.push_back(std::move(outer));
            }
            entry.cell.band = offset[k] + slot.level;
            entry.cell.caption = member.caption;
            entry.cell.uniqueName = member.uniqueName;
            entry.cell.hasChildren = member.childCount > 0 && slot.level + 1 < bands;
            entry.cell.isExpanded = parent;
            entry.key = prefix + member.uniqueName;
            if (!parent)
                entry.cell.depth = bands - slot.level;
            row.push_back(entry);
            if (parent && slot.level + 1 < bands) {
                Entry subtotal;
                subtotal.cell.kind = PivotHeaderCell::Kind::Subtotal;
                subtotal.cell.caption = "Total";
                subtotal.cell.band = offset[k] + slot.level + 1;
                subtotal.cell.depth = bands - slot.level - 1;
                subtotal.cell.fieldSetIndex = fieldSetIndex[k];
                subtotal.key = entry.key + kKeySeparator + "#sub";
                row.push_back(std::move(subtotal));
            }
            prefix = entry.key + kKeySeparator;
            ++k;
        }
        entries.push_back(std::move(row));
    }

    // Merge equal neighbours along the axis, band by band, and index the cover.
    const std::size_t visible = m_visible.size();
    std::vector<int> open(static_cast<std::size_t>(m_bandCount), -1);
    std::vector<std::string> openKey(static_cast<std::size_t>(m_bandCount));
    for (std::size_t v = 0; v < visible; ++v) {
        for (Entry& entry : entries[v]) {
            const auto band = static_cast<std::size_t>(entry.cell.band);
            const int last = open[band];
            if (last >= 0 && openKey[band] == entry.key && m_cells[last].depth == entry.cell.depth
                && m_cells[last].position + m_cells[last].span == static_cast<int>(v)) {
                ++m_cells[last].span;
                continue;
            }
            entry.cell.position = static_cast<int>(v);
            open[band] = static_cast<int>(m_cells.size());
            openKey[band] = std::move(entry.key);
            m_cells.push_back(std::move(entry.cell));
        }
    }
    m_cover.assign(static_cast<std::size_t>(m_bandCount) * visible, 0);
    for (std::size_t c = 0; c < m_cells.size(); ++c) {
        const PivotHeaderCell& cell = m_cells[c];
        for (int b = cell.band; b < cell.band + cell.depth; ++b) {
            for (int p = cell.position; p < cell.position + cell.span; ++p)
                m_cover[static_cast<std::size_t>(b) * visible + static_cast<std::size_t>(p)] = static_cast<int>(c);
        }
    }
}

std::string PivotAxisLayout::TotalAt(int position) const
{
    if (m_dataBand < 0)
        return {};
    return CellAt(m_dataBand, position).uniqueName;
}

} // namespace pivot
