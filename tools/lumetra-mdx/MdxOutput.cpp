#include "MdxOutput.h"

#include "olap/util/NameUtil.h"

#include <algorithm>

namespace lumetra_mdx {
namespace {

using olap::CellSet;

std::string Captions(const olap::PositionTable::Position& tuple)
{
    std::string text;
    for (const CellSet::Member& m : tuple) {
        if (!text.empty())
            text += " | ";
        text += m.caption;
    }
    return text;
}

std::string RawValue(const CellSet::Cell& cell)
{
    if (cell.value)
        return olap::FormatNumber(*cell.value);
    if (cell.text)
        return *cell.text;
    return {};
}

std::string CsvField(const std::string& text)
{
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string out = "\"";
    for (char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    return out + "\"";
}

std::string CsvLine(const std::vector<std::string>& fields)
{
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i)
            line += ',';
        line += CsvField(fields[i]);
    }
    return line + "\n";
}

// Positions of the "row" part: every axis after the first, the row axis varying
// fastest... (pages outermost). Each entry is the coordinates of axes 1..n.
std::vector<std::vector<std::size_t>> RowCoordinates(const CellSet& cs)
{
    std::vector<std::vector<std::size_t>> rows;
    if (cs.axes.size() <= 1) {
        rows.push_back({});
        return rows;
    }
    std::size_t count = 1;
    for (std::size_t a = 1; a < cs.axes.size(); ++a)
        count *= cs.axes[a].positions.size();
    for (std::size_t r = 0; r < count; ++r) {
        std::vector<std::size_t> coords(cs.axes.size() - 1);
        std::size_t rest = r;
        for (std::size_t a = 1; a < cs.axes.size(); ++a) {
            coords[a - 1] = rest % cs.axes[a].positions.size();
            rest /= cs.axes[a].positions.size();
        }
        rows.push_back(std::move(coords));
    }
    // Pages outermost: order by the highest axis first.
    std::stable_sort(rows.begin(), rows.end(), [](const auto& x, const auto& y) {
        return std::lexicographical_compare(x.rbegin(), x.rend(), y.rbegin(), y.rend());
    });
    return rows;
}

std::string RowCaptions(const CellSet& cs, const std::vector<std::size_t>& coords)
{
    std::string text;
    for (std::size_t a = cs.axes.size(); a-- > 1;) {
        std::string part = Captions(cs.axes[a].positions[coords[a - 1]]);
        if (!text.empty() && !part.empty())
            text += " | ";
        text += part;
    }
    return text;
}

std::size_t Ordinal(const CellSet& cs, std::size_t column, const std::vector<std::size_t>& rowCoords)
{
    std::vector<std::size_t> coords {column};
    coords.insert(coords.end(), rowCoords.begin(), rowCoords.end());
    return cs.CellOrdinal(coords);
}

std::string RenderCells(const CellSet& cs)
{
    std::string out;
    if (cs.axes.empty()) {
        out += "\t\t" + (cs.cells.empty() ? std::string() : RawValue(cs.cells[0])) + "\n";
        return out;
    }
    for (const auto& row : RowCoordinates(cs)) {
        std::string rowText = RowCaptions(cs, row);
        for (std::size_t c = 0; c < cs.axes[0].positions.size(); ++c)
            out += rowText + "\t" + Captions(cs.axes[0].positions[c]) + "\t" + RawValue(cs.cells[Ordinal(cs, c, row)])
                + "\n";
    }
    return out;
}

std::string CellProperty(const CellSet& cs, const std::string& name, std::size_t ordinal)
{
    const CellSet::Cell& cell = cs.cells[ordinal];
    static const CellSet::CellFormat kNone;
    const CellSet::CellFormat& format = ordinal < cs.cellFormats.size() ? cs.cellFormats[ordinal] : kNone;
    auto colour = [](const std::optional<double>& c) { return c ? olap::FormatNumber(*c) : std::string(); };
    if (name == "VALUE")
        return RawValue(cell);
    if (name == "FORMATTED_VALUE")
        return cell.formatted;
    if (name == "CELL_ORDINAL")
        return std::to_string(ordinal);
    if (name == "FORMAT_STRING")
        return format.formatString;
    if (name == "FORE_COLOR")
        return colour(format.foreColor);
    if (name == "BACK_COLOR")
        return colour(format.backColor);
    return {};
}

std::string RenderProperties(const CellSet& cs)
{
    static const char* const kAxisNames[] = {"COLUMNS", "ROWS", "PAGES", "SECTIONS", "CHAPTERS"};
    std::string out;
    for (const CellSet::Axis& axis : cs.axes) {
        const std::string name = axis.ordinal >= 0 && axis.ordinal < 5 ? std::string(kAxisNames[axis.ordinal])
                                                                       : "AXIS(" + std::to_string(axis.ordinal) + ")";
        for (const auto& position : axis.positions) {
            out += name + "\t" + Captions(position);
            for (const CellSet::Member& m : position) {
                for (std::size_t p = 0; p < axis.properties.size() && p < m.properties.size(); ++p)
                    out += "\t" + axis.properties[p] + "=" + m.properties[p];
            }
            out += "\n";
        }
    }
    if (cs.cellProperties.empty())
        return out;
    auto cellLine = [&](const std::string& rowText, const std::string& columnText, std::size_t ordinal) {
        std::string line = rowText + "\t" + columnText;
        for (const std::string& p : cs.cellProperties)
            line += "\t" + p + "=" + CellProperty(cs, p, ordinal);
        return line + "\n";
    };
    if (cs.axes.empty()) {
        if (!cs.cells.empty())
            out += cellLine({}, {}, 0);
        return out;
    }
    for (const auto& row : RowCoordinates(cs)) {
        for (std::size_t c = 0; c < cs.axes[0].positions.size(); ++c)
            out += cellLine(RowCaptions(cs, row), Captions(cs.axes[0].positions[c]), Ordinal(cs, c, row));
    }
    return out;
}

std::string RenderTable(const CellSet& cs, bool csv)
{
    std::vector<std::vector<std::string>> table;
    if (cs.axes.empty()) {
        table.push_back(
            {csv ? (cs.cells.empty() ? "" : RawValue(cs.cells[0])) : (cs.cells.empty() ? "" : cs.cells[0].formatted)});
    } else {
        std::vector<std::string> header {""};
        for (const auto& position : cs.axes[0].positions)
            header.push_back(Captions(position));
        table.push_back(std::move(header));
        for (const auto& row : RowCoordinates(cs)) {
            std::vector<std::string> line {RowCaptions(cs, row)};
            for (std::size_t c = 0; c < cs.axes[0].positions.size(); ++c) {
                const CellSet::Cell& cell = cs.cells[Ordinal(cs, c, row)];
                line.push_back(csv ? RawValue(cell) : cell.formatted);
            }
            table.push_back(std::move(line));
        }
    }
    std::string out;
    if (csv) {
        for (const auto& line : table)
            out += CsvLine(line);
        return out;
    }
    std::vector<std::size_t> widths;
    for (const auto& line : table) {
        widths.resize(std::max(widths.size(), line.size()), 0);
        for (std::size_t i = 0; i < line.size(); ++i)
            widths[i] = std::max(widths[i], line[i].size());
    }
    for (const auto& line : table) {
        std::string text;
        for (std::size_t i = 0; i < line.size(); ++i) {
            if (i)
                text += " | ";
            text += line[i];
            if (i + 1 < line.size())
                text += std::string(widths[i] - line[i].size(), ' ');
        }
        while (!text.empty() && text.back() == ' ')
            text.pop_back();
        out += text + "\n";
    }
    return out;
}

} // namespace

