#include "control/pivot/PivotDragController.h"

#include "control/pivot/PivotDropTarget.h"
#include "control/pivot/PivotLayoutEdit.h"
#include "control/pivot/PivotSession.h"

#include <QApplication>
#include <QBitmap>
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QPixmap>

#include <algorithm>

namespace pivot {

namespace {

//! The pointer of a chip about to be removed: an arrow with a red cross badge.
QCursor RemoveCursor()
{
    QPixmap pixmap(24, 24);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QPolygon arrow;
    arrow << QPoint(0, 0) << QPoint(0, 14) << QPoint(4, 10) << QPoint(7, 16) << QPoint(9, 15) << QPoint(6, 9)
          << QPoint(11, 9);
    painter.setPen(Qt::white);
    painter.setBrush(Qt::black);
    painter.drawPolygon(arrow);
    painter.setBrush(QColor(200, 30, 30));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QRect(12, 12, 11, 11));
    painter.setPen(QPen(Qt::white, 2));
    painter.drawLine(15, 15, 20, 20);
    painter.drawLine(20, 15, 15, 20);
    return QCursor(pixmap, 0, 0);
}

} // namespace

PivotDragController::PivotDragController(PivotSession* session, QObject* parent) : QObject(parent), m_session(session)
{
}

PivotDragController::~PivotDragController()
{
    if (m_drag)
        End();
}

void PivotDragController::AddTarget(PivotDropTarget* target)
{
    m_targets.push_back({QPointer<QWidget>(target->DropWidget()), target});
}

bool PivotDragController::Accepts(AxisKind area, const PivotFieldDrag& drag)
{
    if (drag.kind == PivotFieldDrag::Kind::Values)
        return area == AxisKind::Row || area == AxisKind::Column;
    return (area == AxisKind::Data) == drag.IsMeasure();
}

void PivotDragController::Begin(const PivotFieldDrag& drag)
{
    if (m_drag)
        Cancel();
    m_drag = drag;
    m_hover = nullptr;
    m_shape = Qt::ClosedHandCursor;
    QGuiApplication::setOverrideCursor(QCursor(Qt::ClosedHandCursor));
    qApp->installEventFilter(this);
    emit dragStarted();
}

PivotDropTarget* PivotDragController::TargetAt(const QPoint& globalPosition, QPoint* local) const
{
    for (const Target& t : m_targets) {
        QWidget* widget = t.widget.data();
        if (!widget || !widget->isVisible())
            continue;
        const QPoint point = widget->mapFromGlobal(globalPosition);
        if (widget->rect().contains(point)) {
            *local = point;
            return t.target;
        }
    }
    return nullptr;
}

void PivotDragController::SetShape(Qt::CursorShape shape)
{
    if (shape == m_shape)
        return;
    m_shape = shape;
    if (shape == Qt::BitmapCursor)
        QGuiApplication::changeOverrideCursor(RemoveCursor());
    else
        QGuiApplication::changeOverrideCursor(QCursor(shape));
}

void PivotDragController::Move(const QPoint& globalPosition)
{
    if (!m_drag)
        return;
    QPoint local;
    PivotDropTarget* target = TargetAt(globalPosition, &local);
    if (m_hover && m_hover != target)
        m_hover->DragLeave();
    m_hover = target;
    if (target)
        SetShape(target->DragOver(*m_drag, local) ? Qt::DragMoveCursor : Qt::ForbiddenCursor);
    else
        SetShape(m_drag->IsChip() ? Qt::BitmapCursor : Qt::ForbiddenCursor);
}

bool PivotDragController::Finish(const QPoint& globalPosition)
{
    if (!m_drag)
        return false;
    const PivotFieldDrag drag = *m_drag;
    QPoint local;
    PivotDropTarget* target = TargetAt(globalPosition, &local);
    End();
    if (target)
        return target->DropAt(drag, local);
    return drag.IsChip() && Remove(drag);
}

void PivotDragController::Cancel()
{
    if (m_drag)
        End();
}

void PivotDragController::End()
{
    if (m_hover)
        m_hover->DragLeave();
    for (const Target& t : m_targets) {
        if (t.widget)
            t.target->DragLeave();
    }
    m_hover = nullptr;
    m_drag.reset();
    m_shape = Qt::ArrowCursor;
    qApp->removeEventFilter(this);
    QGuiApplication::restoreOverrideCursor();
    emit dragFinished();
}

