#pragma once

#include "control/pivot/model/PivotDefinition.h"
#include "control/pivot/model/PivotLayout.h"

#include <string>

namespace pivot {

//! "Why this number": what a value cell of the grid stands for, as plain text lines: the
//! value, its full tuple (every member behind it, by unique name, the field sets' totals
//! named as such), the total with the formula and format of a calculated one, the slicer
//! (filter field sets and what they keep), the member and top filters of the field sets on
//! rows and columns, and whether empty rows and columns are hidden.
class PivotCellExplanation {
public:
    //! The explanation of grid cell (ROW, COLUMN) of LAYOUT, laid out from DEFINITION; empty
    //! for a cell that is not a value.
    static std::string Explain(const PivotDefinition& definition, const PivotLayout& layout, int row, int column);
};

} // namespace pivot
