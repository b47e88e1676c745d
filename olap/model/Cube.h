#pragma once

#include "olap/model/CalculatedDefinition.h"
#include "olap/model/FactTable.h"
#include "olap/util/NameUtil.h"

#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace olap {

class Dimension;
class Hierarchy;
class Level;
class Measure;
class Member;
class ResultCache;

//! A cube: its dimensions (Measures first), measures, calculated members
//! declared in its schema, the encoded fact table, and a cache of
//! aggregation results. Immutable after it is built, so it may be shared
//! between threads; the cache has its own lock.
//!
//! Unique names follow the Mondrian family:
//! - dimension and hierarchy `[Time]` (a named hierarchy other than the
//!   dimension's own: `[Time.Fiscal]`);
//! - level `[Time].[Quarter]`, the All level `[Time].[(All)]`;
//! - the All member `[Product].[All Products]`;
//! - any other member: the hierarchy, then the names of its ancestors from
//!   the top level (the All member left out) and its own name, each in
//!   brackets: `[Time].[2024].[Q1]`, whatever the level's uniqueMembers says;
//! - a measure `[Measures].[Unit Sales]`.
//! A `]` inside a name is written `]]`. `uniqueMembers` only matters for
//! lookup: a member of such a level can also be found as `[Product].[Cola]`.
class Cube {
public:
    ~Cube();
    Cube(const Cube&) = delete;
    Cube& operator=(const Cube&) = delete;

    const std::string& Name() const { return m_name; }
    const std::string& Caption() const { return m_caption; }
    //! Name of the schema (catalog) the cube was built from.
    const std::string& SchemaName() const { return m_schemaName; }
    std::span<const Dimension* const> Dimensions() const { return m_dimensionView; }
    const Dimension& MeasuresDimension() const { return *m_dimensionView.front(); }
    std::span<const Measure* const> Measures() const { return m_measureView; }
    //! The `defaultMeasure`, else the first measure; nullptr for a cube without measures.
    const Measure* DefaultMeasure() const;
    std::span<const CalculatedDefinition> Calculated() const { return m_calculated; }
    //! Hierarchies with a fact key column, in column order.
    std::span<const Hierarchy* const> FactHierarchies() const { return m_factHierarchies; }
    const FactTable& Facts() const { return m_facts; }
    //! Results of earlier aggregations over this cube.
    ResultCache& Cache() const { return *m_cache; }

    //! Lookups return nullptr when nothing matches. Names compare exactly
    //! first, then ignoring ASCII case.
    const Dimension* FindDimension(std::string_view name) const;
    //! By unique name (`[Time]`, `[Time.Fiscal]`) or by dimension name.
    const Hierarchy* FindHierarchy(std::string_view uniqueName) const;
    const Level* FindLevel(std::string_view uniqueName) const;
    const Measure* FindMeasure(std::string_view name) const;
    //! A member by unique name, or by a name path that resolves to one
    //! (`[Product].[Cola]` when Product has unique members, `&[key]` segments).
    const Member* FindMember(std::string_view uniqueName) const;
    //! Resolves PATH (the segments after the hierarchy) from the root of
    //! HIERARCHY: the All member's name, a top-level member, then children by
    //! name (or key for `&[..]`). A first segment that no root member matches
    //! is also tried against levels with unique members.
    const Member* FindMemberByPath(const Hierarchy& hierarchy, std::span<const NameSegment> path) const;
    //! A child of PARENT by name (or by key when BYKEY).
    static const Member* FindChild(const Member& parent, std::string_view name, bool byKey);

private:
    friend class ModelBuilder;
    Cube();

    std::string m_name;
    std::string m_caption;
    std::string m_schemaName;
    std::vector<std::unique_ptr<Dimension>> m_dimensions;
    std::vector<const Dimension*> m_dimensionView;
    std::vector<std::unique_ptr<Measure>> m_measures;
    std::vector<const Measure*> m_measureView;
    std::vector<const Hierarchy*> m_factHierarchies;
    std::vector<CalculatedDefinition> m_calculated;
    int m_defaultMeasure = -1;
    FactTable m_facts;
    std::unique_ptr<ResultCache> m_cache;
    std::unordered_map<std::string, const Member*> m_memberByUniqueName;
    std::unordered_map<std::string, const Level*> m_levelByUniqueName;
};

} // namespace olap
