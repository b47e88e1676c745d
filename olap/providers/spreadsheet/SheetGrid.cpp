#include "olap/providers/spreadsheet/SheetGrid.h"

#include "olap/providers/RelationalError.h"

namespace olap::providers {

void SheetGrid::Set(std::size_t row, std::size_t column, recordset::CellValue value)
{
    if (value.IsNull())
        return;
    m_cells[row][column] = std::move(value);
    if (column + 1 > m_width)
        m_width = column + 1;
}

std::vector<std::vector<recordset::CellValue>> SheetGrid::Rows(const std::string& sheet) const
{
    if (m_width > 0 && m_cells.size() > kMaxWorksheetCells / m_width)
        throw RelationalError(RelationalFailure::Unsupported,
            "The worksheet '" + sheet + "' is too large to read (" + std::to_string(m_cells.size()) + " rows of "
                + std::to_string(m_width) + " columns)");
    std::vector<std::vector<recordset::CellValue>> rows;
    rows.reserve(m_cells.size());
    for (const auto& [index, cells] : m_cells) {
        std::vector<recordset::CellValue> row(m_width);
        for (const auto& [column, value] : cells)
            row[column] = value;
        rows.push_back(std::move(row));
    }
    return rows;
}

} // namespace olap::providers
