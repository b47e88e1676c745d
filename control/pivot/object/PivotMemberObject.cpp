#include "control/pivot/object/PivotMemberObject.h"

#include "control/pivot/object/MemberCatalog.h"
#include "control/pivot/object/PivotFieldObject.h"
#include "control/pivot/object/PivotFieldSetObject.h"
#include "control/pivot/object/PivotObjectList.h"

#include <array>

namespace pivot {

namespace {
constexpr std::array kNames {
    DispatchName {"IsTotal", PivotMemberObject::kIsTotal},
    DispatchName {"ParentMember", PivotMemberObject::kParentMember},
    DispatchName {"ChildMembers", PivotMemberObject::kChildMembers},
    DispatchName {"Field", PivotMemberObject::kField},
    DispatchName {"SourceMember", PivotMemberObject::kSourceMember},
    DispatchName {"Path", PivotMemberObject::kPath},
    DispatchName {"UniqueName", PivotMemberObject::kUniqueName},
    DispatchName {"Caption", PivotMemberObject::kCaption},
    DispatchName {"Name", PivotMemberObject::kName},
};
} // namespace

std::span<const DispatchName> PivotMemberObject::Names() const
{
    return kNames;
}

std::shared_ptr<PivotMemberObject> PivotMemberObject::Cube(
    std::shared_ptr<PivotFieldSetObject> fieldSet, olap::CellSet::Member member)
{
    if (fieldSet->Catalog())
        fieldSet->Catalog()->Remember(member);
    return std::shared_ptr<PivotMemberObject>(
        new PivotMemberObject(Kind::Cube, std::move(fieldSet), std::move(member)));
}

std::shared_ptr<PivotMemberObject> PivotMemberObject::Axis(
    std::shared_ptr<PivotMemberObject> source, std::shared_ptr<PivotMemberObject> axisParent)
{
    auto member
        = std::shared_ptr<PivotMemberObject>(new PivotMemberObject(Kind::Axis, source->m_fieldSet, source->m_member));
    member->m_source = std::move(source);
    member->m_axisParent = std::move(axisParent);
    return member;
}

std::shared_ptr<PivotMemberObject> PivotMemberObject::Total(std::shared_ptr<PivotFieldSetObject> fieldSet,
    std::shared_ptr<PivotMemberObject> axisParent, olap::CellSet::Member shown)
{
    auto member
        = std::shared_ptr<PivotMemberObject>(new PivotMemberObject(Kind::Total, std::move(fieldSet), std::move(shown)));
    member->m_axisParent = std::move(axisParent);
    return member;
}

std::shared_ptr<PivotMemberObject> PivotMemberObject::Top(std::shared_ptr<PivotFieldSetObject> fieldSet)
{
    olap::CellSet::Member top;
    top.caption = fieldSet->Caption();
    top.hierarchyUniqueName = fieldSet->UniqueName();
    return std::shared_ptr<PivotMemberObject>(new PivotMemberObject(Kind::Top, std::move(fieldSet), std::move(top)));
}

std::shared_ptr<PivotMemberObject> PivotMemberObject::ParentMember() const
{
    switch (m_kind) {
    case Kind::Axis:
    case Kind::Total:
        return m_axisParent;
    case Kind::Top:
        return nullptr;
    case Kind::Cube:
        break;
    }
    if (m_member.parentUniqueName.empty() || !m_fieldSet->Catalog())
        return nullptr;
    std::optional<olap::CellSet::Member> parent = m_fieldSet->Catalog()->Find(m_member.parentUniqueName);
    if (!parent)
        return nullptr;
    return Cube(m_fieldSet, std::move(*parent));
}

std::vector<std::shared_ptr<PivotMemberObject>> PivotMemberObject::TopLevelMembers() const
{
    std::vector<std::shared_ptr<PivotMemberObject>> members;
    const auto& fields = m_fieldSet->Fields();
    if (fields.empty() || !m_fieldSet->Catalog())
        return members;
    for (auto& member : m_fieldSet->Catalog()->LevelMembers(fields.front()->UniqueName()))
        members.push_back(Cube(m_fieldSet, std::move(member)));
    return members;
}

std::vector<std::shared_ptr<PivotMemberObject>> PivotMemberObject::ChildMembers() const
{
    if (m_kind == Kind::Total || m_kind == Kind::Top)
        return TopLevelMembers();
    std::vector<std::shared_ptr<PivotMemberObject>> children;
    if (!m_fieldSet->Catalog())
        return children;
    for (auto& child : m_fieldSet->Catalog()->Children(m_member.uniqueName))
        children.push_back(Cube(m_fieldSet, std::move(child)));
    return children;
}

std::shared_ptr<PivotFieldObject> PivotMemberObject::Field() const
{
    switch (m_kind) {
    case Kind::Top:
        return nullptr;
    case Kind::Total:
        return m_fieldSet->FirstIncludedField();
    case Kind::Axis:
    case Kind::Cube:
        break;
    }
    return m_fieldSet->FieldOfLevel(m_member.levelUniqueName);
}

std::shared_ptr<PivotMemberObject> PivotMemberObject::SourceMember() const
{
    switch (m_kind) {
    case Kind::Axis:
        return m_source;
    case Kind::Total:
        return nullptr;
    case Kind::Cube:
    case Kind::Top:
        break;
    }
    return std::const_pointer_cast<PivotMemberObject>(shared_from_this());
}

std::string PivotMemberObject::Path() const
{
    return m_kind == Kind::Total ? std::string() : m_member.uniqueName;
}

platform::HResult PivotMemberObject::Invoke(platform::DispId id, platform::InvokeKind kind,
    std::vector<platform::Variant>& args, platform::Variant* result, platform::DispatchException* exception)
{
    (void)exception;
    if (kind == platform::InvokeKind::PropertyPut)
        return platform::kDispEMemberNotFound;
    if (!args.empty())
        return platform::kDispEBadParamCount;
    platform::Variant value;
    switch (id) {
    case kIsTotal:
        value = IsTotal();
        break;
    case kParentMember:
        value = ObjectVariant(ParentMember());
        break;
    case kChildMembers:
        value = ObjectList(ChildMembers());
        break;
    case kField:
        value = ObjectVariant(Field());
        break;
    case kSourceMember:
        value = ObjectVariant(SourceMember());
        break;
    case kPath:
        value = QString::fromStdString(Path());
        break;
    case kUniqueName:
        value = QString::fromStdString(UniqueName());
        break;
    case kCaption:
    case kName:
        value = QString::fromStdString(Caption());
        break;
    default:
        return platform::kDispEMemberNotFound;
    }
    if (result)
        *result = std::move(value);
    return platform::kSOk;
}

} // namespace pivot
