#include "control/pivot/PivotAreaBar.h"

#include "control/pivot/PivotDragController.h"
#include "control/pivot/PivotSession.h"
#include "control/pivot/PivotSortArrow.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace pivot {

namespace {

constexpr int kMargin = 3;
constexpr int kPadding = 6;
constexpr int kButtonWidth = 14;
constexpr int kSortWidth = 10;
constexpr int kVerticalWidth = 140;

} // namespace

PivotAreaBar::PivotAreaBar(
    AxisKind area, Qt::Orientation orientation, PivotSession* session, PivotDragController* drag, QWidget* parent)
    : QWidget(parent), m_area(area), m_orientation(orientation), m_session(session), m_drag(drag)
{
    static const char* const names[] = {"rowAreaBar", "columnAreaBar", "filterAreaBar", "dataAreaBar"};
    setObjectName(QString::fromLatin1(names[static_cast<int>(area)]));
    setBackgroundRole(QPalette::Window);
    setAutoFillBackground(true);
    // Chips take focus (a click or Tab), so fields can be sorted, filtered and moved from the
    // keyboard: arrows pick a chip, Alt+Down opens its filter, the menu key its menu.
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(orientation == Qt::Horizontal
            ? QSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed)
            : QSizePolicy(
                QSizePolicy::Fixed, area == AxisKind::Data ? QSizePolicy::Preferred : QSizePolicy::Expanding));
    connect(m_session, &PivotSession::definitionChanged, this, &PivotAreaBar::Rebuild);
    connect(m_session, &PivotSession::layoutChanged, this, &PivotAreaBar::Rebuild);
    m_drag->AddTarget(this);
    Rebuild();
}

QString PivotAreaBar::Title() const
{
    switch (m_area) {
    case AxisKind::Row:
        return tr("Rows");
    case AxisKind::Column:
        return tr("Columns");
    case AxisKind::Filter:
        return tr("Filters");
    case AxisKind::Data:
        break;
    }
    return tr("Values");
}

QString PivotAreaBar::Hint() const
{
    switch (m_area) {
    case AxisKind::Row:
        return tr("Drop fields here for row headers");
    case AxisKind::Column:
        return tr("Drop fields here for column headers");
    case AxisKind::Filter:
        return tr("Drop fields here to filter the whole report");
    case AxisKind::Data:
        break;
    }
    return tr("Drop measures here");
}

void PivotAreaBar::Rebuild()
{
    const PivotDefinition& definition = m_session->Definition();
    m_chips.clear();
    if (m_area == AxisKind::Data) {
        for (const PivotTotal* total : definition.IncludedTotals()) {
            Chip chip;
            chip.field = {PivotFieldDrag::Kind::Total, total->name, total->caption, AxisKind::Data};
            chip.text = QString::fromStdString(total->caption.empty() ? total->name : total->caption);
            m_chips.push_back(std::move(chip));
        }
    } else {
        for (const PivotFieldSet& fieldSet : definition.Axis(m_area)) {
            Chip chip;
            chip.field = {PivotFieldDrag::Kind::FieldSet, fieldSet.uniqueName, fieldSet.caption, m_area};
            chip.text = QString::fromStdString(fieldSet.caption.empty() ? fieldSet.uniqueName : fieldSet.caption);
            chip.filtered = (fieldSet.filter.IsActive() && !fieldSet.filter.members.empty()) || fieldSet.top.IsActive()
                || fieldSet.condition.IsActive();
            if (fieldSet.sort.IsActive())
                chip.sort = fieldSet.sort.direction == SortDirection::Ascending ? 1 : -1;
            m_chips.push_back(std::move(chip));
        }
        // The Σ Values chip shows where two or more totals lie among the field sets.
        if (m_area != AxisKind::Filter && definition.totalsAxis == m_area && definition.IncludedTotals().size() > 1) {
            Chip chip;
            chip.field = {PivotFieldDrag::Kind::Values, PivotFieldDrag::kValuesName, {}, m_area};
            chip.text = QStringLiteral("\u03a3 ") + tr("Values");
            const auto count = static_cast<int>(m_chips.size());
            const int at = definition.totalsPosition < 0 ? count : std::min(definition.totalsPosition, count);
            m_chips.insert(m_chips.begin() + at, std::move(chip));
        }
    }
    m_current = -1;
    for (std::size_t i = 0; i < m_chips.size() && !m_currentName.empty(); ++i) {
        if (m_chips[i].field.uniqueName == m_currentName)
            m_current = static_cast<int>(i);
    }
    if (m_current < 0)
        m_currentName.clear();
    LayoutChips();
    updateGeometry();
    update();
}

