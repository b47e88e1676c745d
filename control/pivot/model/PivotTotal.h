#pragma once

#include "control/pivot/model/PivotTextStyle.h"

#include <string>

namespace pivot {

//! A value shown in the data area: a stored measure, or a calculated total with its own MDX
//! expression. NUMBERFORMAT (a format string such as "#,##0.00" or "Percent") overrides the
//! cube's format when set.
struct PivotTotal {
    //! A measure's unique name ("[Measures].[Unit Sales]"), or a calculated total's name.
    std::string name;
    //! The caption shown in headers; empty shows the measure's own caption or the name.
    std::string caption;
    //! The MDX value expression of a calculated total; empty for a stored measure.
    std::string expression;
    std::string numberFormat;
    //! Whether the total is shown in the data area (a calculated total can stay defined
    //! while hidden).
    bool isIncluded = true;
    //! The look of the total's values and caption.
    PivotTextStyle style {};

    bool IsCalculated() const { return !expression.empty(); }
    //! The unique name the MDX uses for this total.
    std::string UniqueName() const;
    bool operator==(const PivotTotal&) const = default;
};

} // namespace pivot
