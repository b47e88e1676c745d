#include "control/pivot/object/PivotFieldObject.h"

#include "control/pivot/object/PivotFieldSetObject.h"
#include "control/pivot/object/PivotObjectList.h"

#include <array>

namespace pivot {

namespace {
constexpr std::array kNames {
    DispatchName {"Name", PivotFieldObject::kName},
    DispatchName {"UniqueName", PivotFieldObject::kName},
    DispatchName {"Caption", PivotFieldObject::kCaption},
    DispatchName {"FieldSet", PivotFieldObject::kFieldSet},
    DispatchName {"IsIncluded", PivotFieldObject::kIsIncluded},
};

const PivotField& FieldOf(const PivotFieldSetObject& fieldSet, int index)
{
    return fieldSet.Definition().fields[static_cast<std::size_t>(index)];
}
} // namespace

std::span<const DispatchName> PivotFieldObject::Names() const
{
    return kNames;
}

const std::string& PivotFieldObject::UniqueName() const
{
    return FieldOf(*m_fieldSet, m_index).uniqueName;
}

std::string PivotFieldObject::Caption() const
{
    const PivotField& field = FieldOf(*m_fieldSet, m_index);
    return field.caption.empty() ? field.uniqueName : field.caption;
}

bool PivotFieldObject::IsIncluded() const
{
    return FieldOf(*m_fieldSet, m_index).isIncluded;
}

platform::HResult PivotFieldObject::Invoke(platform::DispId id, platform::InvokeKind kind,
    std::vector<platform::Variant>& args, platform::Variant* result, platform::DispatchException* exception)
{
    (void)exception;
    if (kind == platform::InvokeKind::PropertyPut)
        return platform::kDispEMemberNotFound;
    if (!args.empty())
        return platform::kDispEBadParamCount;
    platform::Variant value;
    switch (id) {
    case kName:
        value = QString::fromStdString(UniqueName());
        break;
    case kCaption:
        value = QString::fromStdString(Caption());
        break;
    case kFieldSet:
        value = ObjectVariant(m_fieldSet);
        break;
    case kIsIncluded:
        value = IsIncluded();
        break;
    default:
        return platform::kDispEMemberNotFound;
    }
    if (result)
        *result = std::move(value);
    return platform::kSOk;
}

} // namespace pivot
