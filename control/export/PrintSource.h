#pragma once

#include "control/pivot/model/PivotDefinition.h"
#include "control/pivot/model/PivotLayout.h"

#include <QImage>

#include <string>

namespace chart {
class ChartWidget;
}

namespace exporting {

//! The view a print or export action works on: a pivot view (its definition, its laid-out
//! result and its title bar) or a chart (the chart component, or a picture already drawn).
//! Pointers refer to objects owned by the caller that outlive the action.
struct PrintSource {
    const pivot::PivotDefinition* definition = nullptr;
    const pivot::PivotLayout* layout = nullptr;
    //! The title bar's caption: the centred header of every printed page.
    std::string titleCaption;
    bool titleBarVisible = true;
    bool columnLabelVisible = true;
    bool rowLabelVisible = true;

    chart::ChartWidget* chart = nullptr;
    //! Used when CHART is null.
    QImage chartPicture;

    //! A pivot view; the title bar shows the definition's title.
    static PrintSource Pivot(const pivot::PivotDefinition& definition, const pivot::PivotLayout& layout)
    {
        PrintSource source;
        source.definition = &definition;
        source.layout = &layout;
        source.titleCaption = definition.titleCaption;
        return source;
    }
    static PrintSource Chart(chart::ChartWidget& widget)
    {
        PrintSource source;
        source.chart = &widget;
        return source;
    }
    static PrintSource Picture(QImage picture)
    {
        PrintSource source;
        source.chartPicture = std::move(picture);
        return source;
    }

    bool IsPivot() const { return definition && layout; }
    bool IsChart() const { return chart || !chartPicture.isNull(); }
};

} // namespace exporting
