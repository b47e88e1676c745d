#include "olap/model/Member.h"

#include "olap/model/Level.h"

namespace olap {

const Hierarchy& Member::GetHierarchy() const
{
    return m_level->GetHierarchy();
}

int Member::Depth() const
{
    return m_level->Depth();
}

bool Member::IsAncestorOrSelfOf(const Member& other) const
{
    if (&other.GetHierarchy() != &GetHierarchy() || other.Depth() < Depth())
        return false;
    return other.m_leafBegin >= m_leafBegin && other.m_leafEnd <= m_leafEnd
        && (other.Depth() > Depth() || &other == this);
}

} // namespace olap
