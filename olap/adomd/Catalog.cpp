#include "olap/adomd/Catalog.h"

#include "olap/access/Connection.h"
#include "olap/util/NameUtil.h"
#include "olap/util/OlapError.h"

namespace olap::adomd {

Catalog::Catalog() = default;
Catalog::~Catalog() = default;

void Catalog::SetActiveConnection(std::string_view connectionString, const providers::ProviderDriverLookup& lookup)
{
    auto connection = std::make_shared<Connection>();
    connection->Open(connectionString, {}, {}, -1, lookup);
    SetActiveConnection(std::move(connection));
}

void Catalog::SetActiveConnection(std::shared_ptr<Connection> connection)
{
    if (!connection || !connection->IsOpen())
        throw OlapError("The catalog needs an open connection");
    std::string name;
    std::vector<std::shared_ptr<CubeDef>> cubes;
    if (connection->IsOlap()) {
        name = connection->Provider().Catalog();
        const SchemaRowset rowset = connection->Discover(SchemaRowsetKind::Cubes);
        for (const std::vector<std::string>& row : rowset.rows)
            cubes.push_back(std::make_shared<CubeDef>(
                connection, rowset.Value(row, "CUBE_NAME"), rowset.Value(row, "CUBE_CAPTION")));
    }
    m_connection = std::move(connection);
    m_name = std::move(name);
    m_cubeDefs = std::move(cubes);
}

void Catalog::Refresh()
{
    if (!m_connection)
        throw OlapError("The catalog has no active connection");
    SetActiveConnection(m_connection);
}

std::shared_ptr<CubeDef> Catalog::FindCubeDef(std::string_view name) const
{
    for (const std::shared_ptr<CubeDef>& cube : m_cubeDefs) {
        if (EqualsNoCase(cube->Name(), name))
            return cube;
    }
    return nullptr;
}

} // namespace olap::adomd
