#pragma once

#include "control/pivot/model/PivotAxisLayout.h"
#include "control/pivot/model/PivotDefinition.h"
#include "control/pivot/model/PivotGridCell.h"

#include "olap/query/CellSet.h"

#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace pivot {

//! The result of a pivot query laid out as the grid shows it: column headers on top, row
//! headers on the left, a corner with the captions of the row fields (bottom row) and of the
//! column fields (last column), and the values. Cells are
//! computed on request from the two axis layouts and the cell set, so a painter that asks
//! only for the visible cells costs only those, and a writer walks every cell the same way.
//!
//! Grid coordinates: rows 0 .. HeaderRows()-1 are column headers, columns 0 ..
//! HeaderColumns()-1 row headers; value (r, c) is grid cell (HeaderRows()+r,
//! HeaderColumns()+c).
class PivotLayout {
public:
    //! An empty layout (no rows, no columns).
    PivotLayout() = default;
    //! Lays out RESULT, the answer to PivotMdxBuilder::Build(DEFINITION). Throws PivotError
    //! when the result's axes do not match the definition. For a view of a given statement
    //! (DEFINITION.IsRawQuery()) the result is laid out as it came: axis 0 across, axis 1
    //! down, a result of more than two axes is refused.
    PivotLayout(const PivotDefinition& definition, olap::CellSet result);

    int RowCount() const { return HeaderRows() + ValueRows(); }
    int ColumnCount() const { return HeaderColumns() + ValueColumns(); }
    //! Column header rows (at least one, so the corner has a place for the row captions).
    int HeaderRows() const { return std::max(1, m_columns.BandCount()); }
    int HeaderColumns() const { return m_rows.BandCount(); }
    int ValueRows() const { return m_rowAxis < 0 ? 1 : m_rows.PositionCount(); }
    //! A view without totals and nothing on columns has no value column at all.
    int ValueColumns() const
    {
        if (m_columnAxis < 0)
            return m_hasTotals || m_rowAxis < 0 ? 1 : 0;
        return m_columns.PositionCount();
    }

    //! The grid cell at (ROW, COLUMN), both within range.
    PivotGridCell Cell(int row, int column) const;

    //! The members behind value (VALUEROW, VALUECOLUMN) (value coordinates, not grid ones):
    //! the row position's tuple, then the column position's; an axis with nothing on it adds
    //! none. This is what turns a cell into an MDX tuple (drill-through, cell explanations).
    std::vector<olap::CellSet::Member> ValueTuple(int valueRow, int valueColumn) const;

    //! The data-area total (its unique name) value (VALUEROW, VALUECOLUMN) shows, empty for
    //! a view of a given statement.
    std::string TotalAt(int valueRow, int valueColumn) const;

    const PivotAxisLayout& Rows() const { return m_rows; }
    const PivotAxisLayout& Columns() const { return m_columns; }
    const olap::CellSet& Result() const { return m_result; }
    const std::string& Title() const { return m_title; }
    //! Whether the layout shows a given statement's result (headers cannot be expanded or
    //! edited; they belong to no field set).
    bool IsRawQuery() const { return m_raw; }

private:
    PivotGridCell ValueCell(int row, int column) const;

    olap::CellSet m_result;
    PivotAxisLayout m_rows;
    PivotAxisLayout m_columns;
    //! The cell set axis behind the rows and the columns (-1: none).
    int m_rowAxis = -1;
    int m_columnAxis = -1;
    bool m_hasTotals = false;
    bool m_raw = false;
    std::string m_title;
    //! Format overrides of stored measures, by unique name.
    std::vector<std::pair<std::string, std::string>> m_formats;
};

} // namespace pivot
