#include "control/chart/ChartReport.h"

#include "control/chart/ChartData.h"
#include "control/chart/ChartError.h"
#include "control/chart/ChartPicture.h"
#include "control/chart/ChartXml.h"

#include <QGuiApplication>
#include <QPalette>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>

namespace chart {

std::string ChartReport::SiblingChartName(const std::string& pivotFile)
{
    if (pivotFile.size() < 4)
        return {};
    return pivotFile.substr(0, pivotFile.size() - 4) + "Chart" + pivotFile.substr(pivotFile.size() - 4);
}

bool ChartReport::IsChartText(std::string_view text)
{
    constexpr std::string_view kMarker = "chartspace";
    const auto found = std::search(text.begin(), text.end(), kMarker.begin(), kMarker.end(),
        [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
    return found != text.end();
}

bool ChartReport::Render(const pivot::PivotLayout& layout, const std::string& chartFile, const std::string& out,
    const std::string& format, QSize size, std::string& error)
{
    std::ifstream in(chartFile, std::ios::binary);
    if (!in) {
        error = "cannot read the chart file '" + chartFile + "': no such file or no permission";
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) {
        error = "cannot read the chart file '" + chartFile + "'";
        return false;
    }
    if (!IsChartText(text.str())) {
        error = "'" + chartFile + "' holds no chart definition";
        return false;
    }
    ChartDefinition definition;
    try {
        definition = ChartXml::Read(text.str());
    } catch (const ChartError& failure) {
        error = "'" + chartFile + "': " + failure.what();
        return false;
    }
    // The stored category order applies as it does in the widget.
    return ChartPicture::Write(ChartData::FromLayout(layout).Sorted(definition.sort), definition,
        QGuiApplication::palette(), out, format, size, error);
}

} // namespace chart
