#pragma once

#include <string>
#include <vector>

namespace olap::adomd {

class Hierarchy;

//! A dimension of a cube definition (the measures too). Owned by its CubeDef.
class Dimension {
public:
    const std::string& Name() const { return m_name; }
    const std::string& UniqueName() const { return m_uniqueName; }
    const std::string& Caption() const { return m_caption; }
    const std::vector<const Hierarchy*>& Hierarchies() const { return m_hierarchies; }

private:
    friend class CubeDef;

    std::string m_name;
    std::string m_uniqueName;
    std::string m_caption;
    std::vector<const Hierarchy*> m_hierarchies;
};

} // namespace olap::adomd
