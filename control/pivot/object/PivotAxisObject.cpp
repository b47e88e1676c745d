#include "control/pivot/object/PivotAxisObject.h"

#include "control/pivot/object/PivotFieldSetObject.h"
#include "control/pivot/object/PivotObjectList.h"

#include <array>

namespace pivot {

namespace {
constexpr std::array kNames {
    DispatchName {"FieldSets", PivotAxisObject::kFieldSets},
    DispatchName {"Orientation", PivotAxisObject::kOrientation},
};
} // namespace

std::span<const DispatchName> PivotAxisObject::Names() const
{
    return kNames;
}

platform::HResult PivotAxisObject::Invoke(platform::DispId id, platform::InvokeKind kind,
    std::vector<platform::Variant>& args, platform::Variant* result, platform::DispatchException* exception)
{
    (void)exception;
    if (kind == platform::InvokeKind::PropertyPut)
        return platform::kDispEMemberNotFound;
    if (!args.empty())
        return platform::kDispEBadParamCount;
    platform::Variant value;
    switch (id) {
    case kFieldSets:
        value = ObjectList(m_fieldSets);
        break;
    case kOrientation:
        value = static_cast<std::int32_t>(m_kind);
        break;
    default:
        return platform::kDispEMemberNotFound;
    }
    if (result)
        *result = std::move(value);
    return platform::kSOk;
}

} // namespace pivot
