// The parts of the pivot grid that concern columns and what a cell says about itself: widths
// the user drags (kept by member path, so they survive a refresh, a sort or a filter), the
// double click that fits a column again, and the text screen readers get for a cell.
#include "control/pivot/PivotGrid.h"

#include "control/pivot/PivotCellStyle.h"
#include "control/pivot/PivotSession.h"
#include "control/pivot/model/MdxNames.h"
#include "control/pivot/model/PivotLayout.h"

#include <QMouseEvent>
#include <QScrollBar>
#include <QStringList>

#include <algorithm>

namespace pivot {

namespace {

//! How near a column's right edge (pixels) the pointer grabs it.
constexpr int kEdgeGrip = 2;
constexpr int kNarrowestColumn = 16;

QString HeaderKey(const PivotHeaderCell& header)
{
    switch (header.kind) {
    case PivotHeaderCell::Kind::Member:
    case PivotHeaderCell::Kind::Total:
        return QString::fromStdString(header.uniqueName);
    case PivotHeaderCell::Kind::Subtotal:
        return QStringLiteral("(subtotal)");
    case PivotHeaderCell::Kind::GrandTotal:
        return QStringLiteral("(grand total)");
    case PivotHeaderCell::Kind::Empty:
        break;
    }
    return {};
}

//! The captions of the headers at POSITION of AXIS, outermost first.
QStringList CaptionPath(const PivotAxisLayout& axis, int position)
{
    QStringList path;
    if (position < 0 || position >= axis.PositionCount())
        return path;
    for (int band = 0; band < axis.BandCount(); ++band) {
        const PivotHeaderCell& header = axis.CellAt(band, position);
        if (header.kind != PivotHeaderCell::Kind::Empty && header.band == band && !header.caption.empty())
            path << QString::fromStdString(header.caption);
    }
    return path;
}

QString MemberCaption(const std::string& uniqueName)
{
    return QString::fromStdString(MdxNames::LastSegment(uniqueName));
}

} // namespace

QString PivotGrid::ValueContext(int row, int column) const
{
    const PivotLayout& layout = Layout();
    QString text;
    const QStringList rows = CaptionPath(layout.Rows(), row - layout.HeaderRows());
    const QStringList columns = CaptionPath(layout.Columns(), column - layout.HeaderColumns());
    if (!rows.isEmpty())
        text += QStringLiteral("\n") + tr("Rows: %1").arg(rows.join(QStringLiteral(" / ")));
    if (!columns.isEmpty())
        text += QStringLiteral("\n") + tr("Columns: %1").arg(columns.join(QStringLiteral(" / ")));
    // What the filters keep: a filter field set's members, the others' filters by name.
    QStringList filters;
    const PivotDefinition& shown = m_session->ShownDefinition();
    for (const auto* axis : {&shown.filterAxis, &shown.rowAxis, &shown.columnAxis}) {
        for (const PivotFieldSet& fieldSet : *axis) {
            const QString name
                = QString::fromStdString(fieldSet.caption.empty() ? fieldSet.uniqueName : fieldSet.caption);
            const bool members = fieldSet.filter.IsActive() && !fieldSet.filter.members.empty();
            if (members && axis == &shown.filterAxis) {
                QStringList kept;
                for (const std::string& member : fieldSet.filter.members)
                    kept << MemberCaption(member);
                const bool include = fieldSet.filter.mode == PivotMemberFilter::Mode::Include;
                filters << name + QStringLiteral(": ") + (include ? QString() : tr("all but "))
                        + kept.join(QStringLiteral(", "));
            } else if (members || fieldSet.top.IsActive() || fieldSet.condition.IsActive()) {
                filters << tr("%1 (filtered)").arg(name);
            }
        }
    }
    if (!filters.isEmpty())
        text += QStringLiteral("\n") + tr("Filters: %1").arg(filters.join(QStringLiteral("; ")));
    return text;
}

bool PivotGrid::IsSortableTotal(const PivotGridCell& cell) const
{
    if (!cell.header || cell.header->kind != PivotHeaderCell::Kind::Total
        || (cell.kind != PivotGridCell::Kind::ColumnHeader && cell.kind != PivotGridCell::Kind::RowHeader))
        return false;
    const PivotDefinition& shown = m_session->ShownDefinition();
    const bool columns = cell.kind == PivotGridCell::Kind::ColumnHeader;
    const auto& own = shown.Axis(columns ? AxisKind::Column : AxisKind::Row);
    // The sort reads the total on the grand total of the field sets beside it.
    const bool ownFieldSets
        = std::any_of(own.begin(), own.end(), [](const PivotFieldSet& f) { return !f.IncludedFields().empty(); });
    return (!ownFieldSets || cell.isGrandTotal) && shown.FindTotal(cell.header->uniqueName);
}

void PivotGrid::ClickTotalHeader(const QPoint& point)
{
    int row = 0;
    int column = 0;
    int pressRow = 0;
    int pressColumn = 0;
    if (!CellAt(point, &row, &column) || !CellAt(m_pressPoint, &pressRow, &pressColumn))
        return;
    const PivotGridCell cell = Layout().Cell(row, column);
    const PivotGridCell pressed = Layout().Cell(pressRow, pressColumn);
    if (cell.anchorRow != pressed.anchorRow || cell.anchorColumn != pressed.anchorColumn || !IsSortableTotal(cell)
        || GlyphRect(row, column).adjusted(-2, -2, 2, 2).contains(point))
        return;
    emit totalHeaderClicked(cell.kind == PivotGridCell::Kind::ColumnHeader ? AxisKind::Column : AxisKind::Row,
        QString::fromStdString(m_session->ShownDefinition().FindTotal(cell.header->uniqueName)->name));
}

int PivotGrid::SortArrowAt(const PivotGridCell& cell) const
{
    if (!IsSortableTotal(cell))
        return 0;
    const PivotDefinition& shown = m_session->ShownDefinition();
    const bool columns = cell.kind == PivotGridCell::Kind::ColumnHeader;
    const PivotTotal* total = shown.FindTotal(cell.header->uniqueName);
    if (!total)
        return 0;
    for (const PivotFieldSet& fieldSet : shown.Axis(columns ? AxisKind::Row : AxisKind::Column)) {
        if (fieldSet.sort.IsActive() && !fieldSet.sort.byTotal.empty() && fieldSet.sort.byTotal == total->name)
            return fieldSet.sort.direction == SortDirection::Ascending ? 1 : -1;
    }
    return 0;
}

QString PivotGrid::ColumnKey(int column) const
{
    if (!m_session->HasLayout() || column < 0 || column >= Layout().ColumnCount())
        return {};
    const PivotLayout& layout = Layout();
    if (column < layout.HeaderColumns()) {
        return QStringLiteral("rows:%1:%2").arg(column).arg(QString::fromStdString(layout.Rows().BandCaption(column)));
    }
    const int position = column - layout.HeaderColumns();
    const PivotAxisLayout& columns = layout.Columns();
    if (columns.BandCount() == 0 || position >= columns.PositionCount())
        return QStringLiteral("values:%1").arg(position);
    QStringList path;
    for (int band = 0; band < columns.BandCount(); ++band)
        path << HeaderKey(columns.CellAt(band, position));
    return QStringLiteral("columns:") + path.join(QLatin1Char('|'));
}

void PivotGrid::ForgetFitsWhenRemeasured(const PivotDefinition& shown, const std::vector<const PivotTextStyle*>& styles)
{
    std::string basis = shown.connectionString + '\n' + shown.dataMember + '\n' + shown.commandText + '\n'
        + font().toString().toStdString() + (m_expandIndicators ? "+" : "-");
    for (const PivotTextStyle* style : styles)
        basis += '\n' + style->fontName + ':' + std::to_string(style->fontSize) + (style->bold ? "b" : "")
            + (style->italic ? "i" : "");
    if (basis != m_fitBasis)
        m_fittedWidths.clear();
    m_fitBasis = std::move(basis);
}

void PivotGrid::ApplyManualWidths(std::vector<int>& widths) const
{
    for (std::size_t c = 0; c < widths.size(); ++c) {
        const QString key = ColumnKey(static_cast<int>(c));
        // A column shown before keeps its width, so a refresh or a filter does not make the
        // grid jump; it only grows when a new value would not fit (a cut number misleads).
        // A new column is fitted and remembered.
        const auto fitted = m_fittedWidths.try_emplace(key, widths[c]).first;
        fitted->second = std::max(fitted->second, widths[c]);
        widths[c] = fitted->second;
        const auto kept = m_manualWidths.find(key);
        if (kept != m_manualWidths.end())
            widths[c] = kept->second;
    }
}

void PivotGrid::SetColumnWidth(int column, int width)
{
    const QString key = ColumnKey(column);
    if (key.isEmpty())
        return;
    if (width <= 0) {
        m_manualWidths.erase(key);
        m_fittedWidths.erase(key);
        MeasureColumns();
    } else {
        m_manualWidths[key] = std::max(kNarrowestColumn, width);
        // Only this column moves: the columns after it shift by the difference.
        const int delta = m_manualWidths[key] - ColumnWidth(column);
        for (std::size_t i = static_cast<std::size_t>(column) + 1; i < m_columnX.size(); ++i)
            m_columnX[i] += delta;
    }
    UpdateScrollBars();
    viewport()->update();
}

int PivotGrid::ColumnEdgeAt(const QPoint& point) const
{
    if (!m_session->HasLayout() || Layout().ColumnCount() == 0 || point.y() < 0 || point.y() >= FrozenHeight())
        return -1;
    const int fw = FrozenWidth();
    const int x = point.x() < fw ? point.x() : point.x() + horizontalScrollBar()->value();
    const int first = point.x() < fw ? 0 : Layout().HeaderColumns();
    const int last = point.x() < fw ? Layout().HeaderColumns() - 1 : Layout().ColumnCount() - 1;
    for (int c = std::max(first, ColumnAtX(x) - 1); c <= std::min(last, ColumnAtX(x) + 1); ++c) {
        if (std::abs(ColumnX(c + 1) - x) <= kEdgeGrip)
            return c;
    }
    return -1;
}

void PivotGrid::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    if (m_resizeColumn >= 0 && (event->buttons() & Qt::LeftButton)) {
        SetColumnWidth(m_resizeColumn, m_resizeStartWidth + point.x() - m_resizeStartX);
        return;
    }
    // Over a column edge in the headers the pointer says the edge can be dragged.
    if (ColumnEdgeAt(point) >= 0)
        viewport()->setCursor(Qt::SplitHCursor);
    else
        viewport()->unsetCursor();
    QAbstractScrollArea::mouseMoveEvent(event);
}

