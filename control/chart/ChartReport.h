#pragma once

#include <QSize>

#include <string>
#include <string_view>

namespace pivot {
class PivotLayout;
}

namespace chart {

//! The chart half of a saved report pair: the chart file beside a pivot file, and drawing
//! it over the pivot view's result into a picture without a window (a QApplication must
//! exist; the offscreen platform serves).
class ChartReport {
public:
    //! The sibling chart file of PIVOTFILE: all but its last four characters, "Chart", then
    //! the last four (Sales.xml gives SalesChart.xml). Empty for names shorter than four.
    static std::string SiblingChartName(const std::string& pivotFile);
    //! Whether TEXT holds a chart definition (it names "chartspace", case ignored).
    static bool IsChartText(std::string_view text);
    //! Draws LAYOUT with the look stored in CHARTFILE into OUT as FORMAT (png, gif or svg) at
    //! SIZE pixels. Returns false with a message in ERROR when the chart file is missing,
    //! holds no chart or a damaged definition, or the picture cannot be written.
    static bool Render(const pivot::PivotLayout& layout, const std::string& chartFile, const std::string& out,
        const std::string& format, QSize size, std::string& error);
};

} // namespace chart
