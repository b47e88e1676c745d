#pragma once

#include "olap/mdx/Expr.h"

#include <vector>

namespace olap::mdx {

//! One axis of a SELECT: `[NON EMPTY] set [DIMENSION PROPERTIES p, ...] ON axis`.
//! `ordinal` is 0 for COLUMNS, 1 ROWS, 2 PAGES, 3 SECTIONS, 4 CHAPTERS, n for AXIS(n) or n.
struct AxisSpec {
    int ordinal = 0;
    bool nonEmpty = false;
    ExprPtr set;
    std::vector<ExprPtr> dimensionProperties; //!< Identifier nodes
    SourcePosition position; //!< where the axis clause starts
    SourcePosition namePosition; //!< of the axis name or number after ON
};

} // namespace olap::mdx
