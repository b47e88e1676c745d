#pragma once

#include "control/pivot/model/AxisKind.h"
#include "control/pivot/model/PivotColorRule.h"
#include "control/pivot/model/PivotDisplayOptions.h"
#include "control/pivot/model/PivotFieldSet.h"
#include "control/pivot/model/PivotTotal.h"

#include <string>
#include <vector>

namespace pivot {

//! The whole state of a pivot view as the user built it: where it connects, the field sets
//! on the row, column and filter axes, the totals of the data area and the view switches.
//! Plain data: copying a definition copies the view; the MDX and the laid-out result are
//! derived from it (PivotMdxBuilder, PivotLayout) and its text form is PivotXml's.
struct PivotDefinition {
    PivotDisplayOptions display;
    //! The connection string the view opens, and the cube it asks (the data member).
    std::string connectionString;
    std::string dataMember;

    std::vector<PivotFieldSet> rowAxis;
    std::vector<PivotFieldSet> columnAxis;
    //! Field sets that only filter; a member filter on one of them slices the whole view.
    std::vector<PivotFieldSet> filterAxis;
    //! The totals of the data area, in display order.
    std::vector<PivotTotal> totals;
    //! Colour scales and data bars on the totals' value cells, at most one per total.
    std::vector<PivotColorRule> colorRules;
    //! Which axis the totals (the data field) lie on, Row or Column, and their place among
    //! that axis' field sets (-1: innermost).
    AxisKind totalsAxis = AxisKind::Column;
    int totalsPosition = -1;

    std::string titleCaption;
    //! An MDX statement the view shows as it is (its axes and cells, read-only) while no
    //! field set or total is placed; the first field placed makes the view a pivot of its own.
    std::string commandText;
    //! Hide rows and columns whose cells are all empty.
    bool nonEmpty = true;
    bool rowGrandTotals = true;
    bool columnGrandTotals = true;
    //! Whether the view is unfiltered (no member filter anywhere); kept as stored.
    bool isNotFiltered = true;

    //! Elements of the table and of the view this version does not know, kept as XML text
    //! in the order read, so that saving again loses nothing a later version wrote.
    std::vector<std::string> unknownTableElements;
    std::vector<std::string> unknownViewElements;

    //! The field sets of AXIS (Row, Column or Filter; Data has none).
    std::vector<PivotFieldSet>& Axis(AxisKind axis);
    const std::vector<PivotFieldSet>& Axis(AxisKind axis) const;
    //! The field set with hierarchy unique name NAME on any axis, or null.
    PivotFieldSet* FindFieldSet(const std::string& name);
    const PivotFieldSet* FindFieldSet(const std::string& name) const;
    //! The total named NAME (measure unique name or calculated total name), or null.
    const PivotTotal* FindTotal(const std::string& name) const;
    //! The totals shown in the data area.
    std::vector<const PivotTotal*> IncludedTotals() const;
    //! The colour rule of total NAME, or null.
    const PivotColorRule* FindColorRule(const std::string& name) const;
    //! Sets the colour rule of RULE.total, replacing the one it had.
    void SetColorRule(const PivotColorRule& rule);
    //! Takes the colour rule off total NAME. False when it had none.
    bool ClearColorRule(const std::string& name);
    //! Whether the view shows the result of COMMANDTEXT rather than a query of its own.
    bool IsRawQuery() const;

    bool operator==(const PivotDefinition&) const = default;
};

} // namespace pivot
