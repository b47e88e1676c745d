#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace olap {

class Cube;
class Level;
class Member;

//! Fact rows under a drill-through tuple: one column per level (below All)
//! of each dimension, in cube order, then one per measure. Values are read
//! from the cube on demand; the result must not outlive the cube.
class DrillthroughResult {
public:
    struct Column {
        std::string name;
        const Level* level = nullptr; //!< nullptr for a measure column
        int measure = -1;
    };

    const std::vector<Column>& Columns() const { return m_columns; }
    std::size_t RowCount() const { return m_rows.size(); }
    //! Fact rows under the tuple, also those beyond the row limit when the
    //! run counted all rows; otherwise the rows found before it stopped.
    std::uint64_t TotalRows() const { return m_totalRows; }
    //! True when every fact row was examined (TotalRows() is exact).
    bool Complete() const { return m_complete; }
    //! The member of a level column.
    const Member* MemberAt(std::size_t row, std::size_t column) const;
    //! A measure column's stored value (count columns give 1, distinct-count
    //! columns the counted value if it is a number); nullopt for NULL.
    std::optional<double> ValueAt(std::size_t row, std::size_t column) const;
    //! The cell as text: the member name, the number in shortest form, or "" for NULL.
    std::string TextAt(std::size_t row, std::size_t column) const;
    //! TextAt of every row of COLUMN, in row order: one pass over the column instead of a
    //! lookup per cell.
    std::vector<std::string> ColumnTexts(std::size_t column) const;
    //! Fact row number of a result row.
    std::uint64_t FactRow(std::size_t row) const { return m_rows[row]; }

private:
    friend class Drillthrough;

    const Cube* m_cube = nullptr;
    std::vector<Column> m_columns;
    std::vector<std::uint64_t> m_rows;
    std::uint64_t m_totalRows = 0;
    bool m_complete = true;
};

} // namespace olap
