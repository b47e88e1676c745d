#include "olap/recordset/RecordsetCsv.h"

namespace olap::recordset {

std::string CsvField(std::string_view text)
{
    const bool needsQuotes = text.find_first_of(",\"\r\n") != std::string_view::npos
        || (!text.empty()
            && (text.front() == ' ' || text.back() == ' ' || text.front() == '\t' || text.back() == '\t'));
    if (!needsQuotes)
        return std::string(text);
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

void WriteCsv(const Recordset& recordset, std::ostream& out)
{
    const auto& fields = recordset.Fields();
    for (std::size_t i = 0; i < fields.size(); ++i)
        out << (i ? "," : "") << CsvField(fields[i].Name());
    out << '\n';
    for (const auto& row : recordset.Rows()) {
        for (std::size_t i = 0; i < row.size(); ++i)
            out << (i ? "," : "") << CsvField(row[i].ToText());
        out << '\n';
    }
}

} // namespace olap::recordset
