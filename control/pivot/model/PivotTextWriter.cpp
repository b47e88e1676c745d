#include "control/pivot/model/PivotTextWriter.h"

#include <cmath>
#include <cstdio>

namespace pivot {

namespace {

std::string CsvField(const std::string& text)
{
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string result = "\"";
    for (char c : text) {
        result += c;
        if (c == '"')
            result += '"';
    }
    result += '"';
    return result;
}

} // namespace

std::string PivotTextWriter::Csv(const PivotLayout& layout)
{
    std::string out;
    for (int r = 0; r < layout.RowCount(); ++r) {
        for (int c = 0; c < layout.ColumnCount(); ++c) {
            if (c > 0)
                out += ',';
            out += CsvField(layout.Cell(r, c).text);
        }
        out += "\r\n";
    }
    return out;
}

std::string PivotTextWriter::TabSeparated(const PivotLayout& layout)
{
    std::string out;
    for (int r = 0; r < layout.RowCount(); ++r) {
        for (int c = 0; c < layout.ColumnCount(); ++c) {
            if (c > 0)
                out += '\t';
            const PivotGridCell cell = layout.Cell(r, c);
            std::string text = cell.value ? RawNumber(*cell.value) : cell.text;
            for (char& ch : text) {
                if (ch == '\t' || ch == '\r' || ch == '\n')
                    ch = ' ';
            }
            out += text;
        }
        out += "\r\n";
    }
    return out;
}

std::string PivotTextWriter::Html(const PivotLayout& layout)
{
    std::string out = "<table class=\"pivot\">\n";
    if (!layout.Title().empty())
        out += "<caption>" + HtmlEscape(layout.Title()) + "</caption>\n";
    for (int r = 0; r < layout.RowCount(); ++r) {
        out += "<tr>";
        for (int c = 0; c < layout.ColumnCount(); ++c) {
            const PivotGridCell cell = layout.Cell(r, c);
            if (!cell.IsAnchor(r, c))
                continue;
            const bool header = cell.kind != PivotGridCell::Kind::Value;
            out += header ? "<th" : "<td";
            if (cell.rowSpan > 1)
                out += " rowspan=\"" + std::to_string(cell.rowSpan) + "\"";
            if (cell.columnSpan > 1)
                out += " colspan=\"" + std::to_string(cell.columnSpan) + "\"";
            if (cell.isTotal)
                out += " class=\"total\"";
            if (!header)
                out += " align=\"right\"";
            out += ">";
            out += cell.isTotal ? "<b>" + HtmlEscape(cell.text) + "</b>" : HtmlEscape(cell.text);
            out += header ? "</th>" : "</td>";
        }
        out += "</tr>\n";
    }
    out += "</table>\n";
    return out;
}

std::string PivotTextWriter::HtmlEscape(const std::string& text)
{
    std::string result;
    for (char c : text) {
        switch (c) {
        case '&':
            result += "&amp;";
            break;
        case '<':
            result += "&lt;";
            break;
        case '>':
            result += "&gt;";
            break;
        case '"':
            result += "&quot;";
            break;
        default:
            result += c;
        }
    }
    return result;
}

std::string PivotTextWriter::RawNumber(double value)
{
    if (std::isfinite(value) && value == std::floor(value) && std::fabs(value) < 1e15) {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%.0f", value);
        return buffer;
    }
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.15g", value);
    return buffer;
}

} // namespace pivot
