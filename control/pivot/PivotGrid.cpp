#include "control/pivot/PivotGrid.h"

#include "control/pivot/PivotCellStyle.h"
#include "control/pivot/PivotSelectionText.h"
#include "control/pivot/PivotSession.h"
#include "control/pivot/PivotSortArrow.h"
#include "control/pivot/PivotTextWidths.h"
#include "control/pivot/model/PivotLayout.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>
#include <QPolygonF>
#include <QScrollBar>
#include <QStringList>
#include <QToolTip>

#include <algorithm>
#include <map>
#include <optional>

namespace pivot {

namespace {

constexpr int kPadding = 4;
constexpr int kGlyphSize = 9;
constexpr int kButtonWidth = 14;
constexpr int kMinColumnWidth = 40;
constexpr int kMaxColumnWidth = 360;
//! Rows measured for column widths: the headers and this many lines of values.
constexpr int kMeasuredRows = 200;
//! How long a query runs before the grid dims and says it is working.
constexpr int kWorkingDelayMs = 300;

QColor Mix(const QColor& a, const QColor& b, double amountOfB)
{
    return QColor::fromRgbF(static_cast<float>(a.redF() * (1 - amountOfB) + b.redF() * amountOfB),
        static_cast<float>(a.greenF() * (1 - amountOfB) + b.greenF() * amountOfB),
        static_cast<float>(a.blueF() * (1 - amountOfB) + b.blueF() * amountOfB));
}

} // namespace

PivotGrid::PivotGrid(PivotSession* session, QWidget* parent) : QAbstractScrollArea(parent), m_session(session)
{
    setObjectName(QStringLiteral("pivotGrid"));
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(tr("Pivot table"));
    viewport()->setBackgroundRole(QPalette::Base);
    // Hover over a column header's edge shows the resize pointer.
    viewport()->setMouseTracking(true);
    m_workingDelay.setSingleShot(true);
    m_workingDelay.setInterval(kWorkingDelayMs);
    connect(&m_workingDelay, &QTimer::timeout, this, [this] {
        m_showWorking = true;
        viewport()->update();
    });
    connect(m_session, &PivotSession::layoutChanged, this, &PivotGrid::OnLayoutChanged);
    connect(m_session, &PivotSession::workingChanged, this, &PivotGrid::OnWorkingChanged);
    ensurePolished();
    if (m_session->HasLayout())
        OnLayoutChanged();
}

const PivotLayout& PivotGrid::Layout() const
{
    return m_session->Layout();
}

void PivotGrid::OnLayoutChanged()
{
    MeasureColumns();
    const PivotLayout& layout = Layout();
    m_colors = PivotCellColors(m_session->ShownDefinition(), layout);
    const bool hadCell = m_currentRow >= 0;
    // The current cell keeps its place where the new layout still has it (an expand keeps
    // the member under the cursor); a first layout starts on the first value.
    const int row = hadCell ? std::min(m_currentRow, layout.RowCount() - 1) : layout.HeaderRows();
    const int column = hadCell ? std::min(m_currentColumn, layout.ColumnCount() - 1) : layout.HeaderColumns();
    m_currentRow = m_anchorRow = std::clamp(row, 0, std::max(0, layout.RowCount() - 1));
    m_currentColumn = m_anchorColumn = std::clamp(column, 0, std::max(0, layout.ColumnCount() - 1));
    if (layout.RowCount() == 0 || layout.ColumnCount() == 0)
        m_currentRow = m_currentColumn = m_anchorRow = m_anchorColumn = -1;
    UpdateScrollBars();
    viewport()->update();
    UpdateAccessibleDescription();
    emit selectionChanged();
}

void PivotGrid::OnWorkingChanged(bool working)
{
    if (working) {
        if (!m_workingDelay.isActive() && !m_showWorking)
            m_workingDelay.start();
        return;
    }
    m_workingDelay.stop();
    m_showWorking = false;
    viewport()->update();
}

void PivotGrid::MeasureColumns()
{
    const PivotLayout& layout = Layout();
    const PivotDefinition& shown = m_session->ShownDefinition();
    QFont bold = font();
    bold.setBold(true);
    const QFontMetrics metrics(bold);
    PivotTextWidths textWidths(bold);
    m_rowHeight = metrics.height() + 2 * kPadding;
    // The fonts the user gave totals and field sets: cells in them are measured in them, and
    // the line height makes room for the tallest.
    std::vector<const PivotTextStyle*> styles;
    for (const PivotTotal& total : shown.totals) {
        if (!total.style.IsDefault())
            styles.push_back(&total.style);
    }
    for (const auto* axis : {&shown.rowAxis, &shown.columnAxis}) {
        for (const PivotFieldSet& fieldSet : *axis) {
            if (!fieldSet.style.IsDefault())
                styles.push_back(&fieldSet.style);
        }
    }
    ForgetFitsWhenRemeasured(shown, styles);
    std::map<std::pair<const PivotTextStyle*, bool>, QFontMetrics> styledMetrics;
    auto metricsOf = [&](const PivotTextStyle* style, bool strong) -> const QFontMetrics& {
        auto found = styledMetrics.find({style, strong});
        if (found == styledMetrics.end()) {
            QFont f = font();
            f.setBold(strong);
            found = styledMetrics.emplace(std::make_pair(style, strong), QFontMetrics(PivotCellStyle::Font(f, *style)))
                        .first;
        }
        return found->second;
    };
    for (const PivotTextStyle* style : styles)
        m_rowHeight = std::max(m_rowHeight, metricsOf(style, true).height() + 2 * kPadding);
    const int columns = layout.ColumnCount();
    std::vector<int> widths(static_cast<std::size_t>(columns), kMinColumnWidth);
    const int rows = std::min(layout.RowCount(), layout.HeaderRows() + kMeasuredRows);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            const PivotGridCell cell = layout.Cell(r, c);
            // Merged captions stretch over their span and do not widen one column.
            if (cell.columnSpan != 1 || cell.text.empty())
                continue;
            const PivotTextStyle* style = styles.empty() ? nullptr : PivotCellStyle::For(shown, layout, cell);
            const bool strong = cell.isTotal || cell.isGrandTotal || cell.kind == PivotGridCell::Kind::Corner;
            const QFontMetrics& cellMetrics = style ? metricsOf(style, strong) : metrics;
            // +2: the grid line and rounding of the advance.
            const int textWidth = style ? cellMetrics.horizontalAdvance(QString::fromStdString(cell.text))
                                        : textWidths.Advance(cell.text);
            int width = textWidth + 2 * kPadding + 2;
            if (m_expandIndicators && cell.header && cell.header->hasChildren)
                width += kGlyphSize + kPadding;
            if (cell.kind == PivotGridCell::Kind::RowHeader && cell.header)
                width += kPadding;
            if (cell.kind == PivotGridCell::Kind::Corner)
                width += kButtonWidth;
            auto& w = widths[static_cast<std::size_t>(c)];
            w = std::max(w, std::min(width, kMaxColumnWidth));
        }
    }
    ApplyManualWidths(widths);
    m_columnX.assign(1, 0);
    for (int w : widths)
        m_columnX.push_back(m_columnX.back() + w);
}

