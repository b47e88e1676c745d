#pragma once

#include "olap/model/Aggregator.h"
#include "olap/model/CalculatedDefinition.h"
#include "olap/model/Dimension.h"
#include "olap/model/LevelProperty.h"
#include "olap/model/LevelType.h"

#include <optional>
#include <string>
#include <vector>

namespace olap {

//! A cube schema as read from the Mondrian schema XML subset, attribute
//! names as in the XML. Plain data; SchemaReader fills and checks it.
struct SchemaTable {
    std::string name;
    std::string schema;
};

//! A member property of a level: `<Property name= column= type=>`.
struct SchemaProperty {
    LevelProperty property;
    std::string column;
};

struct SchemaLevel {
    std::string name;
    std::string caption;
    std::string column;
    std::string nameColumn;
    std::string captionColumn;
    std::string ordinalColumn;
    std::string type = "String"; //!< String, Numeric, Integer, Boolean, Date, Time, Timestamp
    bool uniqueMembers = false;
    LevelType levelType = LevelType::Regular;
    std::vector<SchemaProperty> properties;

    bool NumericKeys() const { return type == "Numeric" || type == "Integer"; }
};

struct SchemaHierarchy {
    std::string name;
    std::string caption;
    bool hasAll = true;
    std::string allMemberName;
    std::string allMemberCaption;
    std::string primaryKey;
    //! The dimension table; none means the levels' columns are in the fact table.
    std::optional<SchemaTable> table;
    std::vector<SchemaLevel> levels;
};

struct SchemaDimension {
    std::string name;
    std::string caption;
    std::string foreignKey;
    DimensionType type = DimensionType::Standard;
    SchemaHierarchy hierarchy;
};

struct SchemaMeasure {
    std::string name;
    std::string caption;
    std::string column;
    Aggregator aggregator = Aggregator::Sum;
    std::string formatString;
};

struct SchemaCube {
    std::string name;
    std::string caption;
    std::string defaultMeasure;
    SchemaTable fact;
    std::vector<SchemaDimension> dimensions;
    std::vector<SchemaMeasure> measures;
    std::vector<CalculatedDefinition> calculated;
};

struct SchemaDefinition {
    std::string name;
    std::vector<SchemaCube> cubes;

    //! The cube named NAME (case-insensitive), or nullptr.
    const SchemaCube* FindCube(const std::string& name) const;
};

} // namespace olap
