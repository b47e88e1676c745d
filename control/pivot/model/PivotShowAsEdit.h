#pragma once

#include "control/pivot/model/PivotDefinition.h"

#include <string>

namespace pivot {

//! Changes how a total of a definition shows its values.
class PivotShowAsEdit {
public:
    //! Shows total TOTALNAME (its name or either unique name) of DEFINITION as SHOWAS. Sorts,
    //! top and value filters and colour rules that name the total go on naming it under its
    //! own name, so they follow it whatever it shows. False, with DEFINITION unchanged, when
    //! there is no such total, SHOWAS cannot be used (PivotShowAs::Problem) or nothing changes.
    static bool Apply(PivotDefinition& definition, const std::string& totalName, const PivotShowAs& showAs);
};

} // namespace pivot
