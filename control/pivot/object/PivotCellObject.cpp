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
    return ReadOnlyProperty(kind, args, result, [&]() -> std::optional<platform::Variant> {
        switch (id) {
        case kRowMember:
            return platform::Variant(ObjectVariant(m_rowMember));
        case kColumnMember:
            return platform::Variant(ObjectVariant(m_columnMember));
        case kValue: {
            platform::Variant value;
            if (m_value)
                value = *m_value;
            return value;
        }
        case kText:
            return platform::Variant(QString::fromStdString(m_text));
        default:
            return std::nullopt;
        }
    });
}

} // namespace pivot
