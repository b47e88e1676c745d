#include "control/chart/ChartWidget.h"

#include "control/chart/ChartBuilder.h"
#include "control/chart/ChartError.h"
#include "control/chart/ChartPicture.h"
#include "control/chart/ChartPropertyToolbox.h"
#include "control/chart/ChartTypeTable.h"
#include "control/chart/ChartXml.h"

#include "control/pivot/PivotSession.h"

#include <QAction>
#include <QBarCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QCursor>
#include <QDebug>
#include <QEvent>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QSignalBlocker>
#include <QToolBar>
#include <QToolTip>
#include <QVBoxLayout>

#include <algorithm>

namespace chart {

ChartWidget::ChartWidget(QWidget* parent) : ChartWidget(nullptr, parent)
{
}

ChartWidget::ChartWidget(std::shared_ptr<ChartModel> model, QWidget* parent)
    : QWidget(parent), m_model(model ? std::move(model) : std::make_shared<ChartModel>())
{
    m_chart = new QChart;
    m_view = new QChartView(m_chart, this);
    m_view->setObjectName(QStringLiteral("chartView"));
    m_view->setRenderHint(QPainter::Antialiasing);
    // Resizing redraws the chart through the view's own scene; no rebuild is needed.
    m_view->setViewportUpdateMode(QGraphicsView::FullViewportUpdate);
    // The chart's items set their own pen and brush; saving the painter around each of up to
    // one item per bar costs more than drawing the bar.
    m_view->setOptimizationFlag(QGraphicsView::DontSavePainterState);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    BuildToolbar();
    layout->addWidget(m_toolbar);
    auto* row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(m_view, 1);
    m_toolbox = new ChartPropertyToolbox(this);
    m_toolbox->hide();
    row->addWidget(m_toolbox);
    layout->addLayout(row, 1);
    connect(m_toolbox, &ChartPropertyToolbox::edited, this,
        [this](const ChartDefinition& definition) { SetDefinition(definition); });
    connect(m_toolbox, &ChartPropertyToolbox::closeRequested, this, [this]() { SetDisplayPropertyToolbox(false); });
    // A model that outlived an earlier window brings its toolbar and toolbox back.
    m_toolbar->setVisible(m_model->displayToolbar);
    if (m_model->displayPropertyToolbox)
        SetDisplayPropertyToolbox(true);
    Rebuild();
}

void ChartWidget::SetData(ChartData data)
{
    ShowData(std::move(data));
}

void ChartWidget::ShowData(ChartData data)
{
    m_sourceData = std::move(data);
    m_data = m_model->definition.sort == ChartSort::None ? m_sourceData : m_sourceData.Sorted(m_model->definition.sort);
    Rebuild();
    emit dataChanged();
}

pivot::PivotSession* ChartWidget::DataSource() const
{
    return m_sourceGuard ? m_source : nullptr;
}

void ChartWidget::SetDataSource(pivot::PivotSession* session)
{
    if (DataSource())
        disconnect(m_source, nullptr, this, nullptr);
    m_source = session;
    m_sourceGuard = session;
    if (!session) {
        ShowData(ChartData());
        return;
    }
    connect(session, &pivot::PivotSession::layoutChanged, this, [this]() {
        if (m_model->followDataSource)
            FollowDataSource();
    });
    FollowDataSource();
}

void ChartWidget::FollowDataSource()
{
    if (pivot::PivotSession* source = DataSource(); source && source->HasLayout())
        ShowData(ChartData::FromLayout(source->Layout()));
}

bool ChartWidget::SetOption(int dispatchId, bool on)
{
    if (dispatchId != kFollowDataSource) {
        m_lastError = "the chart has no option " + std::to_string(dispatchId);
        return false;
    }
    const bool resumed = on && !m_model->followDataSource;
    m_model->followDataSource = on;
    // Following again starts from the view the source shows now.
    if (resumed)
        FollowDataSource();
    return true;
}

bool ChartWidget::Option(int dispatchId) const
{
    return dispatchId == kFollowDataSource && m_model->followDataSource;
}

bool ChartWidget::ExecuteCommand(ChartCommand command)
{
    switch (command) {
    case ChartCommand::ShowLegend:
        ShowLegend();
        return true;
    case ChartCommand::SortAscending:
    case ChartCommand::SortDescending: {
        ChartDefinition definition = m_model->definition;
        definition.sort = command == ChartCommand::SortAscending ? ChartSort::Ascending : ChartSort::Descending;
        SetDefinition(std::move(definition));
        return true;
    }
    case ChartCommand::CreateCalculatedTotal:
        break;
    }
    m_lastError = "the chart has no calculated totals; add them to the pivot table it shows";
    return false;
}

void ChartWidget::SetDefinition(ChartDefinition definition)
{
    const bool resort = definition.sort != m_model->definition.sort;
    m_model->definition = std::move(definition);
    if (resort)
        m_data = m_model->definition.sort == ChartSort::None ? m_sourceData
                                                             : m_sourceData.Sorted(m_model->definition.sort);
    Rebuild();
}

std::string ChartWidget::DefinitionText() const
{
    return ChartXml::Write(m_model->definition);
}

bool ChartWidget::PutDefinitionText(const std::string& text)
{
    try {
        SetDefinition(ChartXml::Read(text));
    } catch (const ChartError& error) {
        m_lastError = error.what();
        qWarning().noquote() << "chart definition refused:" << QString::fromStdString(m_lastError);
        return false;
    }
    return true;
}

int ChartWidget::ChartTypeNumber() const
{
    return ChartTypeTable::Number(m_model->definition.type);
}

bool ChartWidget::SetChartTypeNumber(int number)
{
    const std::optional<ChartType> type = ChartTypeTable::FromNumber(number);
    if (!type) {
        m_lastError = "chart type " + std::to_string(number) + " does not exist (types are 0 to "
            + std::to_string(ChartTypeTable::Count() - 1) + ")";
        return false;
    }
    m_model->definition.type = *type;
    Rebuild();
    return true;
}

void ChartWidget::SetHasLegend(bool on)
{
    m_model->definition.hasLegend = on;
    m_chart->legend()->setVisible(on);
    SyncControls();
}

void ChartWidget::SetAxisFont(ChartAxisFont::Axis axis, const std::string& family, double pointSize)
{
    auto found = std::find_if(m_model->definition.axisFonts.begin(), m_model->definition.axisFonts.end(),
        [axis](const ChartAxisFont& font) { return font.axis == axis; });
    if (found == m_model->definition.axisFonts.end())
        found = m_model->definition.axisFonts.insert(m_model->definition.axisFonts.end(), ChartAxisFont {axis, {}, 0});
    found->name = family;
    found->size = pointSize > 0 ? pointSize : 0;
    Rebuild();
}

void ChartWidget::SetFont(const std::string& family, double pointSize)
{
    if (!family.empty())
        m_model->definition.defaultFont = family;
    m_model->definition.fontSize = pointSize > 0 ? pointSize : 0;
    Rebuild();
}

std::vector<ChartAxisFont::Axis> ChartWidget::Axes() const
{
    if (ChartTypeTable::IsPie(m_model->definition.type))
        return {};
    return {ChartAxisFont::Axis::Category, ChartAxisFont::Axis::Value};
}

bool ChartWidget::ExportPicture(const std::string& path, const std::string& format, QSize size)
{
    std::string error;
    if (!ChartPicture::Write(m_data, m_model->definition, palette(), path, format, size, error)) {
        m_lastError = error;
        qWarning().noquote() << QString::fromStdString(error);
        return false;
    }
    return true;
}

void ChartWidget::Refresh()
{
    pivot::PivotSession* source = DataSource();
    if (!source) {
        Rebuild();
        return;
    }
    FollowDataSource();
    source->Refresh();
}

void ChartWidget::SetDisplayToolbar(bool on)
{
    m_model->displayToolbar = on;
    m_toolbar->setVisible(on);
}

bool ChartWidget::DisplayToolbar() const
{
    return !m_toolbar->isHidden();
}

void ChartWidget::SetDisplayPropertyToolbox(bool on)
{
    m_model->displayPropertyToolbox = on;
    if (on)
        m_toolbox->Show(m_model->definition);
    m_toolbox->setVisible(on);
}

bool ChartWidget::DisplayPropertyToolbox() const
{
    return !m_toolbox->isHidden();
}

void ChartWidget::BuildToolbar()
{
    m_toolbar = new QToolBar(this);
    m_toolbar->setObjectName(QStringLiteral("chartToolbar"));
    m_toolbar->setIconSize(QSize(16, 16));
    m_toolbar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    m_typeCombo = new QComboBox(m_toolbar);
    m_typeCombo->setObjectName(QStringLiteral("chartTypeCombo"));
    m_typeCombo->setToolTip(tr("Chart type"));
    for (int number = 0; number < ChartTypeTable::Count(); ++number)
        m_typeCombo->addItem(QString::fromStdString(ChartTypeTable::Name(*ChartTypeTable::FromNumber(number))), number);
    m_toolbar->addWidget(m_typeCombo);
    connect(m_typeCombo, &QComboBox::currentIndexChanged, this,
        [this](int index) { SetChartTypeNumber(m_typeCombo->itemData(index).toInt()); });
    m_legendAction = m_toolbar->addAction(tr("Legend"), this, [this](bool on) { SetHasLegend(on); });
    m_legendAction->setObjectName(QStringLiteral("legendAction"));
    m_legendAction->setCheckable(true);
    m_legendAction->setToolTip(tr("Show or hide the legend"));
    QAction* ascending
        = m_toolbar->addAction(tr("Sort ↑"), this, [this]() { ExecuteCommand(ChartCommand::SortAscending); });
    ascending->setObjectName(QStringLiteral("sortAscendingAction"));
    ascending->setToolTip(tr("Order the categories by the first series, smallest first"));
    QAction* descending
        = m_toolbar->addAction(tr("Sort ↓"), this, [this]() { ExecuteCommand(ChartCommand::SortDescending); });
    descending->setObjectName(QStringLiteral("sortDescendingAction"));
    descending->setToolTip(tr("Order the categories by the first series, largest first"));
    QAction* refresh = m_toolbar->addAction(tr("Refresh"), this, [this]() { Refresh(); });
    refresh->setObjectName(QStringLiteral("refreshAction"));
    QAction* properties = m_toolbar->addAction(
        tr("Properties"), this, [this]() { SetDisplayPropertyToolbox(!DisplayPropertyToolbox()); });
    properties->setObjectName(QStringLiteral("propertiesAction"));
    properties->setToolTip(tr("Show or hide the property toolbox"));
    m_toolbar->hide();
}

void ChartWidget::SyncControls()
{
    if (m_typeCombo) {
        const QSignalBlocker block(m_typeCombo);
        m_typeCombo->setCurrentIndex(m_typeCombo->findData(ChartTypeTable::Number(m_model->definition.type)));
    }
    if (m_legendAction) {
        const QSignalBlocker block(m_legendAction);
        m_legendAction->setChecked(m_model->definition.hasLegend);
    }
    if (m_toolbox && !m_toolbox->isHidden())
        m_toolbox->Show(m_model->definition);
}

void ChartWidget::changeEvent(QEvent* event)
{
    // A new look of the program (palette or style) recolours the chart.
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange)
        Rebuild();
    QWidget::changeEvent(event);
}

