#pragma once

#include <memory>
#include <span>
#include <string>
#include <vector>

namespace olap {

class Hierarchy;

enum class DimensionType { Standard, Time, Measures };

//! A dimension of a cube (`[Time]`, `[Measures]`); it holds one hierarchy.
class Dimension {
public:
    Dimension();
    ~Dimension();
    Dimension(const Dimension&) = delete;
    Dimension& operator=(const Dimension&) = delete;

    const std::string& Name() const { return m_name; }
    const std::string& UniqueName() const { return m_uniqueName; }
    const std::string& Caption() const { return m_caption; }
    DimensionType Type() const { return m_type; }
    bool IsMeasures() const { return m_type == DimensionType::Measures; }
    //! Position in Cube::Dimensions() (Measures is 0).
    int Index() const { return m_index; }
    std::span<const Hierarchy* const> Hierarchies() const { return m_hierarchyView; }
    const Hierarchy& DefaultHierarchy() const { return *m_hierarchyView.front(); }

private:
    friend class ModelBuilder;

    std::string m_name;
    std::string m_uniqueName;
    std::string m_caption;
    DimensionType m_type = DimensionType::Standard;
    int m_index = 0;
    std::vector<std::unique_ptr<Hierarchy>> m_hierarchies;
    std::vector<const Hierarchy*> m_hierarchyView;
};

} // namespace olap
