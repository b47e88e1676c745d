#include "control/chart/ChartWidget.h"

#include "control/chart/ChartBuilder.h"
#include "control/chart/ChartError.h"
#include "control/chart/ChartPicture.h"
#include "control/chart/ChartTypeTable.h"
#include "control/chart/ChartXml.h"

#include <QChart>
#include <QChartView>
#include <QCursor>
#include <QDebug>
#include <QEvent>
#include <QToolTip>
#include <QVBoxLayout>

namespace chart {

ChartWidget::ChartWidget(QWidget* parent) : QWidget(parent)
{
    m_chart = new QChart;
    m_view = new QChartView(m_chart, this);
    m_view->setObjectName(QStringLiteral("chartView"));
    m_view->setRenderHint(QPainter::Antialiasing);
    // Resizing redraws the chart through the view's own scene; no rebuild is needed.
    m_view->setViewportUpdateMode(QGraphicsView::FullViewportUpdate);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
    Rebuild();
}

void ChartWidget::SetData(ChartData data)
{
    m_data = std::move(data);
    Rebuild();
}

void ChartWidget::SetDefinition(ChartDefinition definition)
{
    m_definition = std::move(definition);
    Rebuild();
}

std::string ChartWidget::DefinitionText() const
{
    return ChartXml::Write(m_definition);
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
    return ChartTypeTable::Number(m_definition.type);
}

bool ChartWidget::SetChartTypeNumber(int number)
{
    const std::optional<ChartType> type = ChartTypeTable::FromNumber(number);
    if (!type) {
        m_lastError = "chart type " + std::to_string(number) + " does not exist (types are 0 to "
            + std::to_string(ChartTypeTable::Count() - 1) + ")";
        return false;
    }
    m_definition.type = *type;
    Rebuild();
    return true;
}

void ChartWidget::SetHasLegend(bool on)
{
    m_definition.hasLegend = on;
    m_chart->legend()->setVisible(on);
}

void ChartWidget::SetAxisFont(ChartAxisFont::Axis axis, const std::string& family, double pointSize)
{
    auto found = std::find_if(m_definition.axisFonts.begin(), m_definition.axisFonts.end(),
        [axis](const ChartAxisFont& font) { return font.axis == axis; });
    if (found == m_definition.axisFonts.end())
        found = m_definition.axisFonts.insert(m_definition.axisFonts.end(), ChartAxisFont {axis, {}, 0});
    found->name = family;
    found->size = pointSize > 0 ? pointSize : 0;
    Rebuild();
}

bool ChartWidget::ExportPicture(const std::string& path, const std::string& format, QSize size)
{
    std::string error;
    if (!ChartPicture::Write(m_data, m_definition, palette(), path, format, size, error)) {
        m_lastError = error;
        qWarning().noquote() << QString::fromStdString(error);
        return false;
    }
    return true;
}

void ChartWidget::Refresh()
{
    Rebuild();
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
        if (m_enableEvents)
            emit selectionChanged(series, category);
    };
    ChartBuilder::Fill(*m_chart, m_data, m_definition, palette(), onHover, onClick);
}

} // namespace chart
