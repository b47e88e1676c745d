#pragma once

namespace olap {

//! Schema rowsets a connection opens, numbered as ADO numbers them.
enum class SchemaEnum : int {
    Catalogs = 1,
    Tables = 20,
    Cubes = 32,
    Dimensions = 33,
    Hierarchies = 34,
    Levels = 35,
    Measures = 36,
    Members = 38,
};

} // namespace olap