QString PivotGrid::AccessibleText(int row, int column) const
{
    if (!m_session->HasLayout() || row < 0 || column < 0 || row >= Layout().RowCount()
        || column >= Layout().ColumnCount())
        return {};
    const PivotLayout& layout = Layout();
    const PivotGridCell cell = layout.Cell(row, column);
    switch (cell.kind) {
    case PivotGridCell::Kind::Corner:
        return cell.text.empty() ? QString() : tr("%1, field").arg(QString::fromStdString(cell.text));
    case PivotGridCell::Kind::RowHeader:
    case PivotGridCell::Kind::ColumnHeader: {
        QString text = QString::fromStdString(cell.text);
        if (!cell.header)
            return text;
        const PivotAxisLayout& axis = cell.kind == PivotGridCell::Kind::RowHeader ? layout.Rows() : layout.Columns();
        if (cell.header->band < axis.BandCount() && !axis.BandCaption(cell.header->band).empty())
            text += QStringLiteral(", ") + QString::fromStdString(axis.BandCaption(cell.header->band));
        if (cell.header->hasChildren)
            text += QStringLiteral(", ") + (cell.header->isExpanded ? tr("expanded") : tr("collapsed"));
        if (cell.isGrandTotal || cell.isTotal)
            text += QStringLiteral(", ") + tr("total");
        return text;
    }
    case PivotGridCell::Kind::Value:
        break;
    }
    // The captions on the value's row and column, outermost first, then the value.
    QStringList path = CaptionPath(layout.Rows(), row - layout.HeaderRows());
    path << CaptionPath(layout.Columns(), column - layout.HeaderColumns());
    const QString value = PivotCellStyle::IsError(cell) ? tr("error")
        : cell.text.empty()                             ? tr("empty")
                                                        : QString::fromStdString(cell.text);
    return path.isEmpty() ? value : path.join(QStringLiteral("; ")) + QStringLiteral(": ") + value;
}

void PivotGrid::UpdateAccessibleDescription()
{
    setAccessibleDescription(AccessibleText(m_currentRow, m_currentColumn));
}

} // namespace pivot
