#pragma once

#include "olap/providers/spreadsheet/Worksheet.h"

#include <cstddef>
#include <map>

namespace olap::providers {

//! Collects cells in any order and gives them as a Worksheet's rows.
class SheetGrid {
public:
    //! Sets the cell at ROW, COLUMN (both from 0); a null value is ignored.
    void Set(std::size_t row, std::size_t column, recordset::CellValue value);
    //! The rows with at least one value, each as wide as the widest. Throws RelationalError
    //! (Unsupported) naming SHEET when the grid would exceed kMaxWorksheetCells.
    std::vector<std::vector<recordset::CellValue>> Rows(const std::string& sheet) const;

private:
    std::map<std::size_t, std::map<std::size_t, recordset::CellValue>> m_cells;
    std::size_t m_width = 0;
};

} // namespace olap::providers
