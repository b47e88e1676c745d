#pragma once

#include "olap/mdx/AxisSpec.h"
#include "olap/mdx/Formula.h"

#include <memory>
#include <vector>

namespace olap::mdx {

//! `[WITH ...] SELECT [axes] FROM cube|(subselect) [WHERE slicer] [CELL PROPERTIES ...]`.
//! Exactly one of `cube` and `subselect` is set. Axes keep their written order; their
//! ordinals are distinct.
struct SelectStatement {
    std::vector<Formula> formulas;
    std::vector<AxisSpec> axes;
    ExprPtr cube; //!< an Identifier node
    std::unique_ptr<SelectStatement> subselect;
    ExprPtr slicer; //!< null without WHERE
    std::vector<ExprPtr> cellProperties; //!< Identifier nodes
    SourcePosition position; //!< of WITH or SELECT
};

} // namespace olap::mdx
