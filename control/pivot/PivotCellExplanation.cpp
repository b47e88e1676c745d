#include "control/pivot/PivotCellExplanation.h"

#include "control/pivot/model/PivotMdxBuilder.h"
#include "control/pivot/model/PivotShowAsMdx.h"

namespace pivot {

namespace {

std::string FilterText(const PivotFieldSet& fieldSet)
{
    std::string text;
    if (fieldSet.filter.IsActive() && !fieldSet.filter.members.empty()) {
        text += fieldSet.filter.mode == PivotMemberFilter::Mode::Include ? "only " : "all but ";
        for (std::size_t i = 0; i < fieldSet.filter.members.size(); ++i)
            text += (i ? ", " : "") + fieldSet.filter.members[i];
    }
    if (fieldSet.top.IsActive()) {
        if (!text.empty())
            text += "; ";
        text += std::string(fieldSet.top.mode == PivotTopFilter::Mode::Top ? "top " : "bottom ")
            + std::to_string(fieldSet.top.count) + " by " + fieldSet.top.byTotal;
    }
    if (fieldSet.condition.IsActive()) {
        if (!text.empty())
            text += "; ";
        text += PivotMdxBuilder::ConditionText(fieldSet.condition);
    }
    return text;
}

std::string Name(const PivotFieldSet& fieldSet)
{
    return fieldSet.caption.empty() ? fieldSet.uniqueName : fieldSet.caption + " " + fieldSet.uniqueName;
}

} // namespace

std::string PivotCellExplanation::Explain(
    const PivotDefinition& definition, const PivotLayout& layout, int row, int column)
{
    if (row < layout.HeaderRows() || column < layout.HeaderColumns() || row >= layout.RowCount()
        || column >= layout.ColumnCount())
        return {};
    const PivotGridCell cell = layout.Cell(row, column);
    if (cell.kind != PivotGridCell::Kind::Value)
        return {};
    std::string text = "Value: " + (cell.value ? cell.text : std::string("(empty)")) + "\n";
    text += "Tuple:\n";
    const PivotTotal* total = nullptr;
    for (const auto& member : layout.ValueTuple(row - layout.HeaderRows(), column - layout.HeaderColumns())) {
        const std::string suffix = std::string(".[") + PivotMdxBuilder::kTotalMemberName + "]";
        if (member.uniqueName.ends_with(suffix))
            text += "  " + member.uniqueName.substr(0, member.uniqueName.size() - suffix.size())
                + ": total of the members shown\n";
        else
            text += "  " + member.uniqueName + "\n";
        if (const PivotTotal* t = definition.FindTotal(member.uniqueName))
            total = t;
    }
    // With one total and no totals block on an axis, the tuple does not name the measure.
    if (!total && definition.IncludedTotals().size() == 1)
        total = definition.IncludedTotals().front();
    if (total) {
        text += "Total: " + (total->caption.empty() ? total->name : total->caption + " (" + total->name + ")") + "\n";
        if (total->IsCalculated())
            text += "  formula: " + total->expression + "\n";
        if (total->showAs.IsActive()) {
            text += "  shown as: " + total->showAs.Description() + "\n";
            text += "  shown-as formula: " + PivotShowAsMdx::Formula(definition, *total) + "\n";
        }
        if (const std::string format = PivotShowAsMdx::NumberFormat(*total); !format.empty())
            text += "  format: " + format + "\n";
    }
    if (definition.IsRawQuery()) {
        // A given statement: its slicer as the result reports it, and the statement itself.
        std::string slicer;
        for (const auto& position : layout.Result().slicer.positions) {
            for (const auto& member : position)
                slicer += "  " + member.uniqueName + "\n";
        }
        text += "Slicer:" + (slicer.empty() ? std::string(" none\n") : "\n" + slicer);
        text += "Statement:\n  " + definition.commandText + "\n";
        return text;
    }
    std::string slicer;
    for (const PivotFieldSet& fieldSet : definition.filterAxis) {
        const std::string filter = FilterText(fieldSet);
        slicer += "  " + Name(fieldSet) + ": " + (filter.empty() ? "(all)" : filter) + "\n";
    }
    text += "Slicer:" + (slicer.empty() ? std::string(" none\n") : "\n" + slicer);
    std::string filters;
    for (const auto* axis : {&definition.rowAxis, &definition.columnAxis}) {
        for (const PivotFieldSet& fieldSet : *axis) {
            const std::string filter = FilterText(fieldSet);
            if (!filter.empty())
                filters += "  " + Name(fieldSet) + ": " + filter + " (totals count these only)\n";
        }
    }
    if (!filters.empty())
        text += "Filters on rows and columns:\n" + filters;
    if (definition.nonEmpty)
        text += "Empty rows and columns are hidden.\n";
    return text;
}

} // namespace pivot
