#pragma once

#include "control/chart/ChartBuilder.h"
#include "control/chart/ChartCommand.h"
#include "control/chart/ChartData.h"
#include "control/chart/ChartDefinition.h"
#include "control/chart/ChartModel.h"

#include <QPointer>
#include <QWidget>

#include <memory>
#include <string>
#include <vector>

class QAction;
class QChart;
class QChartView;
class QComboBox;
class QToolBar;

namespace pivot {
class PivotSession;
}

namespace chart {

class ChartPropertyToolbox;

//! The chart component: draws the data of a pivot view (SetData, called on every view
//! change of the pivot) with the look kept in its definition. The widget and its chart
//! object stay for its whole life; a data or definition change refills the chart. The look
//! and the switches live in a ChartModel, which may outlive the widget (a host destroying
//! the window): a widget built on the same model shows the chart as it was.
//!
//! Failures (a refused chart type, a damaged definition text, a failed export) change
//! nothing and leave a readable LastError().
class ChartWidget : public QWidget {
    Q_OBJECT

public:
    explicit ChartWidget(QWidget* parent = nullptr);
    //! A chart showing MODEL's look and switches and keeping its changes there (a new model
    //! when MODEL is null).
    explicit ChartWidget(std::shared_ptr<ChartModel> model, QWidget* parent = nullptr);

    //! The model this chart keeps its look and switches in.
    const std::shared_ptr<ChartModel>& Model() const { return m_model; }

    //! Shows DATA (the new state of the bound pivot view). With a data source bound, DATA
    //! shows until the source's next view change.
    void SetData(ChartData data);
    //! The data on show (in the chart's category order, see ChartCommand::SortAscending).
    const ChartData& Data() const { return m_data; }

    //! Binds the chart to the pivot view SESSION: it shows that view's data at once and
    //! follows each of its view changes (drill, filter, sort, refresh) in the same chart
    //! object. Null unbinds and empties the chart. A session that goes away unbinds itself.
    void SetDataSource(pivot::PivotSession* session);
    pivot::PivotSession* DataSource() const;

    //! Settings known by number. kFollowDataSource (on for a new chart): the chart redraws
    //! on each view change of its data source; off, it keeps its data until Refresh().
    static constexpr int kFollowDataSource = 5065;
    //! Sets option DISPATCHID. An unknown number returns false with LastError() set.
    bool SetOption(int dispatchId, bool on);
    //! The option's value (false for an unknown number).
    bool Option(int dispatchId) const;

    //! Runs COMMAND. A command the chart does not offer returns false with LastError() set
    //! and changes nothing.
    bool ExecuteCommand(ChartCommand command);

    const ChartDefinition& Definition() const { return m_model->definition; }
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
    bool HasLegend() const { return m_model->definition.hasLegend; }

    //! Sets the label font of AXIS (family and point size; empty or 0 keeps the default's).
    void SetAxisFont(ChartAxisFont::Axis axis, const std::string& family, double pointSize);
    //! Sets the font of all the chart's text (title, legend, axes): FAMILY (empty keeps the
    //! current one) at POINTSIZE (0 keeps the program's size).
    void SetFont(const std::string& family, double pointSize);
    //! The axes the current chart type draws: a category and a value axis; none for pies.
    std::vector<ChartAxisFont::Axis> Axes() const;

    //! Writes the chart as a picture of SIZE pixels (ChartPicture formats: png, gif, svg).
    //! Returns false with LastError() set on failure.
    bool ExportPicture(const std::string& path, const std::string& format, QSize size);

    //! Draws the chart again. With a data source bound, takes the source's current view and
    //! asks the source to run its query again (the answer arrives as a view change).
    void Refresh();

    //! The chart's own toolbar (type, legend, sort, refresh, properties); hidden at first.
    void SetDisplayToolbar(bool on);
    bool DisplayToolbar() const;
    //! The property toolbox beside the chart (title, type, legend, font); hidden at first.
    void SetDisplayPropertyToolbox(bool on);
    bool DisplayPropertyToolbox() const;

    //! Whether the chart raises its events (selectionChanged); on for a new chart.
    void SetEnableEvents(bool on) { m_model->enableEvents = on; }
    bool EnableEvents() const { return m_model->enableEvents; }

    //! How bars are drawn (ChartBuilder::BarDrawing; Automatic for a new chart): all in one
    //! pass when there are many, else one Qt Charts item each. The look is the same.
    void SetBarDrawing(ChartBuilder::BarDrawing drawing);
    ChartBuilder::BarDrawing BarDrawing() const { return m_model->barDrawing; }

    const std::string& LastError() const { return m_lastError; }
    //! The tooltip last shown on hover (empty after leaving a point).
    const QString& CurrentTooltip() const { return m_tooltip; }
    QChart* Chart() const { return m_chart; }

signals:
    //! The user clicked a point, bar or slice: SERIES and CATEGORY index the data.
    void selectionChanged(int series, int category);
    //! The chart shows new data (a view change of its data source, SetData, Refresh).
    void dataChanged();

protected:
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Rebuild();
    //! Upright category captions stay whole while the view is tall enough for the longest
    //! one; in a shorter view they are shortened with an ellipsis rather than cut off at
    //! the view's edge.
    void FitCategoryCaptions();
    //! Takes the data source's current view, when it has one.
    void FollowDataSource();
    void ShowData(ChartData data);
    void BuildToolbar();
    void SyncControls();

    //! The data as it came (m_data is it in the chart's category order).
    ChartData m_sourceData;
    ChartData m_data;
    //! The bound session; the guard turns null when it goes away.
    pivot::PivotSession* m_source = nullptr;
    QPointer<QObject> m_sourceGuard;
    QToolBar* m_toolbar = nullptr;
    QComboBox* m_typeCombo = nullptr;
    QAction* m_legendAction = nullptr;
    ChartPropertyToolbox* m_toolbox = nullptr;
    std::shared_ptr<ChartModel> m_model;
    QChartView* m_view = nullptr;
    QChart* m_chart = nullptr;
    std::string m_lastError;
    QString m_tooltip;
};

} // namespace chart