void PivotAreaBar::SetCurrentIndex(int index)
{
    if (index < -1 || index >= static_cast<int>(m_chips.size()))
        return;
    m_current = index;
    m_currentName = index < 0 ? std::string() : m_chips[static_cast<std::size_t>(index)].field.uniqueName;
    update();
    if (index >= 0)
        emit chipSelected(m_area, QString::fromStdString(m_currentName));
}

void PivotAreaBar::LayoutChips()
{
    const QFontMetrics metrics(font());
    const int chipHeight = metrics.height() + 6;
    QFont bold = font();
    bold.setBold(true);
    const int titleWidth = QFontMetrics(bold).horizontalAdvance(Title()) + 2 * kPadding;
    int x = titleWidth;
    int y = chipHeight + 2 * kMargin;
    for (Chip& chip : m_chips) {
        const bool hasButton = chip.field.kind == PivotFieldDrag::Kind::FieldSet;
        const int extra = (hasButton ? kButtonWidth : 0) + (chip.sort != 0 ? kSortWidth : 0);
        if (m_orientation == Qt::Horizontal) {
            chip.rect = QRect(x, kMargin, metrics.horizontalAdvance(chip.text) + 2 * kPadding + extra, chipHeight);
            x += chip.rect.width() + kMargin;
        } else {
            chip.rect = QRect(kMargin, y, std::max(20, width() - 2 * kMargin), chipHeight);
            y += chipHeight + kMargin;
        }
        chip.button = hasButton
            ? QRect(chip.rect.right() - kButtonWidth, chip.rect.top() + 1, kButtonWidth - 1, chipHeight - 2)
            : QRect();
    }
}

QSize PivotAreaBar::sizeHint() const
{
    const QFontMetrics metrics(font());
    const int chipHeight = metrics.height() + 6;
    if (m_orientation == Qt::Horizontal) {
        const int chipsEnd = m_chips.empty() ? metrics.horizontalAdvance(Title() + Hint()) + 4 * kPadding
                                             : m_chips.back().rect.right() + kMargin;
        return {chipsEnd, chipHeight + 2 * kMargin};
    }
    return {kVerticalWidth, (static_cast<int>(m_chips.size()) + 2) * (chipHeight + kMargin)};
}

QSize PivotAreaBar::minimumSizeHint() const
{
    const QFontMetrics metrics(font());
    const int chipHeight = metrics.height() + 6;
    if (m_orientation == Qt::Horizontal)
        return {60, chipHeight + 2 * kMargin};
    return {kVerticalWidth, 2 * (chipHeight + kMargin)};
}

void PivotAreaBar::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    LayoutChips();
}

const PivotAreaBar::Chip* PivotAreaBar::FindChip(const std::string& name) const
{
    for (const Chip& chip : m_chips) {
        if (chip.field.uniqueName == name)
            return &chip;
    }
    return nullptr;
}

int PivotAreaBar::ChipAt(const QPoint& point) const
{
    for (std::size_t i = 0; i < m_chips.size(); ++i) {
        if (m_chips[i].rect.contains(point))
            return static_cast<int>(i);
    }
    return -1;
}

int PivotAreaBar::InsertIndexAt(const QPoint& point) const
{
    int index = 0;
    for (const Chip& chip : m_chips) {
        const bool after
            = m_orientation == Qt::Horizontal ? point.x() > chip.rect.center().x() : point.y() > chip.rect.center().y();
        if (!after)
            break;
        ++index;
    }
    return index;
}

bool PivotAreaBar::DragOver(const PivotFieldDrag& drag, const QPoint& point)
{
    const int index = PivotDragController::Accepts(m_area, drag) ? InsertIndexAt(point) : -1;
    if (index != m_dropIndex) {
        m_dropIndex = index;
        update();
    }
    return index >= 0;
}

void PivotAreaBar::DragLeave()
{
    if (m_dropIndex >= 0) {
        m_dropIndex = -1;
        update();
    }
}

bool PivotAreaBar::DropAt(const PivotFieldDrag& drag, const QPoint& point)
{
    DragLeave();
    if (!PivotDragController::Accepts(m_area, drag))
        return false;
    // Positions count field sets only: the Σ Values chip before the slot does not count.
    int index = InsertIndexAt(point);
    for (int i = 0; i < index && i < static_cast<int>(m_chips.size()); ++i) {
        if (m_chips[static_cast<std::size_t>(i)].field.kind == PivotFieldDrag::Kind::Values) {
            --index;
            break;
        }
    }
    return m_drag->Place(drag, m_area, index);
}

