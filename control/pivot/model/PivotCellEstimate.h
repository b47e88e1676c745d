#pragma once

#include <functional>
#include <optional>
#include <string>

namespace pivot {

struct PivotDefinition;
struct PivotFieldSet;

//! How many cells a view's query would bring, estimated before it runs from the sizes of
//! the levels it shows: a field set shows the members of its first shown level (fewer under
//! a member or top filter), plus the children of the members it expands and the next levels
//! of the levels it expands whole, plus its total; the field sets of an axis multiply, the
//! totals multiply the axis they lie on. An upper bound: empty rows the query drops are
//! counted. Used to ask before a query that would swamp the grid.
class PivotCellEstimate {
public:
    //! The level sizes the estimate reads: the member count of a level (by unique name), and
    //! the child count of a member (null or nothing: the level average). Nothing for a level
    //! it does not know makes the whole estimate unknown.
    struct Sizes {
        std::function<std::optional<double>(const std::string& level)> levelSize;
        std::function<std::optional<double>(const std::string& member)> childCount;
    };

    double rows = 1;
    double columns = 1;
    double cells = 1;
    //! The row or column field set that shows the most members, and how many (the one a
    //! filter helps most); empty without field sets.
    std::string largestFieldSet;
    double largestCount = 0;

    //! The estimate for DEFINITION; nothing for a view of a given statement or when a level
    //! size is unknown.
    static std::optional<PivotCellEstimate> Of(const PivotDefinition& definition, const Sizes& sizes);
    //! The members FIELDSET shows, or nothing when a level size is unknown.
    static std::optional<double> Members(const PivotFieldSet& fieldSet, const Sizes& sizes);
    //! CELLS as the question shows it: "About 25 M cells", "About 2.5 M cells", "About
    //! 1,250 M cells", "About 340,000 cells".
    static std::string Text(double cells);
};

} // namespace pivot
