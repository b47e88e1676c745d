#pragma once

#include "control/pivot/PivotCommand.h"
#include "control/pivot/PivotCubeFields.h"
#include "control/pivot/PivotMemberFilterPopup.h"
#include "control/pivot/PivotSelectionTarget.h"
#include "control/pivot/model/AxisKind.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>

class QLabel;
class QMenu;
class QSplitter;

namespace olap::adomd {
class CubeDef;
}

namespace pivot {

class PivotAreaBar;
class PivotCellGuard;
class PivotContextMenu;
class PivotDeferBox;
struct PivotDefinition;
class PivotDragController;
class PivotFieldList;
class PivotGrid;
class PivotGridDropTarget;
class PivotPropertyToolbox;
class PivotToolbar;
class PivotPendingNote;
class PivotSession;
class PivotUndoKeys;

//! The pivot table as the user works with it: the area bars (filters and columns above the
//! grid, values beside the columns, rows on the left), the painted grid, and the field list
//! on the right. Fields move by dragging among them; the grid takes drops on its headers.
//! The session stays the caller's: this widget edits its definition and shows its layout.
class PivotTableWidget : public QWidget {
    Q_OBJECT
public:
    //! The parts of the table besides the grid that can be shown or hidden.
    enum class Panel { Toolbar, FieldList, PropertyToolbox, TitleBar, DropAreas };
    Q_ENUM(Panel)

    explicit PivotTableWidget(PivotSession* session, QWidget* parent = nullptr);
    ~PivotTableWidget() override;

    //! The cube whose fields the field list offers and whose members the filters list. The
    //! cube definition is read here, on the calling thread, so it should have a connection
    //! of its own, not the one the session's queries run on. A cube that cannot be read
    //! leaves the field list empty and returns false (the message is in LastError()).
    bool SetCube(std::shared_ptr<const olap::adomd::CubeDef> cube);
    //! The same with fields already read (no member lists for the filters).
    void SetCubeFields(PivotCubeFields fields);
    const std::shared_ptr<const olap::adomd::CubeDef>& Cube() const { return m_cube; }
    const QString& LastError() const { return m_lastError; }

    PivotSession* Session() const { return m_session; }
    PivotGrid* Grid() const { return m_grid; }
    PivotFieldList* FieldList() const { return m_fieldList; }
    PivotAreaBar* AreaBar(AxisKind area) const;
    PivotDragController* DragController() const { return m_drag; }
    //! Shows or hides the field list (the grid keeps its place).
    void SetFieldListVisible(bool visible);

    //! Shows or hides a part of the table. A new table shows its field list and drop areas
    //! and hides its toolbar, property toolbox and title bar.
    void SetPanelVisible(Panel panel, bool visible);
    bool PanelVisible(Panel panel) const;
    PivotToolbar* Toolbar() const { return m_toolbar; }
    PivotPropertyToolbox* PropertyToolbox() const { return m_toolbox; }
    QLabel* TitleBar() const { return m_titleBar; }
    //! The question before a layout with too many cells (its threshold, a test's answers).
    PivotCellGuard* CellGuard() const { return m_guard; }
    //! "Defer layout update" and Update, at the bottom of the field list.
    PivotDeferBox* DeferBox() const { return m_deferBox; }
    //! The note under the grid while the areas hold a layout the grid does not show.
    PivotPendingNote* PendingNote() const { return m_pendingNote; }

    //! What the commands act on: the chip the user selected last in an area bar, until a
    //! grid cell is clicked or the grid takes focus; else what the grid's current cell stands
    //! for (none without a current cell).
    PivotSelectionTarget SelectionTarget() const;
    //! The target of the selected chip, or none when the grid's cell is the target.
    PivotSelectionTarget ChipTarget() const;
    //! Runs COMMAND of the command list on the selection, as the toolbar does: sorts, filter,
    //! subtotals and grand totals, expand and collapse (the selected member, else the whole
    //! level of the selected field set), refresh, export, field list, property toolbox, a new
    //! calculated total, cancel of a running query, the cell's explanation. Returns false when
    //! the command had nothing to act on.
    bool ExecuteCommand(PivotCommand command);

    //! Opens the member filter of field set NAME next to ANCHOR (global coordinates); OK sets
    //! the filter and re-queries. Returns the popup (it deletes itself when closed), or null
    //! when there is no such field set or no cube to list members from.
    PivotMemberFilterPopup* OpenFilter(const QString& name, const QRect& anchor = {});
    PivotMemberFilterPopup* FilterPopup() const { return m_filterPopup; }

