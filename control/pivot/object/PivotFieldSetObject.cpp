#include "control/pivot/object/PivotFieldSetObject.h"

#include "control/pivot/object/MemberCatalog.h"
#include "control/pivot/object/PivotFieldObject.h"
#include "control/pivot/object/PivotFilterUpdate.h"
#include "control/pivot/object/PivotMemberObject.h"
#include "control/pivot/object/PivotObjectList.h"

#include <array>

namespace pivot {

namespace {
constexpr std::array kNames {
    DispatchName {"Name", PivotFieldSetObject::kName},
    DispatchName {"UniqueName", PivotFieldSetObject::kName},
    DispatchName {"Caption", PivotFieldSetObject::kCaption},
    DispatchName {"Fields", PivotFieldSetObject::kFields},
    DispatchName {"FindMember", PivotFieldSetObject::kFindMember},
    DispatchName {"CreateFilterUpdate", PivotFieldSetObject::kCreateFilterUpdate},
    DispatchName {"TopMember", PivotFieldSetObject::kTopMember},
    DispatchName {"Orientation", PivotFieldSetObject::kOrientation},
};
} // namespace

PivotFieldSetObject::PivotFieldSetObject(
    PivotFieldSet definition, AxisKind axis, std::shared_ptr<MemberCatalog> catalog)
    : m_definition(std::move(definition)), m_axis(axis), m_catalog(std::move(catalog))
{
}

std::span<const DispatchName> PivotFieldSetObject::Names() const
{
    return kNames;
}

std::string PivotFieldSetObject::Caption() const
{
    return m_definition.caption.empty() ? m_definition.uniqueName : m_definition.caption;
}

std::vector<std::shared_ptr<PivotFieldObject>> PivotFieldSetObject::Fields()
{
    // Made on request: a field holds its field set, so the field set keeps none.
    std::vector<std::shared_ptr<PivotFieldObject>> fields;
    for (std::size_t i = 0; i < m_definition.fields.size(); ++i)
        fields.push_back(std::make_shared<PivotFieldObject>(shared_from_this(), static_cast<int>(i)));
    return fields;
}

std::shared_ptr<PivotFieldObject> PivotFieldSetObject::FieldOfLevel(const std::string& levelUniqueName)
{
    for (const auto& field : Fields()) {
        if (field->UniqueName() == levelUniqueName)
            return field;
    }
    return nullptr;
}

std::shared_ptr<PivotFieldObject> PivotFieldSetObject::FirstIncludedField()
{
    for (const auto& field : Fields()) {
        if (field->IsIncluded())
            return field;
    }
    return nullptr;
}

std::shared_ptr<PivotMemberObject> PivotFieldSetObject::FindMember(const std::string& path)
{
    if (!m_catalog || path.empty())
        return nullptr;
    std::optional<olap::CellSet::Member> member = m_catalog->Find(path);
    if (!member || member->hierarchyUniqueName != m_definition.uniqueName)
        return nullptr;
    return PivotMemberObject::Cube(shared_from_this(), std::move(*member));
}

std::shared_ptr<PivotMemberObject> PivotFieldSetObject::TopMember()
{
    return PivotMemberObject::Top(shared_from_this());
}

std::shared_ptr<PivotFilterUpdate> PivotFieldSetObject::CreateFilterUpdate()
{
    return std::make_shared<PivotFilterUpdate>(m_definition.filter, m_catalog);
}

platform::HResult PivotFieldSetObject::Invoke(platform::DispId id, platform::InvokeKind kind,
    std::vector<platform::Variant>& args, platform::Variant* result, platform::DispatchException* exception)
{
    if (kind == platform::InvokeKind::PropertyPut)
        return platform::kDispEMemberNotFound;
    const std::size_t wanted = id == kFindMember ? 1 : 0;
    if (args.size() != wanted)
        return platform::kDispEBadParamCount;
    platform::Variant value;
    switch (id) {
    case kName:
        value = QString::fromStdString(UniqueName());
        break;
    case kCaption:
        value = QString::fromStdString(Caption());
        break;
    case kFields:
        value = ObjectList(Fields());
        break;
    case kFindMember: {
        auto member = FindMember(args.front().toString().toStdString());
        if (!member)
            return DispatchFailure(exception, QStringLiteral("No member at path %1").arg(args.front().toString()));
        value = ObjectVariant(member);
        break;
    }
    case kCreateFilterUpdate:
        value = ObjectVariant(CreateFilterUpdate());
        break;
    case kTopMember:
        value = ObjectVariant(TopMember());
        break;
    case kOrientation:
        value = static_cast<std::int32_t>(m_axis);
        break;
    default:
        return platform::kDispEMemberNotFound;
    }
    if (result)
        *result = std::move(value);
    return platform::kSOk;
}

} // namespace pivot
