#include "control/pivot/object/MemberCatalog.h"

#include "control/pivot/model/MdxNames.h"

#include <exception>
#include <utility>

namespace pivot {

MemberCatalog::MemberCatalog(Runner run, std::string cube)
    : m_run(std::move(run)), m_cube(MdxNames::IsUniqueName(cube) ? std::move(cube) : MdxNames::Quote(cube))
{
}

void MemberCatalog::Remember(const olap::CellSet::Member& member)
{
    if (!member.uniqueName.empty())
        m_members.try_emplace(member.uniqueName, member);
}

std::optional<std::vector<olap::CellSet::Member>> MemberCatalog::AxisMembers(const std::string& set)
{
    if (!m_run) {
        m_lastError = "the pivot table has no connection";
        return std::nullopt;
    }
    try {
        olap::QueryResult result = m_run("SELECT " + set + " ON COLUMNS FROM " + m_cube);
        std::vector<olap::CellSet::Member> members;
        if (!result.cellSet.axes.empty()) {
            for (const auto position : result.cellSet.axes.front().positions) {
                if (!position.empty())
                    members.push_back(position.front());
            }
        }
        for (const auto& member : members)
            Remember(member);
        return members;
    } catch (const std::exception& e) {
        m_lastError = e.what();
        return std::nullopt;
    }
}

std::optional<olap::CellSet::Member> MemberCatalog::Find(const std::string& uniqueName)
{
    if (auto it = m_members.find(uniqueName); it != m_members.end())
        return it->second;
    if (!MdxNames::IsUniqueName(uniqueName)) {
        m_lastError = "not a member name: " + uniqueName;
        return std::nullopt;
    }
    auto members = AxisMembers("{" + uniqueName + "}");
    if (!members || members->empty())
        return std::nullopt;
    // The source may spell the name otherwise (a key path, another case): keep both.
    m_members.try_emplace(uniqueName, members->front());
    return members->front();
}

std::vector<olap::CellSet::Member> MemberCatalog::Children(const std::string& uniqueName)
{
    std::vector<olap::CellSet::Member> result;
    if (auto it = m_children.find(uniqueName); it != m_children.end()) {
        for (const std::string& child : it->second)
            result.push_back(m_members.at(child));
        return result;
    }
    if (!MdxNames::IsUniqueName(uniqueName)) {
        m_lastError = "not a member name: " + uniqueName;
        return result;
    }
    if (auto known = m_members.find(uniqueName); known != m_members.end() && known->second.childCount == 0) {
        m_children[uniqueName];
        return result;
    }
    auto members = AxisMembers(uniqueName + ".Children");
    if (!members)
        return result;
    std::vector<std::string>& names = m_children[uniqueName];
    for (const auto& member : *members)
        names.push_back(member.uniqueName);
    return *members;
}

std::vector<olap::CellSet::Member> MemberCatalog::LevelMembers(const std::string& levelUniqueName)
{
    if (!MdxNames::IsUniqueName(levelUniqueName)) {
        m_lastError = "not a level name: " + levelUniqueName;
        return {};
    }
    return AxisMembers(levelUniqueName + ".Members").value_or(std::vector<olap::CellSet::Member> {});
}

std::vector<std::string> MemberCatalog::Ancestors(const std::string& uniqueName)
{
    std::vector<std::string> ancestors;
    std::optional<olap::CellSet::Member> member = Find(uniqueName);
    // A source that names a member its own ancestor must not make the walk endless.
    constexpr std::size_t kMaxDepth = 256;
    while (member && !member->parentUniqueName.empty() && ancestors.size() < kMaxDepth) {
        ancestors.push_back(member->parentUniqueName);
        member = Find(member->parentUniqueName);
    }
    return ancestors;
}

} // namespace pivot
