// The toolbar's commands on the pivot table and the chart, and the print and export buttons.
#include "control/Vantorel.h"

#include "control/chart/ChartData.h"
#include "control/chart/ChartWidget.h"
#include "control/export/OwcHelper.h"
#include "control/pivot/PivotSession.h"
#include "control/vantorel/ControlObjects.h"
#include "control/vantorel/PivotComponent.h"
#include "control/vantorel/ReportFiles.h"
#include "control/vantorel/VantorelWidget.h"
#include "control/vantorel/WaitCursor.h"

#include <QFontDialog>

#include <cmath>
#include <exception>
#include <map>

namespace {

const QString kDefaultFont = QStringLiteral("Calibri");
constexpr int kDefaultFontSize = 9;

} // namespace

bool Vantorel::ClickButton(const QString& name)
{
    static const std::map<QString, void (Vantorel::*)()> kHandlers {
        {QStringLiteral("Reset"), &Vantorel::OnReset},
        {QStringLiteral("imgPrint"), &Vantorel::OnPrint},
        {QStringLiteral("Sum"), &Vantorel::OnSum},
        {QStringLiteral("Tabort"), &Vantorel::OnTabort},
        {QStringLiteral("Calc"), &Vantorel::OnCalc},
        {QStringLiteral("GridMe"), &Vantorel::OnGridMe},
        {QStringLiteral("Chart"), &Vantorel::OnChart},
        {QStringLiteral("Run"), &Vantorel::OnRun},
        {QStringLiteral("Properties"), &Vantorel::OnProperties},
        {QStringLiteral("FieldList"), &Vantorel::OnFieldList},
        {QStringLiteral("imgDetails"), &Vantorel::OnDetails},
        {QStringLiteral("Toolbar"), &Vantorel::OnToolbar},
        {QStringLiteral("Export"), &Vantorel::OnExport},
        {QStringLiteral("imgExportDat"), &Vantorel::OnExportData},
        {QStringLiteral("imgFontChange"), &Vantorel::OnFontChange},
        {QStringLiteral("Spara"), &Vantorel::Spara_Rapport},
        {QStringLiteral("Oppna"), &Vantorel::OnOppna},
        {QStringLiteral("QueryBuilder"), &Vantorel::OnQueryBuilder},
        {QStringLiteral("Anslut"), &Vantorel::OnAnslut},
    };
    if (name == u"SortAsc" || name == u"SortDesc") {
        try {
            OnSort(name == u"SortAsc");
        } catch (const std::exception& error) {
            Fail(QStringLiteral("%1 failed: %2").arg(name, QString::fromUtf8(error.what())));
        }
        return true;
    }
    const auto it = kHandlers.find(name);
    if (it == kHandlers.end())
        return false;
    try {
        (this->*(it->second))();
    } catch (const std::exception& error) {
        Fail(QStringLiteral("%1 failed: %2").arg(name, QString::fromUtf8(error.what())));
    }
    return true;
}

void Vantorel::BindChart(vantorel::PivotComponent* source)
{
    if (!EnsureWindow())
        return;
    chart::ChartWidget& view = ChartView();
    if (m_chartSource)
        QObject::disconnect(m_chartSource, &vantorel::PivotComponent::viewChanged, &view, nullptr);
    m_chartSource = source;
    if (!source)
        return;
    auto refill = [this, &view] {
        if (m_chartSource)
            view.SetData(chart::ChartData::FromLayout(m_chartSource->Session().Layout()));
    };
    QObject::connect(source, &vantorel::PivotComponent::viewChanged, &view, refill);
    refill();
}

void Vantorel::ChartSetUp(vantorel::PivotComponent* source)
{
    if (!EnsureWindow()) {
        Fail(QStringLiteral("The chart needs a window system; the table stays on show."));
        return;
    }
    chart::ChartWidget& view = ChartView();
    BindChart(source ? source : m_pivot.get());
    m_pivot->SetVisible(false);
    ShowChartView(true);
    m_chartOption5065 = true;
    view.ShowLegend();
    m_chartTypeCounter = view.ChartTypeNumber();
    m_savedChartType = m_chartTypeCounter;
}

vantorel::PivotComponent* Vantorel::VisiblePivot()
{
    // The chart's commands work on the pivot table it draws.
    if (m_chartVisible)
        return m_chartSource ? m_chartSource.data() : m_pivot.get();
    return m_pivot.get();
}

void Vantorel::OnChart()
{
    if (!m_chartVisible) {
        ChartSetUp();
        LayOut();
        return;
    }
    chart::ChartWidget& view = ChartView();
    m_chartOption5065 = true;
    ++m_chartTypeCounter;
    if (!view.SetChartTypeNumber(m_chartTypeCounter)) {
        view.SetChartTypeNumber(m_savedChartType);
        m_chartTypeCounter = m_savedChartType;
    }
}

void Vantorel::OnGridMe()
{
    if (!m_chartVisible)
        return;
    m_pivot->displayToolbar = false;
    ShowChartView(false);
    m_pivot->SetVisible(true);
    LayOut();
}

void Vantorel::OnRun()
{
    if (m_chartVisible) {
        if (m_chartSource && m_chartSource != m_pivot.get())
            m_chartSource->Refresh();
        ChartView().Refresh();
        return;
    }
    m_pivot->Refresh();
}

