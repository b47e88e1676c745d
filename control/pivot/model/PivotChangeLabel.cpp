#include "control/pivot/model/PivotChangeLabel.h"

#include "control/pivot/model/MdxNames.h"
#include "control/pivot/model/PivotDefinition.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace pivot {
namespace {

struct Placed {
    AxisKind axis;
    const PivotFieldSet* fieldSet;
};

const char* AreaName(AxisKind axis)
{
    switch (axis) {
    case AxisKind::Row:
        return "Rows";
    case AxisKind::Column:
        return "Columns";
    case AxisKind::Filter:
        return "Filters";
    case AxisKind::Data:
        break;
    }
    return "Values";
}

std::string Caption(const PivotFieldSet& f)
{
    return f.caption.empty() ? MdxNames::LastSegment(f.uniqueName) : f.caption;
}

std::string Caption(const PivotTotal& t)
{
    return t.caption.empty() ? MdxNames::LastSegment(t.name) : t.caption;
}

std::string Caption(const PivotField& f)
{
    return f.caption.empty() ? MdxNames::LastSegment(f.uniqueName) : f.caption;
}

std::optional<Placed> Find(const PivotDefinition& d, const std::string& name)
{
    for (AxisKind axis : {AxisKind::Row, AxisKind::Column, AxisKind::Filter}) {
        for (const PivotFieldSet& f : d.Axis(axis)) {
            if (f.uniqueName == name)
                return Placed {axis, &f};
        }
    }
    return std::nullopt;
}

//! The one name whose removal leaves BEFORE and AFTER (same names, other order) in the same
//! order: the item the user dragged. Empty when no single item explains the new order.
std::string MovedItem(const std::vector<std::string>& before, const std::vector<std::string>& after)
{
    for (const std::string& candidate : before) {
        std::vector<std::string> a;
        std::vector<std::string> b;
        std::copy_if(
            before.begin(), before.end(), std::back_inserter(a), [&](const auto& n) { return n != candidate; });
        std::copy_if(after.begin(), after.end(), std::back_inserter(b), [&](const auto& n) { return n != candidate; });
        if (a == b)
            return candidate;
    }
    return {};
}

std::vector<std::string> Names(const std::vector<PivotFieldSet>& fieldSets)
{
    std::vector<std::string> names;
    names.reserve(fieldSets.size());
    for (const PivotFieldSet& f : fieldSets)
        names.push_back(f.uniqueName);
    return names;
}

std::vector<std::string> IncludedTotalNames(const PivotDefinition& d)
{
    std::vector<std::string> names;
    for (const PivotTotal* t : d.IncludedTotals())
        names.push_back(t->name);
    return names;
}

std::string Placement(const PivotDefinition& before, const PivotDefinition& after)
{
    for (AxisKind axis : {AxisKind::Row, AxisKind::Column, AxisKind::Filter}) {
        for (const PivotFieldSet& f : after.Axis(axis)) {
            const auto was = Find(before, f.uniqueName);
            if (!was)
                return "Add " + Caption(f) + " to " + AreaName(axis);
            if (was->axis != axis)
                return "Move " + Caption(f) + " to " + AreaName(axis);
        }
    }
    for (AxisKind axis : {AxisKind::Row, AxisKind::Column, AxisKind::Filter}) {
        for (const PivotFieldSet& f : before.Axis(axis)) {
            if (!Find(after, f.uniqueName))
                return "Remove " + Caption(f);
        }
    }
    for (AxisKind axis : {AxisKind::Row, AxisKind::Column, AxisKind::Filter}) {
        const auto b = Names(before.Axis(axis));
        const auto a = Names(after.Axis(axis));
        if (a == b)
            continue;
        const std::string moved = MovedItem(b, a);
        if (moved.empty())
            return std::string("Reorder ") + AreaName(axis);
        return "Move " + Caption(*Find(after, moved)->fieldSet);
    }
    const auto beforeTotals = IncludedTotalNames(before);
    const auto afterTotals = IncludedTotalNames(after);
    for (const std::string& name : afterTotals) {
        if (std::find(beforeTotals.begin(), beforeTotals.end(), name) == beforeTotals.end())
            return "Add " + Caption(*after.FindTotal(name)) + " to Values";
    }
    for (const std::string& name : beforeTotals) {
        if (std::find(afterTotals.begin(), afterTotals.end(), name) == afterTotals.end())
            return "Remove " + Caption(*before.FindTotal(name));
    }
    if (beforeTotals != afterTotals) {
        const std::string moved = MovedItem(beforeTotals, afterTotals);
        return moved.empty() ? std::string("Reorder Values") : "Move " + Caption(*after.FindTotal(moved));
    }
    if (before.totalsAxis != after.totalsAxis)
        return std::string("Move Values to ") + AreaName(after.totalsAxis);
    if (before.totalsPosition != after.totalsPosition)
        return "Move Values";
    return {};
}

//! Whether AFTER has an expanded member BEFORE lacked, or lost a collapsed one; its caption.
std::string ExpandedMember(const PivotFieldSet& before, const PivotFieldSet& after, bool* expanded)
{
    auto added = [](const std::vector<std::string>& from, const std::vector<std::string>& to) -> std::string {
        for (const std::string& m : to) {
            if (std::find(from.begin(), from.end(), m) == from.end())
                return m;
        }
        return {};
    };
    const std::pair<std::string, bool> tries[] = {{added(before.expandedMembers, after.expandedMembers), true},
        {added(after.collapsedMembers, before.collapsedMembers), true},
        {added(after.expandedMembers, before.expandedMembers), false},
        {added(before.collapsedMembers, after.collapsedMembers), false}};
    for (const auto& [member, on] : tries) {
        if (!member.empty()) {
            *expanded = on;
            return MdxNames::LastSegment(member);
        }
    }
    return {};
}

std::string FieldSetChange(const PivotFieldSet& b, const PivotFieldSet& a)
{
    const std::string name = Caption(a);
    if (b.filter != a.filter || b.top != a.top || b.condition != a.condition) {
        const bool filtered = a.filter.IsActive() || a.top.IsActive() || a.condition.IsActive();
        return (filtered ? "Filter " : "Clear Filter of ") + name;
    }
    if (b.sort != a.sort)
        return (a.sort.IsActive() ? "Sort " : "Unsort ") + name;
    if (b.subtotals != a.subtotals)
        return (a.subtotals ? "Show Subtotals of " : "Hide Subtotals of ") + name;
    for (std::size_t i = 0; i < std::min(b.fields.size(), a.fields.size()); ++i) {
        if (b.fields[i].isIncluded != a.fields[i].isIncluded)
            return a.fields[i].isIncluded ? "Add " + Caption(a.fields[i]) + " to " + name
                                          : "Remove " + Caption(a.fields[i]) + " from " + name;
    }
    for (std::size_t i = 0; i < std::min(b.fields.size(), a.fields.size()); ++i) {
        if (b.fields[i].isExpanded != a.fields[i].isExpanded)
            return (a.fields[i].isExpanded ? "Expand " : "Collapse ") + Caption(a.fields[i]);
    }
    bool expanded = false;
    const std::string member = ExpandedMember(b, a, &expanded);
    if (!member.empty())
        return (expanded ? "Expand " : "Collapse ") + member;
    if (b.caption != a.caption)
        return "Rename " + Caption(b);
    if (b.style != a.style)
        return "Format " + name;
    return {};
}

std::string TotalChange(const PivotTotal& b, const PivotTotal& a)
{
    if (b.expression != a.expression)
        return "Edit Formula of " + Caption(a);
    if (b.caption != a.caption)
        return "Rename " + Caption(b);
    if (b.numberFormat != a.numberFormat || b.style != a.style)
        return "Format " + Caption(a);
    if (!(b == a))
        return "Show " + Caption(a) + " As";
    return {};
}

std::string Details(const PivotDefinition& before, const PivotDefinition& after)
{
    for (AxisKind axis : {AxisKind::Row, AxisKind::Column, AxisKind::Filter}) {
        for (const PivotFieldSet& f : after.Axis(axis)) {
            const auto was = Find(before, f.uniqueName);
            if (!was)
                continue;
            std::string label = FieldSetChange(*was->fieldSet, f);
            if (!label.empty())
                return label;
        }
    }
    for (const PivotTotal& t : after.totals) {
        const PivotTotal* was = before.FindTotal(t.name);
        if (!was)
            return "Add " + Caption(t);
        std::string label = TotalChange(*was, t);
        if (!label.empty())
            return label;
    }
    for (const PivotTotal& t : before.totals) {
        if (!after.FindTotal(t.name))
            return "Delete " + Caption(t);
    }
    auto totalCaption = [&](const std::string& name) {
        const PivotTotal* t = after.FindTotal(name);
        if (!t)
            t = before.FindTotal(name);
        return t ? Caption(*t) : MdxNames::LastSegment(name);
    };
    for (const PivotColorRule& rule : after.colorRules) {
        const PivotColorRule* was = before.FindColorRule(rule.total);
        if (!was || !(*was == rule))
            return "Colour Rule on " + totalCaption(rule.total);
    }
    for (const PivotColorRule& rule : before.colorRules) {
        if (!after.FindColorRule(rule.total))
            return "Clear Colour Rule of " + totalCaption(rule.total);
    }
    if (before.rowGrandTotals != after.rowGrandTotals || before.columnGrandTotals != after.columnGrandTotals) {
        const bool on = after.rowGrandTotals || after.columnGrandTotals;
        return on ? "Show Grand Totals" : "Hide Grand Totals";
    }
    if (before.titleCaption != after.titleCaption)
        return "Change Title";
    if (before.nonEmpty != after.nonEmpty)
        return after.nonEmpty ? "Hide Empty Items" : "Show Empty Items";
    return {};
}

} // namespace

std::string PivotChangeLabel::Describe(const PivotDefinition& before, const PivotDefinition& after)
{
    std::string label = Placement(before, after);
    if (label.empty())
        label = Details(before, after);
    return label.empty() ? std::string("Change Layout") : label;
}

} // namespace pivot
