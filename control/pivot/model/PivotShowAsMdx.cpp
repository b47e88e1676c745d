#include "control/pivot/model/PivotShowAsMdx.h"

#include "control/pivot/model/MdxNames.h"
#include "control/pivot/model/PivotError.h"
#include "control/pivot/model/PivotMdxBuilder.h"

#include <algorithm>

namespace pivot {

namespace {

using Mode = PivotShowAs::Mode;

const std::string& Checked(const std::string& name, const std::string& what)
{
    if (!MdxNames::IsUniqueName(name))
        throw PivotError(what + " '" + name + "' is not a unique name such as [Dimension].[Member]");
    return name;
}

//! The field sets of AXIS that show something, outermost first.
std::vector<const PivotFieldSet*> Shown(const PivotDefinition& definition, AxisKind axis)
{
    std::vector<const PivotFieldSet*> shown;
    for (const PivotFieldSet& fieldSet : definition.Axis(axis)) {
        if (!fieldSet.IncludedFields().empty())
            shown.push_back(&fieldSet);
    }
    return shown;
}

//! Builds the pieces of one total's formula.
class FormulaWriter {
public:
    FormulaWriter(const PivotDefinition& definition, const PivotTotal& total, const PivotFieldSet* filtered)
        : m_definition(definition), m_total(total), m_filtered(filtered),
          m_base(total.IsCalculated() ? total.BaseUniqueName() : Checked(total.name, "total"))
    {
    }

    std::string Write() const
    {
        const PivotShowAs& showAs = m_total.showAs;
        const auto rows = Shown(m_definition, AxisKind::Row);
        const auto columns = Shown(m_definition, AxisKind::Column);
        std::vector<const PivotFieldSet*> all = rows;
        all.insert(all.end(), columns.begin(), columns.end());
        switch (showAs.mode) {
        case Mode::Normal:
            return {};
        case Mode::PercentOfGrandTotal:
            return Divide(m_base, Read(all));
        case Mode::PercentOfColumnTotal:
            return Divide(m_base, Read(rows));
        case Mode::PercentOfRowTotal:
            return Divide(m_base, Read(columns));
        case Mode::PercentOfParentRowTotal:
            return Divide(m_base, Parent(rows, rows.size()));
        case Mode::PercentOfParentColumnTotal:
            return Divide(m_base, Parent(columns, columns.size()));
        case Mode::Index:
            // The value weighed against what its row and column shares predict.
            return Divide(m_base + " * " + Read(all), "(" + Read(columns) + " * " + Read(rows) + ")");
        default:
            break;
        }
        const PivotFieldSet* base = BaseFieldSet();
        if (!base)
            return "NULL";
        const std::string current = Checked(base->uniqueName, "show-as base field") + ".CurrentMember";
        const std::string onTotal = current + " IS " + PivotMdxBuilder::TotalMemberName(base->uniqueName);
        switch (showAs.mode) {
        case Mode::DifferenceFrom:
        case Mode::PercentDifferenceFrom: {
            std::string member;
            std::string skip = onTotal;
            if (showAs.item == PivotShowAs::Item::Named) {
                member = Checked(showAs.baseMember, "show-as base item");
                skip += " OR " + current + " IS " + member + " OR NOT (" + current + ".Level IS " + member + ".Level)";
            } else {
                member = current + (showAs.item == PivotShowAs::Item::Previous ? ".PrevMember" : ".NextMember");
                skip += " OR " + member + " IS NULL";
            }
            const std::string other = "(" + m_base + ", " + member + ")";
            if (showAs.mode == Mode::DifferenceFrom)
                return "IIf(" + skip + ", NULL, " + m_base + " - " + other + ")";
            return "IIf(" + skip + ", NULL, " + Divide(m_base + " - " + other, other) + ")";
        }
        case Mode::RunningTotal:
            return "IIf(" + onTotal + ", NULL, " + Running(current) + ")";
        case Mode::PercentRunningTotal:
            return "IIf(" + onTotal + ", NULL, "
                + Divide(Running(current), "Sum(" + current + ".Siblings, " + m_base + ")") + ")";
        case Mode::Rank:
            return "IIf(" + onTotal + " OR IsEmpty(" + m_base + "), NULL, Rank(" + current + ", " + current
                + ".Siblings, " + m_base + "))";
        default:
            return {};
        }
    }

private:
    //! NUMERATOR / DENOMINATOR, empty where the denominator is empty or zero.
    static std::string Divide(const std::string& numerator, const std::string& denominator)
    {
        return "IIf(" + denominator + " = 0, NULL, (" + numerator + ") / " + denominator + ")";
    }

