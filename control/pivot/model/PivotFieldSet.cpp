#include "control/pivot/model/PivotFieldSet.h"

#include <algorithm>

namespace pivot {

int PivotFieldSet::FieldIndex(const std::string& levelUniqueName) const
{
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (fields[i].isIncluded && fields[i].uniqueName == levelUniqueName)
            return static_cast<int>(i);
    }
    return -1;
}

std::vector<const PivotField*> PivotFieldSet::IncludedFields() const
{
    std::vector<const PivotField*> result;
    for (const PivotField& field : fields) {
        if (field.isIncluded)
            result.push_back(&field);
    }
    return result;
}

bool PivotFieldSet::IsExpanded(const std::string& memberUniqueName) const
{
    return std::find(expandedMembers.begin(), expandedMembers.end(), memberUniqueName) != expandedMembers.end();
}

void PivotFieldSet::SetExpanded(const std::string& memberUniqueName, bool expanded)
{
    auto erase = [](std::vector<std::string>& list, const std::string& name) {
        list.erase(std::remove(list.begin(), list.end(), name), list.end());
    };
    erase(expandedMembers, memberUniqueName);
    erase(collapsedMembers, memberUniqueName);
    if (expanded)
        expandedMembers.push_back(memberUniqueName);
    else
        collapsedMembers.push_back(memberUniqueName);
}

} // namespace pivot
