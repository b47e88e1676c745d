#include "control/chart/ChartData.h"

#include "control/chart/ChartValueFormat.h"

#include "control/pivot/model/PivotLayout.h"

#include <algorithm>
#include <numeric>

namespace chart {

namespace {

//! The captions of the header cells covering POSITION on AXIS, outermost band first. A cell
//! that spans several bands (a collapsed member, a total) is named once; gaps are skipped.
std::string TupleCaption(const pivot::PivotAxisLayout& axis, int position)
{
    std::string caption;
    const pivot::PivotHeaderCell* previous = nullptr;
    for (int band = 0; band < axis.BandCount(); ++band) {
        const pivot::PivotHeaderCell& cell = axis.CellAt(band, position);
        if (&cell == previous || cell.kind == pivot::PivotHeaderCell::Kind::Empty)
            continue;
        previous = &cell;
        if (cell.caption.empty())
            continue;
        if (!caption.empty())
            caption += ChartData::kCaptionSeparator;
        caption += cell.caption;
    }
    return caption;
}

std::string BandCaptions(const pivot::PivotAxisLayout& axis)
{
    std::string caption;
    for (int band = 0; band < axis.BandCount(); ++band) {
        if (!caption.empty())
            caption += ChartData::kCaptionSeparator;
        caption += axis.BandCaption(band);
    }
    return caption;
}

//! The value positions of AXIS that the chart shows (see the class comment). COUNT is the
//! number of value positions the layout has along the axis.
std::vector<int> ShownPositions(const pivot::PivotAxisLayout& axis, int count)
{
    std::vector<int> shown;
    if (axis.BandCount() == 0) {
        for (int i = 0; i < count; ++i)
            shown.push_back(i);
        return shown;
    }
    for (int i = 0; i < count; ++i) {
        if (!axis.IsTotal(i))
            shown.push_back(i);
    }
    if (shown.empty()) {
        for (int i = 0; i < count; ++i)
            shown.push_back(i);
    }
    return shown;
}

} // namespace

ChartData::ChartData(std::vector<std::string> categories, std::vector<ChartSeries> series, std::string title)
    : m_categories(std::move(categories)), m_series(std::move(series)), m_title(std::move(title))
{
    for (ChartSeries& one : m_series) {
        one.values.resize(m_categories.size());
        one.texts.resize(m_categories.size());
    }
    m_valueFormat = ChartValueFormat::Infer(m_series);
}

ChartData ChartData::FromLayout(const pivot::PivotLayout& layout)
{
    ChartData data;
    data.m_title = layout.Title();
    data.m_categoryCaption = BandCaptions(layout.Rows());
    data.m_seriesCaption = BandCaptions(layout.Columns());
    // A layout with no result behind it (no query run yet) has nothing to draw.
    if (layout.Result().cells.empty())
        return data;
    const std::vector<int> rows = ShownPositions(layout.Rows(), layout.ValueRows());
    const std::vector<int> columns = ShownPositions(layout.Columns(), layout.ValueColumns());
    // An axis with nothing on it has one unnamed position: name it after what it holds.
    for (int row : rows) {
        std::string caption = TupleCaption(layout.Rows(), row);
        data.m_categories.push_back(caption.empty() ? std::string("Total") : caption);
    }
    for (int column : columns) {
        ChartSeries series;
        series.name = TupleCaption(layout.Columns(), column);
        if (series.name.empty())
            series.name = "Total";
        series.values.reserve(rows.size());
        series.texts.reserve(rows.size());
        for (int row : rows) {
            pivot::PivotGridCell cell = layout.Cell(layout.HeaderRows() + row, layout.HeaderColumns() + column);
            series.values.push_back(cell.value);
            series.texts.push_back(std::move(cell.text));
        }
        data.m_series.push_back(std::move(series));
    }
    data.m_valueFormat = ChartValueFormat::Infer(data.m_series);
    return data;
}

ChartData ChartData::Sorted(ChartSort order) const
{
    if (order == ChartSort::None || m_series.empty())
        return *this;
    const ChartSeries& key = m_series.front();
    std::vector<std::size_t> index(m_categories.size());
    std::iota(index.begin(), index.end(), std::size_t {0});
    std::stable_sort(index.begin(), index.end(), [&key, order](std::size_t a, std::size_t b) {
        const std::optional<double>& left = key.values[a];
        const std::optional<double>& right = key.values[b];
        if (!left || !right)
            return left.has_value() && !right.has_value();
        return order == ChartSort::Ascending ? *left < *right : *left > *right;
    });
    ChartData sorted = *this;
    for (std::size_t i = 0; i < index.size(); ++i) {
        sorted.m_categories[i] = m_categories[index[i]];
        for (std::size_t s = 0; s < m_series.size(); ++s) {
            sorted.m_series[s].values[i] = m_series[s].values[index[i]];
            sorted.m_series[s].texts[i] = m_series[s].texts[index[i]];
        }
    }
    return sorted;
}

} // namespace chart
