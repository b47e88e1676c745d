#pragma once

#include "control/pivot/model/PivotColorRule.h"
#include "control/pivot/model/PivotDefinition.h"
#include "control/pivot/model/PivotLayout.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pivot {

//! What the colour rules of a view give the value cells of one layout: a fill colour, or a
//! data bar. The scale of each rule (lowest, median and highest value of its total) is
//! measured once over the layout's value cells, so painting a cell costs a lookup.
class PivotCellColors {
public:
    //! A value cell's look under the rules.
    struct Style {
        //! The fill, 0xRRGGBB.
        std::optional<std::uint32_t> fill;
        //! A data bar: from BARFROM to BARTO (fractions of the cell's width, 0 at the left).
        std::optional<double> barFrom;
        double barTo = 0;
        std::uint32_t barColor = 0;
    };

    PivotCellColors() = default;
    //! Measures the rules of DEFINITION over LAYOUT's value cells.
    PivotCellColors(const PivotDefinition& definition, const PivotLayout& layout);

    //! Whether any rule applies to the layout.
    bool IsEmpty() const { return m_scales.empty(); }
    //! The look of value (VALUEROW, VALUECOLUMN) of the layout measured (value coordinates).
    Style StyleAt(const PivotLayout& layout, int valueRow, int valueColumn) const;

    //! The colour FRACTION (0..1) of the way from A to B.
    static std::uint32_t Blend(std::uint32_t a, std::uint32_t b, double fraction);

private:
    struct Scale {
        PivotColorRule rule;
        std::uint32_t low = 0;
        std::uint32_t mid = 0;
        std::uint32_t high = 0;
        std::uint32_t bar = 0;
        double min = 0;
        double median = 0;
        double max = 0;
    };
    const Scale* ScaleOf(const std::string& total) const;

    std::vector<Scale> m_scales;
};

} // namespace pivot
