#pragma once

#include <QObject>

class QKeyEvent;
class QWidget;

namespace pivot {

class PivotSession;

//! Ctrl+Z undoes the last layout step, Ctrl+Y and Ctrl+Shift+Z redo it, while a watched part
//! of the table (grid, area bars, field tree) has the focus. The keys are taken before any
//! shortcut of the window sees them, so a host's own Ctrl+Z does not make them ambiguous; a
//! text box keeps its own undo because it is not watched.
class PivotUndoKeys : public QObject {
    Q_OBJECT
public:
    explicit PivotUndoKeys(PivotSession* session, QObject* parent = nullptr);

    //! Takes the keys while WIDGET has the focus.
    void Watch(QWidget* widget);

    enum class Key { None, Undo, Redo };
    //! What EVENT asks for.
    static Key Classify(const QKeyEvent& event);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    PivotSession* m_session;
};

} // namespace pivot