int PivotGrid::FrozenWidth() const
{
    return m_session->HasLayout() ? ColumnX(std::min(Layout().HeaderColumns(), static_cast<int>(m_columnX.size()) - 1))
                                  : 0;
}

int PivotGrid::FrozenHeight() const
{
    return m_session->HasLayout() ? RowY(Layout().HeaderRows()) : 0;
}

QSize PivotGrid::FullSize() const
{
    if (!m_session->HasLayout())
        return {0, 0};
    return {m_columnX.back(), RowY(Layout().RowCount())};
}

QSize PivotGrid::sizeHint() const
{
    const QSize full = FullSize() + QSize(2 * frameWidth(), 2 * frameWidth());
    return full.boundedTo(QSize(900, 600)).expandedTo(QSize(200, 120));
}

void PivotGrid::UpdateScrollBars()
{
    const QSize full = FullSize();
    const QSize view = viewport()->size();
    horizontalScrollBar()->setRange(0, std::max(0, full.width() - view.width()));
    horizontalScrollBar()->setPageStep(std::max(1, view.width() - FrozenWidth()));
    horizontalScrollBar()->setSingleStep(20);
    verticalScrollBar()->setRange(0, std::max(0, full.height() - view.height()));
    verticalScrollBar()->setPageStep(std::max(1, view.height() - FrozenHeight()));
    verticalScrollBar()->setSingleStep(m_rowHeight);
}

void PivotGrid::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

void PivotGrid::scrollContentsBy(int, int)
{
    viewport()->update();
}

void PivotGrid::changeEvent(QEvent* event)
{
    QAbstractScrollArea::changeEvent(event);
    // Widths and the line height follow the font (it may change when the widget is polished).
    if (event->type() == QEvent::FontChange)
        m_textWidths.clear();
    if (event->type() == QEvent::FontChange && m_session->HasLayout()) {
        MeasureColumns();
        UpdateScrollBars();
        viewport()->update();
    }
}

