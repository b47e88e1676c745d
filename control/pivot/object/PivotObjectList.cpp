#include "control/pivot/object/PivotObjectList.h"

#include <array>

namespace pivot {

namespace {
constexpr std::array kNames {
    DispatchName {"Item", PivotObjectList::kItem}, DispatchName {"Count", PivotObjectList::kCount}};
} // namespace

std::span<const DispatchName> PivotObjectList::Names() const
{
    return kNames;
}

platform::Variant PivotObjectList::Item(int index) const
{
    if (index < 0 || index >= Count())
        return {};
    return m_items[static_cast<std::size_t>(index)];
}

platform::HResult PivotObjectList::Invoke(platform::DispId id, platform::InvokeKind kind,
    std::vector<platform::Variant>& args, platform::Variant* result, platform::DispatchException* exception)
{
    if (kind == platform::InvokeKind::PropertyPut)
        return platform::kDispEMemberNotFound;
    switch (id) {
    case kCount:
        if (!args.empty())
            return platform::kDispEBadParamCount;
        if (result)
            *result = Count();
        return platform::kSOk;
    case kItem: {
        if (args.size() != 1)
            return platform::kDispEBadParamCount;
        const int index = args.front().toInt();
        if (index < 0 || index >= Count())
            return DispatchFailure(exception, QStringLiteral("Index out of range: %1").arg(index));
        if (result)
            *result = Item(index);
        return platform::kSOk;
    }
    default:
        return platform::kDispEMemberNotFound;
    }
}

} // namespace pivot