std::string Render(const olap::QueryResult& result, OutputFormat format)
{
    if (result.kind == olap::QueryResult::Kind::Drillthrough) {
        std::string out = CsvLine(result.drillthrough.columns);
        for (const auto& row : result.drillthrough.rows)
            out += CsvLine(row);
        return out;
    }
    switch (format) {
    case OutputFormat::Cells:
        return RenderCells(result.cellSet);
    case OutputFormat::Properties:
        return RenderProperties(result.cellSet);
    case OutputFormat::Csv:
        return RenderTable(result.cellSet, true);
    default:
        return RenderTable(result.cellSet, false);
    }
}

std::string Render(const olap::SchemaRowset& rowset)
{
    auto line = [](const std::vector<std::string>& fields) {
        std::string text;
        for (std::size_t i = 0; i < fields.size(); ++i) {
            if (i)
                text += '\t';
            text += fields[i];
        }
        return text + "\n";
    };
    std::string out = line(rowset.columns);
    for (const auto& row : rowset.rows)
        out += line(row);
    return out;
}

std::vector<std::string> SplitStatements(std::string_view script)
{
    std::vector<std::string> statements;
    std::string current;
    bool meaningful = false;
    auto finish = [&] {
        if (meaningful)
            statements.push_back(current);
        current.clear();
        meaningful = false;
    };
    std::size_t start = 0;
    while (start <= script.size()) {
        std::size_t end = script.find('\n', start);
        std::string_view line
            = script.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
        std::string_view trimmed = line;
        while (!trimmed.empty() && (trimmed.back() == ' ' || trimmed.back() == '\t' || trimmed.back() == '\r'))
            trimmed.remove_suffix(1);
        std::string_view lead = trimmed;
        while (!lead.empty() && (lead.front() == ' ' || lead.front() == '\t'))
            lead.remove_prefix(1);
        bool comment = lead.substr(0, 2) == "--" || lead.substr(0, 2) == "//";
        if (!lead.empty() && !comment && lead != ";")
            meaningful = true;
        if (!trimmed.empty() && trimmed.back() == ';' && !comment) {
            current += std::string(trimmed.substr(0, trimmed.size() - 1));
            current += '\n';
            finish();
        } else {
            current += std::string(line);
            current += '\n';
        }
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    finish();
    return statements;
}

} // namespace lumetra_mdx
