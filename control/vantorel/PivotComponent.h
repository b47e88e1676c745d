#pragma once

#include "control/pivot/PivotGrid.h"
#include "control/pivot/PivotSelectionTarget.h"
#include "control/pivot/PivotTableWidget.h"
#include "control/pivot/model/PivotDefinition.h"
#include "control/pivot/model/SortDirection.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <map>
#include <memory>

class QWidget;

namespace olap {
class CancellationToken;
class Connection;
enum class SchemaRowsetKind;
struct SchemaRowset;
namespace recordset {
class Recordset;
}
} // namespace olap

namespace olap::adomd {
class Catalog;
}

namespace pivot {
class PivotSession;
} // namespace pivot

namespace vantorel {

//! The pivot table of the control (`OlapPT`): a pivot session with its grid, the connection
//! its queries run on, and the component's display and permission settings. Settings the
//! pivot grid has no use for yet are kept as plain values, so the control reads back what it
//! set. Every failing step leaves a readable LastError() and changes nothing else.
class PivotComponent : public QObject {
    Q_OBJECT
public:
    //! Settings the component keeps by number only.
    enum Option : int { kOption6042 = 6042, kOption6050 = 6050, kOption6002006A = 0x6002006A };

    explicit PivotComponent(QObject* parent = nullptr);
    ~PivotComponent() override;

    //! The pivot table widget (area bars, grid, field list), made on the first call as a
    //! child of PARENT. Its field list reads the cube through a connection of its own.
    pivot::PivotTableWidget* Table(QWidget* parent);
    pivot::PivotTableWidget* ExistingTable() const { return m_table; }
    //! The grid of the table widget, made with it.
    pivot::PivotGrid* Grid(QWidget* parent);
    pivot::PivotGrid* ExistingGrid() const;
    //! Reads the view's cube for the table's field list and member filters when the source
    //! (connection string and data member) changed since the last read.
    void UpdateTableCube();
    //! A connection to the view's source that no session query runs on, for work on the UI
    //! thread (field list, drill-through): a connection of its own for a connection string, a
    //! second cube of the same rows for a recordset. Null with LastError() set when there is
    //! none.
    std::shared_ptr<olap::Connection> IdleConnection();
    //! The connection the session's queries run on (null before the first connect). Work on
    //! it from the UI thread only while the session is idle.
    std::shared_ptr<olap::Connection> QueryConnection() const { return m_connection; }
    pivot::PivotSession& Session() { return *m_session; }
    const pivot::PivotDefinition& Definition() const;

    //! The definition text (XMLData). Putting an empty text starts a new, empty table; a text
    //! that cannot be read keeps the view and says why. The SQL lines after the definition
    //! of a relational report are not part of it.
    QString XmlData() const;
    bool SetXmlData(const QString& text);

    QString ConnectionString() const;
    void SetConnectionString(const QString& connectionString);
    QString DataMember() const;
    void SetDataMember(const QString& dataMember);
    //! Queries the rows of RS as a cube of their own (relational reports).
    bool SetRecordset(const olap::recordset::Recordset& rs);
    //! Whether the rows come from a recordset rather than the connection string.
    bool HasRecordset() const { return m_fromRecordset; }
    //! An MDX statement or a definition text to show. A definition text is put as XMLData. An
    //! MDX statement of the shape the pivot writes becomes an editable view of its cube;
    //! any other statement is shown as its result (axes and cells, read-only) until a field
    //! is placed.
    void SetCommandText(const QString& text);
    const QString& CommandText() const { return m_commandText; }

    //! Reads schema rowset KIND of the view's cube into OUT through a connection of its own
    //! (the view's connection may be busy with a query). False with LastError() set when the
    //! source cannot be read.
    bool Discover(olap::SchemaRowsetKind kind, olap::SchemaRowset* out);
    //! Adds the measure NAME to the totals, or the hierarchy NAME with its levels to the end
    //! of the row axis. Nothing when it is in the view already.
    bool AddField(const QString& name, bool measure);
    //! Takes the total or field set NAME out of the view.
    bool RemoveField(const QString& name);
    bool UsesField(const QString& name) const;

