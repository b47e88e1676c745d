#include "control/chart/ChartBuilder.h"

#include "control/chart/ChartBarLayer.h"
#include "control/chart/ChartTypeTable.h"
#include "control/chart/ChartValueFormat.h"
#include "olap/util/ValueFormatter.h"

#include <QAreaSeries>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QHorizontalBarSeries>
#include <QHorizontalPercentBarSeries>
#include <QHorizontalStackedBarSeries>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPercentBarSeries>
#include <QPieSeries>
#include <QScatterSeries>
#include <QStackedBarSeries>
#include <QValueAxis>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <memory>
#include <utility>

namespace chart {

namespace {

// Paul Tol's "bright" scheme: distinguishable with the common colour-vision deficiencies.
constexpr std::array<QRgb, 7> kReadablePalette = {0x4477AA, 0xEE6677, 0x228833, 0xCCBB44, 0x66CCEE, 0xAA3377, 0xBBBBBB};
constexpr int kFirstSeriesEntry = 24;

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

QFont DefaultFont(const ChartDefinition& definition)
{
    QFont font;
    if (!definition.defaultFont.empty())
        font.setFamily(Q(definition.defaultFont));
    if (definition.fontSize > 0)
        font.setPointSizeF(definition.fontSize);
    return font;
}

QFont AxisFont(const ChartDefinition& definition, ChartAxisFont::Axis axis)
{
    QFont font = DefaultFont(definition);
    for (const ChartAxisFont& entry : definition.axisFonts) {
        if (entry.axis != axis)
            continue;
        if (!entry.name.empty())
            font.setFamily(Q(entry.name));
        if (entry.size > 0)
            font.setPointSizeF(entry.size);
    }
    return font;
}

QAbstractBarSeries* NewBarSeries(ChartType type)
{
    switch (type) {
    case ChartType::ColumnStacked:
        return new QStackedBarSeries;
    case ChartType::ColumnStacked100:
        return new QPercentBarSeries;
    case ChartType::BarClustered:
        return new QHorizontalBarSeries;
    case ChartType::BarStacked:
        return new QHorizontalStackedBarSeries;
    case ChartType::BarStacked100:
        return new QHorizontalPercentBarSeries;
    default:
        return new QBarSeries;
    }
}

//! Whether CATEGORIES' captions, side by side under a chart of common width, would not fit.
bool Crowded(const std::vector<std::string>& categories)
{
    constexpr std::size_t kCharactersAcross = 90;
    std::size_t longest = 0;
    for (const std::string& category : categories)
        longest = std::max(longest, category.size());
    return categories.size() * (longest + 2) > kCharactersAcross;
}

//! The bar type of a combination's columns.
ChartType BarKind(ChartType type)
{
    if (type == ChartType::ColumnStackedLine)
        return ChartType::ColumnStacked;
    if (ChartTypeTable::IsCombination(type))
        return ChartType::ColumnClustered;
    return type;
}

//! The lowest and highest value the chart of TYPE draws: stacks as Qt stacks them (bars
//! stack positives and negatives apart, our stacked lines and areas add every value), and
//! columns and areas from zero.
std::pair<double, double> ValueRange(const ChartData& data, ChartType type)
{
    double low = std::numeric_limits<double>::infinity();
    double high = -low;
    const auto take = [&](double value) {
        low = std::min(low, value);
        high = std::max(high, value);
    };
    const std::size_t seriesCount = data.Series().size();
    const std::size_t stackedSeries
        = ChartTypeTable::IsCombination(type) && seriesCount > 1 ? seriesCount - 1 : seriesCount;
    const bool fromZero = type != ChartType::Line && type != ChartType::LineMarkers && type != ChartType::Scatter
        && type != ChartType::LineStacked;
    if (fromZero)
        take(0);
    const bool barStack
        = type == ChartType::ColumnStacked || type == ChartType::BarStacked || type == ChartType::ColumnStackedLine;
    const bool sumStack = type == ChartType::LineStacked || type == ChartType::AreaStacked;
    for (std::size_t c = 0; c < data.Categories().size(); ++c) {
        double positive = 0;
        double negative = 0;
        double running = 0;
        for (std::size_t s = 0; s < seriesCount; ++s) {
            const std::optional<double>& value = data.Series()[s].values[c];
            if (!value)
                continue;
            if (barStack && s < stackedSeries) {
                (*value < 0 ? negative : positive) += *value;
                take(positive);
                take(negative);
            } else if (sumStack) {
                running += *value;
                take(running);
            } else {
                take(*value);
            }
        }
    }
    if (!std::isfinite(low))
        return {0, 1};
    return {low, high};
}

bool IsBar(ChartType type)
{
    return ChartTypeTable::Number(type) <= ChartTypeTable::Number(ChartType::BarStacked100);
}

bool IsHorizontal(ChartType type)
{
    return type == ChartType::BarClustered || type == ChartType::BarStacked || type == ChartType::BarStacked100;
}

//! Per category, the sum of the values of the series before INDEX (gaps count as nothing).
std::vector<double> StackBase(const ChartData& data, std::size_t index)
{
    std::vector<double> base(data.Categories().size(), 0.0);
    for (std::size_t s = 0; s < index; ++s) {
        for (std::size_t c = 0; c < base.size(); ++c)
            base[c] += data.Series()[s].values[c].value_or(0.0);
    }
    return base;
}

ChartBarLayout::Kind LayoutKind(ChartType barType)
{
    switch (barType) {
    case ChartType::ColumnStacked:
    case ChartType::BarStacked:
        return ChartBarLayout::Kind::Stacked;
    case ChartType::ColumnStacked100:
    case ChartType::BarStacked100:
        return ChartBarLayout::Kind::Percent;
    default:
        return ChartBarLayout::Kind::Clustered;
    }
}

class Filler {
public:
    Filler(QChart& chart, const ChartData& data, const ChartDefinition& definition,
        const ChartBuilder::PointHandler& onHover, const ChartBuilder::PointHandler& onClick,
        ChartBuilder::BarDrawing barDrawing)
        : m_chart(chart), m_data(data), m_definition(definition), m_onHover(onHover), m_onClick(onClick),
          m_barDrawing(barDrawing)
    {
    }

