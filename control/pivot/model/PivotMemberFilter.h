#pragma once

#include <string>
#include <vector>

namespace pivot {

//! The member selection of a field set. Include keeps the listed members with their
//! ancestors and descendants; Exclude hides the listed members with their descendants.
//! Either way the totals of the view count only what stays visible.
struct PivotMemberFilter {
    enum class Mode { None, Include, Exclude };

    Mode mode = Mode::None;
    //! Member unique names, in the order the user picked them.
    std::vector<std::string> members;

    bool IsActive() const { return mode != Mode::None; }
    bool operator==(const PivotMemberFilter&) const = default;
};

} // namespace pivot
