#pragma once

#include <string>

namespace pivot {

//! One merged cell of a header area (the row headers or the column headers). Along the
//! axis it covers SPAN visible positions from POSITION; across it covers DEPTH header bands
//! from BAND (a band is a column of row headers or a row of column headers).
struct PivotHeaderCell {
    enum class Kind {
        Member, //!< a member of a field set
        Subtotal, //!< the total of the member before it (its children or inner field sets)
        GrandTotal, //!< the total of the whole axis
        Total, //!< a total (measure) of the data area
        Empty //!< a gap where a level is skipped
    };

    Kind kind = Kind::Member;
    std::string caption;
    //! The member's or measure's unique name; empty for subtotals and gaps.
    std::string uniqueName;
    int position = 0;
    int span = 1;
    int band = 0;
    int depth = 1;
    //! Index of the field set among the axis' field sets (-1 for totals of the data area).
    int fieldSetIndex = -1;
    //! A member that has children on an included field below (can be expanded).
    bool hasChildren = false;
    //! A member shown with its children.
    bool isExpanded = false;

    bool IsTotal() const { return kind == Kind::Subtotal || kind == Kind::GrandTotal; }
};

} // namespace pivot
