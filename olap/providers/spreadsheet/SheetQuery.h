#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace olap::providers {

//! A query a worksheet answers: SELECT * or a column list FROM one sheet.
struct SheetQuery {
    //! Column names as written, brackets or quotes removed; empty for "*".
    std::vector<std::string> columns;
    //! The table as written, brackets or quotes removed ("Sheet1$").
    std::string table;
};

//! Reads "SELECT * FROM [Sheet1$]" and "SELECT [A], B FROM Sheet1$" (keywords in any case,
//! names in [ ], ` `, " " or bare, an optional ';' at the end). Nullopt for any other statement.
std::optional<SheetQuery> ParseSheetQuery(std::string_view sql);

} // namespace olap::providers
