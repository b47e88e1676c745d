#pragma once

#include <string>

namespace pivot {

//! A top or bottom N filter of a field set: only the COUNT members of its first shown field
//! with the largest (Top) or smallest (Bottom) value of the total BYTOTAL stay, and the field
//! set's total counts only them. It is taken before the member filter.
struct PivotTopFilter {
    enum class Mode { None, Top, Bottom };

    Mode mode = Mode::None;
    int count = 10;
    //! A measure's unique name or a calculated total's name.
    std::string byTotal;

    bool IsActive() const { return mode != Mode::None && count > 0 && !byTotal.empty(); }
    bool operator==(const PivotTopFilter&) const = default;
};

} // namespace pivot
