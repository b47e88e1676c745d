#include "olap/adomd/CubeDef.h"

#include "olap/access/Connection.h"
#include "olap/util/NameUtil.h"
#include "olap/util/OlapError.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace olap::adomd {
namespace {

//! A schema rowset with its numeric columns read as numbers.
class RowsetReader {
public:
    explicit RowsetReader(SchemaRowset rowset) : m_rowset(std::move(rowset)) { }

    const std::vector<std::vector<std::string>>& Rows() const { return m_rowset.rows; }
    std::string Get(const std::vector<std::string>& row, std::string_view column) const
    {
        return m_rowset.Value(row, column);
    }
    long GetNumber(const std::vector<std::string>& row, std::string_view column) const
    {
        const std::string text = Get(row, column);
        long value = 0;
        std::from_chars(text.data(), text.data() + text.size(), value);
        return value;
    }

private:
    SchemaRowset m_rowset;
};

} // namespace

struct CubeDef::Structure {
    std::deque<Dimension> dimensions;
    std::deque<Hierarchy> hierarchies;
    std::deque<Level> levels;
    std::deque<Member> members;
    std::vector<const Dimension*> dimensionList;
    std::unordered_map<std::string, Dimension*> dimensionsByName;
    std::unordered_map<std::string, Hierarchy*> hierarchiesByName;
    std::unordered_map<std::string, Level*> levelsByName;
    std::unordered_map<std::string, Member*> membersByName;
};

CubeDef::CubeDef(std::shared_ptr<Connection> connection, std::string name, std::string caption)
    : m_connection(std::move(connection)), m_name(std::move(name)), m_caption(std::move(caption))
{
}

CubeDef::~CubeDef() = default;

const CubeDef::Structure& CubeDef::Load() const
{
    if (m_structure)
        return *m_structure;
    if (!m_connection || !m_connection->IsOpen())
        throw OlapError("The catalog has no open connection");
    auto s = std::make_unique<Structure>();

    const RowsetReader dimensions(m_connection->Discover(SchemaRowsetKind::Dimensions, m_name));
    for (const auto& row : dimensions.Rows()) {
        Dimension& d = s->dimensions.emplace_back();
        d.m_name = dimensions.Get(row, "DIMENSION_NAME");
        d.m_uniqueName = dimensions.Get(row, "DIMENSION_UNIQUE_NAME");
        d.m_caption = dimensions.Get(row, "DIMENSION_CAPTION");
        s->dimensionList.push_back(&d);
        s->dimensionsByName.emplace(ToLowerAscii(d.m_uniqueName), &d);
    }

    const RowsetReader hierarchies(m_connection->Discover(SchemaRowsetKind::Hierarchies, m_name));
    for (const auto& row : hierarchies.Rows()) {
        auto owner = s->dimensionsByName.find(ToLowerAscii(hierarchies.Get(row, "DIMENSION_UNIQUE_NAME")));
        if (owner == s->dimensionsByName.end())
            continue;
        Hierarchy& h = s->hierarchies.emplace_back();
        h.m_name = hierarchies.Get(row, "HIERARCHY_NAME");
        h.m_uniqueName = hierarchies.Get(row, "HIERARCHY_UNIQUE_NAME");
        h.m_caption = hierarchies.Get(row, "HIERARCHY_CAPTION");
        h.m_dimension = owner->second;
        owner->second->m_hierarchies.push_back(&h);
        s->hierarchiesByName.emplace(ToLowerAscii(h.m_uniqueName), &h);
    }

    const RowsetReader levels(m_connection->Discover(SchemaRowsetKind::Levels, m_name));
    for (const auto& row : levels.Rows()) {
        auto owner = s->hierarchiesByName.find(ToLowerAscii(levels.Get(row, "HIERARCHY_UNIQUE_NAME")));
        const std::string uniqueName = levels.Get(row, "LEVEL_UNIQUE_NAME");
        // A level belongs to one hierarchy and is listed once, whatever the rowset repeats.
        if (owner == s->hierarchiesByName.end() || s->levelsByName.count(ToLowerAscii(uniqueName)))
            continue;
        Level& l = s->levels.emplace_back();
        l.m_name = levels.Get(row, "LEVEL_NAME");
        l.m_uniqueName = uniqueName;
        l.m_caption = levels.Get(row, "LEVEL_CAPTION");
        l.m_depth = static_cast<int>(levels.GetNumber(row, "LEVEL_NUMBER"));
        l.m_hierarchy = owner->second;
        owner->second->m_levels.push_back(&l);
        s->levelsByName.emplace(ToLowerAscii(uniqueName), &l);
    }

    const RowsetReader members(m_connection->Discover(SchemaRowsetKind::Members, m_name));
    std::vector<std::pair<Member*, std::string>> parents;
    for (const auto& row : members.Rows()) {
        auto level = s->levelsByName.find(ToLowerAscii(members.Get(row, "LEVEL_UNIQUE_NAME")));
        const std::string uniqueName = members.Get(row, "MEMBER_UNIQUE_NAME");
        if (level == s->levelsByName.end() || s->membersByName.count(ToLowerAscii(uniqueName)))
            continue;
        Member& m = s->members.emplace_back();
        m.m_name = members.Get(row, "MEMBER_NAME");
        m.m_uniqueName = uniqueName;
        m.m_caption = members.Get(row, "MEMBER_CAPTION");
        m.m_childCount = members.GetNumber(row, "CHILDREN_CARDINALITY");
        m.m_level = level->second;
        level->second->m_members.push_back(&m);
        s->membersByName.emplace(ToLowerAscii(uniqueName), &m);
        parents.emplace_back(&m, members.Get(row, "PARENT_UNIQUE_NAME"));
    }
    // Parents are linked once every member is known, so the rowset's order does not matter.
    for (const auto& [member, parent] : parents) {
        auto p = parent.empty() ? s->membersByName.end() : s->membersByName.find(ToLowerAscii(parent));
        if (p != s->membersByName.end()) {
            member->m_parent = p->second;
            p->second->m_children.push_back(member);
        }
    }

    // Calculated measures are measures to the user too: add those the members rowset lacks
    // to the first level of the measures dimension.
    const Dimension* measures = nullptr;
    for (const Dimension* d : s->dimensionList) {
        if (EqualsNoCase(d->Name(), "Measures"))
            measures = d;
    }
    if (measures && !measures->Hierarchies().empty() && !measures->Hierarchies()[0]->Levels().empty()) {
        Level* level = s->levelsByName.at(ToLowerAscii(measures->Hierarchies()[0]->Levels()[0]->UniqueName()));
        const RowsetReader rows(m_connection->Discover(SchemaRowsetKind::Measures, m_name));
        for (const auto& row : rows.Rows()) {
            const std::string uniqueName = rows.Get(row, "MEASURE_UNIQUE_NAME");
            if (uniqueName.empty() || s->membersByName.count(ToLowerAscii(uniqueName)))
                continue;
            Member& m = s->members.emplace_back();
            m.m_name = rows.Get(row, "MEASURE_NAME");
            m.m_uniqueName = uniqueName;
            m.m_caption = rows.Get(row, "MEASURE_CAPTION");
            m.m_level = level;
            level->m_members.push_back(&m);
            s->membersByName.emplace(ToLowerAscii(uniqueName), &m);
        }
    }

    m_structure = std::move(s);
    return *m_structure;
}

