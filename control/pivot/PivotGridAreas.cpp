// The parts of the pivot grid that concern whole areas rather than cells: the hint boxes of
// empty areas, the drop indicator of a dragged field, and the field sets' filter buttons in
// the corner.
#include "control/pivot/PivotGrid.h"

#include "control/pivot/PivotSession.h"
#include "control/pivot/model/PivotLayout.h"

#include <QPainter>

#include <algorithm>

namespace pivot {

namespace {

constexpr int kPadding = 4;
constexpr int kButtonWidth = 14;

} // namespace

bool PivotGrid::CornerFieldSet(int row, int column, AxisKind* axis, int* fieldSetIndex) const
{
    if (!m_session->HasLayout())
        return false;
    const PivotLayout& layout = Layout();
    if (row < 0 || column < 0 || row >= layout.HeaderRows() || column >= layout.HeaderColumns())
        return false;
    // As the layout names them: the bottom row the row fields, the last column above it the
    // column fields.
    const bool rows = row == layout.HeaderRows() - 1;
    const PivotAxisLayout& side = rows ? layout.Rows() : layout.Columns();
    const int band = rows ? column : row;
    if (!rows && column != layout.HeaderColumns() - 1)
        return false;
    if (band >= side.BandCount() || side.PositionCount() == 0)
        return false;
    const int index = side.CellAt(band, 0).fieldSetIndex;
    if (index < 0)
        return false;
    *axis = rows ? AxisKind::Row : AxisKind::Column;
    *fieldSetIndex = index;
    return true;
}

QRect PivotGrid::FieldButtonRect(int row, int column) const
{
    AxisKind axis = AxisKind::Row;
    int index = -1;
    if (!CornerFieldSet(row, column, &axis, &index))
        return {};
    // One button per field set, on the caption of its first field.
    AxisKind before = axis;
    int previous = -1;
    const bool first = axis == AxisKind::Row
        ? !CornerFieldSet(row, column - 1, &before, &previous) || previous != index
        : !CornerFieldSet(row - 1, column, &before, &previous) || previous != index;
    if (!first)
        return {};
    const QRect cell = CellRect(row, column);
    return QRect(cell.right() - kButtonWidth, cell.top() + 1, kButtonWidth - 1, cell.height() - 2);
}

const PivotFieldSet* PivotGrid::ShownFieldSet(AxisKind axis, int fieldSetIndex) const
{
    int seen = 0;
    for (const PivotFieldSet& fieldSet : m_session->ShownDefinition().Axis(axis)) {
        if (fieldSet.IncludedFields().empty())
            continue;
        if (seen++ == fieldSetIndex)
            return &fieldSet;
    }
    return nullptr;
}

bool PivotGrid::AcceptsDrops() const
{
    return !m_session->HasLayout() || !m_session->ShownDefinition().IsRawQuery();
}

void PivotGrid::SetExpandIndicatorsShown(bool shown)
{
    if (shown == m_expandIndicators)
        return;
    m_expandIndicators = shown;
    if (m_session->HasLayout()) {
        MeasureColumns();
        UpdateScrollBars();
    }
    viewport()->update();
}

void PivotGrid::SetDropIndicator(const QRect& rect)
{
    if (rect == m_dropIndicator)
        return;
    m_dropIndicator = rect;
    viewport()->update();
}

QRect PivotGrid::EmptyAreaRect(AxisKind area) const
{
    // A view of a given statement is read-only: nothing to drop on it.
    if (!m_session->HasLayout() || !AcceptsDrops())
        return {};
    const PivotDefinition& shown = m_session->ShownDefinition();
    // Rows and columns count their field sets only: the totals' own headers are no field.
    const auto& fieldSets = shown.Axis(area);
    const bool empty = area == AxisKind::Data ? shown.IncludedTotals().empty()
        : area == AxisKind::Filter            ? false
                                              : std::none_of(fieldSets.begin(), fieldSets.end(),
                                                  [](const PivotFieldSet& f) { return !f.IncludedFields().empty(); });
    if (!empty)
        return {};
    // The hints sit in the free space beside and below the grid, side by side where several
    // are shown: columns to the right of the grid at the top, rows below it on the left,
    // measures to the right of the rows' box and below the columns' one.
    const QSize full = FullSize();
    const QRect view = viewport()->rect();
    constexpr int kGap = 8;
    constexpr int kHintWidth = 190;
    constexpr int kHintHeight = 56;
    const bool columnsHint = area != AxisKind::Column && !EmptyAreaRect(AxisKind::Column).isEmpty();
    const bool rowsHint = area == AxisKind::Data && !EmptyAreaRect(AxisKind::Row).isEmpty();
    const int below = full.height() + kGap;
    QRect rect;
    if (area == AxisKind::Row)
        rect = QRect(kGap, columnsHint ? std::max(below, kGap + kHintHeight + kGap) : below, kHintWidth, kHintHeight);
    else if (area == AxisKind::Column)
        rect = QRect(full.width() + kGap, kGap, kHintWidth, kHintHeight);
    else
        rect = QRect(rowsHint ? std::max(full.width(), kGap + kHintWidth) + kGap : full.width() + kGap,
            columnsHint ? std::max(below, kGap + kHintHeight + kGap) : below, kHintWidth, kHintHeight);
    rect = rect.intersected(view.adjusted(0, 0, -2, -2));
    return rect.width() >= 60 && rect.height() >= m_rowHeight ? rect : QRect();
}

void PivotGrid::PaintEmptyAreaHints(QPainter& painter)
{
    const QPalette& pal = palette();
    for (AxisKind area : {AxisKind::Row, AxisKind::Column, AxisKind::Data}) {
        const QRect rect = EmptyAreaRect(area);
        if (rect.isEmpty())
            continue;
        QPen pen(pal.color(QPalette::Mid), 1, Qt::DashLine);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect.adjusted(0, 0, -1, -1));
        painter.setPen(pal.color(QPalette::PlaceholderText));
        const QString hint = area == AxisKind::Row ? tr("Drop fields here for row headers")
            : area == AxisKind::Column             ? tr("Drop fields here for column headers")
                                                   : tr("Drop measures here");
        painter.drawText(rect.adjusted(kPadding, 0, -kPadding, 0), Qt::AlignCenter | Qt::TextWordWrap, hint);
    }
}

void PivotGrid::PaintDropIndicator(QPainter& painter)
{
    QPen pen(palette().color(QPalette::Highlight), 2);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    if (m_dropIndicator.width() <= 3 || m_dropIndicator.height() <= 3)
        painter.fillRect(m_dropIndicator, palette().color(QPalette::Highlight));
    else
        painter.drawRect(m_dropIndicator.adjusted(1, 1, -1, -1));
}

} // namespace pivot
