#include "control/pivot/model/PivotTotal.h"

#include "control/pivot/model/MdxNames.h"

namespace pivot {

std::string PivotTotal::UniqueName() const
{
    if (showAs.IsActive())
        return "[Measures]." + MdxNames::Quote(DisplayName());
    return BaseUniqueName();
}

std::string PivotTotal::BaseUniqueName() const
{
    if (IsCalculated())
        return "[Measures]." + MdxNames::Quote(name);
    return name;
}

std::string PivotTotal::DisplayName() const
{
    std::string display = IsCalculated() ? name : MdxNames::LastSegment(name);
    if (showAs.IsActive())
        display += " (" + PivotShowAs::Suffix(showAs.mode) + ")";
    return display;
}

} // namespace pivot
