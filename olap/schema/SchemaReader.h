#pragma once

#include "olap/schema/SchemaDefinition.h"

#include <optional>
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
//! what is wrong. So does a calculated member or named set whose formula the
//! MDX parser refuses (CheckFormula): the parse error follows the element.
class SchemaReader {
public:
    static SchemaDefinition Parse(std::string_view xml);
    //! Reads PATH; an unreadable file, or one that is no regular file (a folder, a FIFO, a
    //! device: never opened), is an OlapError too.
    static SchemaDefinition ReadFile(const std::string& path);
    //! Nullopt when the formula of DEFINITION parses as an MDX expression; else what is wrong,
    //! as "the formula does not parse: Syntax error at line L, column C: ...".
    static std::optional<std::string> CheckFormula(const CalculatedDefinition& definition);
};

} // namespace olap
