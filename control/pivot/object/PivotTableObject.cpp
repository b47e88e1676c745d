#include "control/pivot/object/PivotTableObject.h"

#include "control/pivot/model/PivotMdxBuilder.h"
#include "control/pivot/object/MemberCatalog.h"
#include "control/pivot/object/PivotAxisObject.h"
#include "control/pivot/object/PivotCellObject.h"
#include "control/pivot/object/PivotFieldObject.h"
#include "control/pivot/object/PivotFieldSetObject.h"
#include "control/pivot/object/PivotMemberObject.h"
#include "control/pivot/object/PivotObjectList.h"
#include "control/pivot/object/PivotSelectionObject.h"
#include "control/pivot/object/PivotViewObject.h"

#include "olap/access/Connection.h"

#include <array>

namespace pivot {

namespace {
constexpr std::array kNames {
    DispatchName {"ActiveView", PivotTableObject::kActiveView},
    DispatchName {"Selection", PivotTableObject::kSelection},
    DispatchName {"DataMember", PivotTableObject::kDataMember},
    DispatchName {"ConnectionString", PivotTableObject::kConnectionString},
};
} // namespace

PivotTableObject::PivotTableObject(
    PivotDefinition definition, std::shared_ptr<const PivotLayout> layout, std::shared_ptr<olap::Connection> connection)
    : m_definition(std::move(definition)), m_layout(layout ? std::move(layout) : std::make_shared<const PivotLayout>()),
      m_connection(std::move(connection)), m_selection(std::make_shared<PivotSelectionObject>(nullptr))
{
    MemberCatalog::Runner run;
    if (m_connection)
        run = [connection = m_connection](const std::string& mdx) { return connection->ExecuteMdx(mdx); };
    m_catalog = std::make_shared<MemberCatalog>(std::move(run), m_definition.dataMember);
    m_view = std::make_shared<PivotViewObject>(m_definition, m_catalog);
}

std::span<const DispatchName> PivotTableObject::Names() const
{
    return kNames;
}

int PivotTableObject::ResultAxis(AxisKind kind) const
{
    const bool columns = !PivotMdxBuilder::Blocks(m_definition, AxisKind::Column).empty();
    const bool rows = !PivotMdxBuilder::Blocks(m_definition, AxisKind::Row).empty();
    if (kind == AxisKind::Column)
        return columns ? 0 : -1;
    if (!rows)
        return -1;
    return columns ? 1 : 0;
}

std::shared_ptr<PivotMemberObject> PivotTableObject::AxisMember(AxisKind kind, int position)
{
    const int axis = ResultAxis(kind);
    const olap::CellSet& result = m_layout->Result();
    if (axis < 0 || position < 0 || static_cast<std::size_t>(axis) >= result.axes.size())
        return nullptr;
    const auto& positions = result.axes[static_cast<std::size_t>(axis)].positions;
    if (static_cast<std::size_t>(position) >= positions.size())
        return nullptr;
    const olap::PositionTable::Position tuple = positions[static_cast<std::size_t>(position)];
    const std::vector<PivotAxisBlock> blocks = PivotMdxBuilder::Blocks(m_definition, kind);
    if (tuple.size() != blocks.size())
        return nullptr;

    const std::vector<PivotFieldSet>& definitions = m_definition.Axis(kind);
    const auto& fieldSets = m_view->Axis(kind)->FieldSets();
    std::shared_ptr<PivotMemberObject> member;
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        if (blocks[i].IsData())
            continue;
        const auto index = static_cast<std::size_t>(blocks[i].fieldSet - definitions.data());
        const std::shared_ptr<PivotFieldSetObject>& fieldSet = fieldSets[index];
        const olap::CellSet::Member& shown = tuple[i];
        if (shown.calculated || shown.uniqueName == PivotMdxBuilder::TotalMemberName(fieldSet->UniqueName())) {
            member = PivotMemberObject::Total(fieldSet, member, shown);
            continue;
        }
        m_catalog->Remember(shown);
        // The members above it that the axis shows (its ancestors on included fields), so
        // that walking parents passes every field around the cell.
        const std::vector<std::string> ancestors = m_catalog->Ancestors(shown.uniqueName);
        for (auto it = ancestors.rbegin(); it != ancestors.rend(); ++it) {
            std::optional<olap::CellSet::Member> above = m_catalog->Find(*it);
            if (!above)
                continue;
            auto field = fieldSet->FieldOfLevel(above->levelUniqueName);
            if (field && field->IsIncluded())
                member = PivotMemberObject::Axis(PivotMemberObject::Cube(fieldSet, std::move(*above)), member);
        }
        member = PivotMemberObject::Axis(PivotMemberObject::Cube(fieldSet, shown), member);
    }
    return member;
}

std::shared_ptr<PivotCellObject> PivotTableObject::CellAt(int valueRow, int valueColumn)
{
    const PivotLayout& layout = *m_layout;
    if (valueRow < 0 || valueColumn < 0 || valueRow >= layout.ValueRows() || valueColumn >= layout.ValueColumns())
        return nullptr;
    const PivotGridCell cell = layout.Cell(layout.HeaderRows() + valueRow, layout.HeaderColumns() + valueColumn);
    return std::make_shared<PivotCellObject>(AxisMember(AxisKind::Row, layout.Rows().SourcePosition(valueRow)),
        AxisMember(AxisKind::Column, layout.Columns().SourcePosition(valueColumn)), cell.value, cell.text);
}

bool PivotTableObject::Select(int row, int column)
{
    const PivotLayout& layout = *m_layout;
    std::shared_ptr<PivotCellObject> cell = CellAt(row - layout.HeaderRows(), column - layout.HeaderColumns());
    m_selection = std::make_shared<PivotSelectionObject>(cell);
    return cell != nullptr;
}

platform::HResult PivotTableObject::Invoke(platform::DispId id, platform::InvokeKind kind,
    std::vector<platform::Variant>& args, platform::Variant* result, platform::DispatchException* exception)
{
    (void)exception;
    if (kind == platform::InvokeKind::PropertyPut)
        return platform::kDispEMemberNotFound;
    if (!args.empty())
        return platform::kDispEBadParamCount;
    platform::Variant value;
    switch (id) {
    case kActiveView:
        value = ObjectVariant(m_view);
        break;
    case kSelection:
        value = ObjectVariant(m_selection);
        break;
    case kDataMember:
        value = QString::fromStdString(m_definition.dataMember);
        break;
    case kConnectionString:
        value = QString::fromStdString(m_definition.connectionString);
        break;
    default:
        return platform::kDispEMemberNotFound;
    }
    if (result)
        *result = std::move(value);
    return platform::kSOk;
}

} // namespace pivot