void PivotAreaBar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QPalette& pal = palette();
    const QFontMetrics metrics(font());
    const int chipHeight = metrics.height() + 6;
    painter.setPen(pal.color(QPalette::Mid));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));

    QFont bold = font();
    bold.setBold(true);
    painter.setFont(bold);
    painter.setPen(pal.color(QPalette::WindowText));
    const QRect titleRect = m_orientation == Qt::Horizontal
        ? QRect(kPadding, kMargin, QFontMetrics(bold).horizontalAdvance(Title()) + kPadding, chipHeight)
        : QRect(kPadding, kMargin, width() - 2 * kPadding, chipHeight);
    painter.drawText(titleRect, Qt::AlignLeft | Qt::AlignVCenter, Title());
    painter.setFont(font());

    if (m_chips.empty()) {
        const QRect hintRect = m_orientation == Qt::Horizontal
            ? QRect(titleRect.right() + kPadding, kMargin, width() - titleRect.right() - 2 * kPadding, chipHeight)
            : QRect(kPadding, titleRect.bottom() + kMargin, width() - 2 * kPadding, height() - titleRect.bottom());
        // The hint is the bar's own text, softened: readable on a light and on a dark ground
        // (a look's placeholder grey nearly vanishes on a dark bar).
        QColor hint = pal.color(QPalette::WindowText);
        hint.setAlphaF(0.7F);
        painter.setPen(hint);
        painter.drawText(hintRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
            m_orientation == Qt::Horizontal ? metrics.elidedText(Hint(), Qt::ElideRight, hintRect.width()) : Hint());
    }

    painter.setRenderHint(QPainter::Antialiasing, true);
    for (const Chip& chip : m_chips) {
        painter.setPen(pal.color(QPalette::Mid));
        painter.setBrush(pal.color(QPalette::Button));
        painter.drawRoundedRect(QRectF(chip.rect).adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
        if (&chip - m_chips.data() == m_current) {
            // The selected chip: a frame in the highlight colour, firm while the bar has focus.
            QPen frame(pal.color(QPalette::Highlight), hasFocus() ? 2 : 1, hasFocus() ? Qt::SolidLine : Qt::DotLine);
            painter.setPen(frame);
            painter.setBrush(Qt::NoBrush);
            painter.drawRoundedRect(QRectF(chip.rect).adjusted(1.5, 1.5, -1.5, -1.5), 3, 3);
        }
        QRect textRect = chip.rect.adjusted(kPadding, 0, -kPadding, 0);
        if (!chip.button.isNull())
            textRect.setRight(chip.button.left() - 1);
        if (chip.sort != 0) {
            const QRect arrow(textRect.right() - kSortWidth + 2, chip.rect.center().y() - 3, 6, 6);
            PivotSortArrow::Paint(painter, arrow, chip.sort, pal.color(QPalette::ButtonText));
            textRect.setRight(textRect.right() - kSortWidth);
        }
        painter.setPen(pal.color(QPalette::ButtonText));
        painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter,
            metrics.elidedText(chip.text, Qt::ElideRight, textRect.width()));
        if (!chip.button.isNull()) {
            const QPointF c = QRectF(chip.button).center();
            QPainterPath path;
            if (chip.filtered) {
                // A funnel marks a filtered field set.
                path.moveTo(c.x() - 4.5, c.y() - 4);
                path.lineTo(c.x() + 4.5, c.y() - 4);
                path.lineTo(c.x() + 1, c.y());
                path.lineTo(c.x() + 1, c.y() + 4);
                path.lineTo(c.x() - 1, c.y() + 3);
                path.lineTo(c.x() - 1, c.y());
                path.closeSubpath();
                painter.setBrush(pal.color(QPalette::Highlight));
            } else {
                path.moveTo(c.x() - 3.5, c.y() - 2);
                path.lineTo(c.x() + 3.5, c.y() - 2);
                path.lineTo(c.x(), c.y() + 2);
                path.closeSubpath();
                painter.setBrush(pal.color(QPalette::ButtonText));
            }
            painter.setPen(Qt::NoPen);
            painter.drawPath(path);
        }
    }
    painter.setRenderHint(QPainter::Antialiasing, false);

    if (m_dropIndex >= 0) {
        // The insertion line marks the exact slot the drop lands in.
        QPen pen(pal.color(QPalette::Highlight), 2);
        painter.setPen(pen);
        const int n = static_cast<int>(m_chips.size());
        if (m_orientation == Qt::Horizontal) {
            const int x = n == 0  ? titleRect.right() + kPadding
                : m_dropIndex < n ? m_chips[static_cast<std::size_t>(m_dropIndex)].rect.left() - 2
                                  : m_chips.back().rect.right() + 2;
            painter.drawLine(x, kMargin - 1, x, kMargin + chipHeight);
        } else {
            const int y = n == 0  ? titleRect.bottom() + 2
                : m_dropIndex < n ? m_chips[static_cast<std::size_t>(m_dropIndex)].rect.top() - 2
                                  : m_chips.back().rect.bottom() + 2;
            painter.drawLine(kMargin, y, width() - kMargin, y);
        }
    }
}

