#pragma once

#include "olap/access/SchemaRowset.h"
#include "olap/query/QueryOptions.h"
#include "olap/query/QueryResult.h"

#include <string>
#include <string_view>

namespace olap {

//! What a connection needs from a source of cubes: run MDX and describe the cubes. The
//! local cube file provider implements it here; remote servers plug in behind the same
//! interface. Implementations report every failure by throwing OlapError (MdxError for a
//! statement in error) and leave the provider usable afterwards.
class OlapProvider {
public:
    virtual ~OlapProvider() = default;

    //! The provider's name as connection strings spell it ("MSOLAP").
    virtual std::string Name() const = 0;
    //! The catalog (schema) the connection is on.
    virtual std::string Catalog() const = 0;
    //! Runs one MDX statement.
    virtual QueryResult Execute(std::string_view mdx) = 0;
    //! Runs one MDX statement within OPTIONS (memory budget, cancellation). Providers that
    //! cannot apply them run the statement as Execute does.
    virtual QueryResult ExecuteMdx(std::string_view mdx, const QueryOptions& options)
    {
        (void)options;
        return Execute(mdx);
    }
    //! The rows of schema rowset KIND, restricted to cube CUBE when it is not empty (an
    //! unknown cube throws OlapError).
    virtual SchemaRowset Discover(SchemaRowsetKind kind, std::string_view cube) = 0;
    //! Drops cached query results, so that the next query computes from the data.
    virtual void ClearCache() = 0;
};

} // namespace olap
