#pragma once

#include "control/pivot/model/PivotAxisBlock.h"
#include "control/pivot/model/PivotDefinition.h"
#include "control/pivot/model/PivotHeaderCell.h"

#include "olap/query/CellSet.h"

#include <cstddef>
#include <string>
#include <vector>

namespace pivot {

//! The headers of one axis of a pivot grid, laid out from the query's axis: the visible
//! positions (a parent's own row drops out when its field set shows no subtotals), the
//! header bands, and the merged header cells with a cover index, so a painter asks for the
//! cell under any (band, position) in constant time and draws only what is visible.
class PivotAxisLayout {
public:
    //! An axis with no headers and one position (a view with nothing on this axis).
    PivotAxisLayout() = default;
    //! Lays out AXIS of a result whose tuples hold one member per block of BLOCKS. Throws
    //! PivotError when the tuples do not match the blocks.
    PivotAxisLayout(
        const olap::CellSet::Axis& axis, const std::vector<PivotAxisBlock>& blocks, const PivotDefinition& definition);

    //! Lays out AXIS as the statement that asked for it arranged it (a view of a given MDX
    //! text): one band per level depth of each hierarchy, a member's shown descendants right
    //! after it nest under it, and nothing can be expanded. Throws PivotError when the
    //! positions do not all hold the same number of members.
    explicit PivotAxisLayout(const olap::CellSet::Axis& axis);

    //! Number of header bands (columns of row headers, rows of column headers).
    int BandCount() const { return m_bandCount; }
    //! Number of visible positions.
    int PositionCount() const { return static_cast<int>(m_visible.size()); }
    //! The query axis position shown at visible position POSITION (-1 for an axis with no
    //! query axis behind it).
    int SourcePosition(int position) const { return m_visible.empty() ? -1 : m_visible[position]; }
    //! The header cell covering (BAND, POSITION); both within range.
    const PivotHeaderCell& CellAt(int band, int position) const
    {
        return m_cells[m_cover[static_cast<std::size_t>(band) * m_visible.size() + position]];
    }
    const std::vector<PivotHeaderCell>& Cells() const { return m_cells; }
    //! Whether visible position POSITION is a subtotal or grand total line.
    bool IsTotal(int position) const { return m_total[position] != 0; }
    bool IsGrandTotal(int position) const { return m_total[position] == 2; }
    //! The caption of band BAND (its field's caption, or "Totals").
    const std::string& BandCaption(int band) const { return m_bandCaptions[band]; }
    //! The data-area total shown at visible position POSITION (its unique name), empty when
    //! the totals are not on this axis.
    std::string TotalAt(int position) const;

private:
    int m_bandCount = 0;
    std::vector<int> m_visible;
    std::vector<char> m_total;
    std::vector<PivotHeaderCell> m_cells;
    std::vector<int> m_cover;
    std::vector<std::string> m_bandCaptions;
    int m_dataBand = -1;
};

} // namespace pivot