bool PivotDragController::eventFilter(QObject* watched, QEvent* event)
{
    if (m_drag && event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        Cancel();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

bool PivotDragController::Place(const PivotFieldDrag& drag, AxisKind area, int position)
{
    if (!Accepts(area, drag))
        return false;
    PivotDefinition definition = m_session->Definition();
    bool changed = false;
    switch (drag.kind) {
    case PivotFieldDrag::Kind::Measure:
    case PivotFieldDrag::Kind::Total:
        changed = PivotLayoutEdit::PlaceTotal(definition, drag.uniqueName, drag.caption, position);
        break;
    case PivotFieldDrag::Kind::FieldSet:
        changed = PivotLayoutEdit::MoveFieldSet(definition, drag.uniqueName, area, position);
        break;
    case PivotFieldDrag::Kind::Values:
        changed = PivotLayoutEdit::MoveTotals(definition, area, position);
        break;
    case PivotFieldDrag::Kind::Hierarchy:
        if (const auto* hierarchy = m_fields.FindHierarchy(drag.uniqueName))
            changed = PivotLayoutEdit::PlaceFieldSet(definition, *hierarchy, area, position);
        break;
    case PivotFieldDrag::Kind::Level: {
        int level = 0;
        if (const auto* hierarchy = m_fields.FindLevel(drag.uniqueName, &level)) {
            const bool inView = PivotLayoutEdit::Locate(definition, hierarchy->uniqueName, nullptr, nullptr);
            changed = PivotLayoutEdit::PlaceFieldSet(definition, *hierarchy, area, position, level);
            // A level of a field set already in the view is shown there as well.
            if (changed && inView)
                PivotLayoutEdit::SetFieldIncluded(definition, hierarchy->uniqueName, drag.uniqueName, true);
        }
        break;
    }
    }
    if (!changed || definition == m_session->Definition())
        return false;
    m_session->SetDefinition(std::move(definition));
    return true;
}

bool PivotDragController::Add(const PivotFieldDrag& drag)
{
    const PivotDefinition& current = m_session->Definition();
    switch (drag.kind) {
    case PivotFieldDrag::Kind::Measure:
    case PivotFieldDrag::Kind::Total: {
        const PivotTotal* total = current.FindTotal(drag.uniqueName);
        if (total && total->isIncluded)
            return false;
        return Place(drag, AxisKind::Data, -1);
    }
    case PivotFieldDrag::Kind::Hierarchy:
    case PivotFieldDrag::Kind::FieldSet:
        if (PivotLayoutEdit::Locate(current, drag.uniqueName, nullptr, nullptr))
            return false;
        return Place(drag, AxisKind::Row, -1);
    case PivotFieldDrag::Kind::Level: {
        int level = 0;
        const auto* hierarchy = m_fields.FindLevel(drag.uniqueName, &level);
        if (!hierarchy)
            return false;
        if (!PivotLayoutEdit::Locate(current, hierarchy->uniqueName, nullptr, nullptr))
            return Place(drag, AxisKind::Row, -1);
        PivotDefinition definition = current;
        if (!PivotLayoutEdit::SetFieldIncluded(definition, hierarchy->uniqueName, drag.uniqueName, true))
            return false;
        m_session->SetDefinition(std::move(definition));
        return true;
    }
    case PivotFieldDrag::Kind::Values:
        break;
    }
    return false;
}

bool PivotDragController::Remove(const PivotFieldDrag& drag)
{
    PivotDefinition definition = m_session->Definition();
    bool changed = false;
    switch (drag.kind) {
    case PivotFieldDrag::Kind::Measure:
    case PivotFieldDrag::Kind::Total:
        changed = PivotLayoutEdit::RemoveTotal(definition, drag.uniqueName);
        break;
    case PivotFieldDrag::Kind::Hierarchy:
    case PivotFieldDrag::Kind::FieldSet:
        changed = PivotLayoutEdit::RemoveFieldSet(definition, drag.uniqueName);
        break;
    case PivotFieldDrag::Kind::Level:
        if (const auto* hierarchy = m_fields.FindLevel(drag.uniqueName, nullptr)) {
            changed = PivotLayoutEdit::SetFieldIncluded(definition, hierarchy->uniqueName, drag.uniqueName, false);
            const PivotFieldSet* fieldSet = definition.FindFieldSet(hierarchy->uniqueName);
            // The last level shown takes its field set with it.
            if (!changed && fieldSet && fieldSet->FieldIndex(drag.uniqueName) >= 0)
                changed = PivotLayoutEdit::RemoveFieldSet(definition, hierarchy->uniqueName);
        }
        break;
    case PivotFieldDrag::Kind::Values:
        // The totals always lie on the rows or the columns; dropped outside, they stay.
        break;
    }
    if (!changed)
        return false;
    m_session->SetDefinition(std::move(definition));
    return true;
}

} // namespace pivot
