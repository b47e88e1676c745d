#pragma once

#include "control/pivot/PivotTextWidths.h"
#include "control/pivot/model/AxisKind.h"
#include "control/pivot/model/PivotCellColors.h"
#include "control/pivot/model/PivotGridCell.h"

#include <QAbstractScrollArea>
#include <QRect>
#include <QString>
#include <QTimer>

#include <map>
#include <memory>
#include <vector>

class QMimeData;

namespace pivot {

class PivotLayout;
struct PivotFieldSet;
class PivotSession;

//! The painted pivot grid over a PivotSession's layout. Column headers and row headers are
//! frozen (they never scroll away), merged header cells are drawn once with their caption kept
//! in the visible part, and only the cells in view are asked for and painted. Totals are bold
//! on a tinted band, the grand total has a rule above it; values are right-aligned as the
//! layout formats them. Colours come from the palette.
//!
//! Members with children carry an expand/collapse glyph: a click on it (or a double click,
//! Enter, Space, + and - on the member) expands or collapses that member through the session.
//! Cells are selected with the mouse (Shift extends) and the keyboard (arrows, Page Up/Down,
//! Home/End, Ctrl+Home/End, Ctrl+A); Ctrl+C copies the selection as HTML (merged headers kept)
//! and tab-separated text. While the session works the grid dims after a short delay and says
//! so; Escape cancels.
class PivotGrid : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit PivotGrid(PivotSession* session, QWidget* parent = nullptr);

    //! The current cell and the selection (grid coordinates, inclusive; invalid when the
    //! layout is empty).
    int CurrentRow() const { return m_currentRow; }
    int CurrentColumn() const { return m_currentColumn; }
    QRect Selection() const;
    //! Selects the rectangle spanned by (ROW, COLUMN) and the anchor, or from (ROW, COLUMN) alone.
    void SetCurrentCell(int row, int column, bool extend = false);
    //! No current cell and no selection (until the next click or layout).
    void ClearSelection();
    //! The selection as clipboard data: "text/html" and tab-separated "text/plain".
    QMimeData* SelectionMimeData() const;
    void CopySelection() const;
    //! Copies the selection as tab-separated text with its row and column paths: the column
    //! header lines above it and the row header columns before it (Ctrl+Shift+C).
    void CopySelectionWithPaths() const;

    //! Where grid cell (ROW, COLUMN) is drawn in viewport coordinates (its merged area for a
    //! header), taking the frozen headers into account.
    QRect CellRect(int row, int column) const;
    //! The grid cell under viewport point POINT, or false.
    bool CellAt(const QPoint& point, int* row, int* column) const;
    //! The expand/collapse glyph of the header cell at (ROW, COLUMN), or an empty rect.
    QRect GlyphRect(int row, int column) const;
    //! The tooltip of grid cell (ROW, COLUMN): a header's full caption and unique name; a
    //! value's row and column paths (the members behind it) with its formatted and raw value.
    QString ToolTip(int row, int column) const;
    //! The field set whose caption corner cell (ROW, COLUMN) shows: its axis (Row or Column)
    //! and its index among that axis' field sets that show a field. False for other cells.
    bool CornerFieldSet(int row, int column, AxisKind* axis, int* fieldSetIndex) const;
    //! The filter button on the caption of a field set's first field in the corner (viewport
    //! coordinates), or an empty rect.
    QRect FieldButtonRect(int row, int column) const;
    //! Shows or hides the expand/collapse glyphs (members still toggle with a double click,
    //! Enter, Space, + and -). Shown by default.
    void SetExpandIndicatorsShown(bool shown);
    bool ExpandIndicatorsShown() const { return m_expandIndicators; }
    //! What a screen reader says for grid cell (ROW, COLUMN): a value's row, column and total
    //! captions with its text ("Juice; 2023; Units: 35"), a member's caption, level and state
    //! ("Drink, Category, expanded"), a field caption. The grid's accessible description
    //! follows the current cell.
    QString AccessibleText(int row, int column) const;
    //! The key a column's width is kept under: the member path of a value column (the unique
    //! names of its headers), the band of a row header column. Stable across refreshes,
    //! sorting and filtering, unlike the column's index.
    QString ColumnKey(int column) const;
    //! Sets column COLUMN to WIDTH pixels and keeps it for that column's key (what dragging the
    //! edge of a column header does); a WIDTH of 0 forgets the kept width and fits the column
    //! to its contents again (a double click on the edge).
    void SetColumnWidth(int column, int width);
    int ColumnWidthAt(int column) const { return ColumnWidth(column); }
    //! The column whose right edge is under viewport point POINT in the header rows, or -1.
    int ColumnEdgeAt(const QPoint& point) const;
    //! The sort arrow a header shows: 1 ascending, -1 descending, 0 none. A total's header on
    //! the grand total line (or the only line) of one axis shows it when a field set of the
    //! other axis is sorted by that total.
    int SortArrowAt(const PivotGridCell& cell) const;
    //! Whether the view on show takes fields dropped on it: not a view of a given statement,
    //! which is shown read-only.
    bool AcceptsDrops() const;
    //! Whether the "working" state is drawn (the session has worked for a while).
    bool ShowsWorking() const { return m_showWorking; }

