#pragma once

#include "control/pivot/model/PivotDefinition.h"

namespace exporting {

//! What of a pivot view decides its print titles: the fields shown on the column and row
//! axes, the filter field sets, and which of the view's labels are visible.
struct PrintViewShape {
    //! Included fields over all field sets of the column (row) axis.
    int includedColumnFields = 0;
    int includedRowFields = 0;
    //! Field sets on the filter axis.
    int filterFieldSets = 0;
    //! The view's title bar and the axis labels (the captions above the column headers and
    //! left of the row headers, shown as drop areas while an axis is empty).
    bool titleBarVisible = true;
    bool columnLabelVisible = true;
    bool rowLabelVisible = true;

    //! The shape of DEFINITION's view with the given label switches.
    static PrintViewShape Of(
        const pivot::PivotDefinition& definition, bool titleBarVisible, bool columnLabelVisible, bool rowLabelVisible)
    {
        PrintViewShape shape;
        for (const pivot::PivotFieldSet& fieldSet : definition.columnAxis)
            shape.includedColumnFields += static_cast<int>(fieldSet.IncludedFields().size());
        for (const pivot::PivotFieldSet& fieldSet : definition.rowAxis)
            shape.includedRowFields += static_cast<int>(fieldSet.IncludedFields().size());
        shape.filterFieldSets = static_cast<int>(definition.filterAxis.size());
        shape.titleBarVisible = titleBarVisible;
        shape.columnLabelVisible = columnLabelVisible;
        shape.rowLabelVisible = rowLabelVisible;
        return shape;
    }
};

} // namespace exporting
