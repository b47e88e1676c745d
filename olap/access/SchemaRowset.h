#pragma once

#include <string>
#include <vector>

namespace olap {

//! Which schema rowset a discovery asks for.
enum class SchemaRowsetKind { Catalogs, Cubes, Dimensions, Hierarchies, Levels, Members, Measures };

//! A discovery answer as a plain table. Column names follow the OLAP schema rowsets
//! (CATALOG_NAME, CUBE_NAME, DIMENSION_UNIQUE_NAME, HIERARCHY_UNIQUE_NAME, LEVEL_UNIQUE_NAME,
//! LEVEL_NUMBER, MEMBER_UNIQUE_NAME, MEMBER_CAPTION, MEASURE_UNIQUE_NAME, ...); every value is
//! text. Every row has one value per column.
struct SchemaRowset {
    std::vector<std::string> columns;
    std::vector<std::vector<std::string>> rows;
};

} // namespace olap
