#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace drill {

//! The members of one field set that a drill-through cell stands on: one member (a tuple
//! coordinate) or several (the rows under any of them).
struct DrillGroup {
    std::vector<std::string> members;
};

//! The text of a drill-through statement. Member names go into the text exactly as given:
//! nothing in the text is searched and replaced afterwards.
class DrillStatement {
public:
    //! The statement for a cell over cube DATAMEMBER standing on GROUPS, in order:
    //! "DRILLTHROUGH SELECT FROM Sales WHERE (a, b)" when every group holds one member,
    //! "... WHERE CrossJoin({a}, {b1, b2})" when one holds several (the rows under any of
    //! them; the single-member form is kept otherwise), and no WHERE clause without groups
    //! (the whole cube). A data member that is no plain name is bracketed.
    static std::string Build(std::string_view dataMember, const std::vector<DrillGroup>& groups);
    //! STATEMENT with "MAXROWS MAXROWS" after its leading DRILLTHROUGH keyword (only there);
    //! "" for a row limit of 0 or less, which sends nothing. A statement that does not start
    //! with the keyword is returned unchanged.
    static std::string WithRowLimit(std::string_view statement, int maxRows);
};

} // namespace drill
