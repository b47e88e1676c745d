#include "control/pivot/object/PivotViewObject.h"

#include "control/pivot/object/PivotAxisObject.h"
#include "control/pivot/object/PivotFieldSetObject.h"
#include "control/pivot/object/PivotObjectList.h"

#include <array>

namespace pivot {

namespace {
constexpr std::array kNames {
    DispatchName {"RowAxis", PivotViewObject::kRowAxis},
    DispatchName {"ColumnAxis", PivotViewObject::kColumnAxis},
    DispatchName {"FilterAxis", PivotViewObject::kFilterAxis},
    DispatchName {"TitleCaption", PivotViewObject::kTitleCaption},
};

std::shared_ptr<PivotAxisObject> MakeAxis(
    const PivotDefinition& definition, AxisKind kind, const std::shared_ptr<MemberCatalog>& catalog)
{
    std::vector<std::shared_ptr<PivotFieldSetObject>> fieldSets;
    for (const PivotFieldSet& fieldSet : definition.Axis(kind))
        fieldSets.push_back(std::make_shared<PivotFieldSetObject>(fieldSet, kind, catalog));
    return std::make_shared<PivotAxisObject>(kind, std::move(fieldSets));
}
} // namespace

PivotViewObject::PivotViewObject(const PivotDefinition& definition, const std::shared_ptr<MemberCatalog>& catalog)
    : m_rows(MakeAxis(definition, AxisKind::Row, catalog)), m_columns(MakeAxis(definition, AxisKind::Column, catalog)),
      m_filters(MakeAxis(definition, AxisKind::Filter, catalog)), m_title(definition.titleCaption)
{
}

std::span<const DispatchName> PivotViewObject::Names() const
{
    return kNames;
}

std::shared_ptr<PivotAxisObject> PivotViewObject::Axis(AxisKind kind) const
{
    switch (kind) {
    case AxisKind::Row:
        return m_rows;
    case AxisKind::Column:
        return m_columns;
    case AxisKind::Filter:
        return m_filters;
    case AxisKind::Data:
        break;
    }
    return nullptr;
}

platform::HResult PivotViewObject::Invoke(platform::DispId id, platform::InvokeKind kind,
    std::vector<platform::Variant>& args, platform::Variant* result, platform::DispatchException* exception)
{
    (void)exception;
    return ReadOnlyProperty(kind, args, result, [&]() -> std::optional<platform::Variant> {
        switch (id) {
        case kRowAxis:
            return platform::Variant(ObjectVariant(m_rows));
        case kColumnAxis:
            return platform::Variant(ObjectVariant(m_columns));
        case kFilterAxis:
            return platform::Variant(ObjectVariant(m_filters));
        case kTitleCaption:
            return platform::Variant(QString::fromStdString(m_title));
        default:
            return std::nullopt;
        }
    });
}

} // namespace pivot
