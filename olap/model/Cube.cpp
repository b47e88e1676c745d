#include "olap/model/Cube.h"

#include "olap/model/Dimension.h"
#include "olap/model/Hierarchy.h"
#include "olap/model/Level.h"
#include "olap/model/Measure.h"
#include "olap/model/Member.h"
#include "olap/model/ResultCache.h"

namespace olap {

Cube::Cube() : m_cache(std::make_unique<ResultCache>())
{
}

Cube::~Cube() = default;

const Measure* Cube::DefaultMeasure() const
{
    if (m_measureView.empty())
        return nullptr;
    if (m_defaultMeasure >= 0)
        return m_measureView[static_cast<std::size_t>(m_defaultMeasure)];
    return m_measureView.front();
}

const Dimension* Cube::FindDimension(std::string_view name) const
{
    for (const Dimension* dim : m_dimensionView) {
        if (dim->Name() == name)
            return dim;
    }
    for (const Dimension* dim : m_dimensionView) {
        if (EqualsNoCase(dim->Name(), name))
            return dim;
    }
    return nullptr;
}

const Hierarchy* Cube::FindHierarchy(std::string_view uniqueName) const
{
    for (int pass = 0; pass < 2; ++pass) {
        for (const Dimension* dim : m_dimensionView) {
            for (const Hierarchy* h : dim->Hierarchies()) {
                bool hit = pass == 0 ? h->UniqueName() == uniqueName : EqualsNoCase(h->UniqueName(), uniqueName);
                if (hit)
                    return h;
            }
        }
    }
    std::vector<NameSegment> segments;
    if (!SplitUniqueName(uniqueName, segments))
        return nullptr;
    if (segments.size() == 1) {
        // "[Time.Fiscal]" spelled as one segment, or a bare dimension name.
        if (const Dimension* dim = FindDimension(segments[0].text))
            return &dim->DefaultHierarchy();
        for (const Dimension* dim : m_dimensionView) {
            for (const Hierarchy* h : dim->Hierarchies()) {
                if (EqualsNoCase(h->UniqueName(), BracketName(segments[0].text)))
                    return h;
            }
        }
    } else if (segments.size() == 2) {
        if (const Dimension* dim = FindDimension(segments[0].text)) {
            for (const Hierarchy* h : dim->Hierarchies()) {
                if (EqualsNoCase(h->Name(), segments[1].text))
                    return h;
            }
        }
    }
    return nullptr;
}

const Level* Cube::FindLevel(std::string_view uniqueName) const
{
    auto it = m_levelByUniqueName.find(std::string(uniqueName));
    if (it != m_levelByUniqueName.end())
        return it->second;
    std::vector<NameSegment> segments;
    if (!SplitUniqueName(uniqueName, segments) || segments.size() != 2 || segments[1].isKey)
        return nullptr;
    const Dimension* dim = FindDimension(segments[0].text);
    if (!dim)
        return nullptr;
    for (const Hierarchy* h : dim->Hierarchies()) {
        for (const Level* level : h->Levels()) {
            if (EqualsNoCase(level->Name(), segments[1].text))
                return level;
        }
    }
    return nullptr;
}

const Measure* Cube::FindMeasure(std::string_view name) const
{
    for (const Measure* m : m_measureView) {
        if (m->Name() == name)
            return m;
    }
    for (const Measure* m : m_measureView) {
        if (EqualsNoCase(m->Name(), name))
            return m;
    }
    return nullptr;
}

const Member* Cube::FindMember(std::string_view uniqueName) const
{
    auto it = m_memberByUniqueName.find(std::string(uniqueName));
    if (it != m_memberByUniqueName.end())
        return it->second;
    std::vector<NameSegment> segments;
    if (!SplitUniqueName(uniqueName, segments) || segments.size() < 2 || segments[0].isKey)
        return nullptr;
    // The first segment names the dimension, "Dim.Hier" or the hierarchy.
    const Dimension* dim = FindDimension(segments[0].text);
    if (dim) {
        const Hierarchy* hierarchy = &dim->DefaultHierarchy();
        if (segments.size() > 2 && !segments[1].isKey) {
            for (const Hierarchy* h : dim->Hierarchies()) {
                if (h->Name() != dim->Name() && EqualsNoCase(h->Name(), segments[1].text)) {
                    if (const Member* m = FindMemberByPath(*h, std::span(segments).subspan(2)))
                        return m;
                }
            }
        }
        return FindMemberByPath(*hierarchy, std::span(segments).subspan(1));
    }
    if (const Hierarchy* h = FindHierarchy(BracketName(segments[0].text)))
        return FindMemberByPath(*h, std::span(segments).subspan(1));
    return nullptr;
}

const Member* Cube::FindChild(const Member& parent, std::string_view name, bool byKey)
{
    for (int pass = 0; pass < 2; ++pass) {
        for (const Member* child : parent.Children()) {
            const std::string& text = byKey ? child->Key() : child->Name();
            if (pass == 0 ? text == name : EqualsNoCase(text, name))
                return child;
        }
    }
    return nullptr;
}

const Member* Cube::FindMemberByPath(const Hierarchy& hierarchy, std::span<const NameSegment> path) const
{
    if (path.empty())
        return nullptr;
    const Member* current = nullptr;
    const NameSegment& first = path.front();
    auto matches = [](const Member& m, const NameSegment& segment, bool exact) {
        const std::string& text = segment.isKey ? m.Key() : m.Name();
        return exact ? text == segment.text : EqualsNoCase(text, segment.text);
    };
    for (int pass = 0; pass < 2 && !current; ++pass) {
        for (const Member* root : hierarchy.RootMembers()) {
            if (matches(*root, first, pass == 0)) {
                current = root;
                break;
            }
        }
        // Below the All member, the first segment names a member of the first level.
        if (!current && hierarchy.AllMember()) {
            for (const Member* child : hierarchy.AllMember()->Children()) {
                if (matches(*child, first, pass == 0)) {
                    current = child;
                    break;
                }
            }
        }
    }
    if (!current) {
        for (const Level* level : hierarchy.Levels()) {
            if (!level->UniqueMembers() || level->IsAll())
                continue;
            for (int pass = 0; pass < 2 && !current; ++pass) {
                for (const Member* m : level->Members()) {
                    if (matches(*m, first, pass == 0)) {
                        current = m;
                        break;
                    }
                }
            }
            if (current)
                break;
        }
    }
    for (std::size_t i = 1; current && i < path.size(); ++i)
        current = FindChild(*current, path[i].text, path[i].isKey);
    return current;
}

} // namespace olap
