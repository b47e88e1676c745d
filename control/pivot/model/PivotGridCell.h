#pragma once

#include "control/pivot/model/PivotHeaderCell.h"

#include <optional>
#include <string>

namespace pivot {

//! What the grid shows at one (row, column): a corner caption, a header (a part of a merged
//! header cell, whose anchor and spans say which) or a value.
struct PivotGridCell {
    enum class Kind { Corner, ColumnHeader, RowHeader, Value };

    Kind kind = Kind::Value;
    //! The text as drawn: a caption, or the formatted value.
    std::string text;
    //! The merged area this cell belongs to: its top-left grid cell and its size.
    int anchorRow = 0;
    int anchorColumn = 0;
    int rowSpan = 1;
    int columnSpan = 1;
    //! A subtotal or grand total line crosses the cell (headers and values).
    bool isTotal = false;
    bool isGrandTotal = false;
    //! The numeric value of a value cell.
    std::optional<double> value;
    //! The header cell behind a header, null otherwise.
    const PivotHeaderCell* header = nullptr;

    bool IsAnchor(int row, int column) const { return row == anchorRow && column == anchorColumn; }
};

} // namespace pivot
