#pragma once

#include <string>
#include <string_view>
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

    //! The value of COLUMN (compared without regard to case) in ROW, or "" when the rowset has
    //! no such column: providers differ in the optional columns they give.
    std::string Value(const std::vector<std::string>& row, std::string_view column) const;
};

} // namespace olap
