#include "control/pivot/object/PivotCellObject.h"

#include "control/pivot/object/PivotMemberObject.h"
#include "control/pivot/object/PivotObjectList.h"

#include <array>

namespace pivot {

namespace {
constexpr std::array kNames {
    DispatchName {"RowMember", PivotCellObject::kRowMember},
    DispatchName {"ColumnMember", PivotCellObject::kColumnMember},
    DispatchName {"Value", PivotCellObject::kValue},
    DispatchName {"FormattedValue", PivotCellObject::kText},
};
} // namespace

std::span<const DispatchName> PivotCellObject::Names() const
{
    return kNames;
}

platform::HResult PivotCellObject::Invoke(platform::DispId id, platform::InvokeKind kind,
    std::vector<platform::Variant>& args, platform::Variant* result, platform::DispatchException* exception)
{
    (void)exception;
    if (kind == platform::InvokeKind::PropertyPut)
        return platform::kDispEMemberNotFound;
    if (!args.empty())
        return platform::kDispEBadParamCount;
    platform::Variant value;
    switch (id) {
    case kRowMember:
        value = ObjectVariant(m_rowMember);
        break;
    case kColumnMember:
        value = ObjectVariant(m_columnMember);
        break;
    case kValue:
        if (m_value)
            value = *m_value;
        break;
    case kText:
        value = QString::fromStdString(m_text);
        break;
    default:
        return platform::kDispEMemberNotFound;
    }
    if (result)
        *result = std::move(value);
    return platform::kSOk;
}

} // namespace pivot