int PivotGrid::ColumnAtX(int x) const
{
    const auto it = std::upper_bound(m_columnX.begin(), m_columnX.end(), x);
    const int column = static_cast<int>(it - m_columnX.begin()) - 1;
    return std::clamp(column, 0, static_cast<int>(m_columnX.size()) - 2);
}

int PivotGrid::RowAtY(int y) const
{
    return std::clamp(y / m_rowHeight, 0, Layout().RowCount() - 1);
}

QRect PivotGrid::CellRect(int row, int column) const
{
    const PivotLayout& layout = Layout();
    const PivotGridCell cell = layout.Cell(row, column);
    const int dx = cell.anchorColumn >= layout.HeaderColumns() ? -horizontalScrollBar()->value() : 0;
    const int dy = cell.anchorRow >= layout.HeaderRows() ? -verticalScrollBar()->value() : 0;
    return QRect(QPoint(ColumnX(cell.anchorColumn) + dx, RowY(cell.anchorRow) + dy),
        QPoint(ColumnX(cell.anchorColumn + cell.columnSpan) + dx - 1, RowY(cell.anchorRow + cell.rowSpan) + dy - 1));
}

bool PivotGrid::CellAt(const QPoint& point, int* row, int* column) const
{
    if (!m_session->HasLayout() || Layout().RowCount() == 0 || Layout().ColumnCount() == 0)
        return false;
    const int x = point.x() < FrozenWidth() ? point.x() : point.x() + horizontalScrollBar()->value();
    const int y = point.y() < FrozenHeight() ? point.y() : point.y() + verticalScrollBar()->value();
    if (x < 0 || y < 0 || x >= m_columnX.back() || y >= RowY(Layout().RowCount()))
        return false;
    *row = RowAtY(y);
    *column = ColumnAtX(x);
    return true;
}

QRect PivotGrid::GlyphRect(int row, int column) const
{
    if (!m_expandIndicators)
        return {};
    const PivotGridCell cell = Layout().Cell(row, column);
    if (!cell.header || cell.header->kind != PivotHeaderCell::Kind::Member || !cell.header->hasChildren)
        return {};
    // The glyph sits at the start of the visible part of the cell, on its first line.
    const QRect pane(cell.kind == PivotGridCell::Kind::RowHeader ? 0 : FrozenWidth(),
        cell.kind == PivotGridCell::Kind::ColumnHeader ? 0 : FrozenHeight(), viewport()->width(), viewport()->height());
    const QRect visible = CellRect(row, column).intersected(pane);
    if (visible.isEmpty())
        return {};
    return QRect(visible.left() + kPadding, visible.top() + (m_rowHeight - kGlyphSize) / 2, kGlyphSize, kGlyphSize);
}

QRect PivotGrid::Selection() const
{
    if (m_currentRow < 0)
        return {};
    // Built from min and max: QRect::normalized leaves a one-line-back rectangle (height 0) as is.
    return QRect(QPoint(std::min(m_anchorColumn, m_currentColumn), std::min(m_anchorRow, m_currentRow)),
        QPoint(std::max(m_anchorColumn, m_currentColumn), std::max(m_anchorRow, m_currentRow)));
}

void PivotGrid::SetCurrentCell(int row, int column, bool extend)
{
    const PivotLayout& layout = Layout();
    if (layout.RowCount() == 0 || layout.ColumnCount() == 0)
        return;
    row = std::clamp(row, 0, layout.RowCount() - 1);
    column = std::clamp(column, 0, layout.ColumnCount() - 1);
    const QRect before = Selection();
    m_currentRow = row;
    m_currentColumn = column;
    if (!extend) {
        m_anchorRow = row;
        m_anchorColumn = column;
    }
    EnsureVisible(row, column);
    viewport()->update();
    UpdateAccessibleDescription();
    if (Selection() != before)
        emit selectionChanged();
}

void PivotGrid::ClearSelection()
{
    const bool had = m_currentRow >= 0;
    m_currentRow = m_currentColumn = m_anchorRow = m_anchorColumn = -1;
    viewport()->update();
    if (had)
        emit selectionChanged();
}

void PivotGrid::EnsureVisible(int row, int column)
{
    const PivotLayout& layout = Layout();
    if (column >= layout.HeaderColumns()) {
        const int left = ColumnX(column) - FrozenWidth();
        const int right = ColumnX(column + 1) - viewport()->width();
        auto* bar = horizontalScrollBar();
        if (left < bar->value())
            bar->setValue(left);
        else if (right > bar->value())
            bar->setValue(std::min(right, left));
    }
    if (row >= layout.HeaderRows()) {
        const int top = RowY(row) - FrozenHeight();
        const int bottom = RowY(row + 1) - viewport()->height();
        auto* bar = verticalScrollBar();
        if (top < bar->value())
            bar->setValue(top);
        else if (bottom > bar->value())
            bar->setValue(std::min(bottom, top));
    }
}

