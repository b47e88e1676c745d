#pragma once

#include "control/chart/ChartData.h"
#include "control/chart/ChartDefinition.h"

#include <QColor>
#include <QPalette>
#include <QString>

#include <cstddef>
#include <functional>

class QChart;

namespace chart {

//! Fills a Qt Charts chart from chart data and a definition: the series for the type, a
//! category axis and a value axis (none for pie types), fonts, legend, series colours and
//! the program's look (background and text from PALETTE). Pie types draw the first series.
//! Gaps stay gaps: bars of a gap are not drawn, lines break at a gap.
class ChartBuilder {
public:
    //! Called with (series, category) when the pointer enters (true) or leaves (false) a
    //! point, bar or slice, and on a click.
    using PointHandler = std::function<void(int series, int category, bool entered)>;

    //! How the bars of column and bar charts are drawn. Qt Charts makes one graphics item
    //! per bar, which is slow for thousands of bars; one item drawing all of them
    //! (ChartBarLayer) keeps such charts quick and looks the same.
    enum class BarDrawing {
        Automatic, //!< one item for all bars when there are more than kOnePassBars
        ItemPerBar,
        OnePass,
    };
    //! The number of bars above which Automatic draws all bars with one item.
    static constexpr std::size_t kOnePassBars = 1000;

    //! Removes CHART's series and axes and builds them anew from DATA and DEFINITION; the
    //! chart object itself (and the view showing it) stays.
    static void Fill(QChart& chart, const ChartData& data, const ChartDefinition& definition, const QPalette& look,
        const PointHandler& onHover = {}, const PointHandler& onClick = {},
        BarDrawing barDrawing = BarDrawing::Automatic);

    //! The colour of series INDEX: the definition's palette when it was changed from the
    //! default (its chart entries, 24 to 39, in turn), else a palette that colour-blind
    //! readers can tell apart.
    static QColor SeriesColour(const ChartDefinition& definition, int index);

    //! The tooltip for one point: the series and category captions and the value exactly as
    //! the pivot shows it ("(empty)" for a gap).
    static QString TooltipText(const ChartData& data, int series, int category);
};

} // namespace chart