    //! Re-runs the view's query.
    void Refresh();
    //! What the grid's current cell stands for (none without a grid or a view).
    pivot::PivotSelectionTarget SelectionTarget() const;
    //! Sorts as the selection says (pivot::PivotCommandEdit::Sort): the selected field set by
    //! caption, the rows by the selected value's total; with nothing selected the first row
    //! field set (else the first column field set) by the first shown total.
    bool Sort(pivot::SortDirection direction);
    //! Adds a calculated total that starts as a copy of the selected total, else of the first
    //! shown total.
    bool CreateCalculatedTotal();
    //! Shows or hides the subtotals of the first row field set, the first column field set and
    //! every further row field set; ROWSONLY: only of the row field sets.
    void SetSubtotals(bool shown, bool rowsOnly = false);
    //! The font of the grid and the "#,#" number format of every total.
    void ApplyFont(const QString& family, int pointSize);

    //! Shows the table's parts as the display settings below say (toolbar, field list,
    //! property toolbox, title bar, drop areas, details entry, grand totals). The control runs
    //! it with every layout and after a command changed a setting.
    void ApplyDisplay();

    //! Whether numbered setting ID is on: 6042 shows the title bar, 6050 the drop areas (the
    //! area bars), 0x6002006A takes the grand totals away.
    bool OptionOn(int id) const;

    //! Runs before every statement of the view, on the worker thread (a test holds a query
    //! there to cancel it). Takes effect with the next change of the view (a command, a new
    //! definition, a refresh).
    using QueryProbe = std::function<void(const std::string& mdx, const olap::CancellationToken& token)>;
    void SetQueryProbe(QueryProbe probe);

    bool Visible() const { return m_visible; }
    void SetVisible(bool visible);

    bool displayToolbar = false;
    bool displayFieldList = false;
    bool displayPropertyToolbox = false;
    bool displayExpandIndicator = true;
    bool autoFit = false;
    bool allowCustomOrdering = true;
    bool allowDetails = true;
    bool allowFiltering = true;
    bool allowGrouping = true;
    bool allowPropertyToolbox = true;
    //! The active-view switch SetXML, SetMDX and XMLData turn on.
    bool activeViewOption = false;
    std::map<int, bool> options;

    const QString& LastError() const { return m_lastError; }

signals:
    //! The view changed (a new layout is on show).
    void viewChanged();
    void selectionChanged();
    //! A step failed; MESSAGE says why.
    void failed(const QString& message);

private:
    void Fail(const QString& message);
    void OnPanelToggled(pivot::PivotTableWidget::Panel panel, bool visible);
    //! Opens CONNECTIONSTRING unless a connection is open already.
    void Connect(const std::string& connectionString);
    //! A NEWVIEW (definition text, statement, cube, connection, rows) starts the layout
    //! history over; other changes of the host are steps the user can undo.
    void UseDefinition(pivot::PivotDefinition definition, bool newView = false);
    //! The hierarchies of cube CUBE with their levels (All levels left out), for reading an
    //! MDX statement back into a view; empty when the source cannot be read.
    std::vector<pivot::PivotFieldSet> CubeFieldSets(const std::string& cube);

    std::unique_ptr<pivot::PivotSession> m_session;
    QPointer<pivot::PivotTableWidget> m_table;
    //! The cube source the table's fields were read from.
    QString m_tableSource;
    std::unique_ptr<olap::adomd::Catalog> m_catalog;
    std::shared_ptr<olap::Connection> m_detailConnection;
    std::shared_ptr<olap::Connection> m_connection;
    std::unique_ptr<olap::Connection> m_schemaConnection;
    QString m_commandText;
    QString m_lastError;
    bool m_fromRecordset = false;
    bool m_visible = true;
    bool m_grandTotalsHidden = false;
    QueryProbe m_probe;
};

} // namespace vantorel