QMimeData* PivotGrid::SelectionMimeData() const
{
    auto* data = new QMimeData;
    const QRect s = Selection();
    if (s.isEmpty())
        return data;
    const PivotLayout& layout = Layout();
    data->setHtml(QString::fromStdString(PivotSelectionText::Html(layout, s.top(), s.left(), s.bottom(), s.right())));
    data->setText(
        QString::fromStdString(PivotSelectionText::TabSeparated(layout, s.top(), s.left(), s.bottom(), s.right())));
    return data;
}

void PivotGrid::CopySelection() const
{
    QApplication::clipboard()->setMimeData(SelectionMimeData());
}

bool PivotGrid::ToggleAt(int row, int column, int expand)
{
    const PivotGridCell cell = Layout().Cell(row, column);
    const PivotHeaderCell* header = cell.header;
    if (!header || header->kind != PivotHeaderCell::Kind::Member || !header->hasChildren)
        return false;
    const bool want = expand < 0 ? !header->isExpanded : expand > 0;
    if (want == header->isExpanded)
        return false;
    const AxisKind axis = cell.kind == PivotGridCell::Kind::RowHeader ? AxisKind::Row : AxisKind::Column;
    return m_session->SetMemberExpanded(axis, header->fieldSetIndex, header->uniqueName, want);
}

QString PivotGrid::ToolTip(int row, int column) const
{
    const PivotLayout& layout = Layout();
    const PivotGridCell cell = layout.Cell(row, column);
    if (cell.kind == PivotGridCell::Kind::Corner)
        return QString::fromStdString(cell.text);
    if (cell.kind != PivotGridCell::Kind::Value) {
        if (!cell.header || cell.header->uniqueName.empty())
            return QString::fromStdString(cell.text);
        return QStringLiteral("%1\n%2").arg(
            QString::fromStdString(cell.text), QString::fromStdString(cell.header->uniqueName));
    }
    QStringList path;
    for (const auto& member : layout.ValueTuple(row - layout.HeaderRows(), column - layout.HeaderColumns())) {
        // The field sets' own total members read as "Total" in a path.
        const bool total = member.uniqueName.ends_with(".[Pivot Total]");
        // A measure reads as the view names it (the total's caption).
        const PivotTotal* named = m_session->ShownDefinition().FindTotal(member.uniqueName);
        if (total)
            path << tr("Total");
        else if (named && !named->caption.empty())
            path << QString::fromStdString(named->caption);
        else
            path << QString::fromStdString(member.caption);
    }
    QString text = path.join(QStringLiteral(" / "));
    if (PivotCellStyle::IsError(cell))
        text += QStringLiteral("\n") + tr("Error: %1").arg(PivotCellStyle::ErrorText(cell));
    else if (!cell.value && cell.text.empty())
        text += QStringLiteral("\n") + tr("(empty)");
    else if (!cell.value)
        text += QStringLiteral("\n") + QString::fromStdString(cell.text);
    if (cell.value && !PivotCellStyle::IsError(cell)) {
        text += QStringLiteral("\n") + QString::fromStdString(cell.text);
        const QString raw = QString::number(*cell.value, 'g', 15);
        if (raw != QString::fromStdString(cell.text))
            text += QStringLiteral(" (") + raw + QStringLiteral(")");
    }
    return text + ValueContext(row, column);
}

bool PivotGrid::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        int row = 0;
        int column = 0;
        if (CellAt(help->pos(), &row, &column))
            QToolTip::showText(help->globalPos(), ToolTip(row, column), viewport(), CellRect(row, column));
        else
            QToolTip::hideText();
        return true;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

void PivotGrid::mousePressEvent(QMouseEvent* event)
{
    int row = 0;
    int column = 0;
    m_pressPoint = event->position().toPoint();
    // A press on a column header's edge starts resizing that column.
    if (const int edge = event->button() == Qt::LeftButton ? ColumnEdgeAt(event->position().toPoint()) : -1;
        edge >= 0) {
        m_resizeColumn = edge;
        m_resizeStartX = event->position().toPoint().x();
        m_resizeStartWidth = ColumnWidth(edge);
        return;
    }
    if (event->button() != Qt::LeftButton || !CellAt(event->position().toPoint(), &row, &column)) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    if (const QRect button = FieldButtonRect(row, column); button.contains(event->position().toPoint())) {
        AxisKind axis = AxisKind::Row;
        int index = -1;
        CornerFieldSet(row, column, &axis, &index);
        emit fieldButtonClicked(axis, index, QRect(viewport()->mapToGlobal(button.topLeft()), button.size()));
        return;
    }
    if (GlyphRect(row, column).adjusted(-2, -2, 2, 2).contains(event->position().toPoint())) {
        SetCurrentCell(row, column);
        ToggleAt(row, column, -1);
        return;
    }
    SetCurrentCell(row, column, event->modifiers().testFlag(Qt::ShiftModifier));
}