void PivotAreaBar::mousePressEvent(QMouseEvent* event)
{
    m_pressed = -1;
    if (event->button() != Qt::LeftButton)
        return;
    m_pressed = ChipAt(event->position().toPoint());
    if (m_pressed >= 0)
        SetCurrentIndex(m_pressed);
    m_pressedButton = m_pressed >= 0
        && m_chips[static_cast<std::size_t>(m_pressed)]
               .button.adjusted(-1, -1, 1, 1)
               .contains(event->position().toPoint());
    m_pressPosition = event->position().toPoint();
}

void PivotAreaBar::mouseMoveEvent(QMouseEvent* event)
{
    if (!(event->buttons() & Qt::LeftButton) || m_pressed < 0)
        return;
    if (!m_drag->IsDragging()) {
        if ((event->position().toPoint() - m_pressPosition).manhattanLength() < QApplication::startDragDistance())
            return;
        m_drag->Begin(m_chips[static_cast<std::size_t>(m_pressed)].field);
    }
    m_drag->Move(event->globalPosition().toPoint());
}

void PivotAreaBar::mouseReleaseEvent(QMouseEvent* event)
{
    const int pressed = m_pressed;
    m_pressed = -1;
    if (event->button() != Qt::LeftButton || pressed < 0)
        return;
    if (m_drag->IsDragging()) {
        m_drag->Finish(event->globalPosition().toPoint());
        return;
    }
    if (m_pressedButton && static_cast<std::size_t>(pressed) < m_chips.size()) {
        const Chip& chip = m_chips[static_cast<std::size_t>(pressed)];
        emit filterRequested(QString::fromStdString(chip.field.uniqueName),
            QRect(mapToGlobal(chip.button.topLeft()), chip.button.size()));
    }
}

void PivotAreaBar::contextMenuEvent(QContextMenuEvent* event)
{
    // The menu key and Shift+F10 open the menu of the selected chip, below it.
    const bool keyboard = event->reason() == QContextMenuEvent::Keyboard && m_current >= 0;
    const int index = keyboard ? m_current : ChipAt(event->pos());
    const QString name
        = index < 0 ? QString() : QString::fromStdString(m_chips[static_cast<std::size_t>(index)].field.uniqueName);
    if (index >= 0 && !keyboard)
        SetCurrentIndex(index);
    const QPoint at
        = keyboard ? mapToGlobal(m_chips[static_cast<std::size_t>(index)].rect.bottomLeft()) : event->globalPos();
    emit menuRequested(m_area, name, at);
}

void PivotAreaBar::keyPressEvent(QKeyEvent* event)
{
    const int count = static_cast<int>(m_chips.size());
    const bool previous = event->key() == Qt::Key_Left || event->key() == Qt::Key_Up;
    const bool next
        = event->key() == Qt::Key_Right || (event->key() == Qt::Key_Down && !(event->modifiers() & Qt::AltModifier));
    if (count > 0 && (previous || next)) {
        const int from = m_current < 0 ? (previous ? count : -1) : m_current;
        SetCurrentIndex(std::clamp(from + (previous ? -1 : 1), 0, count - 1));
        return;
    }
    if (event->key() == Qt::Key_Down && (event->modifiers() & Qt::AltModifier) && m_current >= 0) {
        const Chip& chip = m_chips[static_cast<std::size_t>(m_current)];
        if (!chip.button.isNull())
            emit filterRequested(QString::fromStdString(chip.field.uniqueName),
                QRect(mapToGlobal(chip.button.topLeft()), chip.button.size()));
        return;
    }
    QWidget::keyPressEvent(event);
}

void PivotAreaBar::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    // Tabbing in picks the first chip, so the commands have a target at once.
    if (m_current < 0 && !m_chips.empty() && event->reason() != Qt::MouseFocusReason)
        SetCurrentIndex(0);
    else if (m_current >= 0)
        emit chipSelected(m_area, QString::fromStdString(m_currentName));
    update();
}

void PivotAreaBar::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    update();
}

} // namespace pivot