    //! Whether FIELDSET's total is taken over all its members: in a filter's formula, the
    //! filtered field set's and that of every field set keeping members by value (their total
    //! members depend on their filters, which may read this formula).
    bool OverAll(const PivotFieldSet* fieldSet) const
    {
        if (!m_filtered)
            return false;
        return fieldSet == m_filtered || fieldSet->top.IsActive()
            || (fieldSet->condition.IsValue() && fieldSet->condition.IsActive());
    }

    //! The base value read on the total members of FIELDSETS (and on EXTRA).
    std::string Read(const std::vector<const PivotFieldSet*>& fieldSets, const std::string& extra = {}) const
    {
        std::vector<std::string> members;
        std::vector<const PivotFieldSet*> overAll;
        for (const PivotFieldSet* fieldSet : fieldSets) {
            if (OverAll(fieldSet))
                overAll.push_back(fieldSet);
            else
                members.push_back(PivotMdxBuilder::TotalMemberName(Checked(fieldSet->uniqueName, "field set")));
        }
        if (!extra.empty())
            members.push_back(extra);
        std::string tuple = m_base;
        for (const std::string& member : members)
            tuple += ", " + member;
        if (!members.empty())
            tuple = "(" + tuple + ")";
        for (const PivotFieldSet* fieldSet : overAll)
            tuple = std::string("Aggregate(")
                        .append(Checked(fieldSet->IncludedFields().front()->uniqueName, "field"))
                        .append(".Members, ")
                        .append(tuple)
                        .append(")");
        return tuple;
    }

    //! The base value of the parent of the current cell among the first COUNT of FIELDSETS:
    //! the innermost field set not on its total steps to the member of its previous shown
    //! field, or to its total from its first shown field; on every total it is the cell's own.
    std::string Parent(const std::vector<const PivotFieldSet*>& fieldSets, std::size_t count) const
    {
        if (count == 0)
            return m_base;
        const PivotFieldSet* fieldSet = fieldSets[count - 1];
        const std::string& hierarchy = Checked(fieldSet->uniqueName, "field set");
        const std::string current = hierarchy + ".CurrentMember";
        const auto levels = fieldSet->IncludedFields();
        std::string parent = Read({fieldSet});
        for (std::size_t i = 1; i < levels.size(); ++i) {
            const std::string& level = Checked(levels[i]->uniqueName, "field");
            const std::string& above = Checked(levels[i - 1]->uniqueName, "field");
            std::string ancestor = "Ancestor(";
            ancestor.append(current).append(", ").append(above).append(")");
            std::string step = "IIf(";
            step.append(current).append(".Level IS ").append(level).append(", ");
            step += Read({}, ancestor);
            step += ", ";
            step += parent;
            step += ")";
            parent = std::move(step);
        }
        std::string choice = "IIf(" + current + " IS " + PivotMdxBuilder::TotalMemberName(hierarchy) + ", ";
        choice += Parent(fieldSets, count - 1);
        choice += ", ";
        choice += parent;
        choice += ")";
        return choice;
    }

    std::string Running(const std::string& current) const
    {
        return "Sum({" + current + ".FirstSibling : " + current + "}, " + m_base + ")";
    }

    //! The base field set when it lies on the rows or columns, else null.
    const PivotFieldSet* BaseFieldSet() const
    {
        for (AxisKind axis : {AxisKind::Row, AxisKind::Column}) {
            for (const PivotFieldSet* fieldSet : Shown(m_definition, axis)) {
                if (fieldSet->uniqueName == m_total.showAs.baseFieldSet)
                    return fieldSet;
            }
        }
        return nullptr;
    }

