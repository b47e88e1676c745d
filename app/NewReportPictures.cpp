#include "app/NewReportPictures.h"

#include <QPainter>
#include <QPainterPath>

namespace {

const QColor kInk(0x33, 0x44, 0x55);
const QColor kHeader(0x3b, 0x7d, 0xd8);
const QColor kCells(0xf4, 0xf7, 0xfb);
const QColor kBars[]
    = {QColor(0x3b, 0x7d, 0xd8), QColor(0xf0, 0x9a, 0x2a), QColor(0x3d, 0xa8, 0x6b), QColor(0xc8, 0x4b, 0x6b)};

void DrawTable(QPainter& p, const QRectF& r)
{
    p.setPen(QPen(kInk, 1));
    p.setBrush(kCells);
    p.drawRect(r);
    const qreal rowHeight = r.height() / 4;
    p.fillRect(QRectF(r.left() + 0.5, r.top() + 0.5, r.width() - 1, rowHeight), kHeader);
    p.fillRect(QRectF(r.left() + 0.5, r.top() + 0.5, r.width() / 3, r.height() - 1), kHeader.lighter(160));
    p.setPen(QPen(kInk.lighter(170), 1));
    for (int i = 1; i < 4; ++i)
        p.drawLine(QPointF(r.left(), r.top() + i * rowHeight), QPointF(r.right(), r.top() + i * rowHeight));
    for (int i = 1; i < 3; ++i)
        p.drawLine(QPointF(r.left() + i * r.width() / 3, r.top()), QPointF(r.left() + i * r.width() / 3, r.bottom()));
    p.setPen(QPen(kInk, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(r);
}

void DrawChart(QPainter& p, const QRectF& r)
{
    p.setPen(QPen(kInk, 1));
    p.setBrush(Qt::white);
    p.drawRect(r);
    const QRectF plot = r.adjusted(r.width() * 0.12, r.height() * 0.12, -r.width() * 0.08, -r.height() * 0.14);
    const qreal heights[] = {0.45, 0.8, 0.6, 0.95};
    const qreal slot = plot.width() / 4;
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 4; ++i) {
        const qreal h = plot.height() * heights[i];
        p.setBrush(kBars[i]);
        p.drawRect(QRectF(plot.left() + i * slot + slot * 0.18, plot.bottom() - h, slot * 0.64, h));
    }
    p.setPen(QPen(kInk, 1));
    p.drawLine(plot.bottomLeft(), plot.bottomRight());
    p.drawLine(plot.bottomLeft(), plot.topLeft());
}

void DrawLink(QPainter& p, const QPointF& centre, qreal size)
{
    p.setPen(QPen(QColor(0x1f, 0x6f, 0x3f), size / 4, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(centre.x() - size * 0.9, centre.y() - size * 0.45, size, size * 0.9));
    p.drawEllipse(QRectF(centre.x() - size * 0.1, centre.y() - size * 0.45, size, size * 0.9));
}

void DrawDocument(QPainter& p, const QRectF& r)
{
    const qreal fold = r.width() * 0.28;
    QPainterPath page;
    page.moveTo(r.topLeft());
    page.lineTo(r.right() - fold, r.top());
    page.lineTo(r.right(), r.top() + fold);
    page.lineTo(r.bottomRight());
    page.lineTo(r.bottomLeft());
    page.closeSubpath();
    p.setPen(QPen(kInk, 1));
    p.setBrush(Qt::white);
    p.drawPath(page);
    QPainterPath corner;
    corner.moveTo(r.right() - fold, r.top());
    corner.lineTo(r.right() - fold, r.top() + fold);
    corner.lineTo(r.right(), r.top() + fold);
    p.setBrush(kCells);
    p.drawPath(corner);
    p.setPen(QPen(kHeader, 1.5));
    for (int i = 0; i < 4; ++i) {
        const qreal y = r.top() + fold + 4 + i * (r.height() - fold - 6) / 4;
        p.drawLine(QPointF(r.left() + 4, y), QPointF(r.right() - 4 - (i == 3 ? r.width() * 0.3 : 0), y));
    }
}

} // namespace

QPixmap NewReportPicture(int type, const QSize& size, qreal devicePixelRatio)
{
    QPixmap pixmap(size * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF all = QRectF(QPointF(0, 0), QSizeF(size)).adjusted(2.5, 2.5, -2.5, -2.5);
    const qreal gap = type == 5 || type == 6 ? all.height() * 0.16 : all.height() * 0.08;
    const QRectF top(all.left(), all.top(), all.width(), (all.height() - gap) / 2);
    const QRectF bottom(all.left(), top.bottom() + gap, all.width(), top.height());
    switch (type) {
    case 1:
        DrawTable(p, all);
        break;
    case 2:
        DrawChart(p, all);
        break;
    case 3:
    case 5:
        DrawTable(p, top);
        DrawChart(p, bottom);
        break;
    case 4:
    case 6:
        DrawChart(p, top);
        DrawTable(p, bottom);
        break;
    default:
        DrawDocument(p, QRectF(all.center().x() - all.height() * 0.4, all.top(), all.height() * 0.8, all.height()));
        break;
    }
    if (type == 3 || type == 4)
        DrawLink(p, QPointF(all.right() - all.width() * 0.12, top.bottom() + gap / 2), all.height() * 0.22);
    return pixmap;
}
