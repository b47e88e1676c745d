#pragma once

class QColor;
class QPainter;
class QRect;

namespace pivot {

//! The small triangle that marks a sorted field or total: pointing up for ascending, down for
//! descending, filling BOX.
class PivotSortArrow {
public:
    //! Paints it for DIRECTION (> 0 ascending, < 0 descending; 0 paints nothing) in COLOUR.
    static void Paint(QPainter& painter, const QRect& box, int direction, const QColor& colour);
};

} // namespace pivot
