#pragma once

#include "control/pivot/PivotCubeFields.h"
#include "control/pivot/model/AxisKind.h"
#include "control/pivot/model/PivotDefinition.h"

#include <functional>
#include <string>

namespace pivot {

//! The layout changes a user makes with the field list and the area bars, as edits of a
//! definition: place a hierarchy or a measure on an area, move it, remove it, show or hide
//! a level. A hierarchy appears on one axis only, so placing one that is already in the view
//! moves it, with its filter, sort, subtotal switch and expansion. Each edit returns false
//! and leaves the definition as it was when it cannot apply (a hierarchy on the data area,
//! an unknown name, hiding the last level shown).
//!
//! Positions count the field sets of the target axis (or the shown totals for the data
//! area) as they are before the edit, so a drop indicator drawn between two chips gives the
//! position directly; -1 or a position past the end appends.
class PivotLayoutEdit {
public:
    //! Places HIERARCHY on AXIS (Row, Column or Filter) at POSITION. A new field set shows the
    //! levels from FROMLEVEL down (the ones above it are kept but not included).
    static bool PlaceFieldSet(PivotDefinition& definition, const PivotCubeFields::Hierarchy& hierarchy, AxisKind axis,
        int position, int fromLevel = 0);
    //! Moves the field set NAME, already in the view, to AXIS at POSITION.
    static bool MoveFieldSet(PivotDefinition& definition, const std::string& name, AxisKind axis, int position);
    static bool RemoveFieldSet(PivotDefinition& definition, const std::string& name);

    //! Shows the total NAME (a measure's unique name or a calculated total's name) at
    //! POSITION among the shown totals, adding a stored measure with CAPTION when the view
    //! does not have it yet.
    static bool PlaceTotal(
        PivotDefinition& definition, const std::string& name, const std::string& caption, int position);
    //! Takes total NAME out of the data area: a stored measure is dropped, a calculated total
    //! stays defined but hidden, so its formula is not lost.
    static bool RemoveTotal(PivotDefinition& definition, const std::string& name);

    //! Puts the totals (the Σ Values chip) on AXIS (Row or Column) at POSITION among its
    //! field sets (-1 or past the end: innermost).
    static bool MoveTotals(PivotDefinition& definition, AxisKind axis, int position);

    //! Shows or hides level LEVEL of field set FIELDSET. Hiding the last level shown fails:
    //! remove the field set instead.
    static bool SetFieldIncluded(
        PivotDefinition& definition, const std::string& fieldSet, const std::string& level, bool included);

    //! Expands (or collapses) every member of level LEVEL of field set FIELDSET. Members of
    //! that level the user expanded or collapsed one by one are reset, so the whole level
    //! follows; LEVELOF gives a member's level unique name (empty: unknown, then every
    //! member's own setting is reset).
    static bool SetLevelExpanded(PivotDefinition& definition, const std::string& fieldSet, const std::string& level,
        bool expanded, const std::function<std::string(const std::string&)>& levelOf = {});

    //! Where field set NAME lies (its axis and index), or false.
    static bool Locate(const PivotDefinition& definition, const std::string& name, AxisKind* axis, int* index);
    //! The index in DEFINITION.totals of the shown total NAME, or -1.
    static int TotalIndex(const PivotDefinition& definition, const std::string& name);
};

} // namespace pivot
