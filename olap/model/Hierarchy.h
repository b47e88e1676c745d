#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace olap {

class Dimension;
class Level;
class Member;

//! A hierarchy: its levels from the top, its members, and the arrays that map
//! a leaf ordinal (the key stored in the fact column) to the ordinal of its
//! ancestor on each level.
class Hierarchy {
public:
    Hierarchy();
    ~Hierarchy();
    Hierarchy(const Hierarchy&) = delete;
    Hierarchy& operator=(const Hierarchy&) = delete;

    const std::string& Name() const { return m_name; }
    //! `[Time]`; `[Time.Fiscal]` for a named hierarchy other than the dimension's own.
    const std::string& UniqueName() const { return m_uniqueName; }
    const std::string& Caption() const { return m_caption; }
    const Dimension& GetDimension() const { return *m_dimension; }
    bool HasAll() const { return m_allMember != nullptr; }
    //! The All member, or nullptr.
    const Member* AllMember() const { return m_allMember; }
    //! The All member, else the first member of the top level (nullptr for an empty hierarchy).
    const Member* DefaultMember() const;
    std::span<const Level* const> Levels() const { return m_levelView; }
    const Level& LeafLevel() const { return *m_levelView.back(); }
    //! Members of the top level (the All member, or the first level's members).
    std::span<const Member* const> RootMembers() const;
    //! Number of members on the leaf level (the key range of the fact column).
    std::uint32_t LeafCount() const
    {
        return static_cast<std::uint32_t>(m_leafToLevel.empty() ? 0 : m_leafToLevel.back().size());
    }
    //! For leaf ordinal L, LeafToLevel(d)[L] is the ordinal of its ancestor on level depth d.
    std::span<const std::uint32_t> LeafToLevel(int depth) const
    {
        return m_leafToLevel[static_cast<std::size_t>(depth)];
    }
    //! Index of the fact key column of this hierarchy, -1 for Measures.
    int FactColumn() const { return m_factColumn; }

private:
    friend class ModelBuilder;

    std::string m_name;
    std::string m_uniqueName;
    std::string m_caption;
    const Dimension* m_dimension = nullptr;
    const Member* m_allMember = nullptr;
    std::vector<std::unique_ptr<Level>> m_levels;
    std::vector<const Level*> m_levelView;
    std::vector<std::unique_ptr<Member>> m_memberStore;
    std::vector<std::vector<std::uint32_t>> m_leafToLevel;
    int m_factColumn = -1;
};

} // namespace olap
