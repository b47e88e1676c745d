#pragma once

#include "control/chart/ChartSeries.h"
#include "control/chart/ChartSort.h"

#include <string>
#include <vector>

namespace pivot {
class PivotLayout;
}

namespace chart {

//! What a chart draws, taken from a pivot view's laid-out result without any widget: one
//! category per row tuple and one series per column tuple. Subtotal and grand total lines
//! are left out (they would dwarf the members they sum), unless an axis shows nothing but
//! totals (a view with nothing on that axis), whose one line is then kept.
class ChartData {
public:
    //! The separator between the captions of a multi-level tuple.
    static constexpr const char* kCaptionSeparator = " - ";

    ChartData() = default;
    //! The data of LAYOUT. A layout without a result gives no categories and no series.
    static ChartData FromLayout(const pivot::PivotLayout& layout);

    const std::vector<std::string>& Categories() const { return m_categories; }
    const std::vector<ChartSeries>& Series() const { return m_series; }
    //! The view's title (may be empty).
    const std::string& Title() const { return m_title; }
    //! The caption of the row fields and of the column fields (band captions joined).
    const std::string& CategoryAxisCaption() const { return m_categoryCaption; }
    const std::string& SeriesCaption() const { return m_seriesCaption; }
    //! The number format of the values as the pivot shows them (ChartValueFormat), empty
    //! when the values have no one format; the value axis labels its steps with it.
    const std::string& ValueFormat() const { return m_valueFormat; }
    bool IsEmpty() const { return m_categories.empty() || m_series.empty(); }

    //! This data with its categories in ORDER: by the first series' values, stable, gaps
    //! last (None gives the data unchanged).
    ChartData Sorted(ChartSort order) const;

    //! Builds data by hand (tests, benchmarks). Each series must have one value and one text
    //! per category; shorter ones are padded with gaps, longer ones cut.
    ChartData(std::vector<std::string> categories, std::vector<ChartSeries> series, std::string title = {});

private:
    std::vector<std::string> m_categories;
    std::vector<ChartSeries> m_series;
    std::string m_title;
    std::string m_categoryCaption;
    std::string m_seriesCaption;
    std::string m_valueFormat;
};

} // namespace chart
