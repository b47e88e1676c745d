#pragma once

#include <string>
#include <vector>

namespace olap::adomd {
class CubeDef;
}

namespace pivot {

//! The fields a cube offers a pivot view, as the field list shows them: the measures, and
//! the dimensions with their hierarchies and levels (an All level left out, since a field
//! set's total stands for it). Plain data, built once from a cube definition, so the field
//! list and the layout edits never touch the connection.
struct PivotCubeFields {
    struct Level {
        std::string uniqueName;
        std::string caption;
    };
    struct Hierarchy {
        std::string uniqueName;
        std::string caption;
        std::vector<Level> levels;
    };
    struct Dimension {
        std::string uniqueName;
        std::string caption;
        std::vector<Hierarchy> hierarchies;
    };
    struct Measure {
        std::string uniqueName;
        std::string caption;
    };

    std::vector<Measure> measures;
    std::vector<Dimension> dimensions;

    //! Reads CUBE's structure. Throws what the cube definition throws (OlapError) when a
    //! schema rowset cannot be read.
    static PivotCubeFields FromCube(const olap::adomd::CubeDef& cube);

    //! The hierarchy named UNIQUENAME (compared without regard to case), or null.
    const Hierarchy* FindHierarchy(const std::string& uniqueName) const;
    //! The hierarchy holding level LEVELUNIQUENAME and the level's index in it, or null.
    const Hierarchy* FindLevel(const std::string& levelUniqueName, int* levelIndex) const;
    const Measure* FindMeasure(const std::string& uniqueName) const;
};

} // namespace pivot
