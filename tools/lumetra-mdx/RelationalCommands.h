#pragma once

#include <iosfwd>
#include <string>

namespace olap {
class Connection;
}

namespace lumetra_mdx {

//! Runs a relational request on CONNECTION (a relational source): --sql prints the
//! recordset as CSV with a header line, --discover catalogs|tables prints the schema rowset
//! (catalogs: CATALOG_NAME; tables: TABLE_NAME,TABLE_TYPE). Throws with the provider's
//! message when the statement fails.
int RunRelational(olap::Connection& connection, const std::string& sql, const std::string& discover, std::ostream& out);

} // namespace lumetra_mdx
