#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace olap {

class Hierarchy;
class Level;

//! A member of a hierarchy: the All member, a member of a level, or a measure
//! (a member of the Measures hierarchy). Members are owned by their hierarchy
//! and live as long as the cube; pointers to them are stable.
//!
//! Members of a level are kept in hierarchical order (children of the first
//! parent first, each family sorted by ordinal column or key), so the leaves
//! under any member form one contiguous range of leaf ordinals.
class Member {
public:
    //! The member's name (from `nameColumn`, else the key as text).
    const std::string& Name() const { return m_name; }
    //! Display caption (from `captionColumn`, else the name).
    const std::string& Caption() const { return m_caption; }
    //! Key as text (the level's `column` value); the name for the All member.
    const std::string& Key() const { return m_key; }
    //! `[Dim].[Parent].[Name]`, see Cube for the rules.
    const std::string& UniqueName() const { return m_uniqueName; }

    const Level& GetLevel() const { return *m_level; }
    const Hierarchy& GetHierarchy() const;
    //! Nullptr for the All member and for members of the top level of a hierarchy without All.
    const Member* Parent() const { return m_parent; }
    std::span<const Member* const> Children() const { return m_children; }
    //! Position within its level (hierarchical order, from 0).
    std::uint32_t Ordinal() const { return m_ordinal; }
    //! Depth of its level in the hierarchy (the All level is 0).
    int Depth() const;
    bool IsAll() const { return m_isAll; }
    //! Index into Cube::Measures() for a measure, otherwise -1.
    int MeasureIndex() const { return m_measureIndex; }
    //! Leaf ordinals under this member: [LeafBegin(), LeafEnd()).
    std::uint32_t LeafBegin() const { return m_leafBegin; }
    std::uint32_t LeafEnd() const { return m_leafEnd; }
    //! True when OTHER is this member or below it.
    bool IsAncestorOrSelfOf(const Member& other) const;
    //! Values of the level's member properties (Level::Properties() order; "" for none). Empty
    //! when the level has no properties.
    const std::vector<std::string>& PropertyValues() const { return m_properties; }

private:
    friend class ModelBuilder;

    std::string m_name;
    std::string m_caption;
    std::string m_key;
    std::string m_uniqueName;
    const Level* m_level = nullptr;
    const Member* m_parent = nullptr;
    std::vector<const Member*> m_children;
    std::vector<std::string> m_properties;
    std::uint32_t m_ordinal = 0;
    std::uint32_t m_leafBegin = 0;
    std::uint32_t m_leafEnd = 0;
    int m_measureIndex = -1;
    bool m_isAll = false;
};

} // namespace olap