    //! Columns or bars for the first COUNT series (all of them by default).
    void Bars(std::size_t count = std::numeric_limits<std::size_t>::max())
    {
        const std::size_t drawn = std::min(count, m_data.Series().size());
        const bool onePass = m_barDrawing == ChartBuilder::BarDrawing::OnePass
            || (m_barDrawing == ChartBuilder::BarDrawing::Automatic
                && drawn * m_data.Categories().size() > ChartBuilder::kOnePassBars);
        if (onePass) {
            OnePassBars(drawn);
            return;
        }
        QAbstractBarSeries* bars = NewBarSeries(BarKind(m_definition.type));
        for (std::size_t s = 0; s < m_data.Series().size() && s < count; ++s) {
            const ChartSeries& series = m_data.Series()[s];
            auto* set = new QBarSet(Q(series.name));
            // One append for the whole set: each append redraws the set's bars.
            QList<qreal> values;
            values.reserve(static_cast<qsizetype>(series.values.size()));
            for (const std::optional<double>& value : series.values)
                values.append(value.value_or(0.0));
            set->append(values);
            set->setColor(ChartBuilder::SeriesColour(m_definition, static_cast<int>(s)));
            set->setBorderColor(set->color());
            const int seriesIndex = static_cast<int>(s);
            if (m_onHover) {
                QObject::connect(set, &QBarSet::hovered, set,
                    [handler = m_onHover, seriesIndex](bool state, int index) { handler(seriesIndex, index, state); });
            }
            if (m_onClick) {
                QObject::connect(set, &QBarSet::clicked, set,
                    [handler = m_onClick, seriesIndex](int index) { handler(seriesIndex, index, true); });
            }
            bars->append(set);
        }
        m_chart.addSeries(bars);
        AttachAxes(bars, IsHorizontal(m_definition.type));
    }

    //! The bars of the first COUNT series drawn by one item (ChartBarLayer). The chart gets a
    //! bar series of the same kind with one empty set per series, named and coloured as the
    //! bars' sets would be: it carries the axes and the legend, and the item takes its pens
    //! and brushes from it.
    void OnePassBars(std::size_t count)
    {
        const ChartType kind = BarKind(m_definition.type);
        QAbstractBarSeries* carrier = NewBarSeries(kind);
        for (std::size_t s = 0; s < count; ++s) {
            auto* set = new QBarSet(Q(m_data.Series()[s].name));
            set->setColor(ChartBuilder::SeriesColour(m_definition, static_cast<int>(s)));
            set->setBorderColor(set->color());
            carrier->append(set);
        }
        m_chart.addSeries(carrier);
        const bool horizontal = IsHorizontal(kind);
        AttachAxes(carrier, horizontal);
        std::vector<QPen> pens;
        std::vector<QBrush> brushes;
        for (QBarSet* set : carrier->barSets()) {
            pens.push_back(set->pen());
            brushes.push_back(set->brush());
        }
        ChartBarLayout layout(m_data, LayoutKind(kind), count);
        // The empty sets give the value axis no range: it spans what the chart draws, as
        // the axis of bars drawn one by one would.
        if (ChartTypeTable::IsPercent(kind))
            m_valueRange = {0.0, 100.0};
        else
            m_valueRange = ValueRange(m_data, m_definition.type);
        new ChartBarLayer(m_chart, *carrier, std::move(layout), horizontal, std::move(pens), std::move(brushes),
            m_onHover, m_onClick);
    }

