#include "control/pivot/PivotUndoKeys.h"

#include "control/pivot/PivotSession.h"

#include <QKeyEvent>
#include <QWidget>

namespace pivot {

PivotUndoKeys::PivotUndoKeys(PivotSession* session, QObject* parent) : QObject(parent), m_session(session)
{
}

void PivotUndoKeys::Watch(QWidget* widget)
{
    if (widget)
        widget->installEventFilter(this);
}

PivotUndoKeys::Key PivotUndoKeys::Classify(const QKeyEvent& event)
{
    const Qt::KeyboardModifiers modifiers = event.modifiers() & ~Qt::KeypadModifier;
    if (event.key() == Qt::Key_Z && modifiers == Qt::ControlModifier)
        return Key::Undo;
    if ((event.key() == Qt::Key_Y && modifiers == Qt::ControlModifier)
        || (event.key() == Qt::Key_Z && modifiers == (Qt::ControlModifier | Qt::ShiftModifier)))
        return Key::Redo;
    return Key::None;
}

bool PivotUndoKeys::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    const Key what = Classify(*key);
    if (what == Key::None)
        return QObject::eventFilter(watched, event);
    if (event->type() == QEvent::ShortcutOverride) {
        // Accepted, the key comes as a key press here instead of firing a window shortcut.
        event->accept();
        return true;
    }
    if (what == Key::Undo)
        m_session->Undo();
    else
        m_session->Redo();
    return true;
}

} // namespace pivot
