#include "control/pivot/PivotSelectionText.h"

#include "control/pivot/model/PivotTextWriter.h"

#include <algorithm>
#include <vector>

namespace pivot {

namespace {

//! The cells at ROWS x COLUMNS as tab-separated lines; tabs and line breaks in a text become
//! spaces, numbers are written in full.
std::string TabSeparatedCells(const PivotLayout& layout, const std::vector<int>& rows, const std::vector<int>& columns)
{
    std::string out;
    for (int r : rows) {
        bool first = true;
        for (int c : columns) {
            if (!first)
                out += '\t';
            first = false;
            const PivotGridCell cell = layout.Cell(r, c);
            std::string text = cell.value ? PivotTextWriter::RawNumber(*cell.value) : cell.text;
            std::replace_if(
                text.begin(), text.end(), [](char ch) { return ch == '\t' || ch == '\r' || ch == '\n'; }, ' ');
            out += text;
        }
        out += "\r\n";
    }
    return out;
}

//! The header lines before FIRST (up to HEADERS of them), then FIRST to LAST.
std::vector<int> Lines(int headers, int first, int last)
{
    std::vector<int> lines;
    lines.reserve(static_cast<std::size_t>(std::max(0, std::min(headers, first)))
        + static_cast<std::size_t>(std::max(0, last - first + 1)));
    for (int i = 0; i < std::min(headers, first); ++i)
        lines.push_back(i);
    for (int i = first; i <= last; ++i)
        lines.push_back(i);
    return lines;
}

} // namespace

std::string PivotSelectionText::TabSeparated(const PivotLayout& layout, int top, int left, int bottom, int right)
{
    return TabSeparatedCells(layout, Lines(0, top, bottom), Lines(0, left, right));
}

std::string PivotSelectionText::TabSeparatedWithPaths(
    const PivotLayout& layout, int top, int left, int bottom, int right)
{
    return TabSeparatedCells(
        layout, Lines(layout.HeaderRows(), top, bottom), Lines(layout.HeaderColumns(), left, right));
}

std::string PivotSelectionText::Html(const PivotLayout& layout, int top, int left, int bottom, int right)
{
    std::string out = "<table class=\"pivot\">\n";
    for (int r = top; r <= bottom; ++r) {
        out += "<tr>";
        for (int c = left; c <= right; ++c) {
            const PivotGridCell cell = layout.Cell(r, c);
            // A merged cell is written once, at the first cell of its part inside the rectangle.
            const int firstRow = std::max(cell.anchorRow, top);
            const int firstColumn = std::max(cell.anchorColumn, left);
            if (r != firstRow || c != firstColumn)
                continue;
            const int rowSpan = std::min(cell.anchorRow + cell.rowSpan - 1, bottom) - firstRow + 1;
            const int columnSpan = std::min(cell.anchorColumn + cell.columnSpan - 1, right) - firstColumn + 1;
            const bool header = cell.kind != PivotGridCell::Kind::Value;
            out += header ? "<th" : "<td";
            if (rowSpan > 1)
                out += " rowspan=\"" + std::to_string(rowSpan) + "\"";
            if (columnSpan > 1)
                out += " colspan=\"" + std::to_string(columnSpan) + "\"";
            if (cell.isTotal)
                out += " class=\"total\"";
            if (!header)
                out += " align=\"right\"";
            out += ">";
            out += cell.isTotal ? "<b>" + PivotTextWriter::HtmlEscape(cell.text) + "</b>"
                                : PivotTextWriter::HtmlEscape(cell.text);
            out += header ? "</th>" : "</td>";
        }
        out += "</tr>\n";
    }
    out += "</table>\n";
    return out;
}

} // namespace pivot
