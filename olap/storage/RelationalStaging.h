#pragma once

#include "olap/schema/SchemaDefinition.h"

#include <memory>
#include <string>
#include <vector>

namespace olap {

class Cube;
class SqliteDb;

namespace providers {
class RelationalSource;
}
namespace recordset {
class Recordset;
}

//! Copies relational data into an in-memory SQLite database, so that CubeBuilder, which reads
//! SQLite, builds cubes from any relational source (SQLite, ODBC, workbooks) and from
//! recordsets. Every failure throws OlapError; nothing is written to disk.
class RelationalStaging {
public:
    //! How boolean values are stored: as 1 and 0 (what SQLite itself stores, so a copied table
    //! builds the same cube as the original file) or as the words "True" and "False".
    enum class Booleans { Numbers, Words };

    //! A new, empty in-memory database; NAME stands for it in error messages.
    static std::unique_ptr<SqliteDb> NewDatabase(const std::string& name);

    //! Creates table TABLE in DB with one untyped column per field of RS, named after the
    //! field, and copies every row: integers and doubles as numbers, text as text, dates as
    //! "YYYY-MM-DD" (with " HH:MM:SS" when not midnight), booleans as BOOLEANS says, nulls as
    //! NULL. When COUNTCOLUMN is not empty a further column of that name holds 1 in every row.
    //! Throws OlapError for a recordset without fields, a double that is not finite (naming the
    //! row and field), or when SQLite refuses the table (it exists already, a name repeats); DB
    //! then holds no part of the table.
    static void CopyRecordset(SqliteDb& db, const std::string& table, const recordset::Recordset& rs, Booleans booleans,
        const std::string& countColumn = {});

    //! The tables CUBE reads: its fact table, then each dimension table, each once (the same
    //! name and schema, ignoring case), in the order the schema names them.
    static std::vector<SchemaTable> TablesOf(const SchemaCube& cube);

    //! Reads every table of CUBE from SOURCE with "SELECT * FROM <table>" (<schema>.<table>
    //! when the table names a schema; names quoted as SOURCE quotes them) into a new in-memory
    //! database, each under its bare name, booleans as numbers. Throws OlapError naming the
    //! table and what it is for, followed by the source's message, when a table cannot be read;
    //! and when two tables of different schemas share a name.
    static std::unique_ptr<SqliteDb> ReadTables(const SchemaCube& cube, providers::RelationalSource& source);

    //! ReadTables, then CubeBuilder::Build over the copy: the cube a SQLite file holding the
    //! same tables builds. Throws OlapError as ReadTables and CubeBuilder do.
    static std::unique_ptr<Cube> BuildCube(
        const std::string& schemaName, const SchemaCube& cube, providers::RelationalSource& source);
};

} // namespace olap
