#include "control/pivot/PivotSelectionTarget.h"

#include "control/pivot/model/PivotDefinition.h"
#include "control/pivot/model/PivotLayout.h"

#include <algorithm>

namespace pivot {

const PivotFieldSet* PivotSelectionTarget::ShownFieldSet(const PivotDefinition& shown, AxisKind axis, int fieldSetIndex)
{
    if (fieldSetIndex < 0 || (axis != AxisKind::Row && axis != AxisKind::Column))
        return nullptr;
    int seen = 0;
    for (const PivotFieldSet& fieldSet : shown.Axis(axis)) {
        if (fieldSet.IncludedFields().empty())
            continue;
        if (seen++ == fieldSetIndex)
            return &fieldSet;
    }
    return nullptr;
}

const PivotFieldSet* PivotSelectionTarget::CornerFieldSet(
    const PivotDefinition& shown, const PivotLayout& layout, int row, int column, AxisKind* axis)
{
    // The corner's last row holds the row field captions; the rows above it, over the row
    // headers, the column field captions.
    const bool rows = row == layout.HeaderRows() - 1 && column < layout.HeaderColumns();
    int index = -1;
    if (rows && layout.Rows().PositionCount() > 0)
        index = layout.Rows().CellAt(column, 0).fieldSetIndex;
    else if (!rows && row < layout.Columns().BandCount() && layout.Columns().PositionCount() > 0)
        index = layout.Columns().CellAt(row, 0).fieldSetIndex;
    const AxisKind found = rows ? AxisKind::Row : AxisKind::Column;
    if (axis)
        *axis = found;
    return ShownFieldSet(shown, found, index);
}

PivotSelectionTarget PivotSelectionTarget::ForChip(
    const PivotDefinition& definition, AxisKind area, const std::string& name)
{
    PivotSelectionTarget target;
    if (area == AxisKind::Data) {
        const PivotTotal* total = definition.FindTotal(name);
        if (total && total->isIncluded) {
            target.kind = Kind::Total;
            target.axis = definition.totalsAxis;
            target.total = total->name;
        }
        return target;
    }
    const auto& fieldSets = definition.Axis(area);
    if (std::any_of(fieldSets.begin(), fieldSets.end(), [&](const PivotFieldSet& f) { return f.uniqueName == name; })) {
        target.kind = Kind::FieldSet;
        target.axis = area;
        target.fieldSet = name;
    }
    return target;
}

PivotSelectionTarget PivotSelectionTarget::At(
    const PivotDefinition& shown, const PivotLayout& layout, int row, int column)
{
    PivotSelectionTarget target;
    if (row < 0 || column < 0 || row >= layout.RowCount() || column >= layout.ColumnCount())
        return target;
    const PivotGridCell cell = layout.Cell(row, column);
    auto totalName = [&](const std::string& uniqueName) {
        const PivotTotal* total = shown.FindTotal(uniqueName);
        return total ? total->name : std::string();
    };
    auto setFieldSet = [&](AxisKind axis, int index) {
        if (const PivotFieldSet* fieldSet = ShownFieldSet(shown, axis, index)) {
            target.axis = axis;
            target.fieldSet = fieldSet->uniqueName;
            return true;
        }
        return false;
    };
    switch (cell.kind) {
    case PivotGridCell::Kind::Value: {
        std::string total = layout.Columns().TotalAt(column - layout.HeaderColumns());
        if (total.empty())
            total = layout.Rows().TotalAt(row - layout.HeaderRows());
        target.total = totalName(total);
        const auto included = shown.IncludedTotals();
        if (target.total.empty() && included.size() == 1)
            target.total = included.front()->name;
        target.kind = Kind::Value;
        target.axis = AxisKind::Row;
        return target;
    }
    case PivotGridCell::Kind::RowHeader:
    case PivotGridCell::Kind::ColumnHeader: {
        const AxisKind axis = cell.kind == PivotGridCell::Kind::RowHeader ? AxisKind::Row : AxisKind::Column;
        if (!cell.header)
            return target;
        const PivotHeaderCell& header = *cell.header;
        if (header.kind == PivotHeaderCell::Kind::Total) {
            target.total = totalName(header.uniqueName);
            if (!target.total.empty()) {
                target.kind = Kind::Total;
                target.axis = axis;
            }
            return target;
        }
        if (header.kind == PivotHeaderCell::Kind::Empty || !setFieldSet(axis, header.fieldSetIndex))
            return target;
        target.kind = Kind::Member;
        target.member = header.kind == PivotHeaderCell::Kind::Member ? header.uniqueName : std::string();
        return target;
    }
    case PivotGridCell::Kind::Corner: {
        AxisKind axis = AxisKind::Row;
        if (const PivotFieldSet* fieldSet = CornerFieldSet(shown, layout, row, column, &axis)) {
            target.axis = axis;
            target.fieldSet = fieldSet->uniqueName;
            target.kind = Kind::FieldSet;
        }
        return target;
    }
    }
    return target;
}

} // namespace pivot
