#pragma once

#include <string>
#include <string_view>

namespace olap {

//! Formats cell values by an MDX/OLE DB format string.
class ValueFormatter {
public:
    //! VALUE formatted by FORMAT: the named formats "Standard" (#,##0.##), "Currency"
    //! ($#,##0.00), "Fixed" (0.00), "Percent" (0.00%), "General Number" and "" (shortest
    //! round-trip decimal), or a pattern of `0` (digit), `#` (optional digit), `,` (thousands
    //! grouping), `.` (decimal point), `%` (times 100), quoted or backslash-escaped literals,
    //! and up to three `;`-separated sections (positive;negative;zero). Unknown characters
    //! are copied. Never throws; NaN and infinities print as "NaN", "Infinity", "-Infinity".
    static std::string Format(double value, std::string_view format);
};

} // namespace olap
