#pragma once

#include <QPoint>

class QWidget;

namespace pivot {

struct PivotFieldDrag;

//! A place a field can be dropped on (an area bar, the grid). The drag controller finds the
//! target under the pointer by its widget, asks whether the drag may land there (the target
//! shows where it would) and hands it the drop.
class PivotDropTarget {
public:
    virtual ~PivotDropTarget() = default;
    //! The widget whose rectangle is the target; points are in its coordinates.
    virtual QWidget* DropWidget() = 0;
    //! Whether DRAG may land at POINT; an accepting target shows the insertion place.
    virtual bool DragOver(const PivotFieldDrag& drag, const QPoint& point) = 0;
    //! The drag left the target (or ended): hide the insertion place.
    virtual void DragLeave() = 0;
    //! Drops DRAG at POINT. False when it cannot land there (nothing changes).
    virtual bool DropAt(const PivotFieldDrag& drag, const QPoint& point) = 0;
};

} // namespace pivot
