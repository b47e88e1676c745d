#pragma once

#include "olap/schema/SchemaDefinition.h"

#include <string>
#include <string_view>

namespace olap {

//! Reads cube schemas in the Mondrian schema XML subset: Schema, Cube,
//! Table, Dimension (foreignKey, type="TimeDimension"), Hierarchy (hasAll,
//! allMemberName, allMemberCaption, primaryKey, Table), Level (column,
//! nameColumn, captionColumn, ordinalColumn, type, uniqueMembers,
//! levelType), Measure (column, aggregator, formatString), shared
//! dimensions with DimensionUsage, CalculatedMember and NamedSet (kept as
//! MDX text). Annotations, Property and schema-level VirtualCube, Role,
//! Parameter and UserDefinedFunction are ignored.
//!
//! Any other element, a missing or invalid attribute, or a construct the
//! engine cannot honour (Join, View, KeyExpression, several hierarchies in a
//! dimension) throws OlapError naming the element, its name, its line and
//! what is wrong.
class SchemaReader {
public:
    static SchemaDefinition Parse(std::string_view xml);
    //! Reads PATH; an unreadable file is an OlapError too.
    static SchemaDefinition ReadFile(const std::string& path);
};

} // namespace olap
