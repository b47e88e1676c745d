#pragma once

#include "control/pivot/PivotDropTarget.h"
#include "control/pivot/model/AxisKind.h"

#include <QRect>

namespace pivot {

class PivotDragController;
class PivotGrid;

//! The grid as a drop target: a field dropped on the row headers (or the row captions of the
//! corner) goes to the rows before or after the field set under the pointer, on the column
//! headers to the columns, a measure anywhere on the grid to the values; the hint boxes of
//! empty areas take their own kind. The grid marks the place with its drop indicator.
class PivotGridDropTarget : public PivotDropTarget {
public:
    PivotGridDropTarget(PivotGrid* grid, PivotDragController* drag);

    QWidget* DropWidget() override;
    bool DragOver(const PivotFieldDrag& drag, const QPoint& point) override;
    void DragLeave() override;
    bool DropAt(const PivotFieldDrag& drag, const QPoint& point) override;

    //! Where DRAG would land at viewport point POINT: its area, position and the mark drawn.
    bool Resolve(const PivotFieldDrag& drag, const QPoint& point, AxisKind* area, int* position, QRect* mark) const;

private:
    PivotGrid* m_grid;
    PivotDragController* m_drag;
};

} // namespace pivot
