#pragma once

#include "control/pivot/PivotShowAsDialog.h"
#include "control/pivot/model/PivotDefinition.h"
#include "control/pivot/model/PivotLayout.h"

#include <functional>
#include <string>
#include <vector>

class QMenu;
class QWidget;

namespace pivot {

//! The "Show Values As" submenu of a total: its own values, shares of the grand, column, row
//! and parent totals, differences, running totals, rank and index. A mode that needs a base
//! field opens PivotShowAsDialog (under DIALOGPARENT) first. Each choice hands an edit of the
//! definition to EDIT (the table applies it and re-queries).
class PivotShowAsMenu {
public:
    using EditFunction = std::function<void(const std::function<bool(PivotDefinition&)>&)>;

    //! Adds the submenu for total TOTALNAME of DEFINITION to MENU. MEMBERS lists the base
    //! items a difference can be taken from.
    static QMenu* Add(QMenu* menu, const PivotDefinition& definition, const std::string& totalName,
        const EditFunction& edit, const PivotShowAsDialog::MemberList& members, QWidget* dialogParent);

    //! The members of field set FIELDSET that LAYOUT shows, in the order shown, each once.
    static std::vector<PivotShowAsDialog::Choice> ShownMembers(const PivotLayout& layout, const std::string& fieldSet);

    //! The object name of MODE's action ("showAsPercentOfRowTotalAction", "showAsNormalAction").
    static QString ActionName(PivotShowAs::Mode mode);
};

} // namespace pivot
