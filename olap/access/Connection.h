#pragma once

#include "olap/access/OlapProvider.h"
#include "olap/access/SchemaEnum.h"
#include "olap/providers/RelationalProviders.h"
#include "olap/providers/RelationalSource.h"
#include "olap/recordset/CommandTarget.h"
#include "olap/recordset/Recordset.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace olap {

//! Where a connection keeps the rows of its recordsets, numbered as ADO numbers it.
enum class CursorLocation : int { Server = 2, Client = 3 };

//! An open connection to a data source, chosen by the connection string:
//! - a relational source (SQLite, ODBC, a workbook; see providers::ClassifyRelational), which
//!   runs SQL and lists its catalogs and tables;
//! - a cube source (`Provider=MSOLAP[.n]` or no provider): a Data Source (or Location) naming
//!   a `.cub` file opens a local cube; an http:// or https:// address or a server name goes to
//!   the remote OLAP provider (OpenRemoteOlapProvider).
//! A provider nothing here knows fails with a message naming the provider and the registry
//! value that would map it to an ODBC driver.
//!
//! Recordsets hold a shared pointer to their connection, so connections are made with
//! std::make_shared where recordsets are attached to them. Every failure throws: OlapError
//! (or MdxError for a statement) from cube sources, providers::RelationalError from relational
//! ones, always with a description the user can read; a failed call leaves the connection as
//! it was.
class Connection : public recordset::CommandTarget {
public:
    //! A closed connection; Open opens it.
    Connection() = default;
    //! A connection over an already opened cube provider.
    explicit Connection(std::unique_ptr<OlapProvider> provider);
    //! A connection over an already opened relational source.
    explicit Connection(std::unique_ptr<providers::RelationalSource> source);
    ~Connection() override;

    //! Opens a new connection on CONNECTIONSTRING (see Open).
    static std::unique_ptr<Connection> Connect(std::string_view connectionString);

    //! Opens CONNECTIONSTRING. A non-empty USER or PASSWORD replaces the string's User ID or
    //! Password; OPTIONS is accepted for compatibility (-1: none) and ignored. LOOKUP maps
    //! provider names to ODBC drivers; without one the default table is used
    //! (providers::DefaultProviderDriverLookup). Throws when the connection is open already,
    //! for a malformed string, and when the source cannot be opened.
    void Open(std::string_view connectionString, std::string_view user = {}, std::string_view password = {},
        long options = -1, const providers::ProviderDriverLookup& lookup = {});
    //! Closes the source. Closing a closed connection does nothing; recordsets already read
    //! stay readable.
    void Close();
    bool IsOpen() const { return m_olap || m_relational; }
    //! The string the connection was opened with (empty for one made over a provider).
    const std::string& ConnectionString() const { return m_connectionString; }

    CursorLocation GetCursorLocation() const { return m_cursorLocation; }
    //! Takes 2 (server) or 3 (client); anything else throws. Every recordset holds its rows on
    //! the client either way, so both read alike.
    void SetCursorLocation(int location);

    //! Whether the source holds cubes (MDX) or tables (SQL).
    bool IsOlap() const { return m_olap != nullptr; }
    bool IsRelational() const { return m_relational != nullptr; }

    //! Runs TEXT and returns its rows as an open, detached recordset whose Source is TEXT:
    //! SQL on a relational source; on a cube source a DRILLTHROUGH statement gives its detail
    //! rows and a SELECT its flattened cells (one column per row-axis hierarchy with the member
    //! captions, one per column position with the cell values). OPTIONS is ignored (-1: none).
    //! TIMEOUTSECONDS above 0 limits a relational statement's run time.
    recordset::Recordset Execute(std::string_view text, long options = -1, int timeoutSeconds = 0);
    recordset::Recordset ExecuteCommand(std::string_view text, int timeoutSeconds) override
    {
        return Execute(text, -1, timeoutSeconds);
    }

    //! Runs one MDX statement on a cube source within OPTIONS (memory budget, cancellation
    //! token; a query may run on a worker thread and be cancelled from another). Throws
    //! MdxError / OlapError (QueryCancelled when cancelled), and OlapError on a relational
    //! source.
    QueryResult ExecuteMdx(std::string_view mdx, const QueryOptions& options = {});

    //! Opens schema rowset SCHEMA as a recordset with the columns ADO gives it. RESTRICTIONS
    //! are matched in column order; an empty value leaves that column unrestricted:
    //! - Catalogs: CATALOG_NAME, DESCRIPTION; restriction: catalog name.
    //! - Tables: TABLE_CATALOG, TABLE_SCHEMA, TABLE_NAME, TABLE_TYPE, DESCRIPTION; restrictions:
    //!   catalog, schema, name, type ("Table" matches the base tables, compared without case;
    //!   views and system tables are not listed). A cube source has no tables.
    //! - Cubes, Dimensions, Hierarchies, Levels, Measures, Members (cube sources): the columns of
    //!   the provider's rowset; the first restriction is the catalog, the second the cube.
    //! Throws for a schema the source does not have.
    recordset::Recordset OpenSchema(SchemaEnum schema, const std::vector<std::string>& restrictions = {});

    //! See SchemaRowset / OlapProvider::Discover (cube sources only).
    SchemaRowset Discover(SchemaRowsetKind kind, std::string_view cube = {});
    //! Drops cached query results (cube sources; nothing for relational ones).
    void ClearCache();

    //! The cube provider; throws OlapError when the connection is closed or relational.
    OlapProvider& Provider();
    //! The relational source; throws OlapError when the connection is closed or holds cubes.
    providers::RelationalSource& Relational();

private:
    void RequireOpen() const;

    std::unique_ptr<OlapProvider> m_olap;
    std::unique_ptr<providers::RelationalSource> m_relational;
    std::string m_connectionString;
    CursorLocation m_cursorLocation = CursorLocation::Server;
};

} // namespace olap
