#pragma once

#include "olap/mdx/SelectStatement.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace olap::mdx {

enum class StatementKind {
    Select,
    Drillthrough, //!< DRILLTHROUGH [MAXROWS n] [FIRSTROWSET n] SELECT ... [RETURN columns]
};

//! One parsed MDX statement.
struct Statement {
    StatementKind kind = StatementKind::Select;
    SelectStatement select;
    std::optional<std::uint64_t> maxRows;
    std::optional<std::uint64_t> firstRowset;
    std::vector<ExprPtr> returnColumns;
    SourcePosition position;
};

} // namespace olap::mdx
