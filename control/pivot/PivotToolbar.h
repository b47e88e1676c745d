#pragma once

#include "control/pivot/PivotCommand.h"

#include <QToolBar>

#include <map>

class QAction;

namespace pivot {

class PivotTableWidget;

//! The pivot table's own toolbar (object name "pivotToolbar"): sort ascending and
//! descending, filter, subtotals, grand totals, a new calculated total, expand and collapse,
//! refresh, stop a running query, export, field list and property toolbox. Each button runs
//! its command of the table's command list on the selection; the buttons follow the
//! selection and the view (checked subtotals of the selected field set, stop only while a
//! query runs).
class PivotToolbar : public QToolBar {
    Q_OBJECT
public:
    explicit PivotToolbar(PivotTableWidget* table);

    //! The button of COMMAND, or null.
    QAction* Action(PivotCommand command) const;
    //! Enables and checks the buttons as the view and the selection stand.
    void UpdateState();
    //! The 16 by 16 picture of COMMAND's button.
    static QIcon Icon(PivotCommand command);

private:
    PivotTableWidget* m_table;
    std::map<PivotCommand, QAction*> m_actions;
};

} // namespace pivot
