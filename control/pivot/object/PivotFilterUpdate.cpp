#include "control/pivot/object/PivotFilterUpdate.h"

#include "control/pivot/object/MemberCatalog.h"
#include "control/pivot/object/PivotMemberObject.h"

#include <algorithm>
#include <array>

namespace pivot {

namespace {
constexpr std::array kNames {DispatchName {"StateOf", PivotFilterUpdate::kStateOf}};
} // namespace

std::span<const DispatchName> PivotFilterUpdate::Names() const
{
    return kNames;
}

int PivotFilterUpdate::StateOf(const PivotMemberObject* member) const
{
    if (!member)
        return kNotIncluded;
    if (member->IsTotal() || member->GetKind() == PivotMemberObject::Kind::Top)
        return StateOfName({});
    return StateOfName(member->UniqueName());
}

int PivotFilterUpdate::StateOfName(const std::string& uniqueName) const
{
    if (!m_filter.IsActive() || m_filter.members.empty())
        return kIncluded;
    if (uniqueName.empty())
        return kPartlyIncluded;
    const bool include = m_filter.mode == PivotMemberFilter::Mode::Include;
    // Listed itself or under a listed member: the mode decides for it and all below it.
    std::vector<std::string> line;
    if (m_catalog)
        line = m_catalog->Ancestors(uniqueName);
    line.push_back(uniqueName);
    for (const std::string& listed : m_filter.members) {
        if (std::find(line.begin(), line.end(), listed) != line.end())
            return include ? kIncluded : kNotIncluded;
    }
    // Above a listed member: some of what lies below is kept and some not.
    if (m_catalog) {
        for (const std::string& listed : m_filter.members) {
            const std::vector<std::string> above = m_catalog->Ancestors(listed);
            if (std::find(above.begin(), above.end(), uniqueName) != above.end())
                return kPartlyIncluded;
        }
    }
    return include ? kNotIncluded : kIncluded;
}

platform::HResult PivotFilterUpdate::Invoke(platform::DispId id, platform::InvokeKind kind,
    std::vector<platform::Variant>& args, platform::Variant* result, platform::DispatchException* exception)
{
    if (kind == platform::InvokeKind::PropertyPut || id != kStateOf)
        return platform::kDispEMemberNotFound;
    if (args.size() != 1)
        return platform::kDispEBadParamCount;
    const auto member = std::dynamic_pointer_cast<PivotMemberObject>(args.front().toObject());
    if (!member && args.front().type() == platform::Variant::Type::Object && args.front().toObject())
        return DispatchFailure(exception, QStringLiteral("StateOf takes a member of the pivot table"));
    if (result)
        *result = static_cast<std::int32_t>(StateOf(member.get()));
    return platform::kSOk;
}

} // namespace pivot
