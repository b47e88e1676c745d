#include "olap/exec/MemberSet.h"

#include "olap/model/Level.h"
#include "olap/model/Member.h"

namespace olap {

MemberSet MemberSet::OfLevel(const Level& level)
{
    MemberSet set;
    set.hierarchy = &level.GetHierarchy();
    set.members.assign(level.Members().begin(), level.Members().end());
    return set;
}

MemberSet MemberSet::Of(const Member& m)
{
    MemberSet set;
    set.hierarchy = &m.GetHierarchy();
    set.members.push_back(&m);
    return set;
}

} // namespace olap
