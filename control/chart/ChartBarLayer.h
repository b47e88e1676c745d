#pragma once

#include "control/chart/ChartBarLayout.h"

#include <QBrush>
#include <QGraphicsObject>
#include <QPen>
#include <QPointer>

#include <functional>
#include <optional>
#include <utility>
#include <vector>

class QAbstractSeries;
class QChart;

namespace chart {

//! All the bars of a column or bar chart drawn by one graphics item in one pass, for charts
//! with so many bars that one Qt Charts item per bar makes following a pivot change slow.
//! The item lies over the chart's plot area (a child of the chart) and maps values to
//! pixels through a carrier series: a bar series with one empty set per data series, which
//! gives the chart its axes, their ranges and its legend just as the bars' own series
//! would. Each series' bars are drawn with the pen and brush of its set, in a view without
//! smoothing. Hover and click find the bar under the pointer by its geometry.
class ChartBarLayer : public QGraphicsObject {
    Q_OBJECT

public:
    //! Called with (series, category, entered): on entering (true) or leaving (false) a
    //! bar, and on a click.
    using PointHandler = std::function<void(int series, int category, bool entered)>;

    //! Draws LAYOUT over CHART's plot area, mapping values through CARRIER (a series of
    //! CHART attached to its axes); PENS and BRUSHES hold one entry per series of LAYOUT.
    ChartBarLayer(QChart& chart, QAbstractSeries& carrier, ChartBarLayout layout, bool horizontal,
        std::vector<QPen> pens, std::vector<QBrush> brushes, PointHandler onHover = {}, PointHandler onClick = {});

    QRectF boundingRect() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

    const ChartBarLayout& Layout() const { return m_layout; }
    //! The rectangle the bar of SERIES in CATEGORY covers, in the chart's coordinates; none
    //! for a gap.
    std::optional<QRectF> BarRect(std::size_t series, std::size_t category) const;
    //! The bar under POINT (the chart's coordinates): of the bars drawn there, the one
    //! drawn last, which is the one seen; none outside every bar.
    std::optional<std::pair<int, int>> BarAt(QPointF point) const;

protected:
    void hoverMoveEvent(QGraphicsSceneHoverEvent* event) override;
    void hoverLeaveEvent(QGraphicsSceneHoverEvent* event) override;
    void mousePressEvent(QGraphicsSceneMouseEvent* event) override;

private:
    //! Maps a position along the category axis and the value axis to the chart's
    //! coordinates: a linear map taken from the carrier at the chart's current size.
    struct Mapping {
        QPointF origin;
        QPointF unit; // the step of one along each axis, in pixels
        bool horizontal;
        QPointF At(double category, double value) const;
        QRectF Rect(const ChartBarLayout::Bar& bar) const;
        //! The position along the category axis of POINT.
        double Category(QPointF point) const;
    };
    std::optional<Mapping> CurrentMapping() const;
    void SetHovered(std::optional<std::pair<int, int>> bar);

    QChart& m_chart;
    QPointer<QAbstractSeries> m_carrier;
    ChartBarLayout m_layout;
    bool m_horizontal;
    std::vector<QPen> m_pens;
    std::vector<QBrush> m_brushes;
    PointHandler m_onHover;
    PointHandler m_onClick;
    QRectF m_plotArea;
    std::optional<std::pair<int, int>> m_hovered;
};

} // namespace chart
