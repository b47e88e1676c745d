#pragma once

#include <iosfwd>
#include <optional>
#include <string>

namespace lumetra_mdx {

//! Runs a relational request when the connection string names a relational
//! source (SQLite, ODBC, a workbook): --sql prints the recordset as CSV with a
//! header line, --discover catalogs|tables prints the schema rowset.
//! Returns nullopt when the connection is not relational (a cube); throws
//! with the provider's message when the source cannot be opened or the
//! statement fails. Provider names map to ODBC drivers through the
//! machine-wide registry key ...\Lumetra\Lumetra\Providers.
std::optional<int> RunRelational(
    const std::string& connection, const std::string& sql, const std::string& discover, std::ostream& out);

} // namespace lumetra_mdx
