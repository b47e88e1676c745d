#pragma once

#include "control/pivot/model/SortDirection.h"

#include <string>

namespace pivot {

//! The sort of one field set: by member caption, or by the value of a total (a measure's
//! unique name or a calculated total's name). The sort applies to every level of the field
//! set, so members shown by a later drill arrive sorted too.
struct PivotSort {
    SortDirection direction = SortDirection::None;
    //! Empty: sort by caption. Otherwise the name of the total whose values give the order.
    std::string byTotal;

    bool IsActive() const { return direction != SortDirection::None; }
    bool operator==(const PivotSort&) const = default;
};

} // namespace pivot