void ChartWidget::Rebuild()
{
    const auto onHover = [this](int series, int category, bool entered) {
        m_tooltip = entered ? ChartBuilder::TooltipText(m_data, series, category) : QString();
        if (m_tooltip.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(QCursor::pos(), m_tooltip, m_view);
    };
    const auto onClick = [this](int series, int category, bool) {
        if (m_model->enableEvents)
            emit selectionChanged(series, category);
    };
    ChartBuilder::Fill(*m_chart, m_data, m_model->definition, palette(), onHover, onClick, m_model->barDrawing);
    // Upright bars have straight edges that need no smoothing, and a large view draws
    // thousands of them; lines, areas and pies keep it.
    const int number = ChartTypeTable::Number(m_model->definition.type);
    m_view->setRenderHint(QPainter::Antialiasing, number > ChartTypeTable::Number(ChartType::BarStacked100));
    FitCategoryCaptions();
    SyncControls();
}

void ChartWidget::SetBarDrawing(ChartBuilder::BarDrawing drawing)
{
    m_model->barDrawing = drawing;
    Rebuild();
}

void ChartWidget::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    FitCategoryCaptions();
}

void ChartWidget::FitCategoryCaptions()
{
    auto* axis = qobject_cast<QBarCategoryAxis*>(m_chart->axes(Qt::Horizontal).value(0));
    if (!axis || axis->labelsAngle() != -90)
        return;
    const QFontMetrics metrics(axis->labelsFont());
    int longest = 0;
    for (const QString& caption : axis->categories())
        longest = std::max(longest, metrics.horizontalAdvance(caption));
    // The captions may take about two fifths of the view's height; the plot needs the rest.
    axis->setTruncateLabels(longest > m_view->height() * 2 / 5);
}

} // namespace chart