    //! Settles what needs every series in place: the value axis of bars drawn in one pass.
    void Finish()
    {
        if (!m_valueRange || !m_valueAxis)
            return;
        // A value axis labelled with the pivot's format has its own round range already.
        if (qobject_cast<QCategoryAxis*>(m_valueAxis))
            return;
        m_valueAxis->setRange(m_valueRange->first, m_valueRange->second);
    }

    //! Lines, lines with markers, stacked lines and scatter: X is the category index. A line
    //! breaks at a gap (one Qt series per unbroken run, one legend entry per data series).
    void Lines()
    {
        const ChartType type = m_definition.type;
        // Gaps count as nothing in a stacked line (the stack goes on) and are skipped by a
        // scatter; a plain line breaks at them.
        const bool breaks = type != ChartType::Scatter && type != ChartType::LineStacked;
        for (std::size_t s = 0; s < m_data.Series().size(); ++s) {
            const ChartSeries& series = m_data.Series()[s];
            const std::vector<double> base
                = type == ChartType::LineStacked ? StackBase(m_data, s) : std::vector<double>(series.values.size());
            const QColor colour = ChartBuilder::SeriesColour(m_definition, static_cast<int>(s));
            // The points are collected first: a series in a chart redraws on every point added.
            QList<QPointF> run;
            bool first = true;
            const auto flush = [&]() {
                if (run.isEmpty())
                    return;
                AddRun(type, colour, static_cast<int>(s), first, run);
                first = false;
                run.clear();
            };
            for (std::size_t c = 0; c < series.values.size(); ++c) {
                if (!series.values[c] && breaks) {
                    flush();
                    continue;
                }
                if (!series.values[c] && type == ChartType::Scatter)
                    continue;
                run.append(QPointF(static_cast<qreal>(c), base[c] + series.values[c].value_or(0.0)));
            }
            flush();
        }
    }

    //! The others as columns, the last series as a line (one series: columns only).
    void Combination()
    {
        const std::size_t count = m_data.Series().size();
        if (count == 0)
            return;
        if (count == 1) {
            Bars();
            return;
        }
        Bars(count - 1);
        const ChartType line
            = m_definition.type == ChartType::ColumnLineMarkers ? ChartType::LineMarkers : ChartType::Line;
        const std::size_t last = count - 1;
        const ChartSeries& series = m_data.Series()[last];
        const QColor colour = ChartBuilder::SeriesColour(m_definition, static_cast<int>(last));
        QList<QPointF> run;
        bool first = true;
        for (std::size_t c = 0; c <= series.values.size(); ++c) {
            if (c == series.values.size() || !series.values[c]) {
                if (!run.isEmpty())
                    AddRun(line, colour, static_cast<int>(last), first, run);
                first = first && run.isEmpty();
                run.clear();
                continue;
            }
            run.append(QPointF(static_cast<qreal>(c), *series.values[c]));
        }
    }

    void Areas()
    {
        const bool stacked = m_definition.type == ChartType::AreaStacked;
        for (std::size_t s = 0; s < m_data.Series().size(); ++s) {
            const ChartSeries& series = m_data.Series()[s];
            const std::vector<double> base = stacked ? StackBase(m_data, s) : std::vector<double>(series.values.size());
            auto* upper = new QLineSeries;
            auto* lower = new QLineSeries;
            for (std::size_t c = 0; c < series.values.size(); ++c) {
                upper->append(static_cast<qreal>(c), base[c] + series.values[c].value_or(0.0));
                lower->append(static_cast<qreal>(c), base[c]);
            }
            auto* area = new QAreaSeries(upper, lower);
            // The area series does not own its boundary lines; the chart deletes only the area.
            upper->setParent(area);
            lower->setParent(area);
            area->setName(Q(series.name));
            QColor colour = ChartBuilder::SeriesColour(m_definition, static_cast<int>(s));
            area->setBorderColor(colour);
            if (!stacked)
                colour.setAlpha(160);
            area->setColor(colour);
            m_chart.addSeries(area);
            AttachAxes(area, false);
        }
    }

