#pragma once

#include <string>

namespace pivot {

//! A label or value filter of a field set: only the members of its first shown field whose
//! caption (label filters, compared without regard to ASCII case) or whose value of a total
//! (value filters, read on the other field sets' totals) meets the condition stay. Like a top
//! filter it is taken before the member filter, and the field set's total counts only the
//! members it keeps.
struct PivotConditionFilter {
    enum class Kind {
        None,
        CaptionBeginsWith,
        CaptionNotBeginsWith,
        CaptionContains,
        CaptionNotContains,
        CaptionEquals,
        CaptionNotEquals,
        ValueGreater,
        ValueLess,
        ValueBetween,
        ValueNotBetween
    };

    Kind kind = Kind::None;
    //! The text a label filter compares captions with.
    std::string text;
    //! The total a value filter reads (a measure's unique name or a calculated total's name),
    //! and its bounds (VALUE alone for greater / less; VALUE..VALUE2, both included, for
    //! between).
    std::string byTotal;
    double value = 0;
    double value2 = 0;

    bool IsLabel() const { return kind >= Kind::CaptionBeginsWith && kind <= Kind::CaptionNotEquals; }
    bool IsValue() const { return kind >= Kind::ValueGreater; }
    bool IsActive() const { return IsLabel() || (IsValue() && !byTotal.empty()); }
    bool operator==(const PivotConditionFilter&) const = default;
};

} // namespace pivot
