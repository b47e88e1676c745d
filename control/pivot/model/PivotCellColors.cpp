#include "control/pivot/model/PivotCellColors.h"

#include <algorithm>
#include <cmath>

namespace pivot {

std::uint32_t PivotCellColors::Blend(std::uint32_t a, std::uint32_t b, double fraction)
{
    fraction = std::clamp(fraction, 0.0, 1.0);
    std::uint32_t result = 0;
    for (int shift = 16; shift >= 0; shift -= 8) {
        const double x = static_cast<double>((a >> shift) & 0xFF);
        const double y = static_cast<double>((b >> shift) & 0xFF);
        const auto channel = static_cast<std::uint32_t>(std::lround(x + (y - x) * fraction));
        result |= std::min<std::uint32_t>(channel, 255) << shift;
    }
    return result;
}

PivotCellColors::PivotCellColors(const PivotDefinition& definition, const PivotLayout& layout)
{
    if (definition.colorRules.empty() || layout.IsRawQuery())
        return;
    for (const PivotColorRule& rule : definition.colorRules) {
        const PivotTotal* total = definition.FindTotal(rule.total);
        if (!total || !total->isIncluded)
            continue;
        Scale scale;
        scale.rule = rule;
        // A colour that does not read falls back to the default of its place.
        const PivotColorRule defaults;
        scale.low = PivotColorRule::ParseColor(rule.lowColor).value_or(*PivotColorRule::ParseColor(defaults.lowColor));
        scale.mid = PivotColorRule::ParseColor(rule.midColor).value_or(*PivotColorRule::ParseColor(defaults.midColor));
        scale.high
            = PivotColorRule::ParseColor(rule.highColor).value_or(*PivotColorRule::ParseColor(defaults.highColor));
        scale.bar = PivotColorRule::ParseColor(rule.barColor).value_or(*PivotColorRule::ParseColor(defaults.barColor));
        scale.rule.total = total->UniqueName();
        m_scales.push_back(std::move(scale));
    }
    if (m_scales.empty())
        return;
    std::vector<std::vector<double>> values(m_scales.size());
    for (int r = 0; r < layout.ValueRows(); ++r) {
        for (int c = 0; c < layout.ValueColumns(); ++c) {
            const Scale* scale = ScaleOf(layout.TotalAt(r, c));
            if (!scale)
                continue;
            const PivotGridCell cell = layout.Cell(layout.HeaderRows() + r, layout.HeaderColumns() + c);
            if (!cell.value || !std::isfinite(*cell.value)
                || ((cell.isTotal || cell.isGrandTotal) && !scale->rule.includeTotals))
                continue;
            values[static_cast<std::size_t>(scale - m_scales.data())].push_back(*cell.value);
        }
    }
    for (std::size_t i = 0; i < m_scales.size(); ++i) {
        std::vector<double>& v = values[i];
        if (v.empty())
            continue;
        const auto middle = v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2);
        std::nth_element(v.begin(), middle, v.end());
        double median = *middle;
        if (v.size() % 2 == 0)
            median = (median + *std::max_element(v.begin(), middle)) / 2;
        m_scales[i].median = median;
        const auto [lo, hi] = std::minmax_element(v.begin(), v.end());
        m_scales[i].min = *lo;
        m_scales[i].max = *hi;
    }
}

const PivotCellColors::Scale* PivotCellColors::ScaleOf(const std::string& total) const
{
    if (total.empty())
        return nullptr;
    for (const Scale& scale : m_scales) {
        if (scale.rule.total == total)
            return &scale;
    }
    return nullptr;
}

PivotCellColors::Style PivotCellColors::StyleAt(const PivotLayout& layout, int valueRow, int valueColumn) const
{
    Style style;
    if (m_scales.empty())
        return style;
    const Scale* scale = ScaleOf(layout.TotalAt(valueRow, valueColumn));
    if (!scale)
        return style;
    const PivotGridCell cell = layout.Cell(layout.HeaderRows() + valueRow, layout.HeaderColumns() + valueColumn);
    if (!cell.value || !std::isfinite(*cell.value)
        || ((cell.isTotal || cell.isGrandTotal) && !scale->rule.includeTotals))
        return style;
    const double v = std::clamp(*cell.value, scale->min, scale->max);
    auto fraction = [](double x, double from, double to) { return to > from ? (x - from) / (to - from) : 0.5; };
    switch (scale->rule.kind) {
    case PivotColorRule::Kind::ColorScale2:
        style.fill = Blend(scale->low, scale->high, fraction(v, scale->min, scale->max));
        break;
    case PivotColorRule::Kind::ColorScale3:
        style.fill = v <= scale->median ? Blend(scale->low, scale->mid, fraction(v, scale->min, scale->median))
                                        : Blend(scale->mid, scale->high, fraction(v, scale->median, scale->max));
        break;
    case PivotColorRule::Kind::DataBar: {
        // The bar runs from the axis at zero (the left edge when every value is positive).
        const double low = std::min(0.0, scale->min);
        const double high = std::max(0.0, scale->max);
        if (high <= low)
            break;
        const double axis = (0 - low) / (high - low);
        const double at = (v - low) / (high - low);
        style.barFrom = std::min(axis, at);
        style.barTo = std::max(axis, at);
        style.barColor = scale->bar;
        break;
    }
    }
    return style;
}

} // namespace pivot