    void Pie()
    {
        if (m_data.Series().empty())
            return;
        auto* pie = new QPieSeries;
        const ChartSeries& series = m_data.Series().front();
        pie->setName(Q(series.name));
        for (std::size_t c = 0; c < series.values.size(); ++c) {
            // A slice needs a positive size: gaps and values of zero or less have none.
            if (!series.values[c] || *series.values[c] <= 0)
                continue;
            QPieSlice* slice = pie->append(Q(m_data.Categories()[c]), *series.values[c]);
            slice->setColor(ChartBuilder::SeriesColour(m_definition, static_cast<int>(c)));
            slice->setExploded(m_definition.type == ChartType::PieExploded);
            const int category = static_cast<int>(c);
            if (m_onHover) {
                QObject::connect(slice, &QPieSlice::hovered, slice,
                    [handler = m_onHover, category](bool state) { handler(0, category, state); });
            }
            if (m_onClick) {
                QObject::connect(slice, &QPieSlice::clicked, slice,
                    [handler = m_onClick, category]() { handler(0, category, true); });
            }
        }
        if (m_definition.type == ChartType::Doughnut)
            pie->setHoleSize(0.4);
        m_chart.addSeries(pie);
    }

private:
    void AddRun(ChartType type, const QColor& colour, int seriesIndex, bool first, const QList<QPointF>& points)
    {
        QXYSeries* run = nullptr;
        if (type == ChartType::Scatter) {
            auto* scatter = new QScatterSeries;
            scatter->setMarkerSize(9);
            scatter->setBorderColor(colour);
            run = scatter;
        } else {
            run = new QLineSeries;
            run->setPointsVisible(type == ChartType::LineMarkers);
            QPen pen = run->pen();
            pen.setWidthF(2.0);
            pen.setColor(colour);
            run->setPen(pen);
        }
        run->setColor(colour);
        run->replace(points);
        run->setName(Q(m_data.Series()[static_cast<std::size_t>(seriesIndex)].name));
        const auto toCategory = [](const QPointF& point) { return static_cast<int>(std::lround(point.x())); };
        if (m_onHover) {
            QObject::connect(run, &QXYSeries::hovered, run,
                [handler = m_onHover, seriesIndex, toCategory](
                    const QPointF& point, bool state) { handler(seriesIndex, toCategory(point), state); });
        }
        if (m_onClick) {
            QObject::connect(
                run, &QXYSeries::clicked, run, [handler = m_onClick, seriesIndex, toCategory](const QPointF& point) {
                    handler(seriesIndex, toCategory(point), true);
                });
        }
        m_chart.addSeries(run);
        AttachAxes(run, false);
        if (!first) {
            for (QLegendMarker* marker : m_chart.legend()->markers(run))
                marker->setVisible(false);
        }
    }

    void AttachAxes(QAbstractSeries* series, bool horizontal)
    {
        if (!m_categoryAxis) {
            m_categoryAxis = new QBarCategoryAxis;
            for (const std::string& category : m_data.Categories())
                m_categoryAxis->append(Q(category));
            m_categoryAxis->setLabelsFont(AxisFont(m_definition, ChartAxisFont::Axis::Category));
            // Captions side by side under the plot are cut short when they crowd each other;
            // turned upright, they keep their words.
            if (!horizontal && Crowded(m_data.Categories())) {
                m_categoryAxis->setLabelsAngle(-90);
                m_categoryAxis->setTruncateLabels(false);
            }
            m_chart.addAxis(m_categoryAxis, horizontal ? Qt::AlignLeft : Qt::AlignBottom);
            m_valueAxis = NewValueAxis();
            m_valueAxis->setLabelsFont(AxisFont(m_definition, ChartAxisFont::Axis::Value));
            m_chart.addAxis(m_valueAxis, horizontal ? Qt::AlignBottom : Qt::AlignLeft);
        }
        series->attachAxis(m_categoryAxis);
        series->attachAxis(m_valueAxis);
    }

    //! The value axis: steps labelled with the values' number format when they have one, so
    //! the axis reads like the pivot; Qt's own labels otherwise (and for 100% stacks).
    QValueAxis* NewValueAxis() const
    {
        const ChartType type = m_definition.type;
        if (m_data.ValueFormat().empty() || ChartTypeTable::IsPercent(type) || m_data.IsEmpty())
            return new QValueAxis;
        const auto [low, high] = ValueRange(m_data, type);
        const ChartValueFormat::Ticks ticks = ChartValueFormat::NiceTicks(low, high);
        const std::string format = ChartValueFormat::ForStep(m_data.ValueFormat(), ticks.step);
        const long steps = std::lround((ticks.last - ticks.first) / ticks.step);
        if (steps < 1 || steps > 50)
            return new QValueAxis;
        auto* axis = new QCategoryAxis;
        axis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
        axis->setStartValue(ticks.first - ticks.step);
        for (long i = 0; i <= steps; ++i) {
            double value = ticks.first + static_cast<double>(i) * ticks.step;
            if (std::fabs(value) < ticks.step * 1e-9)
                value = 0;
            const QString label = Q(olap::ValueFormatter::Format(value, format));
            // Labels name the steps; two steps with one label would merge on this axis.
            if (axis->categoriesLabels().contains(label)) {
                delete axis;
                return new QValueAxis;
            }
            axis->append(label, value);
        }
        axis->setRange(ticks.first, ticks.last);
        return axis;
    }

