#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace olap {

//! An OLE DB style connection string: `Key=Value` pairs separated by `;`, as the connect
//! dialog writes them (`Provider=MSOLAP.2; Data Source=/path/Sales.cub; Initial Catalog=Sales`).
//! Keys compare case-insensitively and ignore surrounding spaces; values are trimmed. A value
//! may be quoted with `"` or `'` (the quote doubled inside) to hold `;` or spaces at its ends;
//! a value in ODBC braces (`PWD={Top;Secret}`, `}}` inside for `}`) runs to its closing brace
//! and keeps its braces. A later duplicate key replaces the earlier one.
class ConnectionString {
public:
    //! Parses TEXT. Throws OlapError for a pair without `=`, an empty key or an unterminated
    //! quote or brace, naming the offending part (cut when long) but never a password or what
    //! follows one. Empty pairs (`;;`, a trailing `;`) are ignored.
    static ConnectionString Parse(std::string_view text);

    //! The value of KEY, or nullopt when it is absent.
    std::optional<std::string> Get(std::string_view key) const;
    //! The value of KEY, or FALLBACK.
    std::string GetOr(std::string_view key, std::string_view fallback) const;
    //! The pairs in the order they were written (keys as written).
    const std::vector<std::pair<std::string, std::string>>& Pairs() const { return m_pairs; }

private:
    std::vector<std::pair<std::string, std::string>> m_pairs;
};

} // namespace olap
