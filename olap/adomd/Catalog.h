#pragma once

#include "olap/adomd/CubeDef.h"
#include "olap/providers/RelationalProviders.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace olap {
class Connection;
}

namespace olap::adomd {

//! The multidimensional catalog of a connection: its name and its cube definitions. Setting
//! the active connection reads the list of cubes; each cube's structure is read when it is
//! first used (CubeDef). A relational connection is a catalog without cubes.
class Catalog {
public:
    Catalog();
    ~Catalog();
    Catalog(const Catalog&) = delete;
    Catalog& operator=(const Catalog&) = delete;

    //! Opens a connection of the catalog's own on CONNECTIONSTRING and reads its cubes.
    //! Throws with the provider's description when the connection cannot be opened or the
    //! cubes cannot be listed; the catalog then keeps its previous connection and cubes.
    void SetActiveConnection(std::string_view connectionString, const providers::ProviderDriverLookup& lookup = {});
    //! Uses CONNECTION (already open) and reads its cubes; throws as above.
    void SetActiveConnection(std::shared_ptr<Connection> connection);
    const std::shared_ptr<Connection>& ActiveConnection() const { return m_connection; }

    //! Reads the list of cubes again from the active connection; cube definitions handed out
    //! before stay valid as long as the caller holds the collection (see CubeDefs).
    void Refresh();

    //! The catalog's name (empty without a connection or for a relational source).
    const std::string& Name() const { return m_name; }
    //! The cube definitions, in the provider's order. The pointers are shared, so a caller
    //! that keeps the collection keeps its cubes across a refresh.
    const std::vector<std::shared_ptr<CubeDef>>& CubeDefs() const { return m_cubeDefs; }
    //! The cube definition named NAME (any case), or null.
    std::shared_ptr<CubeDef> FindCubeDef(std::string_view name) const;

private:
    std::shared_ptr<Connection> m_connection;
    std::string m_name;
    std::vector<std::shared_ptr<CubeDef>> m_cubeDefs;
};

} // namespace olap::adomd
