#pragma once

#include <string>

namespace olap {

//! A member property a schema defines on a level (Mondrian's <Property name= column= type=>):
//! every member of the level has one value of it, read from the column of the member's first row.
struct LevelProperty {
    std::string name;
    //! String, Numeric, Integer, Boolean, Date, Time or Timestamp.
    std::string type = "String";

    //! Values compare and are returned as numbers.
    bool Numeric() const { return type == "Numeric" || type == "Integer"; }
};

} // namespace olap
