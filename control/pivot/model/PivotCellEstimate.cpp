#include "control/pivot/model/PivotCellEstimate.h"

#include "control/pivot/model/PivotDefinition.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace pivot {
namespace {

//! N with thousands separators ("1,250").
std::string Grouped(long long n)
{
    std::string digits = std::to_string(n);
    for (int i = static_cast<int>(digits.size()) - 3; i > 0; i -= 3)
        digits.insert(static_cast<std::size_t>(i), ",");
    return digits;
}

} // namespace

std::optional<double> PivotCellEstimate::Members(const PivotFieldSet& fieldSet, const Sizes& sizes)
{
    const auto included = fieldSet.IncludedFields();
    if (included.empty())
        return 1.0;
    std::vector<double> levelSizes;
    for (const PivotField* field : included) {
        const auto size = sizes.levelSize ? sizes.levelSize(field->uniqueName) : std::nullopt;
        if (!size)
            return std::nullopt;
        levelSizes.push_back(std::max(1.0, *size));
    }
    // The first level, cut by the member and top filters.
    double kept = levelSizes[0];
    const double listed = static_cast<double>(fieldSet.filter.members.size());
    if (fieldSet.filter.mode == PivotMemberFilter::Mode::Include)
        kept = std::min(kept, std::max(1.0, listed));
    else if (fieldSet.filter.mode == PivotMemberFilter::Mode::Exclude)
        kept = std::max(1.0, kept - listed);
    if (fieldSet.top.IsActive())
        kept = std::min(kept, static_cast<double>(fieldSet.top.count));
    const double share = kept / levelSizes[0];
    double shown = kept;
    // Levels expanded whole show every member of the next level under the kept ones.
    for (std::size_t i = 1; i < included.size() && included[i - 1]->isExpanded; ++i)
        shown += levelSizes[i] * share;
    // Members expanded one by one add their children.
    const double average = included.size() > 1 ? levelSizes[1] / levelSizes[0] : 0;
    for (const std::string& member : fieldSet.expandedMembers) {
        const auto children = sizes.childCount ? sizes.childCount(member) : std::nullopt;
        shown += children ? *children : average;
    }
    double everything = 0;
    for (double size : levelSizes)
        everything += size;
    // The field set's own total line.
    return std::min(shown, everything) + 1;
}

std::optional<PivotCellEstimate> PivotCellEstimate::Of(const PivotDefinition& definition, const Sizes& sizes)
{
    if (definition.IsRawQuery())
        return std::nullopt;
    PivotCellEstimate estimate;
    for (AxisKind axis : {AxisKind::Row, AxisKind::Column}) {
        double count = 1;
        for (const PivotFieldSet& fieldSet : definition.Axis(axis)) {
            const auto members = Members(fieldSet, sizes);
            if (!members)
                return std::nullopt;
            count *= *members;
            if (*members > estimate.largestCount) {
                estimate.largestCount = *members;
                estimate.largestFieldSet = fieldSet.uniqueName;
            }
        }
        if (definition.totalsAxis == axis)
            count *= std::max<double>(1, static_cast<double>(definition.IncludedTotals().size()));
        (axis == AxisKind::Row ? estimate.rows : estimate.columns) = count;
    }
    estimate.cells = estimate.rows * estimate.columns;
    return estimate;
}

std::string PivotCellEstimate::Text(double cells)
{
    if (!std::isfinite(cells) || cells >= 1e18) {
        char text[32];
        std::snprintf(text, sizeof text, "%.0e", std::isfinite(cells) ? cells : 1e308);
        return std::string("About ") + text + " cells";
    }
    if (cells >= 1e6) {
        const double millions = cells / 1e6;
        if (millions < 9.95) {
            char text[32];
            std::snprintf(text, sizeof text, "%.1f", millions);
            std::string number = text;
            if (number.size() > 2 && number.compare(number.size() - 2, 2, ".0") == 0)
                number.resize(number.size() - 2);
            return "About " + number + " M cells";
        }
        return "About " + Grouped(std::llround(millions)) + " M cells";
    }
    // Three significant digits are all an estimate has.
    const double magnitude = cells >= 1000 ? std::pow(10.0, std::floor(std::log10(cells)) - 2) : 1.0;
    return "About " + Grouped(std::llround(std::round(cells / magnitude) * magnitude)) + " cells";
}

} // namespace pivot
