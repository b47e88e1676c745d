#include "olap/model/Hierarchy.h"

#include "olap/model/Level.h"
#include "olap/model/Member.h"

namespace olap {

Hierarchy::Hierarchy() = default;
Hierarchy::~Hierarchy() = default;

const Member* Hierarchy::DefaultMember() const
{
    if (m_allMember)
        return m_allMember;
    if (m_levelView.empty() || m_levelView.front()->Members().empty())
        return nullptr;
    return m_levelView.front()->Members().front();
}

std::span<const Member* const> Hierarchy::RootMembers() const
{
    if (m_levelView.empty())
        return {};
    return m_levelView.front()->Members();
}

} // namespace olap
