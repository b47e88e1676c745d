#pragma once

#include <string>
#include <string_view>

namespace olap {

//! Formats cell values with a measure's format string, the way OLAP servers
//! of the Mondrian family do: named formats ("Standard" = "#,##0",
//! "Currency" = "$#,##0.00;($#,##0.00)", "Percent" = "0.00%", "Fixed" = "0",
//! "General Number" and "" = "#,##0.###") and patterns of up to three
//! sections (positive;negative;zero) with `0` `#` `.` `,` `%`, quoted text
//! and backslash escapes. Rounding is half away from zero; a value that
//! rounds to zero has no minus sign. Never fails: unknown characters are
//! copied as text.
class ValueFormatter {
public:
    static std::string Format(double value, std::string_view formatString);
};

} // namespace olap