    QChart& m_chart;
    const ChartData& m_data;
    const ChartDefinition& m_definition;
    const ChartBuilder::PointHandler& m_onHover;
    const ChartBuilder::PointHandler& m_onClick;
    ChartBuilder::BarDrawing m_barDrawing;
    QBarCategoryAxis* m_categoryAxis = nullptr;
    QValueAxis* m_valueAxis = nullptr;
    std::optional<std::pair<double, double>> m_valueRange;
};

} // namespace

QColor ChartBuilder::SeriesColour(const ChartDefinition& definition, int index)
{
    if (definition.HasCustomPalette()) {
        const int entries = ChartDefinition::kPaletteSize - kFirstSeriesEntry;
        const std::string& entry
            = definition
                  .palette[static_cast<std::size_t>(kFirstSeriesEntry) + static_cast<std::size_t>(index % entries)];
        return QColor(Q(entry));
    }
    return QColor(kReadablePalette[static_cast<std::size_t>(index) % kReadablePalette.size()]);
}

QString ChartBuilder::TooltipText(const ChartData& data, int series, int category)
{
    if (series < 0 || category < 0 || series >= static_cast<int>(data.Series().size())
        || category >= static_cast<int>(data.Categories().size()))
        return {};
    const ChartSeries& one = data.Series()[static_cast<std::size_t>(series)];
    const std::string& text = one.texts[static_cast<std::size_t>(category)];
    const bool gap = !one.values[static_cast<std::size_t>(category)];
    QString value = gap ? QStringLiteral("(empty)") : Q(text);
    if (!gap && value.isEmpty())
        value = QString::number(*one.values[static_cast<std::size_t>(category)], 'g', 17);
    return Q(one.name) + QStringLiteral("\n") + Q(data.Categories()[static_cast<std::size_t>(category)])
        + QStringLiteral(": ") + value;
}

void ChartBuilder::Fill(QChart& chart, const ChartData& data, const ChartDefinition& definition, const QPalette& look,
    const PointHandler& onHover, const PointHandler& onClick, BarDrawing barDrawing)
{
    // The one-pass bar item maps through a series of the chart: it goes first.
    for (QGraphicsItem* item : chart.childItems()) {
        if (auto* layer = dynamic_cast<ChartBarLayer*>(item))
            delete layer;
    }
    chart.removeAllSeries();
    for (QAbstractAxis* axis : chart.axes()) {
        chart.removeAxis(axis);
        delete axis;
    }
    chart.setAnimationOptions(QChart::NoAnimation);
    chart.setBackgroundBrush(look.brush(QPalette::Base));
    chart.setBackgroundPen(Qt::NoPen);
    chart.setTitleBrush(look.brush(QPalette::Text));
    QFont titleFont = DefaultFont(definition);
    titleFont.setBold(true);
    chart.setTitleFont(titleFont);
    chart.setTitle(Q(definition.title.empty() ? data.Title() : definition.title));
    chart.legend()->setVisible(definition.hasLegend);
    chart.legend()->setLabelColor(look.color(QPalette::Text));
    chart.legend()->setFont(DefaultFont(definition));
    chart.legend()->setAlignment(Qt::AlignRight);

    Filler filler(chart, data, definition, onHover, onClick, barDrawing);
    const ChartType type = definition.type;
    if (ChartTypeTable::IsPie(type))
        filler.Pie();
    else if (ChartTypeTable::IsCombination(type))
        filler.Combination();
    else if (IsBar(type))
        filler.Bars();
    else if (type == ChartType::Area || type == ChartType::AreaStacked)
        filler.Areas();
    else
        filler.Lines();
    filler.Finish();

    for (QAbstractAxis* axis : chart.axes()) {
        axis->setLabelsColor(look.color(QPalette::Text));
        axis->setLinePenColor(look.color(QPalette::Mid));
        axis->setGridLineColor(look.color(QPalette::Midlight));
    }
}

} // namespace chart