    //! Marks RECT (viewport coordinates) as the place a dragged field would land; an empty
    //! rect hides the mark.
    void SetDropIndicator(const QRect& rect);
    QRect DropIndicator() const { return m_dropIndicator; }
    //! The hint box drawn in the free space of the viewport for AREA (Row, Column, Data) while
    //! the view on show has nothing there, or an empty rect.
    QRect EmptyAreaRect(AxisKind area) const;

    QSize sizeHint() const override;
    //! The size the whole grid needs, headers included (for rendering it in one piece).
    QSize FullSize() const;

signals:
    void selectionChanged();
    //! The filter button of a field set's caption was clicked (BUTTON in global coordinates).
    void fieldButtonClicked(AxisKind axis, int fieldSetIndex, const QRect& button);
    //! Enter on a value cell: the host shows the rows behind it.
    void detailsRequested(int row, int column);
    //! F5: fetch the view's data again.
    void refreshRequested();
    //! A click on the header of total TOTAL that the view's sort can read (the arrow's
    //! place): AXIS is the header's axis, so the field sets of the other axis are sorted.
    void totalHeaderClicked(AxisKind axis, const QString& total);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void changeEvent(QEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    void OnLayoutChanged();
    void OnWorkingChanged(bool working);
    void MeasureColumns();
    void UpdateScrollBars();
    int ColumnX(int column) const { return m_columnX[static_cast<std::size_t>(column)]; }
    int ColumnWidth(int column) const { return ColumnX(column + 1) - ColumnX(column); }
    int RowY(int row) const { return row * m_rowHeight; }
    int FrozenWidth() const;
    int FrozenHeight() const;
    //! The grid column (row) at content offset X (Y), clamped.
    int ColumnAtX(int x) const;
    int RowAtY(int y) const;
    void PaintPane(QPainter& painter, const QRect& pane, int firstRow, int lastRow, int firstColumn, int lastColumn,
        int dx, int dy);
    void PaintDropIndicator(QPainter& painter);
    void PaintEmptyAreaHints(QPainter& painter);
    void PaintCell(QPainter& painter, const PivotGridCell& cell, const QRect& rect, const QRect& visible);
    //! The text widths of FONT on the viewport, kept across frames.
    PivotTextWidths& TextWidths(const QFont& font);
    bool ToggleAt(int row, int column, int expand);
    void EnsureVisible(int row, int column);
    const PivotLayout& Layout() const;
    //! The field set behind FIELDSETINDEX on AXIS of the definition on show, or null.
    const PivotFieldSet* ShownFieldSet(AxisKind axis, int fieldSetIndex) const;

    PivotSession* m_session;
    //! The colour rules measured over the layout on show.
    PivotCellColors m_colors;
    std::vector<int> m_columnX {0};
    int m_rowHeight = 20;
    int m_currentRow = -1;
    int m_currentColumn = -1;
    int m_anchorRow = -1;
    int m_anchorColumn = -1;
    bool m_showWorking = false;
    QTimer m_workingDelay;
    QRect m_dropIndicator;
    bool m_expandIndicators = true;
    //! Widths the user gave columns, by ColumnKey.
    std::map<QString, int> m_manualWidths;
    //! The column whose edge is being dragged (-1: none) and where the drag started.
    int m_resizeColumn = -1;
    int m_resizeStartX = 0;
    int m_resizeStartWidth = 0;
    //! Puts the kept manual widths on WIDTHS (one per column of the layout on show).
    void ApplyManualWidths(std::vector<int>& widths) const;
    //! F5, Ctrl+Shift+C, Enter on a value and Ctrl+arrows; false for any other key.
    bool HandleCommandKey(QKeyEvent* event);
    //! Where Ctrl+arrow (DR, DC one of -1, 0, 1) goes from the current cell: the next member of
    //! the same level in a header band, the edge of the block in the values.
    QPoint JumpTarget(int dr, int dc) const;
    //! Fitted widths of the columns shown so far, by ColumnKey: a later layout keeps them and
    //! fits only columns it has not shown before.
    mutable std::map<QString, int> m_fittedWidths;
    //! What the kept fits were measured for (the view's source, fonts and glyphs); a change
    //! of any of these fits every column again.
    std::string m_fitBasis;
    void ForgetFitsWhenRemeasured(const PivotDefinition& shown, const std::vector<const PivotTextStyle*>& styles);
    //! Where the last left press went, so a release there counts as a click.
    QPoint m_pressPoint {-1, -1};
    //! Emits totalHeaderClicked when a release at POINT ends a click on a sortable total header.
    void ClickTotalHeader(const QPoint& point);
    //! Whether CELL is a total's header the view's sort can read.
    bool IsSortableTotal(const PivotGridCell& cell) const;
    void UpdateAccessibleDescription();
    //! The lines a value's tooltip adds after its value: its row path, its column path and the
    //! filters in force (each line begins with a newline; empty parts are left out).
    QString ValueContext(int row, int column) const;
    std::vector<std::unique_ptr<PivotTextWidths>> m_textWidths;
};

} // namespace pivot
