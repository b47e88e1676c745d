#pragma once

#include <string>

namespace pivot {

//! One level of a field set. A field that is not included is skipped: drilling a member of
//! the level above goes straight to the next included level.
struct PivotField {
    //! The level's unique name, e.g. "[Product].[Category]".
    std::string uniqueName;
    std::string caption;
    bool isIncluded = true;
    //! Every member of this level shown expanded (a level drill), apart from the field
    //! set's collapsed members.
    bool isExpanded = false;

    bool operator==(const PivotField&) const = default;
};

} // namespace pivot
