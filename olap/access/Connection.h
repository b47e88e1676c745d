#pragma once

#include "olap/access/ConnectionString.h"
#include "olap/access/OlapProvider.h"

#include <memory>
#include <string_view>

namespace olap {

//! An open connection to a source of cubes, chosen by the connection string's Provider.
//! Today: local cube files (`Provider=MSOLAP[.n]` or no provider, `Data Source` or
//! `Location` naming a `.cub` file, optional `Initial Catalog`). Other providers plug in as
//! OlapProvider implementations.
class Connection {
public:
    //! Parses CONNECTIONSTRING and opens its source. Throws OlapError for a malformed
    //! string, a missing Data Source, an unsupported provider, or a source that cannot be
    //! opened (the message says which).
    static std::unique_ptr<Connection> Open(std::string_view connectionString);
    //! A connection over an already opened provider.
    explicit Connection(std::unique_ptr<OlapProvider> provider);

    //! Runs one MDX statement. Throws MdxError / OlapError; the connection stays usable.
    QueryResult Execute(std::string_view mdx) { return m_provider->Execute(mdx); }
    //! See OlapProvider::Discover.
    SchemaRowset Discover(SchemaRowsetKind kind, std::string_view cube = {})
    {
        return m_provider->Discover(kind, cube);
    }
    //! Drops cached query results.
    void ClearCache() { m_provider->ClearCache(); }
    OlapProvider& Provider() { return *m_provider; }

private:
    std::unique_ptr<OlapProvider> m_provider;
};

} // namespace olap