    //! The menu of field set NAME (chip or header): sort by caption or by a total, filter,
    //! subtotals, expand or collapse the whole level LEVEL (the header's level; empty: the
    //! first level shown), move to another area, remove. The caller owns the menu. Null for
    //! an unknown field set.
    QMenu* FieldSetMenu(const QString& name, const std::string& level = {}, QWidget* parent = nullptr);
    //! The menu of shown total NAME: move, remove, and sort the rows or columns by it.
    QMenu* TotalMenu(const QString& name, QWidget* parent = nullptr);
    //! The menu of the Σ Values chip: move the totals to the other axis, outward or inward.
    QMenu* ValuesMenu(QWidget* parent = nullptr);

    //! Called with the menu of value cell (ROW, COLUMN) before it shows; the handler may add,
    //! change or remove entries (the control adds its drill-through entry here).
    using CellMenuHook = std::function<void(QMenu& menu, int row, int column)>;
    void SetCellMenuHook(CellMenuHook hook) { m_cellMenuHook = std::move(hook); }

    //! The before-context-menu and command events of every menu of the table (value cells,
    //! headers, chips): the host changes menus and hears chosen entries there.
    PivotContextMenu* ContextMenu() const { return m_contextMenu; }
    //! Whether value cells' menus offer "Show &Details" (command 12095, for the host to run).
    void SetDetailsAllowed(bool allowed) { m_detailsAllowed = allowed; }
    bool DetailsAllowed() const { return m_detailsAllowed; }

    //! "Why this number" for value cell (ROW, COLUMN) of the grid (empty for other cells), and
    //! the same shown in a message box (the value cells' menu offers it).
    QString Explanation(int row, int column) const;
    void ShowExplanation(int row, int column);

signals:
    //! The user showed or hid PANEL (toolbar button, toolbox close button).
    void panelToggled(Panel panel, bool visible);
    //! The toolbar's refresh and export, for a host that does them its own way (a table whose
    //! signal has no receiver re-runs its query, and exports to a workbook the user names).
    void refreshRequested();
    void exportRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    PivotSession* m_session;
    PivotDragController* m_drag;
    PivotGrid* m_grid;
    std::unique_ptr<PivotGridDropTarget> m_gridTarget;
    PivotFieldList* m_fieldList;
    PivotAreaBar* m_bars[4] = {};
    //! Applies EDIT to a copy of the definition and re-queries when it changed something.
    bool Edit(const std::function<bool(PivotDefinition&)>& edit);
    //! Steps the innermost field set of AXIS through sorted by TOTAL ascending, descending and
    //! unsorted (a click on the total's header).
    bool CycleTotalSort(AxisKind axis, const std::string& total);
    void ShowHeaderMenu(const QPoint& viewportPosition);
    void ShowBarMenu(AxisKind area, const QString& name, const QPoint& globalPosition);

    std::shared_ptr<const olap::adomd::CubeDef> m_cube;
    QString m_lastError;
    QPointer<PivotMemberFilterPopup> m_filterPopup;
    CellMenuHook m_cellMenuHook;
    PivotContextMenu* m_contextMenu;
    bool m_detailsAllowed = false;
    //! Puts the toolbar and title bar above SPLITTER and the property toolbox in it.
    void BuildPanels(QSplitter* splitter);
    void UpdateTitle();
    //! Gives a panel of the splitter that just appeared WIDTH pixels at most.
    void MakeRoom(QWidget* panel, int width);
    PivotToolbar* m_toolbar = nullptr;
    PivotPropertyToolbox* m_toolbox = nullptr;
    QLabel* m_titleBar = nullptr;
    QSplitter* m_splitter = nullptr;
    PivotCellGuard* m_guard = nullptr;
    PivotDeferBox* m_deferBox = nullptr;
    PivotPendingNote* m_pendingNote = nullptr;
    PivotUndoKeys* m_undoKeys = nullptr;
    //! The chip selected last (empty name: none); see SelectionTarget.
    AxisKind m_chipArea = AxisKind::Row;
    std::string m_chipName;
    //! Makes the area bars' selected chips the commands' target.
    void FollowChips();
    void SetChipTarget(AxisKind area, const std::string& name);
};

} // namespace pivot