void PivotGrid::mouseReleaseEvent(QMouseEvent* event)
{
    // Presses act at once; the release ends the click here rather than going to the parent.
    if (event->button() == Qt::LeftButton && m_resizeColumn < 0 && event->modifiers() == Qt::NoModifier)
        ClickTotalHeader(event->position().toPoint());
    m_resizeColumn = -1;
    event->accept();
}

void PivotGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    // A double click on a column header's edge fits the column to its contents again.
    if (const int edge = event->button() == Qt::LeftButton ? ColumnEdgeAt(event->position().toPoint()) : -1;
        edge >= 0) {
        m_resizeColumn = -1;
        SetColumnWidth(edge, 0);
        return;
    }
    int row = 0;
    int column = 0;
    if (event->button() == Qt::LeftButton && CellAt(event->position().toPoint(), &row, &column)
        && !GlyphRect(row, column).adjusted(-2, -2, 2, 2).contains(event->position().toPoint())) {
        ToggleAt(row, column, -1);
        return;
    }
    QAbstractScrollArea::mouseDoubleClickEvent(event);
}

void PivotGrid::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        if (!m_session->Cancel())
            event->ignore();
        return;
    }
    if (HandleCommandKey(event))
        return;
    if (event->matches(QKeySequence::Copy)) {
        CopySelection();
        return;
    }
    if (m_currentRow < 0) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    const PivotLayout& layout = Layout();
    // Alt+Down on a field caption or a member opens its field set's filter, as its button does.
    if (event->key() == Qt::Key_Down && event->modifiers().testFlag(Qt::AltModifier)) {
        AxisKind axis = AxisKind::Row;
        int index = -1;
        const PivotGridCell cell = layout.Cell(m_currentRow, m_currentColumn);
        if (!CornerFieldSet(m_currentRow, m_currentColumn, &axis, &index) && cell.header
            && cell.kind != PivotGridCell::Kind::Value && cell.kind != PivotGridCell::Kind::Corner) {
            axis = cell.kind == PivotGridCell::Kind::RowHeader ? AxisKind::Row : AxisKind::Column;
            index = cell.header->fieldSetIndex;
        }
        if (index >= 0) {
            const QRect rect = CellRect(m_currentRow, m_currentColumn);
            emit fieldButtonClicked(axis, index, QRect(viewport()->mapToGlobal(rect.topLeft()), rect.size()));
        }
        return;
    }
    if (event->matches(QKeySequence::SelectAll)) {
        m_anchorRow = 0;
        m_anchorColumn = 0;
        SetCurrentCell(layout.RowCount() - 1, layout.ColumnCount() - 1, true);
        return;
    }
    const bool extend = event->modifiers().testFlag(Qt::ShiftModifier);
    const bool control = event->modifiers().testFlag(Qt::ControlModifier);
    const int page = std::max(1, (viewport()->height() - FrozenHeight()) / m_rowHeight - 1);
    int row = m_currentRow;
    int column = m_currentColumn;
    switch (event->key()) {
    case Qt::Key_Left:
        --column;
        break;
    case Qt::Key_Right:
        ++column;
        break;
    case Qt::Key_Up:
        --row;
        break;
    case Qt::Key_Down:
        ++row;
        break;
    case Qt::Key_PageUp:
        row -= page;
        break;
    case Qt::Key_PageDown:
        row += page;
        break;
    case Qt::Key_Home:
        if (control) {
            row = layout.HeaderRows();
            column = layout.HeaderColumns();
        } else {
            column = 0;
        }
        break;
    case Qt::Key_End:
        if (control)
            row = layout.RowCount() - 1;
        column = layout.ColumnCount() - 1;
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        ToggleAt(m_currentRow, m_currentColumn, -1);
        return;
    case Qt::Key_Plus:
        ToggleAt(m_currentRow, m_currentColumn, 1);
        return;
    case Qt::Key_Minus:
        ToggleAt(m_currentRow, m_currentColumn, 0);
        return;
    default:
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    SetCurrentCell(row, column, extend);
}

