#include "RelationalCommands.h"

#include "olap/access/Connection.h"
#include "olap/recordset/RecordsetCsv.h"

#include <ostream>
#include <stdexcept>

namespace lumetra_mdx {

namespace {

void WriteColumns(olap::recordset::Recordset rows, const std::vector<std::string>& columns, std::ostream& out)
{
    for (std::size_t c = 0; c < columns.size(); ++c)
        out << (c ? "," : "") << olap::recordset::CsvField(columns[c]);
    out << "\n";
    std::vector<std::size_t> index;
    index.reserve(columns.size());
    for (const std::string& column : columns)
        index.push_back(rows.FieldIndex(column));
    for (rows.MoveFirst(); !rows.Eof(); rows.MoveNext()) {
        for (std::size_t c = 0; c < index.size(); ++c)
            out << (c ? "," : "") << olap::recordset::CsvField(rows.Fields()[index[c]].Value().ToText());
        out << "\n";
    }
}

} // namespace

int RunRelational(olap::Connection& connection, const std::string& sql, const std::string& discover, std::ostream& out)
{
    if (discover == "catalogs") {
        WriteColumns(connection.OpenSchema(olap::SchemaEnum::Catalogs), {"CATALOG_NAME"}, out);
    } else if (discover == "tables") {
        olap::recordset::Recordset tables = connection.OpenSchema(olap::SchemaEnum::Tables, {"", "", "", "Table"});
        out << "TABLE_NAME,TABLE_TYPE\n";
        for (tables.MoveFirst(); !tables.Eof(); tables.MoveNext())
            out << olap::recordset::CsvField(tables.Fields()[tables.FieldIndex("TABLE_NAME")].Value().ToText())
                << ",Table\n";
    } else if (!discover.empty()) {
        throw std::invalid_argument("a relational source discovers catalogs or tables, not '" + discover + "'");
    } else {
        olap::recordset::WriteCsv(connection.Execute(sql), out);
    }
    return 0;
}

} // namespace lumetra_mdx
