#pragma once

#include <string>
#include <vector>

namespace olap::adomd {

class Dimension;
class Level;

//! A hierarchy of a dimension of a cube definition. Owned by its CubeDef.
class Hierarchy {
public:
    const std::string& Name() const { return m_name; }
    const std::string& UniqueName() const { return m_uniqueName; }
    const std::string& Caption() const { return m_caption; }
    const Dimension& GetDimension() const { return *m_dimension; }
    //! The levels from the top down.
    const std::vector<const Level*>& Levels() const { return m_levels; }

private:
    friend class CubeDef;

    std::string m_name;
    std::string m_uniqueName;
    std::string m_caption;
    const Dimension* m_dimension = nullptr;
    std::vector<const Level*> m_levels;
};

} // namespace olap::adomd