void PivotGrid::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    const QPalette& pal = palette();
    painter.fillRect(viewport()->rect(), pal.color(QPalette::Base));
    if (!m_session->HasLayout() || Layout().RowCount() == 0 || Layout().ColumnCount() == 0) {
        painter.setPen(pal.color(QPalette::PlaceholderText));
        painter.drawText(
            viewport()->rect(), Qt::AlignCenter, m_session->IsWorking() ? tr("Working\u2026") : tr("No view to show"));
        if (!m_dropIndicator.isEmpty())
            PaintDropIndicator(painter);
        return;
    }
    const PivotLayout& layout = Layout();
    const int hs = horizontalScrollBar()->value();
    const int vs = verticalScrollBar()->value();
    const int fw = FrozenWidth();
    const int fh = FrozenHeight();
    const int vw = viewport()->width();
    const int vh = viewport()->height();
    const int headerRows = layout.HeaderRows();
    const int headerColumns = layout.HeaderColumns();
    const int lastRow = layout.RowCount() - 1;
    const int lastColumn = layout.ColumnCount() - 1;
    // The scrolled part shows the columns and rows under the viewport beyond the frozen bands.
    const int firstColumn = std::max(headerColumns, ColumnAtX(fw + hs));
    const int endColumn = std::min(lastColumn, ColumnAtX(vw + hs));
    const int firstRow = std::max(headerRows, RowAtY(fh + vs));
    const int endRow = std::min(lastRow, RowAtY(vh + vs));
    const bool hasValueColumns = headerColumns <= lastColumn;
    const bool hasValueRows = headerRows <= lastRow;

    if (hasValueRows && hasValueColumns)
        PaintPane(painter, QRect(fw, fh, vw - fw, vh - fh), firstRow, endRow, firstColumn, endColumn, -hs, -vs);
    if (hasValueRows && headerColumns > 0)
        PaintPane(painter, QRect(0, fh, fw, vh - fh), firstRow, endRow, 0, headerColumns - 1, 0, -vs);
    if (hasValueColumns)
        PaintPane(painter, QRect(fw, 0, vw - fw, fh), 0, headerRows - 1, firstColumn, endColumn, -hs, 0);
    if (headerColumns > 0)
        PaintPane(painter, QRect(0, 0, fw, fh), 0, headerRows - 1, 0, headerColumns - 1, 0, 0);

    // The frozen bands end on a firm line.
    painter.setPen(pal.color(QPalette::Dark));
    painter.drawLine(0, fh - 1, vw, fh - 1);
    if (fw > 0)
        painter.drawLine(fw - 1, 0, fw - 1, vh);

    // The current cell gets a frame of its own, distinct from the selection tint.
    if (m_currentRow >= 0) {
        QRect current = CellRect(m_currentRow, m_currentColumn);
        const QRect pane(m_currentColumn < headerColumns ? 0 : fw, m_currentRow < headerRows ? 0 : fh, vw, vh);
        current = current.intersected(pane);
        if (!current.isEmpty()) {
            QPen pen(pal.color(hasFocus() ? QPalette::Highlight : QPalette::Dark), 2);
            pen.setJoinStyle(Qt::MiterJoin);
            painter.setPen(pen);
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(current.adjusted(1, 1, -1, -1));
        }
    }

    PaintEmptyAreaHints(painter);
    if (!m_dropIndicator.isEmpty())
        PaintDropIndicator(painter);

    if (m_showWorking) {
        QColor veil = pal.color(QPalette::Base);
        veil.setAlpha(150);
        painter.fillRect(viewport()->rect(), veil);
        const QString text = tr("Working\u2026 press Esc to cancel");
        const QFontMetrics metrics(font());
        QRect box(0, 0, metrics.horizontalAdvance(text) + 6 * kPadding, m_rowHeight + 2 * kPadding);
        box.moveCenter(viewport()->rect().center());
        painter.setPen(pal.color(QPalette::Dark));
        painter.setBrush(pal.color(QPalette::ToolTipBase));
        painter.drawRect(box);
        painter.setPen(pal.color(QPalette::ToolTipText));
        painter.drawText(box, Qt::AlignCenter, text);
    }
}

PivotTextWidths& PivotGrid::TextWidths(const QFont& font)
{
    for (const auto& widths : m_textWidths) {
        if (widths->Font() == font)
            return *widths;
    }
    // A grid draws in a handful of fonts (plain, bold, the styles of its totals and fields).
    if (m_textWidths.size() >= 16)
        m_textWidths.clear();
    m_textWidths.push_back(std::make_unique<PivotTextWidths>(font, viewport()));
    return *m_textWidths.back();
}

