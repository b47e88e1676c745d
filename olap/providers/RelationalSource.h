#pragma once

#include "olap/recordset/Recordset.h"

#include <string>
#include <string_view>
#include <vector>

namespace olap::providers {

//! An open relational data source (a SQLite file, an ODBC connection, a workbook). Sources
//! are opened by their own Open functions or by OpenRelationalSource and are open until Close
//! or destruction. Every failure throws RelationalError; after a failed statement the source
//! stays usable.
class RelationalSource {
public:
    virtual ~RelationalSource() = default;

    //! Short name of the kind of source ("SQLite", "ODBC", "Spreadsheet").
    virtual std::string Kind() const = 0;
    //! Runs SQL and returns all of its rows as an open, detached recordset whose Source is
    //! SQL, cursor on the first row. A statement without a result set gives a recordset with
    //! no fields that is not open. TIMEOUTSECONDS above 0 limits the run time (the recordset
    //! property "Command Time out"); a statement that runs longer fails with BadStatement.
    virtual recordset::Recordset Execute(std::string_view sql, int timeoutSeconds = 0) = 0;
    //! Names of the catalogs (databases) of the source, as the catalogs schema rowset lists
    //! them (CATALOG_NAME).
    virtual std::vector<std::string> Catalogs() = 0;
    //! Names of the base tables of the source (no views, no system tables), as the tables
    //! schema rowset lists them with type "Table" (TABLE_NAME).
    virtual std::vector<std::string> Tables() = 0;
    //! NAME (a table, schema or column) quoted for this source's SQL, quotes inside doubled:
    //! "name" by default, as standard SQL quotes identifiers.
    virtual std::string QuoteName(std::string_view name);
    //! Closes the source; later calls throw RelationalError. Closing twice does nothing.
    virtual void Close() = 0;
};

} // namespace olap::providers
