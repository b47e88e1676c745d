#pragma once

#include "control/chart/ChartData.h"
#include "control/chart/ChartDefinition.h"

#include <QWidget>

#include <string>

class QChart;
class QChartView;

namespace chart {

//! The chart component: draws the data of a pivot view (SetData, called on every view
//! change of the pivot) with the look kept in its definition. The widget and its chart
//! object stay for its whole life; a data or definition change refills the chart.
//!
//! Failures (a refused chart type, a damaged definition text, a failed export) change
//! nothing and leave a readable LastError().
class ChartWidget : public QWidget {
    Q_OBJECT

public:
    explicit ChartWidget(QWidget* parent = nullptr);

    //! Shows DATA (the new state of the bound pivot view).
    void SetData(ChartData data);
    const ChartData& Data() const { return m_data; }

    const ChartDefinition& Definition() const { return m_definition; }
    void SetDefinition(ChartDefinition definition);
    //! The definition text (see ChartXml).
    std::string DefinitionText() const;
    //! Reads TEXT and takes its look. A damaged text returns false, keeps the current chart
    //! and leaves the reason in LastError().
    bool PutDefinitionText(const std::string& text);

    //! The chart type's number (ChartTypeTable).
    int ChartTypeNumber() const;
    //! Sets the type numbered NUMBER. A number outside the table returns false and keeps
    //! the current type, so a caller stepping through the types can detect the end.
    bool SetChartTypeNumber(int number);

    //! The legend command: shows the legend.
    void ShowLegend() { SetHasLegend(true); }
    void SetHasLegend(bool on);
    bool HasLegend() const { return m_definition.hasLegend; }

    //! Sets the label font of AXIS (family and point size; empty or 0 keeps the default's).
    void SetAxisFont(ChartAxisFont::Axis axis, const std::string& family, double pointSize);

    //! Writes the chart as a picture of SIZE pixels (ChartPicture formats: png, gif, svg).
    //! Returns false with LastError() set on failure.
    bool ExportPicture(const std::string& path, const std::string& format, QSize size);

    //! Draws the chart again (the data stays; the bound pivot refreshes the data itself).
    void Refresh();

    //! Whether the chart raises its events (selectionChanged); on for a new chart.
    void SetEnableEvents(bool on) { m_enableEvents = on; }
    bool EnableEvents() const { return m_enableEvents; }

    const std::string& LastError() const { return m_lastError; }
    //! The tooltip last shown on hover (empty after leaving a point).
    const QString& CurrentTooltip() const { return m_tooltip; }
    QChart* Chart() const { return m_chart; }

signals:
    //! The user clicked a point, bar or slice: SERIES and CATEGORY index the data.
    void selectionChanged(int series, int category);

protected:
    void changeEvent(QEvent* event) override;

private:
    void Rebuild();

    ChartData m_data;
    ChartDefinition m_definition;
    QChartView* m_view = nullptr;
    QChart* m_chart = nullptr;
    std::string m_lastError;
    QString m_tooltip;
    bool m_enableEvents = true;
};

} // namespace chart
