#include "olap/access/LocalCubeProvider.h"

#include "olap/model/Cube.h"
#include "olap/model/Dimension.h"
#include "olap/model/Hierarchy.h"
#include "olap/model/Level.h"
#include "olap/model/Measure.h"
#include "olap/model/Member.h"
#include "olap/model/ResultCache.h"
#include "olap/query/MdxEvaluator.h"
#include "olap/storage/CubeFile.h"
#include "olap/util/MessageText.h"
#include "olap/util/NameUtil.h"
#include "olap/util/OlapError.h"

#include <filesystem>

namespace olap {
namespace {

std::string_view DimensionTypeName(DimensionType type)
{
    switch (type) {
    case DimensionType::Time:
        return "TIME";
    case DimensionType::Measures:
        return "MEASURE";
    default:
        return "OTHER";
    }
}

void AddMembers(const Cube& cube, const Member& m, SchemaRowset& out)
{
    const Level& level = m.GetLevel();
    out.rows.push_back({cube.Name(), level.GetHierarchy().UniqueName(), level.UniqueName(),
        std::to_string(level.Depth()), m.Name(), m.UniqueName(), m.Caption(),
        m.Parent() ? m.Parent()->UniqueName() : std::string(), std::to_string(m.Children().size())});
    for (const Member* child : m.Children())
        AddMembers(cube, *child, out);
}

} // namespace

LocalCubeProvider::LocalCubeProvider(const std::string& path, const std::string& catalog) : m_cube(CubeFile::Read(path))
{
    if (!catalog.empty()) {
        std::string stem = std::filesystem::path(path).stem().string();
        if (!EqualsNoCase(catalog, m_cube->SchemaName()) && !EqualsNoCase(catalog, m_cube->Name())
            && !EqualsNoCase(catalog, stem))
            throw OlapError("Catalog '" + ShortForMessage(catalog) + "' is not in '" + ShortForMessage(path)
                + "' (it holds catalog '" + m_cube->SchemaName() + "' with cube '" + m_cube->Name() + "')");
    }
}

LocalCubeProvider::LocalCubeProvider(std::unique_ptr<Cube> cube) : m_cube(std::move(cube))
{
    if (!m_cube)
        throw OlapError("a local cube connection needs a cube");
}

LocalCubeProvider::~LocalCubeProvider() = default;

std::string LocalCubeProvider::Catalog() const
{
    return m_cube->SchemaName();
}

QueryResult LocalCubeProvider::Execute(std::string_view mdx)
{
    return MdxEvaluator::Execute(*m_cube, mdx);
}

QueryResult LocalCubeProvider::ExecuteMdx(std::string_view mdx, const QueryOptions& options)
{
    return MdxEvaluator::Execute(*m_cube, mdx, options);
}

void LocalCubeProvider::ClearCache()
{
    m_cube->Cache().Clear();
}

SchemaRowset LocalCubeProvider::Discover(SchemaRowsetKind kind, std::string_view cube)
{
    const Cube& c = *m_cube;
    if (!cube.empty() && !EqualsNoCase(cube, c.Name()))
        throw OlapError("Unknown cube '" + std::string(cube) + "' (catalog '" + c.SchemaName() + "' holds cube '"
            + c.Name() + "')");
    SchemaRowset out;
    switch (kind) {
    case SchemaRowsetKind::Catalogs:
        out.columns = {"CATALOG_NAME"};
        out.rows.push_back({c.SchemaName()});
        break;
    case SchemaRowsetKind::Cubes:
        out.columns = {"CATALOG_NAME", "CUBE_NAME", "CUBE_CAPTION"};
        out.rows.push_back({c.SchemaName(), c.Name(), c.Caption()});
        break;
    case SchemaRowsetKind::Dimensions:
        out.columns = {"CUBE_NAME", "DIMENSION_NAME", "DIMENSION_UNIQUE_NAME", "DIMENSION_CAPTION", "DIMENSION_TYPE"};
        for (const Dimension* d : c.Dimensions())
            out.rows.push_back(
                {c.Name(), d->Name(), d->UniqueName(), d->Caption(), std::string(DimensionTypeName(d->Type()))});
        break;
    case SchemaRowsetKind::Hierarchies:
        out.columns = {"CUBE_NAME", "DIMENSION_UNIQUE_NAME", "HIERARCHY_NAME", "HIERARCHY_UNIQUE_NAME",
            "HIERARCHY_CAPTION", "ALL_MEMBER", "DEFAULT_MEMBER"};
        for (const Dimension* d : c.Dimensions()) {
            for (const Hierarchy* h : d->Hierarchies()) {
                const Member* def
                    = d->IsMeasures() && c.DefaultMeasure() ? &c.DefaultMeasure()->AsMember() : h->DefaultMember();
                out.rows.push_back({c.Name(), d->UniqueName(), h->Name(), h->UniqueName(), h->Caption(),
                    h->AllMember() ? h->AllMember()->UniqueName() : std::string(),
                    def ? def->UniqueName() : std::string()});
            }
        }
        break;
    case SchemaRowsetKind::Levels:
        out.columns = {"CUBE_NAME", "HIERARCHY_UNIQUE_NAME", "LEVEL_NAME", "LEVEL_UNIQUE_NAME", "LEVEL_CAPTION",
            "LEVEL_NUMBER", "LEVEL_CARDINALITY", "LEVEL_TYPE"};
        for (const Dimension* d : c.Dimensions()) {
            for (const Hierarchy* h : d->Hierarchies()) {
                for (const Level* l : h->Levels())
                    out.rows.push_back({c.Name(), h->UniqueName(), l->Name(), l->UniqueName(), l->Caption(),
                        std::to_string(l->Depth()), std::to_string(l->Members().size()),
                        std::string(LevelTypeName(l->Type()))});
            }
        }
        break;
    case SchemaRowsetKind::Members:
        out.columns = {"CUBE_NAME", "HIERARCHY_UNIQUE_NAME", "LEVEL_UNIQUE_NAME", "LEVEL_NUMBER", "MEMBER_NAME",
            "MEMBER_UNIQUE_NAME", "MEMBER_CAPTION", "PARENT_UNIQUE_NAME", "CHILDREN_CARDINALITY"};
        for (const Dimension* d : c.Dimensions()) {
            for (const Hierarchy* h : d->Hierarchies()) {
                for (const Member* root : h->RootMembers())
                    AddMembers(c, *root, out);
            }
        }
        break;
    case SchemaRowsetKind::Measures:
        out.columns = {"CUBE_NAME", "MEASURE_NAME", "MEASURE_UNIQUE_NAME", "MEASURE_CAPTION", "MEASURE_AGGREGATOR",
            "DEFAULT_FORMAT_STRING"};
        for (const Measure* m : c.Measures())
            out.rows.push_back({c.Name(), m->Name(), m->UniqueName(), m->Caption(),
                std::string(AggregatorName(m->GetAggregator())), m->FormatString()});
        for (const CalculatedDefinition& def : c.Calculated()) {
            if (def.kind == CalculatedDefinition::Kind::Member
                && (def.hierarchy.empty() || EqualsNoCase(def.hierarchy, "[Measures]")))
                out.rows.push_back({c.Name(), def.name, "[Measures]." + BracketName(def.name),
                    def.caption.empty() ? def.name : def.caption, "calculated", def.formatString});
        }
        break;
    }
    return out;
}

} // namespace olap
