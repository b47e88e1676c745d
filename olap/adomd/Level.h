#pragma once

#include <string>
#include <vector>

namespace olap::adomd {

class Hierarchy;
class Member;

//! A level of a hierarchy of a cube definition. Owned by its CubeDef.
class Level {
public:
    const std::string& Name() const { return m_name; }
    const std::string& UniqueName() const { return m_uniqueName; }
    const std::string& Caption() const { return m_caption; }
    //! 0 for the top level (the All level where there is one).
    int Depth() const { return m_depth; }
    const Hierarchy& GetHierarchy() const { return *m_hierarchy; }
    //! The members of the level, in the provider's order.
    const std::vector<const Member*>& Members() const { return m_members; }

private:
    friend class CubeDef;

    std::string m_name;
    std::string m_uniqueName;
    std::string m_caption;
    int m_depth = 0;
    const Hierarchy* m_hierarchy = nullptr;
    std::vector<const Member*> m_members;
};

} // namespace olap::adomd
