#include "control/pivot/model/PivotDefinition.h"

#include <algorithm>

namespace pivot {

std::vector<PivotFieldSet>& PivotDefinition::Axis(AxisKind axis)
{
    switch (axis) {
    case AxisKind::Row:
        return rowAxis;
    case AxisKind::Column:
        return columnAxis;
    case AxisKind::Filter:
    case AxisKind::Data:
        break;
    }
    return filterAxis;
}

const std::vector<PivotFieldSet>& PivotDefinition::Axis(AxisKind axis) const
{
    return const_cast<PivotDefinition*>(this)->Axis(axis);
}

PivotFieldSet* PivotDefinition::FindFieldSet(const std::string& name)
{
    for (auto* axis : {&rowAxis, &columnAxis, &filterAxis}) {
        for (PivotFieldSet& fieldSet : *axis) {
            if (fieldSet.uniqueName == name)
                return &fieldSet;
        }
    }
    return nullptr;
}

const PivotFieldSet* PivotDefinition::FindFieldSet(const std::string& name) const
{
    return const_cast<PivotDefinition*>(this)->FindFieldSet(name);
}

const PivotTotal* PivotDefinition::FindTotal(const std::string& name) const
{
    for (const PivotTotal& total : totals) {
        if (total.name == name || total.UniqueName() == name || total.BaseUniqueName() == name)
            return &total;
    }
    return nullptr;
}

std::vector<const PivotTotal*> PivotDefinition::IncludedTotals() const
{
    std::vector<const PivotTotal*> result;
    for (const PivotTotal& total : totals) {
        if (total.isIncluded)
            result.push_back(&total);
    }
    return result;
}

bool PivotDefinition::IsRawQuery() const
{
    return !commandText.empty() && rowAxis.empty() && columnAxis.empty() && filterAxis.empty() && totals.empty();
}

const PivotColorRule* PivotDefinition::FindColorRule(const std::string& name) const
{
    for (const PivotColorRule& rule : colorRules) {
        if (rule.total == name)
            return &rule;
    }
    return nullptr;
}

void PivotDefinition::SetColorRule(const PivotColorRule& rule)
{
    for (PivotColorRule& existing : colorRules) {
        if (existing.total == rule.total) {
            existing = rule;
            return;
        }
    }
    colorRules.push_back(rule);
}

bool PivotDefinition::ClearColorRule(const std::string& name)
{
    return std::erase_if(colorRules, [&](const PivotColorRule& rule) { return rule.total == name; }) > 0;
}

} // namespace pivot
