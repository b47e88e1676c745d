#pragma once

#include "olap/schema/SchemaDefinition.h"

#include <memory>
#include <string>

namespace olap {

class Cube;
class SqliteDb;

//! Builds a cube from a relational star schema in SQLite by a schema cube:
//! the fact table joined to each dimension table on foreignKey = primaryKey
//! (a hierarchy without a table reads its level columns from the fact
//! table). Members of a level are ordered within their parent by
//! ordinalColumn, else by key (numbers before text, numbers numerically,
//! text by bytes, NULL first); a NULL key or name becomes "#null".
//!
//! Errors (OlapError): a missing table or column (naming the table, the
//! column and the schema element that asks for it), a primary key that is
//! not unique, a fact row whose foreign key is NULL or has no match in its
//! dimension table (naming the row, the value and both columns) - such rows
//! are never dropped silently, as a cube that silently loses rows gives
//! wrong totals. A calculated member or named set whose formula does not
//! parse as MDX is an error too, naming it and the parse error.
class CubeBuilder {
public:
    static std::unique_ptr<Cube> Build(const std::string& schemaName, const SchemaCube& schema, SqliteDb& source);
};

} // namespace olap
