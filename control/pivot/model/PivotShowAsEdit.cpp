#include "control/pivot/model/PivotShowAsEdit.h"

namespace pivot {

bool PivotShowAsEdit::Apply(PivotDefinition& definition, const std::string& totalName, const PivotShowAs& wanted)
{
    // Only what the mode uses is kept, so equal settings compare equal.
    PivotShowAs showAs = wanted;
    if (!showAs.NeedsBaseItem()) {
        showAs.item = PivotShowAs::Item::Previous;
        showAs.baseMember.clear();
    }
    if (!showAs.NeedsBaseField())
        showAs.baseFieldSet.clear();
    const PivotTotal* found = definition.FindTotal(totalName);
    if (!found || found->showAs == showAs || !showAs.Problem().empty())
        return false;
    PivotTotal& total = definition.totals[static_cast<std::size_t>(found - definition.totals.data())];
    auto follow = [&](std::string& reference) {
        if (!reference.empty() && definition.FindTotal(reference) == &total)
            reference = total.name;
    };
    for (AxisKind axis : {AxisKind::Row, AxisKind::Column, AxisKind::Filter}) {
        for (const PivotFieldSet& shown : definition.Axis(axis)) {
            PivotFieldSet* fieldSet = definition.FindFieldSet(shown.uniqueName);
            follow(fieldSet->sort.byTotal);
            follow(fieldSet->top.byTotal);
            follow(fieldSet->condition.byTotal);
        }
    }
    for (PivotColorRule& rule : definition.colorRules)
        follow(rule.total);
    total.showAs = showAs;
    return true;
}

} // namespace pivot
