#include "control/pivot/model/PivotLayout.h"

#include "control/pivot/model/PivotError.h"
#include "control/pivot/model/PivotMdxBuilder.h"

#include "olap/util/ValueFormatter.h"

namespace pivot {

PivotLayout::PivotLayout(const PivotDefinition& definition, olap::CellSet result)
    : m_hasTotals(!definition.IncludedTotals().empty()), m_title(definition.titleCaption)
{
    if (definition.IsRawQuery()) {
        if (result.axes.size() > 2)
            throw PivotError("the query result has " + std::to_string(result.axes.size())
                + " axes; the grid shows at most two (columns and rows)");
        m_raw = true;
        m_hasTotals = true;
        if (!result.axes.empty()) {
            m_columnAxis = 0;
            m_columns = PivotAxisLayout(result.axes[0]);
        }
        if (result.axes.size() > 1) {
            m_rowAxis = 1;
            m_rows = PivotAxisLayout(result.axes[1]);
        }
        m_result = std::move(result);
        return;
    }
    const auto columnBlocks = PivotMdxBuilder::Blocks(definition, AxisKind::Column);
    const auto rowBlocks = PivotMdxBuilder::Blocks(definition, AxisKind::Row);
    const std::size_t expected = (columnBlocks.empty() ? 0 : 1) + (rowBlocks.empty() ? 0 : 1);
    if (result.axes.size() != expected)
        throw PivotError("the query result has " + std::to_string(result.axes.size()) + " axes where the view expects "
            + std::to_string(expected));
    if (!columnBlocks.empty()) {
        m_columnAxis = 0;
        m_columns = PivotAxisLayout(result.axes[0], columnBlocks, definition);
        if (!rowBlocks.empty()) {
            m_rowAxis = 1;
            m_rows = PivotAxisLayout(result.axes[1], rowBlocks, definition);
        }
    } else if (!rowBlocks.empty()) {
        m_rowAxis = 0;
        m_rows = PivotAxisLayout(result.axes[0], rowBlocks, definition);
    }
    for (const PivotTotal& total : definition.totals) {
        if (!total.IsCalculated() && !total.numberFormat.empty())
            m_formats.emplace_back(total.name, total.numberFormat);
    }
    m_result = std::move(result);
}

PivotGridCell PivotLayout::Cell(int row, int column) const
{
    const int headerRows = HeaderRows();
    const int headerColumns = HeaderColumns();
    PivotGridCell cell;
    cell.anchorRow = row;
    cell.anchorColumn = column;
    if (row < headerRows && column < headerColumns) {
        cell.kind = PivotGridCell::Kind::Corner;
        // The bottom row names the row fields; above it the last column names the column
        // fields of the header rows beside it.
        if (row == headerRows - 1)
            cell.text = m_rows.BandCaption(column);
        else if (column == headerColumns - 1)
            cell.text = m_columns.BandCaption(row);
        return cell;
    }
    if (row < headerRows) {
        cell.kind = PivotGridCell::Kind::ColumnHeader;
        if (m_columns.BandCount() == 0 || m_columnAxis < 0)
            return cell;
        const int position = column - headerColumns;
        const PivotHeaderCell& header = m_columns.CellAt(row, position);
        cell.header = &header;
        cell.text = header.caption;
        cell.anchorRow = header.band;
        cell.anchorColumn = headerColumns + header.position;
        cell.rowSpan = header.depth;
        cell.columnSpan = header.span;
        // A header over several positions takes its style from itself, not from its first line.
        cell.isTotal = header.IsTotal() || (header.span == 1 && m_columns.IsTotal(position));
        cell.isGrandTotal = header.kind == PivotHeaderCell::Kind::GrandTotal
            || (header.span == 1 && m_columns.IsGrandTotal(position));
        return cell;
    }
    if (column < headerColumns) {
        cell.kind = PivotGridCell::Kind::RowHeader;
        const int position = row - headerRows;
        const PivotHeaderCell& header = m_rows.CellAt(column, position);
        cell.header = &header;
        cell.text = header.caption;
        cell.anchorRow = headerRows + header.position;
        cell.anchorColumn = header.band;
        cell.rowSpan = header.span;
        cell.columnSpan = header.depth;
        cell.isTotal = header.IsTotal() || (header.span == 1 && m_rows.IsTotal(position));
        cell.isGrandTotal
            = header.kind == PivotHeaderCell::Kind::GrandTotal || (header.span == 1 && m_rows.IsGrandTotal(position));
        return cell;
    }
    return ValueCell(row - headerRows, column - headerColumns);
}

std::vector<olap::CellSet::Member> PivotLayout::ValueTuple(int valueRow, int valueColumn) const
{
    std::vector<olap::CellSet::Member> tuple;
    auto add = [&](int axis, const PivotAxisLayout& layout, int position) {
        if (axis < 0)
            return;
        const auto& members = m_result.axes[static_cast<std::size_t>(axis)]
                                  .positions[static_cast<std::size_t>(layout.SourcePosition(position))];
        tuple.insert(tuple.end(), members.begin(), members.end());
    };
    add(m_rowAxis, m_rows, valueRow);
    add(m_columnAxis, m_columns, valueColumn);
    return tuple;
}

std::string PivotLayout::TotalAt(int valueRow, int valueColumn) const
{
    std::string total = m_rowAxis >= 0 ? m_rows.TotalAt(valueRow) : std::string();
    if (total.empty() && m_columnAxis >= 0)
        total = m_columns.TotalAt(valueColumn);
    return total;
}

PivotGridCell PivotLayout::ValueCell(int row, int column) const
{
    PivotGridCell cell;
    cell.kind = PivotGridCell::Kind::Value;
    cell.anchorRow = HeaderRows() + row;
    cell.anchorColumn = HeaderColumns() + column;
    cell.isTotal = (m_rowAxis >= 0 && m_rows.IsTotal(row)) || (m_columnAxis >= 0 && m_columns.IsTotal(column));
    cell.isGrandTotal
        = (m_rowAxis >= 0 && m_rows.IsGrandTotal(row)) || (m_columnAxis >= 0 && m_columns.IsGrandTotal(column));
    if (!m_hasTotals)
        return cell;

    std::size_t coordinates[2] = {0, 0};
    if (m_columnAxis >= 0)
        coordinates[m_columnAxis] = static_cast<std::size_t>(m_columns.SourcePosition(column));
    if (m_rowAxis >= 0)
        coordinates[m_rowAxis] = static_cast<std::size_t>(m_rows.SourcePosition(row));
    const std::size_t ordinal = m_result.CellOrdinal(std::span<const std::size_t>(coordinates, m_result.axes.size()));
    if (ordinal >= m_result.cells.size())
        return cell;
    const olap::CellSet::Cell& source = m_result.cells[ordinal];
    cell.value = source.value;
    cell.text = source.formatted.empty() && source.text ? *source.text : source.formatted;
    if (source.value && !m_formats.empty()) {
        const std::string total = TotalAt(row, column);
        for (const auto& [name, format] : m_formats) {
            if (name == total)
                cell.text = olap::ValueFormatter::Format(*source.value, format);
        }
    }
    return cell;
}

} // namespace pivot
