#include "olap/providers/xmla/XmlaProvider.h"

#include "olap/providers/xmla/CurlHttpTransport.h"
#include "olap/providers/xmla/XmlaAddress.h"
#include "olap/providers/xmla/XmlaServerError.h"
#include "olap/query/MdxError.h"
#include "olap/query/QueryCancelled.h"
#include "olap/util/MessageText.h"
#include "olap/util/NameUtil.h"

#include <cctype>
#include <map>

namespace olap::providers::xmla {
namespace {

bool IsDrillthrough(std::string_view mdx)
{
    std::size_t i = 0;
    while (i < mdx.size()) {
        if (std::isspace(static_cast<unsigned char>(mdx[i]))) {
            ++i;
        } else if (mdx.substr(i, 2) == "--" || mdx.substr(i, 2) == "//") {
            i = mdx.find('\n', i);
        } else if (mdx.substr(i, 2) == "/*") {
            i = mdx.find("*/", i);
            i = i == std::string_view::npos ? i : i + 2;
        } else {
            break;
        }
    }
    return i < mdx.size() && StartsWithNoCase(mdx.substr(i), "DRILLTHROUGH");
}

std::string_view RequestType(SchemaRowsetKind kind)
{
    switch (kind) {
    case SchemaRowsetKind::Catalogs:
        return "DBSCHEMA_CATALOGS";
    case SchemaRowsetKind::Cubes:
        return "MDSCHEMA_CUBES";
    case SchemaRowsetKind::Dimensions:
        return "MDSCHEMA_DIMENSIONS";
    case SchemaRowsetKind::Hierarchies:
        return "MDSCHEMA_HIERARCHIES";
    case SchemaRowsetKind::Levels:
        return "MDSCHEMA_LEVELS";
    case SchemaRowsetKind::Members:
        return "MDSCHEMA_MEMBERS";
    case SchemaRowsetKind::Measures:
        return "MDSCHEMA_MEASURES";
    }
    return "MDSCHEMA_CUBES";
}

// Appends the rows of PART to OUT, lining its columns up with OUT's by name.
void AppendRows(SchemaRowset& out, const SchemaRowset& part)
{
    std::vector<std::size_t> target;
    for (const std::string& column : part.columns) {
        std::size_t index = 0;
        while (index < out.columns.size() && !EqualsNoCase(out.columns[index], column))
            ++index;
        if (index == out.columns.size()) {
            out.columns.push_back(column);
            for (auto& row : out.rows)
                row.emplace_back();
        }
        target.push_back(index);
    }
    for (const auto& row : part.rows) {
        std::vector<std::string>& added = out.rows.emplace_back(out.columns.size());
        for (std::size_t c = 0; c < row.size() && c < target.size(); ++c)
            added[target[c]] = row[c];
    }
}

} // namespace

XmlaProvider::XmlaProvider(XmlaSettings settings, std::shared_ptr<HttpTransport> transport)
    : m_client(std::move(settings), std::move(transport))
{
    m_client.Connect();
}

XmlaProvider::~XmlaProvider() = default;

std::unique_ptr<OlapProvider> XmlaProvider::Open(const ConnectionProperties& properties)
{
    XmlaSettings settings = XmlaSettings::FromProperties(properties);
    const std::string address = ShortForMessage(RedactedAddress(settings.address));
    try {
        return std::make_unique<XmlaProvider>(std::move(settings), std::make_shared<CurlHttpTransport>());
    } catch (const OlapError& e) {
        throw OlapError("Cannot connect to the OLAP server '" + address + "' over XMLA: " + e.what());
    }
}

QueryResult XmlaProvider::ExecuteMdx(std::string_view mdx, const QueryOptions& options)
{
    if (options.cancel == nullptr)
        return Execute(mdx);
    if (options.cancel->IsCancelled())
        throw QueryCancelled();
    struct TokenScope {
        XmlaClient& client;
        ~TokenScope() { client.SetCancellationToken(nullptr); }
    } scope {m_client};
    m_client.SetCancellationToken(options.cancel);
    try {
        return Execute(mdx);
    } catch (const OlapError&) {
        if (options.cancel->IsCancelled())
            throw QueryCancelled();
        throw;
    }
}

QueryResult XmlaProvider::Execute(std::string_view mdx)
{
    QueryResult result;
    try {
        if (IsDrillthrough(mdx)) {
            result.kind = QueryResult::Kind::Drillthrough;
            result.drillthrough = m_client.ExecuteTabular(mdx).ToDrillthroughTable();
        } else {
            result.cellSet = m_client.ExecuteMultidimensional(mdx);
        }
    } catch (const XmlaServerError& e) {
        if (e.IsClientFault())
            throw MdxError(e.what(), {}, {});
        throw;
    }
    return result;
}

void XmlaProvider::RequireCube(std::string_view cube)
{
    const SchemaRowset cubes = DiscoverRowset("MDSCHEMA_CUBES", {{"CUBE_NAME", std::string(cube)}});
    for (const auto& row : cubes.rows) {
        if (EqualsNoCase(cubes.Value(row, "CUBE_NAME"), cube))
            return;
    }
    throw OlapError("Unknown cube '" + std::string(cube) + "' (catalog '" + Catalog() + "')");
}

SchemaRowset XmlaProvider::Discover(SchemaRowsetKind kind, std::string_view cube)
{
    XmlaPairs restrictions;
    if (kind != SchemaRowsetKind::Catalogs && !Catalog().empty())
        restrictions.emplace_back("CATALOG_NAME", Catalog());
    if (kind != SchemaRowsetKind::Catalogs && !cube.empty())
        restrictions.emplace_back("CUBE_NAME", std::string(cube));
    if (kind != SchemaRowsetKind::Members) {
        SchemaRowset rows = DiscoverRowset(RequestType(kind), restrictions);
        if (rows.rows.empty() && !cube.empty() && kind != SchemaRowsetKind::Catalogs)
            RequireCube(cube);
        return rows;
    }
    const SchemaRowset levels = DiscoverRowset("MDSCHEMA_LEVELS", restrictions);
    if (levels.rows.empty() && !cube.empty())
        RequireCube(cube);
    SchemaRowset members;
    for (const auto& level : levels.rows) {
        const std::string levelCube = cube.empty() ? levels.Value(level, "CUBE_NAME") : std::string(cube);
        AppendRows(members, DiscoverMembers(levelCube, levels.Value(level, "LEVEL_UNIQUE_NAME")));
    }
    return members;
}

SchemaRowset XmlaProvider::DiscoverRowset(std::string_view requestType, const XmlaPairs& restrictions)
{
    return m_client.Discover(requestType, restrictions).ToSchemaRowset();
}

SchemaRowset XmlaProvider::DiscoverMembers(std::string_view cube, std::string_view levelUniqueName)
{
    XmlaPairs restrictions;
    if (!Catalog().empty())
        restrictions.emplace_back("CATALOG_NAME", Catalog());
    restrictions.emplace_back("CUBE_NAME", std::string(cube));
    restrictions.emplace_back("LEVEL_UNIQUE_NAME", std::string(levelUniqueName));
    return DiscoverRowset("MDSCHEMA_MEMBERS", restrictions);
}

} // namespace olap::providers::xmla
