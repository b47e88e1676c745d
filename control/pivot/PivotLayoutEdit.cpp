#include "control/pivot/PivotLayoutEdit.h"

#include <algorithm>

namespace pivot {

namespace {

bool IsFieldSetAxis(AxisKind axis)
{
    return axis == AxisKind::Row || axis == AxisKind::Column || axis == AxisKind::Filter;
}

void InsertAt(std::vector<PivotFieldSet>& list, int position, PivotFieldSet fieldSet)
{
    const std::size_t at = position < 0 ? list.size() : std::min(list.size(), static_cast<std::size_t>(position));
    list.insert(list.begin() + static_cast<std::ptrdiff_t>(at), std::move(fieldSet));
}

} // namespace

bool PivotLayoutEdit::Locate(const PivotDefinition& definition, const std::string& name, AxisKind* axis, int* index)
{
    for (AxisKind kind : {AxisKind::Row, AxisKind::Column, AxisKind::Filter}) {
        const auto& list = definition.Axis(kind);
        for (std::size_t i = 0; i < list.size(); ++i) {
            if (list[i].uniqueName == name) {
                if (axis)
                    *axis = kind;
                if (index)
                    *index = static_cast<int>(i);
                return true;
            }
        }
    }
    return false;
}

bool PivotLayoutEdit::MoveFieldSet(PivotDefinition& definition, const std::string& name, AxisKind axis, int position)
{
    AxisKind from = AxisKind::Row;
    int index = -1;
    if (!IsFieldSetAxis(axis) || !Locate(definition, name, &from, &index))
        return false;
    auto& source = definition.Axis(from);
    PivotFieldSet fieldSet = std::move(source[static_cast<std::size_t>(index)]);
    source.erase(source.begin() + index);
    // The position was taken with the field set still in its place.
    if (from == axis && position > index)
        --position;
    InsertAt(definition.Axis(axis), position, std::move(fieldSet));
    return true;
}

bool PivotLayoutEdit::PlaceFieldSet(PivotDefinition& definition, const PivotCubeFields::Hierarchy& hierarchy,
    AxisKind axis, int position, int fromLevel)
{
    if (!IsFieldSetAxis(axis) || hierarchy.levels.empty())
        return false;
    if (Locate(definition, hierarchy.uniqueName, nullptr, nullptr))
        return MoveFieldSet(definition, hierarchy.uniqueName, axis, position);
    fromLevel = std::clamp(fromLevel, 0, static_cast<int>(hierarchy.levels.size()) - 1);
    PivotFieldSet fieldSet;
    fieldSet.uniqueName = hierarchy.uniqueName;
    fieldSet.caption = hierarchy.caption;
    for (std::size_t i = 0; i < hierarchy.levels.size(); ++i) {
        PivotField field;
        field.uniqueName = hierarchy.levels[i].uniqueName;
        field.caption = hierarchy.levels[i].caption;
        field.isIncluded = static_cast<int>(i) >= fromLevel;
        fieldSet.fields.push_back(std::move(field));
    }
    InsertAt(definition.Axis(axis), position, std::move(fieldSet));
    return true;
}

bool PivotLayoutEdit::RemoveFieldSet(PivotDefinition& definition, const std::string& name)
{
    AxisKind axis = AxisKind::Row;
    int index = -1;
    if (!Locate(definition, name, &axis, &index))
        return false;
    auto& list = definition.Axis(axis);
    list.erase(list.begin() + index);
    return true;
}

int PivotLayoutEdit::TotalIndex(const PivotDefinition& definition, const std::string& name)
{
    for (std::size_t i = 0; i < definition.totals.size(); ++i) {
        const PivotTotal& total = definition.totals[i];
        if (total.name == name || total.UniqueName() == name)
            return static_cast<int>(i);
    }
    return -1;
}

bool PivotLayoutEdit::PlaceTotal(
    PivotDefinition& definition, const std::string& name, const std::string& caption, int position)
{
    if (name.empty())
        return false;
    auto& totals = definition.totals;
    // POSITION counts shown totals; it becomes an index into all totals before the edit.
    std::size_t at = totals.size();
    if (position >= 0) {
        int shown = 0;
        for (std::size_t i = 0; i < totals.size(); ++i) {
            if (!totals[i].isIncluded)
                continue;
            if (shown++ == position) {
                at = i;
                break;
            }
        }
    }
    PivotTotal total;
    const int index = TotalIndex(definition, name);
    if (index >= 0) {
        total = std::move(totals[static_cast<std::size_t>(index)]);
        totals.erase(totals.begin() + index);
        if (static_cast<std::size_t>(index) < at)
            --at;
    } else {
        total.name = name;
        total.caption = caption;
    }
    total.isIncluded = true;
    totals.insert(totals.begin() + static_cast<std::ptrdiff_t>(std::min(at, totals.size())), std::move(total));
    return true;
}

bool PivotLayoutEdit::RemoveTotal(PivotDefinition& definition, const std::string& name)
{
    const int index = TotalIndex(definition, name);
    if (index < 0)
        return false;
    PivotTotal& total = definition.totals[static_cast<std::size_t>(index)];
    if (total.IsCalculated()) {
        if (!total.isIncluded)
            return false;
        total.isIncluded = false;
    } else {
        definition.totals.erase(definition.totals.begin() + index);
    }
    return true;
}

bool PivotLayoutEdit::SetFieldIncluded(
    PivotDefinition& definition, const std::string& fieldSet, const std::string& level, bool included)
{
    PivotFieldSet* set = definition.FindFieldSet(fieldSet);
    if (!set)
        return false;
    const auto field = std::find_if(
        set->fields.begin(), set->fields.end(), [&](const PivotField& f) { return f.uniqueName == level; });
    if (field == set->fields.end() || field->isIncluded == included)
        return false;
    if (!included && set->IncludedFields().size() == 1)
        return false;
    field->isIncluded = included;
    return true;
}

bool PivotLayoutEdit::SetLevelExpanded(PivotDefinition& definition, const std::string& fieldSet,
    const std::string& level, bool expanded, const std::function<std::string(const std::string&)>& levelOf)
{
    PivotFieldSet* set = definition.FindFieldSet(fieldSet);
    if (!set)
        return false;
    const auto field = std::find_if(
        set->fields.begin(), set->fields.end(), [&](const PivotField& f) { return f.uniqueName == level; });
    if (field == set->fields.end())
        return false;
    const auto onLevel = [&](const std::string& member) {
        if (!levelOf)
            return true;
        const std::string name = levelOf(member);
        return name.empty() || name == level;
    };
    const auto dropOnLevel = [&](std::vector<std::string>& list) {
        list.erase(std::remove_if(list.begin(), list.end(), onLevel), list.end());
    };
    const PivotFieldSet before = *set;
    field->isExpanded = expanded;
    dropOnLevel(set->expandedMembers);
    dropOnLevel(set->collapsedMembers);
    return !(before == *set);
}

bool PivotLayoutEdit::MoveTotals(PivotDefinition& definition, AxisKind axis, int position)
{
    if (axis != AxisKind::Row && axis != AxisKind::Column)
        return false;
    const int count = static_cast<int>(definition.Axis(axis).size());
    const int place = position < 0 || position >= count ? -1 : position;
    if (definition.totalsAxis == axis && definition.totalsPosition == place)
        return false;
    definition.totalsAxis = axis;
    definition.totalsPosition = place;
    return true;
}

} // namespace pivot
