#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace olap {

//! A member as an answer shows it on an axis or in the slicer.
struct CellSetMember {
    std::string uniqueName;
    std::string name;
    std::string caption;
    std::string levelUniqueName;
    std::string hierarchyUniqueName;
    int levelDepth = 0;
    std::size_t childCount = 0;
    std::string parentUniqueName; //!< empty for a top member
    bool calculated = false;
    //! The values of the axis' DIMENSION PROPERTIES (CellSet::Axis::properties), in that
    //! order; "" where a property does not apply to the member.
    std::vector<std::string> properties;

    bool operator==(const CellSetMember&) const = default;
};

} // namespace olap
