#pragma once

#include "olap/model/Aggregator.h"
#include "olap/model/CalculatedDefinition.h"
#include "olap/model/Dimension.h"
#include "olap/model/FactTable.h"
#include "olap/model/LevelProperty.h"
#include "olap/model/LevelType.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace olap {

class Cube;
class Hierarchy;

//! Assembles a Cube: the cube builder (from a relational source) and the
//! cube file reader both describe the model through it. Finish() checks the
//! whole model against the fact table and throws OlapError naming the first
//! inconsistency, so a damaged file can never yield a cube that reads out of
//! bounds.
class ModelBuilder {
public:
    struct DimensionSpec {
        std::string name;
        std::string caption;
        DimensionType type = DimensionType::Standard;
        std::string hierarchyName; //!< empty: the dimension's own hierarchy
        bool hasAll = true;
        std::string allMemberName; //!< empty: "All " + dimension name + "s"
        std::string allMemberCaption;
    };

    ModelBuilder(std::string cubeName, std::string schemaName);
    ~ModelBuilder();

    void SetCaption(std::string caption) { m_caption = std::move(caption); }
    //! Adds a dimension with one hierarchy; returns its handle for AddLevel/AddMember.
    //! Dimensions with fact columns take the columns in the order they are added.
    int AddDimension(const DimensionSpec& spec);
    //! Adds the next level (below the previous one) of dimension DIM.
    void AddLevel(int dim, std::string name, std::string caption, LevelType type, bool uniqueMembers, bool numericKeys);
    //! Adds a member property to LEVEL (0 = first level below All) of DIM; names are unique
    //! per level (checked by Finish()).
    void AddLevelProperty(int dim, int level, LevelProperty property);
    //! Number of member properties of LEVEL of DIM so far.
    std::size_t LevelPropertyCount(int dim, int level) const;
    //! Appends a member to level LEVEL (0 = first level below All) of DIM;
    //! PARENT is the ordinal of its parent on the level above (ignored on the
    //! first level). Members of a level must arrive in hierarchical order.
    //! Returns the member's ordinal.
    std::uint32_t AddMember(
        int dim, int level, std::uint32_t parent, std::string key, std::string name, std::string caption);
    //! Sets the member property values of member ORDINAL of LEVEL of DIM, one per property
    //! of the level in order (fewer: the rest are "").
    void SetMemberProperties(int dim, int level, std::uint32_t ordinal, std::vector<std::string> values);
    void AddMeasure(
        std::string name, std::string caption, std::string column, Aggregator aggregator, std::string formatString);
    //! Names the default measure; an unknown name is an error at Finish().
    void SetDefaultMeasure(std::string name) { m_defaultMeasure = std::move(name); }
    void AddCalculated(CalculatedDefinition definition) { m_calculated.push_back(std::move(definition)); }

    //! Number of members added so far to LEVEL of DIM.
    std::uint32_t MemberCount(int dim, int level) const;

    //! Checks and returns the cube; the builder is spent afterwards.
    std::unique_ptr<Cube> Finish(FactTable facts);

private:
    struct PendingMember {
        std::uint32_t parent;
        std::string key, name, caption;
        std::vector<std::string> properties;
    };
    struct PendingLevel {
        std::string name, caption;
        LevelType type;
        bool uniqueMembers, numericKeys;
        std::vector<PendingMember> members;
        std::vector<LevelProperty> properties;
    };
    struct PendingDimension {
        DimensionSpec spec;
        std::vector<PendingLevel> levels;
    };
    struct PendingMeasure {
        std::string name, caption, column, formatString;
        Aggregator aggregator;
    };

    void BuildHierarchy(Cube& cube, Dimension& dim, const PendingDimension& pending, int factColumn);

    std::string m_cubeName;
    std::string m_schemaName;
    std::string m_caption;
    std::string m_defaultMeasure;
    std::vector<PendingDimension> m_dimensions;
    std::vector<PendingMeasure> m_measures;
    std::vector<CalculatedDefinition> m_calculated;
};

} // namespace olap
