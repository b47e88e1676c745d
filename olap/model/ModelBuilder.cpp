#include "olap/model/ModelBuilder.h"

#include "olap/model/Cube.h"
#include "olap/model/Hierarchy.h"
#include "olap/model/Level.h"
#include "olap/model/Measure.h"
#include "olap/model/Member.h"
#include "olap/util/NameUtil.h"
#include "olap/util/OlapError.h"

#include <algorithm>

namespace olap {

ModelBuilder::ModelBuilder(std::string cubeName, std::string schemaName)
    : m_cubeName(std::move(cubeName)), m_schemaName(std::move(schemaName))
{
}

ModelBuilder::~ModelBuilder() = default;

int ModelBuilder::AddDimension(const DimensionSpec& spec)
{
    m_dimensions.push_back({spec, {}});
    return static_cast<int>(m_dimensions.size() - 1);
}

void ModelBuilder::AddLevel(
    int dim, std::string name, std::string caption, LevelType type, bool uniqueMembers, bool numericKeys)
{
    m_dimensions.at(static_cast<std::size_t>(dim))
        .levels.push_back({std::move(name), std::move(caption), type, uniqueMembers, numericKeys, {}, {}});
}

void ModelBuilder::AddLevelProperty(int dim, int level, LevelProperty property)
{
    m_dimensions.at(static_cast<std::size_t>(dim))
        .levels.at(static_cast<std::size_t>(level))
        .properties.push_back(std::move(property));
}

std::size_t ModelBuilder::LevelPropertyCount(int dim, int level) const
{
    return m_dimensions.at(static_cast<std::size_t>(dim)).levels.at(static_cast<std::size_t>(level)).properties.size();
}

void ModelBuilder::SetMemberProperties(int dim, int level, std::uint32_t ordinal, std::vector<std::string> values)
{
    m_dimensions.at(static_cast<std::size_t>(dim))
        .levels.at(static_cast<std::size_t>(level))
        .members.at(ordinal)
        .properties
        = std::move(values);
}

std::uint32_t ModelBuilder::AddMember(
    int dim, int level, std::uint32_t parent, std::string key, std::string name, std::string caption)
{
    auto& members = m_dimensions.at(static_cast<std::size_t>(dim)).levels.at(static_cast<std::size_t>(level)).members;
    members.push_back({parent, std::move(key), std::move(name), std::move(caption), {}});
    return static_cast<std::uint32_t>(members.size() - 1);
}

std::uint32_t ModelBuilder::MemberCount(int dim, int level) const
{
    return static_cast<std::uint32_t>(
        m_dimensions.at(static_cast<std::size_t>(dim)).levels.at(static_cast<std::size_t>(level)).members.size());
}

void ModelBuilder::AddMeasure(
    std::string name, std::string caption, std::string column, Aggregator aggregator, std::string formatString)
{
    m_measures.push_back({std::move(name), std::move(caption), std::move(column), std::move(formatString), aggregator});
}

void ModelBuilder::BuildHierarchy(Cube& cube, Dimension& dim, const PendingDimension& pending, int factColumn)
{
    const DimensionSpec& spec = pending.spec;
    auto hierarchy = std::make_unique<Hierarchy>();
    Hierarchy& h = *hierarchy;
    h.m_dimension = &dim;
    h.m_factColumn = factColumn;
    h.m_name = spec.hierarchyName.empty() ? spec.name : spec.hierarchyName;
    h.m_caption = spec.caption.empty() ? h.m_name : spec.caption;
    h.m_uniqueName = h.m_name == spec.name ? BracketName(spec.name) : BracketName(spec.name + "." + h.m_name);
    if (pending.levels.empty())
        throw OlapError("Dimension '" + spec.name + "': hierarchy has no levels");

    auto addLevel = [&](std::string name, std::string caption, LevelType type, bool unique, bool numeric) {
        auto level = std::make_unique<Level>();
        level->m_name = std::move(name);
        level->m_caption = caption.empty() ? level->m_name : std::move(caption);
        level->m_uniqueName = h.m_uniqueName + "." + BracketName(level->m_name);
        level->m_hierarchy = &h;
        level->m_depth = static_cast<int>(h.m_levels.size());
        level->m_type = type;
        level->m_uniqueMembers = unique;
        level->m_numericKeys = numeric;
        h.m_levelView.push_back(level.get());
        h.m_levels.push_back(std::move(level));
        return h.m_levels.back().get();
    };

    if (spec.hasAll) {
        Level* allLevel = addLevel("(All)", "(All)", LevelType::All, true, false);
        auto all = std::make_unique<Member>();
        all->m_name = spec.allMemberName.empty() ? "All " + spec.name + "s" : spec.allMemberName;
        all->m_caption = spec.allMemberCaption.empty() ? all->m_name : spec.allMemberCaption;
        all->m_key = all->m_name;
        all->m_uniqueName = h.m_uniqueName + "." + BracketName(all->m_name);
        all->m_level = allLevel;
        all->m_isAll = true;
        allLevel->m_members.push_back(all.get());
        h.m_allMember = all.get();
        h.m_memberStore.push_back(std::move(all));
    }

    std::vector<Member*> previous;
    if (h.m_allMember)
        previous.push_back(const_cast<Member*>(h.m_allMember));
    for (std::size_t li = 0; li < pending.levels.size(); ++li) {
        const PendingLevel& pl = pending.levels[li];
        Level* level = addLevel(pl.name, pl.caption, pl.type, pl.uniqueMembers, pl.numericKeys);
        for (const LevelProperty& p : pl.properties) {
            if (level->PropertyIndex(p.name) >= 0 || p.name.empty())
                throw OlapError("Level '" + pl.name + "' of dimension '" + spec.name + "': member property '" + p.name
                    + "' is defined twice or has no name");
            level->m_properties.push_back(p);
        }
        std::vector<Member*> current;
        current.reserve(pl.members.size());
        std::uint32_t lastParent = 0;
        for (const PendingMember& pm : pl.members) {
            auto member = std::make_unique<Member>();
            Member* m = member.get();
            m->m_name = pm.name;
            m->m_caption = pm.caption.empty() ? pm.name : pm.caption;
            m->m_key = pm.key;
            m->m_level = level;
            m->m_ordinal = static_cast<std::uint32_t>(current.size());
            if (!pl.properties.empty()) {
                if (pm.properties.size() > pl.properties.size())
                    throw OlapError("Level '" + pl.name + "' of dimension '" + spec.name + "': member '" + pm.name
                        + "' has more property values than the level has properties");
                m->m_properties = pm.properties;
                m->m_properties.resize(pl.properties.size());
            }
            Member* parent = nullptr;
            if (li == 0) {
                parent = h.m_allMember ? previous.front() : nullptr;
            } else {
                if (pm.parent >= previous.size() || pm.parent < lastParent)
                    throw OlapError("Level '" + pl.name + "' of dimension '" + spec.name + "': member '" + pm.name
                        + "' has an invalid parent");
                lastParent = pm.parent;
                parent = previous[pm.parent];
            }
            m->m_parent = parent;
            m->m_uniqueName
                = (parent && !parent->m_isAll ? parent->m_uniqueName : h.m_uniqueName) + "." + BracketName(m->m_name);
            if (parent)
                parent->m_children.push_back(m);
            level->m_members.push_back(m);
            current.push_back(m);
            h.m_memberStore.push_back(std::move(member));
        }
        for (Member* p : previous) {
            if (p->m_children.empty() && !p->m_isAll)
                throw OlapError("Dimension '" + spec.name + "': member '" + p->m_name + "' has no members below it");
        }
        previous = std::move(current);
    }

    // Leaf ranges bottom-up, then the leaf-to-level maps.
    const std::size_t depthCount = h.m_levels.size();
    const auto leafCount = static_cast<std::uint32_t>(h.m_levels.back()->m_members.size());
    for (const Member* leaf : h.m_levels.back()->m_members) {
        auto* m = const_cast<Member*>(leaf);
        m->m_leafBegin = m->m_ordinal;
        m->m_leafEnd = m->m_ordinal + 1;
    }
    for (std::size_t d = depthCount - 1; d-- > 0;) {
        for (const Member* cm : h.m_levels[d]->m_members) {
            auto* m = const_cast<Member*>(cm);
            if (m->m_children.empty())
                continue;
            m->m_leafBegin = m->m_children.front()->m_leafBegin;
            m->m_leafEnd = m->m_children.back()->m_leafEnd;
        }
    }
    h.m_leafToLevel.assign(depthCount, std::vector<std::uint32_t>(leafCount));
    for (std::size_t d = 0; d < depthCount; ++d) {
        auto& map = h.m_leafToLevel[d];
        for (const Member* m : h.m_levels[d]->m_members) {
            for (std::uint32_t leaf = m->m_leafBegin; leaf < m->m_leafEnd; ++leaf)
                map[leaf] = m->m_ordinal;
        }
    }
    for (const Level* level : h.m_levelView) {
        cube.m_levelByUniqueName.emplace(level->UniqueName(), level);
        for (const Member* m : level->Members())
            cube.m_memberByUniqueName.emplace(m->UniqueName(), m);
    }
    dim.m_hierarchyView.push_back(hierarchy.get());
    dim.m_hierarchies.push_back(std::move(hierarchy));
}

std::unique_ptr<Cube> ModelBuilder::Finish(FactTable facts)
{
    std::unique_ptr<Cube> cube(new Cube());
    cube->m_name = m_cubeName;
    cube->m_caption = m_caption.empty() ? m_cubeName : m_caption;
    cube->m_schemaName = m_schemaName;
    cube->m_calculated = std::move(m_calculated);

    // Measures dimension: one level, one member per measure.
    {
        PendingDimension measures;
        measures.spec.name = "Measures";
        measures.spec.type = DimensionType::Measures;
        measures.spec.hasAll = false;
        measures.levels.push_back({"MeasuresLevel", "MeasuresLevel", LevelType::Measures, true, false, {}, {}});
        for (const PendingMeasure& pm : m_measures) {
            if (pm.name.empty())
                throw OlapError("Measure without a name");
            for (const PendingMember& other : measures.levels[0].members) {
                if (EqualsNoCase(other.name, pm.name))
                    throw OlapError("Measure '" + pm.name + "' is defined twice");
            }
            measures.levels[0].members.push_back({0, pm.name, pm.name, pm.caption, {}});
        }
        auto dim = std::make_unique<Dimension>();
        dim->m_name = "Measures";
        dim->m_uniqueName = "[Measures]";
        dim->m_caption = "Measures";
        dim->m_type = DimensionType::Measures;
        dim->m_index = 0;
        if (!measures.levels[0].members.empty())
            BuildHierarchy(*cube, *dim, measures, -1);
        else {
            // A cube without measures still has the Measures dimension, with an empty level.
            auto h = std::make_unique<Hierarchy>();
            h->m_dimension = dim.get();
            h->m_name = "Measures";
            h->m_uniqueName = "[Measures]";
            h->m_caption = "Measures";
            auto level = std::make_unique<Level>();
            level->m_name = "MeasuresLevel";
            level->m_caption = "MeasuresLevel";
            level->m_uniqueName = "[Measures].[MeasuresLevel]";
            level->m_hierarchy = h.get();
            level->m_type = LevelType::Measures;
            h->m_levelView.push_back(level.get());
            h->m_levels.push_back(std::move(level));
            h->m_leafToLevel.assign(1, {});
            dim->m_hierarchyView.push_back(h.get());
            dim->m_hierarchies.push_back(std::move(h));
        }
        cube->m_dimensionView.push_back(dim.get());
        cube->m_dimensions.push_back(std::move(dim));
    }
    const Level& measureLevel = cube->m_dimensionView.front()->DefaultHierarchy().LeafLevel();
    for (std::size_t i = 0; i < m_measures.size(); ++i) {
        auto measure = std::make_unique<Measure>();
        const PendingMeasure& pm = m_measures[i];
        measure->m_name = pm.name;
        measure->m_caption = pm.caption.empty() ? pm.name : pm.caption;
        measure->m_column = pm.column;
        measure->m_formatString = pm.formatString;
        measure->m_aggregator = pm.aggregator;
        measure->m_index = static_cast<int>(i);
        measure->m_member = measureLevel.Members()[i];
        const_cast<Member*>(measure->m_member)->m_measureIndex = static_cast<int>(i);
        cube->m_measureView.push_back(measure.get());
        cube->m_measures.push_back(std::move(measure));
    }
    if (!m_defaultMeasure.empty()) {
        const Measure* m = cube->FindMeasure(m_defaultMeasure);
        if (!m)
            throw OlapError(
                "Cube '" + m_cubeName + "': defaultMeasure '" + m_defaultMeasure + "' is not a measure of the cube");
        cube->m_defaultMeasure = m->Index();
    }

    for (std::size_t i = 0; i < m_dimensions.size(); ++i) {
        const PendingDimension& pd = m_dimensions[i];
        if (pd.spec.name.empty())
            throw OlapError("Dimension without a name");
        if (cube->FindDimension(pd.spec.name))
            throw OlapError("Dimension '" + pd.spec.name + "' is defined twice in cube '" + m_cubeName + "'");
        auto dim = std::make_unique<Dimension>();
        dim->m_name = pd.spec.name;
        dim->m_uniqueName = BracketName(pd.spec.name);
        dim->m_caption = pd.spec.caption.empty() ? pd.spec.name : pd.spec.caption;
        dim->m_type = pd.spec.type;
        dim->m_index = static_cast<int>(cube->m_dimensions.size());
        BuildHierarchy(*cube, *dim, pd, static_cast<int>(i));
        cube->m_factHierarchies.push_back(dim->m_hierarchyView.front());
        cube->m_dimensionView.push_back(dim.get());
        cube->m_dimensions.push_back(std::move(dim));
    }

    // The fact table must match the model exactly.
    if (facts.keys.size() != m_dimensions.size() || facts.measures.size() != m_measures.size())
        throw OlapError("Cube '" + m_cubeName + "': the fact table does not match the cube's dimensions and measures");
    const std::uint64_t rows = facts.rowCount;
    for (std::size_t i = 0; i < facts.keys.size(); ++i) {
        const Hierarchy& h = *cube->m_factHierarchies[i];
        const std::uint32_t leafCount = h.LeafCount();
        bool ok = true;
        std::visit(
            [&](const auto& v) {
                if (v.size() != rows) {
                    ok = false;
                    return;
                }
                std::uint32_t maxKey = 0;
                for (auto k : v)
                    maxKey = std::max<std::uint32_t>(maxKey, k);
                ok = rows == 0 || maxKey < leafCount;
            },
            facts.keys[i]);
        if (!ok)
            throw OlapError("Cube '" + m_cubeName + "': the key column of dimension '" + h.GetDimension().Name()
                + "' is damaged (wrong length or keys out of range)");
    }
    for (std::size_t i = 0; i < facts.measures.size(); ++i) {
        const MeasureColumn& column = facts.measures[i];
        const bool distinct = m_measures[i].aggregator == Aggregator::DistinctCount;
        bool ok = column.scale >= 0 && column.scale <= 9
            && (column.nulls.empty() || column.nulls.size() == (rows + 63) / 64);
        std::visit(
            [&](const auto& v) {
                using T = std::decay_t<decltype(v)>;
                if constexpr (std::is_same_v<T, std::monostate>) {
                    ok = ok && (m_measures[i].aggregator == Aggregator::Count);
                } else {
                    ok = ok && v.size() == rows;
                    if constexpr (!std::is_same_v<T, ColumnVector<double>>) {
                        if (ok && distinct) {
                            for (auto id : v) {
                                if (id < 0 || static_cast<std::uint32_t>(id) >= column.distinct) {
                                    ok = false;
                                    break;
                                }
                            }
                        }
                    } else {
                        ok = ok && !distinct;
                    }
                }
            },
            column.values);
        if (!ok)
            throw OlapError(
                "Cube '" + m_cubeName + "': the value column of measure '" + m_measures[i].name + "' is damaged");
    }
    cube->m_facts = std::move(facts);
    return cube;
}

} // namespace olap