const std::vector<const Dimension*>& CubeDef::Dimensions() const
{
    return Load().dimensionList;
}

const Dimension* CubeDef::FindDimension(std::string_view name) const
{
    for (const Dimension* d : Dimensions()) {
        if (EqualsNoCase(d->Name(), name))
            return d;
    }
    return nullptr;
}

const Dimension* CubeDef::FindDimensionByUniqueName(std::string_view uniqueName) const
{
    const Structure& s = Load();
    auto it = s.dimensionsByName.find(ToLowerAscii(uniqueName));
    return it == s.dimensionsByName.end() ? nullptr : it->second;
}

const Level* CubeDef::FindLevel(std::string_view uniqueName) const
{
    const Structure& s = Load();
    auto it = s.levelsByName.find(ToLowerAscii(uniqueName));
    return it == s.levelsByName.end() ? nullptr : it->second;
}

const Member* CubeDef::FindMember(std::string_view uniqueName) const
{
    const Structure& s = Load();
    auto it = s.membersByName.find(ToLowerAscii(uniqueName));
    return it == s.membersByName.end() ? nullptr : it->second;
}

SchemaObject CubeDef::GetSchemaObject(SchemaObjectType type, std::string_view uniqueName) const
{
    const Structure& s = Load();
    const char* kind = "object";
    switch (type) {
    case SchemaObjectType::Dimension:
        if (const Dimension* d = FindDimensionByUniqueName(uniqueName))
            return d;
        kind = "dimension";
        break;
    case SchemaObjectType::Hierarchy:
        if (auto it = s.hierarchiesByName.find(ToLowerAscii(uniqueName)); it != s.hierarchiesByName.end())
            return static_cast<const Hierarchy*>(it->second);
        kind = "hierarchy";
        break;
    case SchemaObjectType::Level:
        if (const Level* l = FindLevel(uniqueName))
            return l;
        kind = "level";
        break;
    case SchemaObjectType::Member:
        if (const Member* m = FindMember(uniqueName))
            return m;
        kind = "member";
        break;
    }
    throw OlapError("The cube '" + m_name + "' has no " + kind + " '" + std::string(uniqueName) + "'");
}

} // namespace olap::adomd
