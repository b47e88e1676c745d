#pragma once

#include "control/pivot/model/PivotAxisBlock.h"
#include "control/pivot/model/PivotDefinition.h"

#include <string>
#include <vector>

namespace pivot {

//! Turns a pivot definition into the MDX SELECT that answers it.
//!
//! Each row or column field set becomes the members of its first included field, drilled
//! with DrilldownMember(..., RECURSIVE) into the expanded members (and into every member of
//! a fully expanded field), with fields that are not included drilled through and removed,
//! then Hierarchize'd and, when sorted, put in Order (ASC/DESC keep parents before their
//! children, so a sort holds on every drill). Field sets on one axis are crossed; each field
//! set with subtotals gets, per member, a tuple with the total member of every field set
//! inside it, and the axis ends with its grand total when that is switched on. A field
//! set's total member is a calculated member `[Hierarchy].[Pivot Total]` aggregating its
//! first included field, so a hierarchy without an All member has a total too.
//!
//! A member filter on a filter field set goes into the slicer as a set (the engine restricts
//! the stored rows to the slicer's members, like a sub-select), so every value counts only
//! the members the user kept. On a row or column field set the filter cuts the axis set to
//! the kept members with their ancestors and descendants, and the field set's total member
//! aggregates the kept members only. (The engine lets an axis member replace a slicer on the
//! same hierarchy, so a partly kept ancestor still shows its full value.) Calculated totals
//! become WITH MEMBER definitions on Measures, quoted so an expression cannot reach beyond
//! its own formula.
class PivotMdxBuilder {
public:
    static constexpr const char* kTotalMemberName = "Pivot Total";

    //! The MDX statement for DEFINITION (its command text as it is for a view of a given
    //! statement, PivotDefinition::IsRawQuery). Throws PivotError when there is no cube, when a name
    //! in the definition is not a well-formed unique name, or when a calculated total has no
    //! name. A field set with no included field shows nothing and is left out.
    static std::string Build(const PivotDefinition& definition);
    //! The unique name of the total member of hierarchy HIERARCHYUNIQUENAME.
    static std::string TotalMemberName(const std::string& hierarchyUniqueName);

    //! CONDITION in words, e.g. "caption contains 'oo'" or "[Measures].[Unit Sales] between 1
    //! and 5" (cell explanations, tooltips).
    static std::string ConditionText(const PivotConditionFilter& condition);

    //! The blocks of the view's AXIS (Row or Column) in tuple order: its field sets, with the
    //! totals inserted at their place when they lie on that axis. Field sets without an
    //! included field are left out.
    static std::vector<PivotAxisBlock> Blocks(const PivotDefinition& definition, AxisKind axis);
    //! Whether the query puts the view's rows on its first axis (ON COLUMNS), which it does
    //! when the view has nothing on columns.
    static bool RowsOnFirstAxis(const PivotDefinition& definition);
};

} // namespace pivot
