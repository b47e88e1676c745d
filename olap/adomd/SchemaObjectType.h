#pragma once

namespace olap::adomd {

//! Kinds of schema object a cube definition looks up by unique name, numbered as ADO MD
//! numbers them.
enum class SchemaObjectType : int { Dimension = 1, Hierarchy = 2, Level = 3, Member = 4 };

} // namespace olap::adomd
