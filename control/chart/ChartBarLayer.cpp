#include "control/chart/ChartBarLayer.h"

#include <QAbstractSeries>
#include <QChart>
#include <QGraphicsSceneHoverEvent>
#include <QGraphicsSceneMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace chart {

namespace {

// Between the grid and axes (below) and the series Qt Charts draws (above, such as the line
// of a combination), as the bars' own items would stand.
constexpr qreal kBarZValue = 3.5;

} // namespace

QPointF ChartBarLayer::Mapping::At(double category, double value) const
{
    if (horizontal)
        return {origin.x() + value * unit.x(), origin.y() + category * unit.y()};
    return {origin.x() + category * unit.x(), origin.y() + value * unit.y()};
}

QRectF ChartBarLayer::Mapping::Rect(const ChartBarLayout::Bar& bar) const
{
    return QRectF(At(bar.categoryLow, bar.valueLow), At(bar.categoryHigh, bar.valueHigh)).normalized();
}

double ChartBarLayer::Mapping::Category(QPointF point) const
{
    if (horizontal)
        return unit.y() == 0 ? -1 : (point.y() - origin.y()) / unit.y();
    return unit.x() == 0 ? -1 : (point.x() - origin.x()) / unit.x();
}

ChartBarLayer::ChartBarLayer(QChart& chart, QAbstractSeries& carrier, ChartBarLayout layout, bool horizontal,
    std::vector<QPen> pens, std::vector<QBrush> brushes, PointHandler onHover, PointHandler onClick)
    : QGraphicsObject(&chart), m_chart(chart), m_carrier(&carrier), m_layout(std::move(layout)),
      m_horizontal(horizontal), m_pens(std::move(pens)), m_brushes(std::move(brushes)), m_onHover(std::move(onHover)),
      m_onClick(std::move(onClick)), m_plotArea(chart.plotArea())
{
    m_pens.resize(m_layout.SeriesCount());
    m_brushes.resize(m_layout.SeriesCount());
    setZValue(kBarZValue);
    setAcceptHoverEvents(true);
    setAcceptedMouseButtons(Qt::LeftButton);
    connect(&chart, &QChart::plotAreaChanged, this, [this](const QRectF& area) {
        prepareGeometryChange();
        m_plotArea = area;
        update();
    });
}

QRectF ChartBarLayer::boundingRect() const
{
    return m_plotArea;
}

std::optional<ChartBarLayer::Mapping> ChartBarLayer::CurrentMapping() const
{
    if (!m_carrier || m_plotArea.isEmpty())
        return std::nullopt;
    // The carrier's domain is linear on both axes: two points give the whole map. Qt's
    // domain takes (x, y): category and value for columns, value and category for bars.
    const QPointF zero = m_chart.mapToPosition(QPointF(0, 0), m_carrier);
    const QPointF one = m_chart.mapToPosition(QPointF(1, 1), m_carrier);
    const QPointF step = one - zero;
    if (!std::isfinite(step.x()) || !std::isfinite(step.y()))
        return std::nullopt;
    return Mapping {zero, step, m_horizontal};
}

void ChartBarLayer::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget* widget)
{
    const std::optional<Mapping> mapping = CurrentMapping();
    if (!mapping)
        return;
    painter->save();
    painter->setClipRect(m_plotArea);
    // In a view, bars are drawn without smoothing, as the view draws bar charts: upright
    // edges gain nothing from it, and thousands of hairline bars cost much more with it (the
    // view smooths for the line of a combination). A picture drawn without a view follows
    // the painter, as the bars' own items would.
    if (widget)
        painter->setRenderHint(QPainter::Antialiasing, false);
    // One call per series: every bar of a series shares its pen and brush. Series are drawn
    // in order, so where thin bars share a pixel the later series shows, as with one item
    // per bar.
    QList<QRectF> rects;
    rects.reserve(static_cast<qsizetype>(m_layout.CategoryCount()));
    for (std::size_t s = 0; s < m_layout.SeriesCount(); ++s) {
        rects.clear();
        for (std::size_t c = 0; c < m_layout.CategoryCount(); ++c) {
            if (const std::optional<ChartBarLayout::Bar> bar = m_layout.At(s, c))
                rects.append(mapping->Rect(*bar));
        }
        if (rects.isEmpty())
            continue;
        painter->setPen(m_pens[s]);
        painter->setBrush(m_brushes[s]);
        painter->drawRects(rects.constData(), static_cast<int>(rects.size()));
    }
    painter->restore();
}

std::optional<QRectF> ChartBarLayer::BarRect(std::size_t series, std::size_t category) const
{
    const std::optional<Mapping> mapping = CurrentMapping();
    const std::optional<ChartBarLayout::Bar> bar = m_layout.At(series, category);
    if (!mapping || !bar)
        return std::nullopt;
    return mapping->Rect(*bar);
}

std::optional<std::pair<int, int>> ChartBarLayer::BarAt(QPointF point) const
{
    const std::optional<Mapping> mapping = CurrentMapping();
    if (!mapping || !m_plotArea.contains(point))
        return std::nullopt;
    const double position = std::round(mapping->Category(point));
    if (!(position >= 0) || position >= static_cast<double>(m_layout.CategoryCount()))
        return std::nullopt;
    const auto category = static_cast<std::size_t>(position);
    // The last series drawn is on top; a bar covers what its pen covers too (at least half
    // a pixel each side, so a hairline bar can still be pointed at).
    for (std::size_t s = m_layout.SeriesCount(); s-- > 0;) {
        const std::optional<ChartBarLayout::Bar> bar = m_layout.At(s, category);
        if (!bar)
            continue;
        const qreal margin = std::max<qreal>(0.5, m_pens[s].style() == Qt::NoPen ? 0 : m_pens[s].widthF() / 2);
        if (mapping->Rect(*bar).adjusted(-margin, -margin, margin, margin).contains(point))
            return std::pair<int, int>(static_cast<int>(s), static_cast<int>(category));
    }
    return std::nullopt;
}

void ChartBarLayer::SetHovered(std::optional<std::pair<int, int>> bar)
{
    if (bar == m_hovered)
        return;
    const std::optional<std::pair<int, int>> left = m_hovered;
    m_hovered = bar;
    if (!m_onHover)
        return;
    if (left)
        m_onHover(left->first, left->second, false);
    if (bar)
        m_onHover(bar->first, bar->second, true);
}

void ChartBarLayer::hoverMoveEvent(QGraphicsSceneHoverEvent* event)
{
    SetHovered(BarAt(mapToParent(event->pos())));
}

void ChartBarLayer::hoverLeaveEvent(QGraphicsSceneHoverEvent*)
{
    SetHovered(std::nullopt);
}

void ChartBarLayer::mousePressEvent(QGraphicsSceneMouseEvent* event)
{
    const std::optional<std::pair<int, int>> bar = BarAt(mapToParent(event->pos()));
    if (!bar) {
        event->ignore();
        return;
    }
    event->accept();
    if (m_onClick)
        m_onClick(bar->first, bar->second, true);
}

} // namespace chart
