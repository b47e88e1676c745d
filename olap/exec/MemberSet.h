#pragma once

#include <vector>

namespace olap {

class Hierarchy;
class Level;
class Member;

//! Members of one hierarchy, as an axis grouping (one cell position per
//! member, members of different levels allowed: subtotals) or as a slicer
//! filter (fact rows under any of the members).
struct MemberSet {
    const Hierarchy* hierarchy = nullptr;
    std::vector<const Member*> members;

    //! All members of LEVEL, in level order.
    static MemberSet OfLevel(const Level& level);
    //! The single member M.
    static MemberSet Of(const Member& m);
};

} // namespace olap
