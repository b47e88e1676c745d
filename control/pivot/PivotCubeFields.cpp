#include "control/pivot/PivotCubeFields.h"

#include "olap/adomd/CubeDef.h"

#include <algorithm>
#include <cctype>

namespace pivot {

namespace {

bool SameName(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

//! The top level of a hierarchy with levels below it and one member: the All level.
bool IsAllLevel(const olap::adomd::Level& level, std::size_t levelCount)
{
    return level.Depth() == 0 && levelCount > 1 && level.Members().size() == 1;
}

} // namespace

PivotCubeFields PivotCubeFields::FromCube(const olap::adomd::CubeDef& cube)
{
    PivotCubeFields fields;
    for (const olap::adomd::Dimension* dimension : cube.Dimensions()) {
        if (SameName(dimension->Name(), "Measures")) {
            for (const auto* hierarchy : dimension->Hierarchies()) {
                for (const auto* level : hierarchy->Levels()) {
                    for (const auto* member : level->Members())
                        fields.measures.push_back({member->UniqueName(), member->Caption()});
                }
            }
            continue;
        }
        Dimension d {dimension->UniqueName(), dimension->Caption(), {}};
        for (const auto* hierarchy : dimension->Hierarchies()) {
            Hierarchy h {hierarchy->UniqueName(), hierarchy->Caption(), {}};
            const auto& levels = hierarchy->Levels();
            for (const auto* level : levels) {
                if (!IsAllLevel(*level, levels.size()))
                    h.levels.push_back({level->UniqueName(), level->Caption()});
            }
            if (!h.levels.empty())
                d.hierarchies.push_back(std::move(h));
        }
        if (!d.hierarchies.empty())
            fields.dimensions.push_back(std::move(d));
    }
    return fields;
}

const PivotCubeFields::Hierarchy* PivotCubeFields::FindHierarchy(const std::string& uniqueName) const
{
    for (const Dimension& dimension : dimensions) {
        for (const Hierarchy& hierarchy : dimension.hierarchies) {
            if (SameName(hierarchy.uniqueName, uniqueName))
                return &hierarchy;
        }
    }
    return nullptr;
}

const PivotCubeFields::Hierarchy* PivotCubeFields::FindLevel(const std::string& levelUniqueName, int* levelIndex) const
{
    for (const Dimension& dimension : dimensions) {
        for (const Hierarchy& hierarchy : dimension.hierarchies) {
            for (std::size_t i = 0; i < hierarchy.levels.size(); ++i) {
                if (SameName(hierarchy.levels[i].uniqueName, levelUniqueName)) {
                    if (levelIndex)
                        *levelIndex = static_cast<int>(i);
                    return &hierarchy;
                }
            }
        }
    }
    return nullptr;
}

const PivotCubeFields::Measure* PivotCubeFields::FindMeasure(const std::string& uniqueName) const
{
    for (const Measure& measure : measures) {
        if (SameName(measure.uniqueName, uniqueName))
            return &measure;
    }
    return nullptr;
}

} // namespace pivot
