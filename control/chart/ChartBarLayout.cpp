#include "control/chart/ChartBarLayout.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace chart {

ChartBarLayout::ChartBarLayout(const ChartData& data, Kind kind, std::size_t seriesCount)
    : m_kind(kind), m_seriesCount(std::min(seriesCount, data.Series().size())),
      m_categoryCount(data.Categories().size())
{
    constexpr double kGap = std::numeric_limits<double>::quiet_NaN();
    m_low.assign(m_seriesCount * m_categoryCount, kGap);
    m_high.assign(m_seriesCount * m_categoryCount, kGap);
    const auto value
        = [&](std::size_t s, std::size_t c) -> const std::optional<double>& { return data.Series()[s].values[c]; };
    for (std::size_t c = 0; c < m_categoryCount; ++c) {
        double positive = 0;
        double negative = 0;
        double total = 0;
        if (kind == Kind::Percent) {
            for (std::size_t s = 0; s < m_seriesCount; ++s)
                total += value(s, c).value_or(0.0);
        }
        double running = 0;
        for (std::size_t s = 0; s < m_seriesCount; ++s) {
            const std::optional<double>& v = value(s, c);
            if (!v || !std::isfinite(*v))
                continue;
            double low = 0;
            double high = 0;
            switch (kind) {
            case Kind::Clustered:
                low = std::min(0.0, *v);
                high = std::max(0.0, *v);
                break;
            case Kind::Stacked:
                // Positive values pile up from zero and negative ones hang down from it.
                if (*v < 0) {
                    low = negative + *v;
                    high = negative;
                    negative = low;
                } else {
                    low = positive;
                    high = positive + *v;
                    positive = high;
                }
                break;
            case Kind::Percent: {
                // Shares of the category's sum, as Qt stacks them: a running sum that has
                // dropped to zero or below draws from the axis.
                if (total == 0)
                    continue;
                const double next = running + *v;
                low = running > 0 ? 100 * running / total : 0;
                high = next > 0 ? 100 * next / total : 0;
                if (low > high)
                    std::swap(low, high);
                running = next;
                break;
            }
            }
            m_low[s * m_categoryCount + c] = low;
            m_high[s * m_categoryCount + c] = high;
            m_valueLow = std::min(m_valueLow, low);
            m_valueHigh = std::max(m_valueHigh, high);
        }
    }
}

std::optional<ChartBarLayout::Bar> ChartBarLayout::At(std::size_t series, std::size_t category) const
{
    if (series >= m_seriesCount || category >= m_categoryCount)
        return std::nullopt;
    const std::size_t index = series * m_categoryCount + category;
    if (std::isnan(m_low[index]))
        return std::nullopt;
    const double centre = static_cast<double>(category);
    double from = centre - kBarWidth / 2;
    double to = centre + kBarWidth / 2;
    if (m_kind == Kind::Clustered) {
        // Side by side in series order, each a share of the slot's middle half.
        const double width = kBarWidth / static_cast<double>(m_seriesCount);
        from += static_cast<double>(series) * width;
        to = from + width;
    }
    return Bar {from, to, m_low[index], m_high[index]};
}

} // namespace chart
