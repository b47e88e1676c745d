#include "control/export/PrintSheet.h"

#include "control/export/PrintTitles.h"

#include "control/pivot/model/MdxNames.h"

#include <algorithm>

namespace exporting {

namespace {

std::string FieldSetName(const pivot::PivotFieldSet& fieldSet)
{
    return fieldSet.caption.empty() ? pivot::MdxNames::LastSegment(fieldSet.uniqueName) : fieldSet.caption;
}

//! "Product: Drink", "Product: (All)" or "Product: (Multiple Items)".
std::string FilterText(const pivot::PivotFieldSet& fieldSet)
{
    const pivot::PivotMemberFilter& filter = fieldSet.filter;
    std::string shown = "(All)";
    if (filter.mode == pivot::PivotMemberFilter::Mode::Include && filter.members.size() == 1)
        shown = pivot::MdxNames::LastSegment(filter.members.front());
    else if (filter.IsActive())
        shown = "(Multiple Items)";
    return FieldSetName(fieldSet) + ": " + shown;
}

} // namespace

PrintSheet::PrintSheet(const pivot::PivotLayout& layout, const pivot::PivotDefinition& definition,
    const PrintViewShape& shape, std::string caption)
    : m_layout(&layout), m_caption(std::move(caption)), m_titleRows(PrintTitles::RowCount(shape)),
      m_titleColumns(PrintTitles::ColumnCount(shape))
{
    m_leadColumns = std::max(0, m_titleColumns - layout.HeaderColumns());
    if (shape.titleBarVisible)
        m_leadRows.push_back({{m_caption}, true});

    pivot::PivotSheetOptions::LeadRow filters;
    for (const pivot::PivotFieldSet& fieldSet : definition.filterAxis)
        filters.cells.push_back(FilterText(fieldSet));
    const bool hasFilters = shape.filterFieldSets > 0;
    if (hasFilters)
        m_leadRows.push_back(std::move(filters));
    m_leadRows.emplace_back(); // the gap below the filter area, or the empty filter area

    if (shape.includedColumnFields > 0 || shape.columnLabelVisible) {
        pivot::PivotSheetOptions::LeadRow label;
        label.cells.resize(static_cast<std::size_t>(m_leadColumns) + static_cast<std::size_t>(layout.HeaderColumns()));
        for (const pivot::PivotFieldSet& fieldSet : definition.columnAxis) {
            if (!fieldSet.IncludedFields().empty())
                label.cells.push_back(FieldSetName(fieldSet));
        }
        m_leadRows.push_back(std::move(label));
    }
    // The grid's header rows are the column fields and the totals line; where the view
    // counts a line the grid does not draw, blank rows keep the title rows on the headers.
    const int gap = m_titleRows - LeadRowCount() - layout.HeaderRows();
    for (int i = 0; i < gap; ++i)
        m_leadRows.emplace_back();
}

PrintSheet::Cell PrintSheet::At(int row, int column) const
{
    Cell cell;
    cell.anchorRow = row;
    cell.anchorColumn = column;
    if (row < LeadRowCount()) {
        const auto& lead = m_leadRows[static_cast<std::size_t>(row)];
        if (static_cast<std::size_t>(column) < lead.cells.size() && !lead.cells[column].empty()) {
            cell.kind = lead.isTitle ? Cell::Kind::Title : Cell::Kind::Caption;
            cell.text = lead.cells[column];
        }
        return cell;
    }
    if (column < m_leadColumns)
        return cell;
    const int gridRow = row - LeadRowCount();
    const int gridColumn = column - m_leadColumns;
    const pivot::PivotGridCell grid = m_layout->Cell(gridRow, gridColumn);
    cell.text = grid.text;
    cell.anchorRow = grid.anchorRow + LeadRowCount();
    cell.anchorColumn = grid.anchorColumn + m_leadColumns;
    cell.rowSpan = grid.rowSpan;
    cell.columnSpan = grid.columnSpan;
    cell.isTotal = grid.isTotal;
    cell.isGrandTotal = grid.isGrandTotal;
    if (grid.kind == pivot::PivotGridCell::Kind::Value)
        cell.kind = Cell::Kind::Value;
    else if (grid.kind != pivot::PivotGridCell::Kind::Corner || !grid.text.empty())
        cell.kind = Cell::Kind::Header;
    return cell;
}

pivot::PivotSheetOptions PrintSheet::SheetOptions(pivot::PivotSheetOptions::Orientation orientation) const
{
    pivot::PivotSheetOptions options;
    options.replaceTitle = true;
    options.leadRows = m_leadRows;
    options.leadColumns = m_leadColumns;
    options.printTitleRows = m_titleRows;
    options.printTitleColumns = m_titleColumns;
    options.orientation = orientation;
    options.printGridlines = true;
    options.centerHeader = EscapeCodes(m_caption);
    options.centerFooter = kFooter;
    return options;
}

std::string PrintSheet::EscapeCodes(const std::string& text)
{
    std::string escaped;
    for (char c : text) {
        escaped += c;
        if (c == '&')
            escaped += '&';
    }
    return escaped;
}

} // namespace exporting
