#pragma once

#include "control/pivot/model/PivotDefinition.h"

#include <functional>
#include <string>

class QMenu;

namespace pivot {

//! The "Conditional formatting" submenu of a total: two- and three-colour scales, a data
//! bar, whether totals take part, and clearing the rule. Each entry hands an edit of the
//! definition to EDIT (the table applies it and re-queries).
class PivotColorRuleMenu {
public:
    using EditFunction = std::function<void(const std::function<bool(PivotDefinition&)>&)>;

    //! Adds the submenu for total TOTALNAME of DEFINITION to MENU.
    static QMenu* Add(QMenu* menu, const PivotDefinition& definition, const std::string& totalName, EditFunction edit);
};

} // namespace pivot
