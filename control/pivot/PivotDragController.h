#pragma once

#include "control/pivot/PivotCubeFields.h"
#include "control/pivot/PivotFieldDrag.h"
#include "control/pivot/model/AxisKind.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <optional>
#include <vector>

namespace pivot {

class PivotDropTarget;
class PivotSession;

//! Moves fields between the field list, the area bars and the grid of one pivot view, and
//! applies the layout edits to the session's definition (each edit re-queries).
//!
//! A drag is driven by the widget the press went to (it keeps the mouse while the button is
//! down): Begin on leaving the drag distance, Move on every move, Finish on release. The
//! controller finds the drop target under the pointer, lets it show the insertion place and
//! sets the pointer shape: a move pointer over a target that takes the drag, the forbidden
//! pointer over one that does not, a "remove" pointer for a chip outside every target
//! (released there, the chip leaves its area). Escape cancels a drag. This works the same
//! on every platform plugin, offscreen included, since it needs no system drag and drop.
class PivotDragController : public QObject {
    Q_OBJECT
public:
    explicit PivotDragController(PivotSession* session, QObject* parent = nullptr);
    ~PivotDragController() override;

    //! The cube's fields the edits take hierarchies and captions from.
    void SetCubeFields(PivotCubeFields fields) { m_fields = std::move(fields); }
    const PivotCubeFields& CubeFields() const { return m_fields; }
    PivotSession* Session() const { return m_session; }

    //! Registers TARGET (it stays registered while its widget lives).
    void AddTarget(PivotDropTarget* target);

    void Begin(const PivotFieldDrag& drag);
    void Move(const QPoint& globalPosition);
    //! Drops on the target under GLOBALPOSITION, or removes a chip released outside every
    //! target. Returns whether the definition changed.
    bool Finish(const QPoint& globalPosition);
    void Cancel();
    bool IsDragging() const { return m_drag.has_value(); }
    //! The pointer shape shown now (for tests): a move pointer, the forbidden one or the
    //! remove pointer (Qt::BitmapCursor).
    Qt::CursorShape PointerShape() const { return m_shape; }

    //! Places DRAG on AREA at POSITION (see PivotLayoutEdit). False when it cannot go there.
    bool Place(const PivotFieldDrag& drag, AxisKind area, int position);
    //! What a double click or a check in the field list does: a measure goes to the data
    //! area, a hierarchy to the end of the rows, a level shows (adding its hierarchy to the
    //! rows from that level when it is not in the view).
    bool Add(const PivotFieldDrag& drag);
    //! Takes DRAG's field out of the view (a level: hides it, or removes its field set when it
    //! is the last level shown).
    bool Remove(const PivotFieldDrag& drag);

    //! Whether AREA takes DRAG: the data area takes measures and totals, the others take
    //! hierarchies, levels and field sets.
    static bool Accepts(AxisKind area, const PivotFieldDrag& drag);

signals:
    void dragStarted();
    void dragFinished();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Target {
        QPointer<QWidget> widget;
        PivotDropTarget* target;
    };
    PivotDropTarget* TargetAt(const QPoint& globalPosition, QPoint* local) const;
    void SetShape(Qt::CursorShape shape);
    void End();

    PivotSession* m_session;
    PivotCubeFields m_fields;
    std::vector<Target> m_targets;
    std::optional<PivotFieldDrag> m_drag;
    PivotDropTarget* m_hover = nullptr;
    Qt::CursorShape m_shape = Qt::ArrowCursor;
};

} // namespace pivot
