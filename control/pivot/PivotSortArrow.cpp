#include "control/pivot/PivotSortArrow.h"

#include <QColor>
#include <QPainter>
#include <QPolygon>
#include <QRect>

namespace pivot {

void PivotSortArrow::Paint(QPainter& painter, const QRect& box, int direction, const QColor& colour)
{
    if (direction == 0)
        return;
    QPolygon triangle;
    if (direction > 0)
        triangle << QPoint(box.left(), box.bottom()) << QPoint(box.right(), box.bottom())
                 << QPoint(box.center().x(), box.top());
    else
        triangle << QPoint(box.left(), box.top()) << QPoint(box.right(), box.top())
                 << QPoint(box.center().x(), box.bottom());
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawPolygon(triangle);
}

} // namespace pivot
