#include "control/pivot/model/PivotTotal.h"

#include "control/pivot/model/MdxNames.h"

namespace pivot {

std::string PivotTotal::UniqueName() const
{
    if (IsCalculated())
        return "[Measures]." + MdxNames::Quote(name);
    return name;
}

} // namespace pivot
