#include "olap/providers/spreadsheet/SpreadsheetSource.h"

#include "olap/providers/RelationalError.h"
#include "olap/providers/SqlStatements.h"
#include "olap/providers/spreadsheet/SheetQuery.h"
#include "olap/providers/spreadsheet/XlsWorkbook.h"
#include "olap/providers/spreadsheet/XlsxWorkbook.h"
#include "olap/recordset/ColumnTyping.h"
#include "olap/util/MessageText.h"
#include "olap/util/RegularFile.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace olap::providers {

using recordset::CellValue;
using recordset::ColumnSpec;

namespace {

bool SameName(std::string_view a, std::string_view b)
{
    return !NoCaseLess()(a, b) && !NoCaseLess()(b, a);
}

} // namespace

std::unique_ptr<SpreadsheetSource> SpreadsheetSource::Open(const std::string& path)
{
    // Looked at with stat first: reading a FIFO would wait for a writer.
    if (const auto notFile = RegularFile::Describe(path)) {
        const bool missing = *notFile == "does not exist";
        throw RelationalError(missing ? RelationalFailure::FileMissing : RelationalFailure::NotADatabase,
            "The workbook file '" + ShortForMessage(path) + "' " + *notFile);
    }
    char magic[4] = {};
    std::ifstream(path, std::ios::binary).read(magic, sizeof magic);
    const bool isZip = magic[0] == 'P' && magic[1] == 'K' && magic[2] == 3 && magic[3] == 4;
    const bool isCompound = static_cast<unsigned char>(magic[0]) == 0xD0 && static_cast<unsigned char>(magic[1]) == 0xCF
        && static_cast<unsigned char>(magic[2]) == 0x11 && static_cast<unsigned char>(magic[3]) == 0xE0;
    if (isZip)
        return std::unique_ptr<SpreadsheetSource>(new SpreadsheetSource(path, ReadXlsxWorkbook(path)));
    if (isCompound)
        return std::unique_ptr<SpreadsheetSource>(new SpreadsheetSource(path, ReadXlsWorkbook(path)));
    throw RelationalError(RelationalFailure::NotADatabase,
        "'" + ShortForMessage(path) + "' is not an Excel workbook (neither .xls nor .xlsx content)");
}

std::unique_ptr<SpreadsheetSource> SpreadsheetSource::Open(const ConnectionProperties& properties)
{
    const auto path = FirstProperty(properties, {"Data Source", "DBQ"});
    if (!path)
        throw RelationalError(
            RelationalFailure::FileMissing, "The connection string names no workbook file (Data Source)");
    return Open(*path);
}

const Worksheet& SpreadsheetSource::Sheet(const std::string& table) const
{
    std::string_view wanted = table;
    if (!wanted.empty() && wanted.back() == '$')
        wanted.remove_suffix(1);
    for (const Worksheet& sheet : m_sheets)
        if (SameName(sheet.name, wanted) || SameName(sheet.name, table))
            return sheet;
    std::string known;
    for (const Worksheet& sheet : m_sheets) {
        if (!known.empty())
            known += ", ";
        known += sheet.name;
        known += '$';
    }
    throw RelationalError(
        RelationalFailure::BadStatement, "The workbook has no sheet named '" + table + "' (its sheets: " + known + ")");
}

std::string SpreadsheetSource::QuoteName(std::string_view name)
{
    // Built by appending: GCC 12 at -O3 takes "x" + std::string(...) + "x" for an overlapping copy.
    char open = '"';
    char close = '"';
    if (name.find(']') == std::string_view::npos) {
        open = '[';
        close = ']';
    } else if (name.find('`') == std::string_view::npos) {
        open = close = '`';
    }
    std::string quoted(1, open);
    quoted += name;
    quoted += close;
    return quoted;
}

recordset::Recordset SpreadsheetSource::Execute(std::string_view sql, int)
{
    if (!m_open)
        throw RelationalError(RelationalFailure::Other, "The workbook '" + m_path + "' is closed");
    const auto query = ParseSheetQuery(SingleSqlStatement(sql));
    if (!query)
        throw RelationalError(RelationalFailure::Unsupported,
            "A workbook answers only SELECT * or SELECT with a list of columns FROM one sheet, such as "
            "\"Select * from [Sheet1$]\"; this statement is not supported: "
                + ShortForMessage(sql));
    const Worksheet& sheet = Sheet(query->table);

    std::vector<ColumnSpec> columns;
    const std::size_t width = sheet.rows.empty() ? 0 : sheet.rows.front().size();
    for (std::size_t c = 0; c < width; ++c) {
        std::string name = sheet.rows.front()[c].ToText();
        if (name.empty()) {
            // Unnamed columns are F1, F2, ... (formatted: GCC 12 at -O3 warns falsely on string concatenation here).
            char label[32];
            std::snprintf(label, sizeof label, "F%zu", c + 1);
            name = label;
        }
        columns.push_back({name, std::nullopt, 0});
    }
    if (columns.empty())
        columns.push_back({"F1", std::nullopt, 0}); // an empty sheet still has one column

    std::vector<std::size_t> picked;
    if (query->columns.empty()) {
        for (std::size_t c = 0; c < columns.size(); ++c)
            picked.push_back(c);
    } else {
        for (const std::string& wanted : query->columns) {
            std::size_t found = columns.size();
            for (std::size_t c = 0; c < columns.size() && found == columns.size(); ++c)
                if (SameName(columns[c].name, wanted))
                    found = c;
            if (found == columns.size())
                throw RelationalError(RelationalFailure::BadStatement,
                    "The sheet '" + sheet.name + "' has no column named '" + wanted + "'");
            picked.push_back(found);
        }
    }

    std::vector<ColumnSpec> pickedColumns;
    pickedColumns.reserve(picked.size());
    for (const std::size_t c : picked)
        pickedColumns.push_back(columns[c]);
    std::vector<std::vector<CellValue>> rows;
    for (std::size_t r = 1; r < sheet.rows.size(); ++r) {
        std::vector<CellValue> row;
        row.reserve(picked.size());
        for (const std::size_t c : picked)
            row.push_back(c < sheet.rows[r].size() ? sheet.rows[r][c] : CellValue());
        rows.push_back(std::move(row));
    }
    return recordset::RecordsetFromRows(pickedColumns, std::move(rows), std::string(sql));
}

std::vector<std::string> SpreadsheetSource::Catalogs()
{
    return {m_path};
}

std::vector<std::string> SpreadsheetSource::Tables()
{
    if (!m_open)
        throw RelationalError(RelationalFailure::Other, "The workbook '" + m_path + "' is closed");
    std::vector<std::string> names;
    for (const Worksheet& sheet : m_sheets)
        names.push_back(sheet.name + "$");
    return names;
}

void SpreadsheetSource::Close()
{
    m_sheets.clear();
    m_open = false;
}

} // namespace olap::providers
