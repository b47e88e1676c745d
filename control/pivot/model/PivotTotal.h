#pragma once

#include "control/pivot/model/PivotShowAs.h"
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
    //! How the values are shown (as they are, as a share of a total, a running total ...).
    PivotShowAs showAs {};

    bool IsCalculated() const { return !expression.empty(); }
    //! The unique name the MDX uses for this total: the measure shown in the grid, which is a
    //! calculated measure named by DisplayName when the values are shown as something else.
    std::string UniqueName() const;
    //! The unique name of the total's own values, before any show-as calculation.
    std::string BaseUniqueName() const;
    //! The name of the shown measure: the total's name ("Unit Sales" for a stored measure),
    //! followed by what the show-as setting makes of it ("Unit Sales (% of row total)").
    std::string DisplayName() const;
    bool operator==(const PivotTotal&) const = default;
};

} // namespace pivot
