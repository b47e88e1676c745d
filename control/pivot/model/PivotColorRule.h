#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace pivot {

//! A conditional format on the value cells of one total: a two- or three-colour scale (each
//! cell filled with a colour between the low and high colours by where its value lies among
//! the total's values) or a data bar (a bar as long as the value, from an axis at zero). The
//! rule is keyed by the total, not by cell places, so it holds through any re-pivoting.
struct PivotColorRule {
    enum class Kind { ColorScale2, ColorScale3, DataBar };

    //! The total's name (a measure's unique name or a calculated total's name).
    std::string total;
    Kind kind = Kind::ColorScale2;
    //! Colours as "#RRGGBB": the lowest value, the median (three-colour scale), the highest
    //! value, and the bar of a data bar.
    std::string lowColor = "#F8696B";
    std::string midColor = "#FFEB84";
    std::string highColor = "#63BE7B";
    std::string barColor = "#638EC6";
    //! Whether subtotal and grand total cells take part (they dwarf the other values, so by
    //! default they neither count nor get a colour).
    bool includeTotals = false;

    bool operator==(const PivotColorRule&) const = default;

    //! "#RRGGBB" (either case) as 0xRRGGBB, or nothing.
    static std::optional<std::uint32_t> ParseColor(const std::string& text);
};

} // namespace pivot