void Vantorel::OnProperties()
{
    if (m_chartVisible) {
        m_chartDisplayPropertyToolbox = true;
        if (m_chart)
            m_chart->SetDisplayPropertyToolbox(true);
    } else
        m_pivot->displayPropertyToolbox = true;
    m_pivot->ApplyDisplay();
}

void Vantorel::OnFieldList()
{
    if (m_chartVisible)
        m_chartDisplayFieldList = true;
    else
        m_pivot->displayFieldList = true;
    LayOut();
}

void Vantorel::OnToolbar()
{
    if (m_chartVisible) {
        m_chartDisplayToolbar = !m_chartDisplayToolbar;
        if (m_chart)
            m_chart->SetDisplayToolbar(m_chartDisplayToolbar);
    }
    if (m_pivot->Visible())
        m_pivot->displayToolbar = !m_pivot->displayToolbar;
    m_pivot->ApplyDisplay();
}

void Vantorel::OnSort(bool ascending)
{
    VisiblePivot()->Sort(ascending ? pivot::SortDirection::Ascending : pivot::SortDirection::Descending);
}

void Vantorel::OnCalc()
{
    VisiblePivot()->CreateCalculatedTotal();
    if (!m_chartVisible)
        m_pivot->activeViewOption = true;
}

void Vantorel::OnReset()
{
    vantorel::WaitCursor wait;
    m_pivot->SetXmlData(m_loadedDefinition);
    m_pivot->displayToolbar = false;
    m_pivot->ApplyDisplay();
}

void Vantorel::OnSum()
{
    m_pivot->SetSubtotals(true);
}

void Vantorel::OnTabort()
{
    m_pivot->SetSubtotals(!m_subtotalsShown);
    m_subtotalsShown = !m_subtotalsShown;
}

void Vantorel::OnViewChanged()
{
    if (!m_subtotalsShown)
        m_pivot->SetSubtotals(false, true);
}

void Vantorel::ApplyFont(const QString& name, int size)
{
    const QString family = name.isEmpty() ? kDefaultFont : name;
    const int pointSize = name.isEmpty() ? kDefaultFontSize : size;
    m_pivot->ApplyFont(family, pointSize);
    if (m_chart) {
        m_chart->SetAxisFont(chart::ChartAxisFont::Axis::Value, family.toStdString(), pointSize);
        m_chart->SetAxisFont(chart::ChartAxisFont::Axis::Category, family.toStdString(), pointSize);
    }
}

void Vantorel::OnFontChange()
{
    QString family;
    double size = 0;
    const QFont current = m_pivot->ExistingGrid() ? m_pivot->ExistingGrid()->font() : QFont();
    if (m_dialogs.chooseFont) {
        std::tie(family, size) = m_dialogs.chooseFont(m_window, current.family(), current.pointSizeF());
    } else {
        bool chosen = false;
        // A cancelled dialog hands back the font it started with, which is applied as it stands.
        const QFont font = QFontDialog::getFont(&chosen, current, m_window, QStringLiteral("Font"));
        family = font.family();
        size = font.pointSizeF();
    }
    ApplyFont(family, static_cast<int>(std::lround(size)));
}

void Vantorel::OnDetails()
{
    if (m_drillthrough.showDetails) {
        m_drillthrough.showDetails(*this);
        return;
    }
    Fail(QStringLiteral("Drill-through is not available in this build."));
}

exporting::PrintSource Vantorel::VisibleSource()
{
    if (m_chartVisible)
        return exporting::PrintSource::Chart(ChartView());
    if (m_pivot->Visible())
        return exporting::PrintSource::Pivot(m_pivot->Session().ShownDefinition(), m_pivot->Session().Layout());
    return exporting::PrintSource();
}

void Vantorel::OnPrint()
{
    PrintPivotActiveView(true, false);
}

void Vantorel::PrintPivotActiveView(bool preview, bool landscape)
{
    const exporting::PrintSource source = VisibleSource();
    const bool done = preview ? m_owc->Preview(source, landscape, m_window) : m_owc->Print(source, landscape, m_window);
    if (!done)
        Fail(QString::fromStdString(m_owc->LastError()));
}

void Vantorel::PrintPivotInXL(const std::shared_ptr<platform::IDispatchObject>& table, bool preview, bool landscape)
{
    auto* given = dynamic_cast<vantorel::PivotTableObject*>(table.get());
    if (!given || !given->Pivot()) {
        PrintPivotActiveView(preview, landscape);
        return;
    }
    pivot::PivotSession& session = given->Pivot()->Session();
    const auto source = exporting::PrintSource::Pivot(session.ShownDefinition(), session.Layout());
    const bool done = preview ? m_owc->Preview(source, landscape, m_window) : m_owc->Print(source, landscape, m_window);
    if (!done)
        Fail(QString::fromStdString(m_owc->LastError()));
}

void Vantorel::OnExportData()
{
    if (!m_owc->ExportData(VisibleSource(), m_window))
        Fail(QString::fromStdString(m_owc->LastError()));
}

void Vantorel::OnExport()
{
    auto saveReport = [this](const std::string& text, std::string& error) {
        if (m_fileName.isEmpty())
            return true;
        QString why;
        if (vantorel::ReportFiles::WriteText(m_fileName, QString::fromStdString(text), &why))
            return true;
        error = why.toStdString();
        return false;
    };
    if (!m_owc->ExportDefinition(m_pivot->XmlData().toStdString(), saveReport, VisibleSource(), m_window))
        Fail(QString::fromStdString(m_owc->LastError()));
}
