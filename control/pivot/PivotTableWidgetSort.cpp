#include "control/pivot/PivotSession.h"
#include "control/pivot/PivotTableWidget.h"

namespace pivot {

bool PivotTableWidget::CycleTotalSort(AxisKind axis, const std::string& total)
{
    const auto& fieldSets = m_session->Definition().Axis(axis);
    std::string name;
    for (const PivotFieldSet& fieldSet : fieldSets) {
        if (!fieldSet.IncludedFields().empty())
            name = fieldSet.uniqueName;
    }
    if (name.empty())
        return false;
    return Edit([&](PivotDefinition& d) {
        PivotFieldSet* set = d.FindFieldSet(name);
        if (!set)
            return false;
        const bool byThis = set->sort.IsActive() && set->sort.byTotal == total;
        if (!byThis)
            set->sort = {SortDirection::Ascending, total};
        else if (set->sort.direction == SortDirection::Ascending)
            set->sort = {SortDirection::Descending, total};
        else
            set->sort = {SortDirection::None, {}};
        return true;
    });
}

} // namespace pivot