void PivotGrid::PaintPane(
    QPainter& painter, const QRect& pane, int firstRow, int lastRow, int firstColumn, int lastColumn, int dx, int dy)
{
    if (pane.isEmpty())
        return;
    painter.save();
    painter.setClipRect(pane);
    const PivotLayout& layout = Layout();
    for (int r = firstRow; r <= lastRow; ++r) {
        for (int c = firstColumn; c <= lastColumn; ++c) {
            const PivotGridCell cell = layout.Cell(r, c);
            // A merged cell is painted once, from the first of its cells this pane shows.
            if (r != std::max(cell.anchorRow, firstRow) || c != std::max(cell.anchorColumn, firstColumn))
                continue;
            const QRect rect(QPoint(ColumnX(cell.anchorColumn) + dx, RowY(cell.anchorRow) + dy),
                QPoint(ColumnX(cell.anchorColumn + cell.columnSpan) + dx - 1,
                    RowY(cell.anchorRow + cell.rowSpan) + dy - 1));
            PaintCell(painter, cell, rect, rect.intersected(pane));
        }
    }
    painter.restore();
}

void PivotGrid::PaintCell(QPainter& painter, const PivotGridCell& cell, const QRect& rect, const QRect& visible)
{
    const QPalette& pal = palette();
    const bool header = cell.kind != PivotGridCell::Kind::Value;
    QColor background = header ? pal.color(QPalette::Button) : pal.color(QPalette::Base);
    // The look the user gave the cell's total or field set.
    const PivotTextStyle* style = PivotCellStyle::For(m_session->ShownDefinition(), Layout(), cell);
    if (style && !style->fillColor.empty())
        background = PivotCellStyle::Color(style->fillColor);
    if (cell.isTotal || cell.isGrandTotal)
        background = Mix(background, pal.color(QPalette::Mid), cell.isGrandTotal ? 0.28 : 0.16);
    const QRect selection = Selection();
    const QRect area(cell.anchorColumn, cell.anchorRow, cell.columnSpan, cell.rowSpan);
    if (selection.isValid() && selection.intersects(area))
        background = Mix(background, pal.color(QPalette::Highlight), 0.3);
    painter.fillRect(rect, background);
    // Colour rules: a scale fills the cell, a data bar runs from its axis; the selection tint
    // stays visible over both.
    std::optional<QColor> ink;
    if (!header && !m_colors.IsEmpty()) {
        const PivotLayout& layout = Layout();
        const PivotCellColors::Style style = m_colors.StyleAt(
            layout, cell.anchorRow - layout.HeaderRows(), cell.anchorColumn - layout.HeaderColumns());
        const bool selected = selection.isValid() && selection.intersects(area);
        if (style.fill) {
            QColor fill = QColor::fromRgb(static_cast<QRgb>(*style.fill));
            if (selected)
                fill = Mix(fill, pal.color(QPalette::Highlight), 0.3);
            painter.fillRect(rect, fill);
            // Dark text on a light fill and the other way round, whatever the palette.
            ink = fill.lightnessF() > 0.55 ? QColor(Qt::black) : QColor(Qt::white);
        }
        if (style.barFrom) {
            QRect bar = rect.adjusted(2, 3, -2, -3);
            const int width = bar.width();
            bar.setLeft(rect.left() + 2 + static_cast<int>(width * *style.barFrom));
            bar.setWidth(std::max(1, static_cast<int>(width * (style.barTo - *style.barFrom))));
            QColor color = QColor::fromRgb(static_cast<QRgb>(style.barColor));
            color.setAlpha(selected ? 140 : 190);
            painter.fillRect(bar, color);
        }
    }

    // Grid lines on the right and bottom edges; a rule above a grand total line.
    painter.setPen(pal.color(QPalette::Midlight).darker(115));
    painter.drawLine(rect.topRight(), rect.bottomRight());
    painter.drawLine(rect.bottomLeft(), rect.bottomRight());
    if (cell.isGrandTotal && cell.kind != PivotGridCell::Kind::ColumnHeader) {
        QPen rule(pal.color(QPalette::WindowText));
        rule.setWidth(1);
        painter.setPen(rule);
        painter.drawLine(rect.topLeft(), rect.topRight());
    }

    // A merged header keeps its caption in the visible part of its span, on its first visible
    // line; a value is laid out in its whole cell and cut by the pane, so a number half
    // scrolled out is clipped, not elided.
    QRect textRect = (header ? visible : rect).adjusted(kPadding, 0, -kPadding, 0);
    if (header)
        textRect.setHeight(std::min(textRect.height(), m_rowHeight));
    if (m_expandIndicators && cell.header && cell.header->kind == PivotHeaderCell::Kind::Member
        && cell.header->hasChildren) {
        const QRect glyph(
            visible.left() + kPadding, visible.top() + (m_rowHeight - kGlyphSize) / 2, kGlyphSize, kGlyphSize);
        QPolygon triangle;
        if (cell.header->isExpanded) {
            triangle << QPoint(glyph.left(), glyph.top() + 2) << QPoint(glyph.right(), glyph.top() + 2)
                     << QPoint(glyph.center().x(), glyph.bottom() - 1);
        } else {
            triangle << QPoint(glyph.left() + 2, glyph.top()) << QPoint(glyph.left() + 2, glyph.bottom())
                     << QPoint(glyph.right() - 1, glyph.center().y());
        }
        painter.setPen(Qt::NoPen);
        painter.setBrush(pal.color(QPalette::ButtonText));
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.drawPolygon(triangle);
        painter.setRenderHint(QPainter::Antialiasing, false);
        textRect.setLeft(glyph.right() + kPadding);
    }
    // A total the other axis is sorted by carries the sort's arrow on its grand total header.
    if (const int sort = SortArrowAt(cell); sort != 0) {
        const QRect arrow(textRect.right() - 7, visible.top() + (m_rowHeight - 6) / 2, 7, 6);
        PivotSortArrow::Paint(painter, arrow, sort, pal.color(QPalette::ButtonText));
        textRect.setRight(arrow.left() - 2);
    }
    if (cell.kind == PivotGridCell::Kind::Corner) {
        const QRect button = FieldButtonRect(cell.anchorRow, cell.anchorColumn);
        if (!button.isEmpty()) {
            AxisKind axis = AxisKind::Row;
            int index = -1;
            CornerFieldSet(cell.anchorRow, cell.anchorColumn, &axis, &index);
            const PivotFieldSet* fieldSet = ShownFieldSet(axis, index);
            const bool filtered = fieldSet
                && ((fieldSet->filter.IsActive() && !fieldSet->filter.members.empty()) || fieldSet->top.IsActive()
                    || fieldSet->condition.IsActive());
            const QPointF c = QRectF(button).center();
            QPolygonF shape;
            if (filtered)
                shape << QPointF(c.x() - 4.5, c.y() - 4) << QPointF(c.x() + 4.5, c.y() - 4) << QPointF(c.x() + 1, c.y())
                      << QPointF(c.x() + 1, c.y() + 4) << QPointF(c.x() - 1, c.y() + 3) << QPointF(c.x() - 1, c.y());
            else
                shape << QPointF(c.x() - 3.5, c.y() - 2) << QPointF(c.x() + 3.5, c.y() - 2)
                      << QPointF(c.x(), c.y() + 2);
            painter.setPen(Qt::NoPen);
            painter.setBrush(pal.color(filtered ? QPalette::Highlight : QPalette::ButtonText));
            painter.setRenderHint(QPainter::Antialiasing, true);
            painter.drawPolygon(shape);
            painter.setRenderHint(QPainter::Antialiasing, false);
            textRect.setRight(button.left() - 1);
        }
    }
    // A value the source could not compute is marked by a corner triangle and set in italics,
    // so it reads apart from an empty cell (blank) and a zero.
    const bool error = !header && PivotCellStyle::IsError(cell);
    if (error) {
        QPolygon corner;
        corner << rect.topLeft() << QPoint(rect.left() + 6, rect.top()) << QPoint(rect.left(), rect.top() + 6);
        painter.setPen(Qt::NoPen);
        painter.setBrush(pal.color(QPalette::Highlight));
        painter.drawPolygon(corner);
    }
    if (cell.text.empty())
        return;
    QFont f = font();
    f.setBold(cell.isTotal || cell.isGrandTotal || cell.kind == PivotGridCell::Kind::Corner);
    if (style)
        f = PivotCellStyle::Font(f, *style);
    if (error)
        f.setItalic(true);
    painter.setFont(f);
    painter.setPen(pal.color(header ? QPalette::ButtonText : QPalette::Text));
    if (style && !style->textColor.empty())
        painter.setPen(PivotCellStyle::Color(style->textColor));
    // A colour rule's fill asks for a text colour that stays readable on it.
    if (ink)
        painter.setPen(*ink);
    const QString text = QString::fromStdString(cell.text);
    const Qt::Alignment align = (header ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter;
    // Most texts fit their cell: telling so without shaping them saves eliding (a second
    // shaping) on nearly every cell of a frame.
    const bool fits = TextWidths(painter.font()).Advance(text) <= textRect.width();
    painter.drawText(
        textRect, align, fits ? text : painter.fontMetrics().elidedText(text, Qt::ElideRight, textRect.width()));
}

} // namespace pivot
