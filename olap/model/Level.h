#pragma once

#include "olap/model/LevelProperty.h"
#include "olap/model/LevelType.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace olap {

class Hierarchy;
class Member;

//! A level of a hierarchy. A hierarchy with an All member has the level
//! `(All)` at depth 0 (unique name `[Product].[(All)]`); other levels are
//! `[Dim].[Level]`.
class Level {
public:
    const std::string& Name() const { return m_name; }
    const std::string& Caption() const { return m_caption; }
    const std::string& UniqueName() const { return m_uniqueName; }
    const Hierarchy& GetHierarchy() const { return *m_hierarchy; }
    //! 0 for the top level (the All level when there is one).
    int Depth() const { return m_depth; }
    LevelType Type() const { return m_type; }
    bool IsAll() const { return m_type == LevelType::All; }
    //! The schema's `uniqueMembers`: names are unique across the level, so a
    //! member can be found by `[Dim].[Name]` alone.
    bool UniqueMembers() const { return m_uniqueMembers; }
    //! Keys compare as numbers (schema `type` Numeric or Integer).
    bool NumericKeys() const { return m_numericKeys; }
    //! Members in hierarchical order; Members()[m->Ordinal()] == m.
    std::span<const Member* const> Members() const { return m_members; }
    //! The member properties the schema defines on the level; Member::PropertyValues() holds
    //! a member's values in this order.
    const std::vector<LevelProperty>& Properties() const { return m_properties; }
    //! Index of the property called NAME (case-insensitive) in Properties(), or -1.
    int PropertyIndex(std::string_view name) const;

private:
    friend class ModelBuilder;

    std::string m_name;
    std::string m_caption;
    std::string m_uniqueName;
    const Hierarchy* m_hierarchy = nullptr;
    int m_depth = 0;
    LevelType m_type = LevelType::Regular;
    bool m_uniqueMembers = false;
    bool m_numericKeys = false;
    std::vector<const Member*> m_members;
    std::vector<LevelProperty> m_properties;
};

} // namespace olap
