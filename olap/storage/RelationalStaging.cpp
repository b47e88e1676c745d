#include "olap/storage/RelationalStaging.h"

#include "olap/model/Cube.h"
#include "olap/providers/RelationalError.h"
#include "olap/providers/RelationalSource.h"
#include "olap/recordset/Recordset.h"
#include "olap/storage/CubeBuilder.h"
#include "olap/util/NameUtil.h"
#include "olap/util/OlapError.h"
#include "olap/util/SqliteDb.h"

#include <cmath>
#include <utility>

namespace olap {

namespace {

void BindValue(
    SqliteStatement& insert, int index, const recordset::CellValue& value, RelationalStaging::Booleans booleans)
{
    using recordset::ValueKind;
    switch (value.Kind()) {
    case ValueKind::Null:
        insert.BindNull(index);
        break;
    case ValueKind::Integer:
        insert.Bind(index, value.Integer());
        break;
    case ValueKind::Double:
        insert.Bind(index, value.Double());
        break;
    case ValueKind::Text:
        insert.Bind(index, std::string_view(value.Text()));
        break;
    case ValueKind::Date:
        insert.Bind(index, std::string_view(value.Date().ToString()));
        break;
    case ValueKind::Boolean:
        if (booleans == RelationalStaging::Booleans::Numbers)
            insert.Bind(index, static_cast<std::int64_t>(value.Boolean() ? 1 : 0));
        else
            insert.Bind(index, std::string_view(value.Boolean() ? "True" : "False"));
        break;
    }
}

//! What TABLE is for in CUBE, for messages ("fact table of cube 'Sales'").
std::string RoleOf(const SchemaTable& table, const SchemaCube& cube)
{
    const auto same = [&](const SchemaTable& other) {
        return EqualsNoCase(other.name, table.name) && EqualsNoCase(other.schema, table.schema);
    };
    if (same(cube.fact))
        return "fact table of cube '" + cube.name + "'";
    for (const SchemaDimension& dim : cube.dimensions) {
        if (dim.hierarchy.table && same(*dim.hierarchy.table))
            return "table of dimension '" + dim.name + "'";
    }
    return "table of cube '" + cube.name + "'";
}

std::string DisplayName(const SchemaTable& table)
{
    return table.schema.empty() ? table.name : table.schema + "." + table.name;
}

} // namespace

std::unique_ptr<SqliteDb> RelationalStaging::NewDatabase(const std::string& name)
{
    return std::make_unique<SqliteDb>(name, SqliteDb::Mode::Memory);
}

void RelationalStaging::CopyRecordset(SqliteDb& db, const std::string& table, const recordset::Recordset& rs,
    Booleans booleans, const std::string& countColumn)
{
    if (rs.FieldCount() == 0)
        throw OlapError("cannot copy '" + table + "': the recordset has no fields");
    std::string columns;
    std::string placeholders;
    for (const recordset::Field& field : rs.Fields()) {
        columns += (columns.empty() ? "" : ", ") + QuoteIdentifier(field.Name());
        placeholders += placeholders.empty() ? "?" : ", ?";
    }
    if (!countColumn.empty()) {
        columns += ", " + QuoteIdentifier(countColumn);
        placeholders += ", 1";
    }
    db.Exec("SAVEPOINT staging");
    try {
        db.Exec("CREATE TABLE " + QuoteIdentifier(table) + " (" + columns + ")");
        auto insert = db.Prepare("INSERT INTO " + QuoteIdentifier(table) + " VALUES (" + placeholders + ")");
        for (std::size_t r = 0; r < rs.Rows().size(); ++r) {
            const std::vector<recordset::CellValue>& row = rs.Rows()[r];
            for (std::size_t c = 0; c < row.size(); ++c) {
                // SQLite would keep NaN as NULL, silently dropping the value from every total.
                if (row[c].Kind() == recordset::ValueKind::Double && !std::isfinite(row[c].Double()))
                    throw OlapError("cannot copy '" + table + "': row " + std::to_string(r + 1) + " has a value of '"
                        + rs.FieldAt(c).Name() + "' that is not a finite number");
                BindValue(insert, static_cast<int>(c) + 1, row[c], booleans);
            }
            insert.Step();
            insert.Reset();
        }
    } catch (...) {
        db.Exec("ROLLBACK TO staging; RELEASE staging");
        throw;
    }
    db.Exec("RELEASE staging");
}

std::vector<SchemaTable> RelationalStaging::TablesOf(const SchemaCube& cube)
{
    std::vector<SchemaTable> tables {cube.fact};
    for (const SchemaDimension& dim : cube.dimensions) {
        if (!dim.hierarchy.table)
            continue;
        const SchemaTable& table = *dim.hierarchy.table;
        bool seen = false;
        for (const SchemaTable& other : tables)
            seen = seen || (EqualsNoCase(other.name, table.name) && EqualsNoCase(other.schema, table.schema));
        if (!seen)
            tables.push_back(table);
    }
    return tables;
}

std::unique_ptr<SqliteDb> RelationalStaging::ReadTables(const SchemaCube& cube, providers::RelationalSource& source)
{
    const std::vector<SchemaTable> tables = TablesOf(cube);
    for (std::size_t i = 0; i < tables.size(); ++i) {
        for (std::size_t j = 0; j < i; ++j) {
            if (EqualsNoCase(tables[i].name, tables[j].name))
                throw OlapError("cannot build cube '" + cube.name + "' from a connection: tables '"
                    + DisplayName(tables[j]) + "' and '" + DisplayName(tables[i])
                    + "' have the same name in different schemas");
        }
    }
    auto db = NewDatabase("tables read through the " + source.Kind() + " connection");
    for (const SchemaTable& table : tables) {
        std::string from = source.QuoteName(table.name);
        if (!table.schema.empty()) {
            std::string qualified = source.QuoteName(table.schema);
            qualified += '.';
            qualified += from;
            from = std::move(qualified);
        }
        recordset::Recordset rows;
        try {
            rows = source.Execute("SELECT * FROM " + from);
        } catch (const providers::RelationalError& e) {
            throw OlapError(
                "cannot read table '" + DisplayName(table) + "' (" + RoleOf(table, cube) + "): " + e.what());
        }
        CopyRecordset(*db, table.name, rows, Booleans::Numbers);
    }
    return db;
}

std::unique_ptr<Cube> RelationalStaging::BuildCube(
    const std::string& schemaName, const SchemaCube& cube, providers::RelationalSource& source)
{
    auto db = ReadTables(cube, source);
    return CubeBuilder::Build(schemaName, cube, *db);
}

} // namespace olap
