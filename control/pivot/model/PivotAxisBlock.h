#pragma once

#include "control/pivot/model/PivotFieldSet.h"

namespace pivot {

//! One member slot of the tuples on a query axis: a field set, or the totals of the data
//! area (FIELDSET null). BANDS is the number of header bands it takes in the grid: one per
//! included field, one for the totals.
struct PivotAxisBlock {
    const PivotFieldSet* fieldSet = nullptr;
    int bands = 1;
    bool IsData() const { return fieldSet == nullptr; }
};

} // namespace pivot
