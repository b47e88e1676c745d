#include "control/pivot/PivotGridDropTarget.h"

#include "control/pivot/PivotDragController.h"
#include "control/pivot/PivotGrid.h"
#include "control/pivot/PivotSession.h"
#include "control/pivot/model/PivotLayout.h"

#include <QScrollBar>

namespace pivot {

PivotGridDropTarget::PivotGridDropTarget(PivotGrid* grid, PivotDragController* drag) : m_grid(grid), m_drag(drag)
{
}

QWidget* PivotGridDropTarget::DropWidget()
{
    return m_grid->viewport();
}

bool PivotGridDropTarget::Resolve(
    const PivotFieldDrag& drag, const QPoint& point, AxisKind* area, int* position, QRect* mark) const
{
    const QRect view = m_grid->viewport()->rect();
    // The result of a given statement is shown read-only; fields go to the area bars instead.
    if (!m_grid->AcceptsDrops())
        return false;
    if (drag.IsMeasure()) {
        *area = AxisKind::Data;
        *position = -1;
        const QRect hint = m_grid->EmptyAreaRect(AxisKind::Data);
        *mark = hint.isEmpty() ? view : hint;
        return true;
    }
    for (AxisKind kind : {AxisKind::Row, AxisKind::Column}) {
        const QRect hint = m_grid->EmptyAreaRect(kind);
        if (hint.contains(point)) {
            *area = kind;
            *position = -1;
            *mark = hint;
            return true;
        }
    }
    PivotSession* session = m_drag->Session();
    const QSize full = m_grid->FullSize();
    int row = 0;
    int column = 0;
    if (!session->HasLayout() || !m_grid->CellAt(point, &row, &column)) {
        // The free space below the grid takes rows, the space to its right columns.
        if (point.y() >= full.height()) {
            *area = AxisKind::Row;
            *mark = QRect(0, full.height(), std::max(full.width(), 40), 3);
        } else if (point.x() >= full.width()) {
            *area = AxisKind::Column;
            *mark = QRect(full.width(), 0, 3, std::max(full.height(), 40));
        } else {
            return false;
        }
        *position = -1;
        return true;
    }
    const PivotLayout& layout = session->Layout();
    const PivotGridCell cell = layout.Cell(row, column);
    const QRect rect = m_grid->CellRect(row, column);
    int fieldSet = -1;
    bool rows = false;
    switch (cell.kind) {
    case PivotGridCell::Kind::RowHeader:
        rows = true;
        fieldSet = cell.header ? cell.header->fieldSetIndex : -1;
        break;
    case PivotGridCell::Kind::ColumnHeader:
        fieldSet = cell.header ? cell.header->fieldSetIndex : -1;
        break;
    case PivotGridCell::Kind::Corner:
        // The corner's last line holds the row fields' captions, the rest belongs to columns.
        rows = row == layout.HeaderRows() - 1 && column < layout.HeaderColumns();
        if (rows && layout.Rows().PositionCount() > 0)
            fieldSet = layout.Rows().CellAt(column, 0).fieldSetIndex;
        else if (!rows && row < layout.Columns().BandCount() && layout.Columns().PositionCount() > 0)
            fieldSet = layout.Columns().CellAt(row, 0).fieldSetIndex;
        break;
    case PivotGridCell::Kind::Value:
        return false;
    }
    *area = rows ? AxisKind::Row : AxisKind::Column;
    if (fieldSet < 0) {
        *position = -1;
    } else {
        const bool before = rows ? point.x() < rect.center().x() : point.y() < rect.center().y();
        *position = before ? fieldSet : fieldSet + 1;
    }
    // A line on the near edge of the band the drop goes before (or after).
    if (rows) {
        const int x = (*position == fieldSet) ? rect.left() : rect.right() - 1;
        *mark = QRect(std::max(0, x - 1), 0, 3, std::min(view.height(), std::max(full.height(), 40)));
    } else {
        const int y = (*position == fieldSet) ? rect.top() : rect.bottom() - 1;
        *mark = QRect(0, std::max(0, y - 1), std::min(view.width(), std::max(full.width(), 40)), 3);
    }
    return true;
}

bool PivotGridDropTarget::DragOver(const PivotFieldDrag& drag, const QPoint& point)
{
    AxisKind area = AxisKind::Row;
    int position = -1;
    QRect mark;
    if (!Resolve(drag, point, &area, &position, &mark)) {
        m_grid->SetDropIndicator({});
        return false;
    }
    m_grid->SetDropIndicator(mark);
    return true;
}

void PivotGridDropTarget::DragLeave()
{
    m_grid->SetDropIndicator({});
}

bool PivotGridDropTarget::DropAt(const PivotFieldDrag& drag, const QPoint& point)
{
    m_grid->SetDropIndicator({});
    AxisKind area = AxisKind::Row;
    int position = -1;
    QRect mark;
    return Resolve(drag, point, &area, &position, &mark) && m_drag->Place(drag, area, position);
}

} // namespace pivot
