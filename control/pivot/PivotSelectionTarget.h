#pragma once

#include "control/pivot/model/AxisKind.h"

#include <string>

namespace pivot {

class PivotLayout;
struct PivotDefinition;
struct PivotFieldSet;

//! What a grid cell stands for when a command acts on the selection: a field set (its
//! caption in the corner), a member of a field set (a row or column header, subtotals
//! included), a total (its caption in a header) or a value cell (the total it shows). Plain
//! data, worked out from the definition on show and its layout, so commands can be tested
//! without a grid.
struct PivotSelectionTarget {
    enum class Kind { None, FieldSet, Member, Total, Value };

    Kind kind = Kind::None;
    //! FieldSet, Member: the axis of the field set; Total: the axis its caption lies on;
    //! Value: Row.
    AxisKind axis = AxisKind::Row;
    //! The field set's hierarchy unique name (FieldSet, Member).
    std::string fieldSet;
    //! The member's unique name (Member; empty for a subtotal line).
    std::string member;
    //! The total's name as the definition holds it (Total, Value; a value cell of a view
    //! with one total names that one).
    std::string total;

    bool IsNone() const { return kind == Kind::None; }

    //! The target of grid cell (ROW, COLUMN) of LAYOUT, laid out from SHOWN. Out-of-range
    //! cells, gaps and grand totals without a field set are no target.
    static PivotSelectionTarget At(const PivotDefinition& shown, const PivotLayout& layout, int row, int column);
    //! The target of the chip of field set or total NAME in AREA's bar, resolved in DEFINITION
    //! (the definition being edited, which the bars show): a field set's chip is that field
    //! set (on AREA), a total's chip that total (on the axis the totals lie on). The Σ Values
    //! chip and names DEFINITION does not hold are no target.
    static PivotSelectionTarget ForChip(const PivotDefinition& definition, AxisKind area, const std::string& name);
    //! The field set behind header index FIELDSETINDEX of AXIS (the layout counts field
    //! sets that show a field), or null.
    static const PivotFieldSet* ShownFieldSet(const PivotDefinition& shown, AxisKind axis, int fieldSetIndex);
    //! The field set whose caption corner cell (ROW, COLUMN) of LAYOUT shows, or null: the
    //! corner's last row holds the row field captions, the rows above it the column ones.
    //! AXIS, when given, receives the field set's axis.
    static const PivotFieldSet* CornerFieldSet(
        const PivotDefinition& shown, const PivotLayout& layout, int row, int column, AxisKind* axis = nullptr);
};

} // namespace pivot
