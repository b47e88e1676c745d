#include "control/pivot/PivotSelectionText.h"

#include "control/pivot/model/PivotTextWriter.h"

#include <algorithm>
#include <vector>

namespace pivot {

std::string PivotSelectionText::TabSeparated(const PivotLayout& layout, int top, int left, int bottom, int right)
{
    std::string out;
    for (int r = top; r <= bottom; ++r) {
        for (int c = left; c <= right; ++c) {
            if (c > left)
                out += '\t';
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

std::string PivotSelectionText::TabSeparatedWithPaths(
    const PivotLayout& layout, int top, int left, int bottom, int right)
{
    const auto spans = [](int headers, int first, int last) {
        std::vector<int> lines;
        lines.reserve(static_cast<std::size_t>(std::max(0, std::min(headers, first)))
            + static_cast<std::size_t>(std::max(0, last - first + 1)));
        for (int i = 0; i < std::min(headers, first); ++i)
            lines.push_back(i);
        for (int i = first; i <= last; ++i)
            lines.push_back(i);
        return lines;
    };
    const std::vector<int> rows = spans(layout.HeaderRows(), top, bottom);
    const std::vector<int> columns = spans(layout.HeaderColumns(), left, right);
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
