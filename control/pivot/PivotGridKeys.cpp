#include "control/pivot/PivotGrid.h"
#include "control/pivot/PivotSelectionText.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMimeData>

#include <algorithm>

namespace pivot {

void PivotGrid::CopySelectionWithPaths() const
{
    const QRect s = Selection();
    if (s.isEmpty())
        return;
    auto* data = new QMimeData;
    data->setText(QString::fromStdString(
        PivotSelectionText::TabSeparatedWithPaths(Layout(), s.top(), s.left(), s.bottom(), s.right())));
    QApplication::clipboard()->setMimeData(data);
}

QPoint PivotGrid::JumpTarget(int dr, int dc) const
{
    const PivotLayout& layout = Layout();
    const int row = m_currentRow;
    const int column = m_currentColumn;
    const bool inRowBand = column < layout.HeaderColumns();
    const bool inColumnBand = row < layout.HeaderRows();
    // The block the current cell lies in: the values, one of the header bands or the corner.
    const int top = inColumnBand ? 0 : layout.HeaderRows();
    const int bottom = inColumnBand ? layout.HeaderRows() - 1 : layout.RowCount() - 1;
    const int left = inRowBand ? 0 : layout.HeaderColumns();
    const int right = inRowBand ? layout.HeaderColumns() - 1 : layout.ColumnCount() - 1;
    const PivotGridCell cell = layout.Cell(row, column);
    // Along a header band: the next member of the same band (so the same level), passing
    // over cells without a member; where there is none the cursor stays.
    if (inRowBand && !inColumnBand && dr != 0) {
        for (int r = dr > 0 ? cell.anchorRow + cell.rowSpan : cell.anchorRow - 1; r >= top && r <= bottom;) {
            const PivotGridCell next = layout.Cell(r, column);
            if (next.header)
                return {column, next.anchorRow};
            r = dr > 0 ? next.anchorRow + next.rowSpan : next.anchorRow - 1;
        }
        return {column, row};
    }
    if (inColumnBand && !inRowBand && dc != 0) {
        for (int c = dc > 0 ? cell.anchorColumn + cell.columnSpan : cell.anchorColumn - 1; c >= left && c <= right;) {
            const PivotGridCell next = layout.Cell(row, c);
            if (next.header)
                return {next.anchorColumn, row};
            c = dc > 0 ? next.anchorColumn + next.columnSpan : next.anchorColumn - 1;
        }
        return {column, row};
    }
    // The values (and across a band): the edge of the block.
    const int r = dr < 0 ? top : dr > 0 ? bottom : row;
    const int c = dc < 0 ? left : dc > 0 ? right : column;
    return {std::max(c, 0), std::max(r, 0)};
}

bool PivotGrid::HandleCommandKey(QKeyEvent* event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (event->key() == Qt::Key_F5 && modifiers == Qt::NoModifier) {
        emit refreshRequested();
        return true;
    }
    if (m_currentRow < 0)
        return false;
    if (event->key() == Qt::Key_C && modifiers == (Qt::ControlModifier | Qt::ShiftModifier)) {
        CopySelectionWithPaths();
        return true;
    }
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && modifiers == Qt::NoModifier
        && Layout().Cell(m_currentRow, m_currentColumn).kind == PivotGridCell::Kind::Value) {
        emit detailsRequested(m_currentRow, m_currentColumn);
        return true;
    }
    if (!modifiers.testFlag(Qt::ControlModifier) || modifiers.testFlag(Qt::AltModifier))
        return false;
    int dr = 0;
    int dc = 0;
    switch (event->key()) {
    case Qt::Key_Left:
        dc = -1;
        break;
    case Qt::Key_Right:
        dc = 1;
        break;
    case Qt::Key_Up:
        dr = -1;
        break;
    case Qt::Key_Down:
        dr = 1;
        break;
    default:
        return false;
    }
    const QPoint target = JumpTarget(dr, dc);
    SetCurrentCell(target.y(), target.x(), modifiers.testFlag(Qt::ShiftModifier));
    return true;
}

} // namespace pivot
