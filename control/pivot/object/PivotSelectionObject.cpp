#include "control/pivot/object/PivotSelectionObject.h"

#include "control/pivot/object/PivotCellObject.h"
#include "control/pivot/object/PivotObjectList.h"

#include <array>

namespace pivot {

namespace {
constexpr std::array kNames {DispatchName {"Cell", PivotSelectionObject::kCell}};
} // namespace

std::span<const DispatchName> PivotSelectionObject::Names() const
{
    return kNames;
}

platform::HResult PivotSelectionObject::Invoke(platform::DispId id, platform::InvokeKind kind,
    std::vector<platform::Variant>& args, platform::Variant* result, platform::DispatchException* exception)
{
    if (kind == platform::InvokeKind::PropertyPut || id != kCell)
        return platform::kDispEMemberNotFound;
    if (!args.empty())
        return platform::kDispEBadParamCount;
    if (!m_cell)
        return DispatchFailure(exception, QStringLiteral("The selection holds no cell"));
    if (result)
        *result = ObjectVariant(m_cell);
    return platform::kSOk;
}

} // namespace pivot
