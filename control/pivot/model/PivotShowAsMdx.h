#pragma once

#include "control/pivot/model/PivotDefinition.h"

#include <string>

namespace pivot {

//! The MDX of totals shown as something other than their own values.
//!
//! A shown-as total becomes a calculated measure named by PivotTotal::DisplayName whose
//! formula reads the total's own values on other cells: shares divide by the value on the
//! total members of the row or column field sets (`[Hierarchy].[Pivot Total]`, which
//! aggregate only what the filters keep, so shares add up to the totals the grid shows);
//! differences, running totals and ranks walk the base field set's members. Cells on the base
//! field set's own total show empty. A calculated total shown as something else keeps its
//! own formula under its own name, hidden, for the shown measure to read.
class PivotShowAsMdx {
public:
    //! Whether a total of DEFINITION is shown as something else.
    static bool Any(const PivotDefinition& definition);
    //! DEFINITION with every shown-as total turned into the calculated total that computes
    //! it, and sorts, top and value filters that name such a total reading the shown values.
    //! A top or value filter on a field set reads shares of the field set's unfiltered total
    //! (the filtered total depends on what the filter keeps). Throws PivotError for a setting
    //! that cannot be used (a missing or malformed base field or item, a shown name that
    //! another total already has).
    static PivotDefinition Expand(const PivotDefinition& definition);
    //! The MDX value expression of TOTAL's shown values in DEFINITION; "" when the total
    //! shows its own values. FILTERED: the field set whose top or value filter reads the
    //! formula; its total, and that of every field set keeping members by value, is taken over
    //! all their members.
    static std::string Formula(
        const PivotDefinition& definition, const PivotTotal& total, const PivotFieldSet* filtered = nullptr);
    //! The number format of TOTAL's shown values: the total's own, else a percentage for the
    //! share modes, whole numbers for a rank and two decimals for an index; "" keeps the
    //! engine's default.
    static std::string NumberFormat(const PivotTotal& total);
};

} // namespace pivot