    const PivotDefinition& m_definition;
    const PivotTotal& m_total;
    const PivotFieldSet* m_filtered;
    std::string m_base;
};

//! The name a filter of FIELDSET reads TOTAL's shares under, when they differ from the shown.
std::string FilterName(const PivotTotal& total, const PivotFieldSet& fieldSet)
{
    return total.DisplayName() + ", filter of " + MdxNames::LastSegment(fieldSet.uniqueName);
}

} // namespace

bool PivotShowAsMdx::Any(const PivotDefinition& definition)
{
    return std::any_of(definition.totals.begin(), definition.totals.end(),
        [](const PivotTotal& total) { return total.showAs.IsActive(); });
}

std::string PivotShowAsMdx::Formula(
    const PivotDefinition& definition, const PivotTotal& total, const PivotFieldSet* filtered)
{
    return FormulaWriter(definition, total, filtered).Write();
}

std::string PivotShowAsMdx::NumberFormat(const PivotTotal& total)
{
    if (!total.numberFormat.empty() || !total.showAs.IsActive())
        return total.numberFormat;
    if (total.showAs.IsPercent())
        return "0.00%";
    if (total.showAs.mode == Mode::Rank)
        return "#,##0";
    if (total.showAs.mode == Mode::Index)
        return "0.00";
    return {};
}

PivotDefinition PivotShowAsMdx::Expand(const PivotDefinition& definition)
{
    PivotDefinition expanded = definition;
    expanded.totals.clear();
    std::vector<PivotTotal> filterTotals;
    for (const PivotTotal& total : definition.totals) {
        if (!total.showAs.IsActive()) {
            expanded.totals.push_back(total);
            continue;
        }
        if (const std::string problem = total.showAs.Problem(); !problem.empty())
            throw PivotError("total " + total.name + ": " + problem);
        const bool clash
            = std::any_of(definition.totals.begin(), definition.totals.end(), [&](const PivotTotal& other) {
                  return &other != &total
                      && (other.UniqueName() == total.UniqueName() || other.BaseUniqueName() == total.UniqueName());
              });
        if (clash)
            throw PivotError("total " + total.name + " is shown as '" + total.DisplayName()
                + "', which another total is already named");
        if (total.IsCalculated()) {
            PivotTotal own = total;
            own.showAs = {};
            own.isIncluded = false;
            expanded.totals.push_back(std::move(own));
        }
        PivotTotal shown;
        shown.name = total.DisplayName();
        shown.caption = total.caption;
        shown.expression = Formula(definition, total);
        shown.numberFormat = NumberFormat(total);
        shown.isIncluded = total.isIncluded;
        shown.style = total.style;
        expanded.totals.push_back(std::move(shown));
    }

    // Sorts and filters that name a shown-as total read its shown values.
    for (AxisKind axis : {AxisKind::Row, AxisKind::Column, AxisKind::Filter}) {
        const auto& original = definition.Axis(axis);
        auto& fieldSets = axis == AxisKind::Row ? expanded.rowAxis
            : axis == AxisKind::Column          ? expanded.columnAxis
                                                : expanded.filterAxis;
        for (std::size_t i = 0; i < fieldSets.size(); ++i) {
            PivotFieldSet& fieldSet = fieldSets[i];
            if (const PivotTotal* total = definition.FindTotal(fieldSet.sort.byTotal);
                total && total->showAs.IsActive())
                fieldSet.sort.byTotal = total->UniqueName();
            for (std::string* byTotal : {&fieldSet.top.byTotal, &fieldSet.condition.byTotal}) {
                const PivotTotal* total = definition.FindTotal(*byTotal);
                if (!total || !total->showAs.IsActive())
                    continue;
                const std::string formula = Formula(definition, *total, &original[i]);
                if (formula == Formula(definition, *total)) {
                    *byTotal = total->UniqueName();
                    continue;
                }
                PivotTotal variant;
                variant.name = FilterName(*total, original[i]);
                variant.expression = formula;
                variant.isIncluded = false;
                *byTotal = variant.UniqueName();
                if (std::none_of(filterTotals.begin(), filterTotals.end(),
                        [&](const PivotTotal& t) { return t.name == variant.name; }))
                    filterTotals.push_back(std::move(variant));
            }
        }
    }
    expanded.totals.insert(expanded.totals.end(), filterTotals.begin(), filterTotals.end());
    return expanded;
}

} // namespace pivot
