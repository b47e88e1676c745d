#include "control/pivot/PivotCommandEdit.h"

#include "control/pivot/model/PivotDefinition.h"

namespace pivot {

namespace {

// The field set nearest the values on AXIS, or null.
PivotFieldSet* Innermost(PivotDefinition& definition, AxisKind axis)
{
    auto& fieldSets = definition.Axis(axis);
    return fieldSets.empty() ? nullptr : &fieldSets.back();
}

PivotFieldSet* FirstFieldSet(PivotDefinition& definition)
{
    if (!definition.rowAxis.empty())
        return &definition.rowAxis.front();
    if (!definition.columnAxis.empty())
        return &definition.columnAxis.front();
    return nullptr;
}

AxisKind Other(AxisKind axis)
{
    return axis == AxisKind::Row ? AxisKind::Column : AxisKind::Row;
}

} // namespace

PivotFieldSet* PivotCommandEdit::TargetFieldSet(PivotDefinition& definition, const PivotSelectionTarget& target)
{
    if (target.kind == PivotSelectionTarget::Kind::FieldSet || target.kind == PivotSelectionTarget::Kind::Member) {
        if (PivotFieldSet* fieldSet = definition.FindFieldSet(target.fieldSet))
            return fieldSet;
    }
    return FirstFieldSet(definition);
}

const PivotFieldSet* PivotCommandEdit::TargetFieldSet(
    const PivotDefinition& definition, const PivotSelectionTarget& target)
{
    return TargetFieldSet(const_cast<PivotDefinition&>(definition), target);
}

const PivotTotal* PivotCommandEdit::TargetTotal(const PivotDefinition& definition, const PivotSelectionTarget& target)
{
    if (!target.total.empty()) {
        if (const PivotTotal* total = definition.FindTotal(target.total))
            return total;
    }
    const auto totals = definition.IncludedTotals();
    return totals.empty() ? nullptr : totals.front();
}

bool PivotCommandEdit::Sort(
    PivotDefinition& definition, const PivotSelectionTarget& target, SortDirection direction, std::string* why)
{
    PivotFieldSet* fieldSet = nullptr;
    std::string byTotal;
    switch (target.kind) {
    case PivotSelectionTarget::Kind::FieldSet:
    case PivotSelectionTarget::Kind::Member:
        fieldSet = definition.FindFieldSet(target.fieldSet);
        break;
    case PivotSelectionTarget::Kind::Total:
        fieldSet = Innermost(definition, Other(target.axis));
        if (!fieldSet)
            fieldSet = Innermost(definition, target.axis);
        byTotal = target.total;
        break;
    case PivotSelectionTarget::Kind::Value:
        fieldSet = Innermost(definition, AxisKind::Row);
        if (!fieldSet)
            fieldSet = Innermost(definition, AxisKind::Column);
        if (const PivotTotal* total = TargetTotal(definition, target))
            byTotal = total->name;
        break;
    case PivotSelectionTarget::Kind::None:
        fieldSet = FirstFieldSet(definition);
        if (const PivotTotal* total = TargetTotal(definition, target))
            byTotal = total->UniqueName();
        break;
    }
    if (!fieldSet) {
        if (why)
            *why = target.IsNone() ? "There is no field to sort." : "The selected field is no longer in the view.";
        return false;
    }
    fieldSet->sort.direction = direction;
    fieldSet->sort.byTotal = byTotal;
    return true;
}

std::string PivotCommandEdit::CreateCalculatedTotal(
    PivotDefinition& definition, const PivotSelectionTarget& target, std::string* why)
{
    const PivotTotal* from = TargetTotal(definition, target);
    if (!from) {
        if (why)
            *why = "A calculated total needs a total to start from.";
        return {};
    }
    auto nameOf = [](int n) { return "New Total" + (n == 1 ? std::string() : " " + std::to_string(n)); };
    int number = 1;
    while (definition.FindTotal(nameOf(number)))
        ++number;
    PivotTotal total = *from;
    total.name = nameOf(number);
    total.caption = total.name;
    // The own values with the show-as setting copied above: the same numbers, standing on their own
    // when FROM later shows something else.
    total.expression = from->BaseUniqueName();
    total.isIncluded = true;
    definition.totals.push_back(std::move(total));
    return definition.totals.back().name;
}

bool PivotCommandEdit::ToggleSubtotals(PivotDefinition& definition, const PivotSelectionTarget& target)
{
    PivotFieldSet* fieldSet = TargetFieldSet(definition, target);
    if (!fieldSet)
        return false;
    fieldSet->subtotals = !fieldSet->subtotals;
    return true;
}

} // namespace pivot
