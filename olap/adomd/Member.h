#pragma once

#include <string>
#include <vector>

namespace olap::adomd {

class Level;

//! A member of a cube definition, as the provider's members rowset describes it. Owned by
//! its CubeDef; pointers stay valid as long as the CubeDef does.
class Member {
public:
    const std::string& Name() const { return m_name; }
    const std::string& UniqueName() const { return m_uniqueName; }
    const std::string& Caption() const { return m_caption; }
    const Level& GetLevel() const { return *m_level; }
    //! The number of children the provider reports.
    long ChildCount() const { return m_childCount; }
    //! The members one level down under this one, in the provider's order.
    const std::vector<const Member*>& Children() const { return m_children; }
    //! The parent, or null for a member of the top level.
    const Member* Parent() const { return m_parent; }

private:
    friend class CubeDef;

    std::string m_name;
    std::string m_uniqueName;
    std::string m_caption;
    const Level* m_level = nullptr;
    long m_childCount = 0;
    std::vector<const Member*> m_children;
    const Member* m_parent = nullptr;
};

} // namespace olap::adomd
