#pragma once

#include "control/pivot/model/AxisKind.h"
#include "control/pivot/model/PivotDefinition.h"
#include "control/pivot/model/PivotLayout.h"
#include "control/pivot/object/NamedDispatch.h"

#include <memory>
#include <string>

namespace olap {
class Connection;
}

namespace pivot {

class MemberCatalog;
class PivotCellObject;
class PivotMemberObject;
class PivotSelectionObject;
class PivotViewObject;

//! The pivot table as its object model shows it to the control and to drill-through: the
//! active view (the definition on show and its laid-out answer), the current selection,
//! the data member and the open connection. Made from what a PivotSession shows; it is a
//! snapshot: a new view needs a new object.
//!
//! Member lookups the walk needs (parents, children) run small statements on the
//! connection, on the calling thread: do not use it while a query of the same connection
//! runs elsewhere.
class PivotTableObject : public NamedDispatch {
public:
    enum : platform::DispId {
        kActiveView = 1,
        kSelection = 2,
        kDataMember = 3,
        kConnectionString = 4,
    };

    PivotTableObject(PivotDefinition definition, std::shared_ptr<const PivotLayout> layout,
        std::shared_ptr<olap::Connection> connection);

    const PivotDefinition& Definition() const { return m_definition; }
    const PivotLayout& Layout() const { return *m_layout; }
    const std::shared_ptr<PivotViewObject>& ActiveView() const { return m_view; }
    const std::shared_ptr<PivotSelectionObject>& Selection() const { return m_selection; }
    const std::string& DataMember() const { return m_definition.dataMember; }
    //! The open connection of the view, usable as a recordset's active connection (null
    //! when the table has none).
    const std::shared_ptr<olap::Connection>& Connection() const { return m_connection; }
    const std::shared_ptr<MemberCatalog>& Catalog() const { return m_catalog; }

    //! Makes grid cell (ROW, COLUMN) the selection. A value cell gives the selection a Cell;
    //! a header or a cell out of range gives a selection without one. Returns whether a
    //! cell was selected.
    bool Select(int row, int column);
    //! The cell object of value (VALUEROW, VALUECOLUMN) (value coordinates), null when out
    //! of range.
    std::shared_ptr<PivotCellObject> CellAt(int valueRow, int valueColumn);

    platform::HResult Invoke(platform::DispId id, platform::InvokeKind kind, std::vector<platform::Variant>& args,
        platform::Variant* result, platform::DispatchException* exception) override;

protected:
    std::span<const DispatchName> Names() const override;

private:
    std::shared_ptr<PivotMemberObject> AxisMember(AxisKind kind, int position);
    int ResultAxis(AxisKind kind) const;

    PivotDefinition m_definition;
    std::shared_ptr<const PivotLayout> m_layout;
    std::shared_ptr<olap::Connection> m_connection;
    std::shared_ptr<MemberCatalog> m_catalog;
    std::shared_ptr<PivotViewObject> m_view;
    std::shared_ptr<PivotSelectionObject> m_selection;
};

} // namespace pivot
