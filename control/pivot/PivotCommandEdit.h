#pragma once

#include "control/pivot/PivotSelectionTarget.h"
#include "control/pivot/model/SortDirection.h"

#include <string>

namespace pivot {

struct PivotDefinition;
struct PivotFieldSet;
struct PivotTotal;

//! The view-editing commands of the pivot table's command list as plain functions on a
//! definition. Each acts on the selection (a PivotSelectionTarget); with nothing selected it
//! falls back to the first row field set (else the first column field set) and the first
//! shown total. A command that finds nothing to act on returns false and says why.
class PivotCommandEdit {
public:
    //! Sort ascending or descending:
    //! - a field set or one of its members: that field set, by caption;
    //! - a total's caption: the innermost field set of the other axis (else of its own), by
    //!   that total;
    //! - a value cell: the innermost row field set (else the innermost column one), by the
    //!   cell's total;
    //! - nothing: the first row field set (else the first column one), by the first shown
    //!   total, by caption when there is none.
    static bool Sort(PivotDefinition& definition, const PivotSelectionTarget& target, SortDirection direction,
        std::string* why = nullptr);
    //! Adds a calculated total that starts as a copy of the selected total (a total's
    //! caption or a value cell), else of the first shown total: expression, number format and
    //! look. Returns its name ("New Total", "New Total 2", ...), or "" when there is no total
    //! to start from.
    static std::string CreateCalculatedTotal(
        PivotDefinition& definition, const PivotSelectionTarget& target, std::string* why = nullptr);
    //! Switches the subtotals of the target field set; returns false without one.
    static bool ToggleSubtotals(PivotDefinition& definition, const PivotSelectionTarget& target);

    //! The field set a field set command acts on: the selected one (a field set or a member),
    //! else the first row field set, else the first column one; null when there is none.
    static PivotFieldSet* TargetFieldSet(PivotDefinition& definition, const PivotSelectionTarget& target);
    static const PivotFieldSet* TargetFieldSet(const PivotDefinition& definition, const PivotSelectionTarget& target);
    //! The total a total command acts on: the selected one (a total's caption or a value
    //! cell), else the first shown total; null when there is none.
    static const PivotTotal* TargetTotal(const PivotDefinition& definition, const PivotSelectionTarget& target);
};

} // namespace pivot
