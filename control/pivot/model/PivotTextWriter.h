#pragma once

#include "control/pivot/model/PivotLayout.h"

#include <string>

namespace pivot {

//! Writes a laid-out pivot view as text, cell for cell as the grid shows it.
class PivotTextWriter {
public:
    //! CSV: one line per grid row (header rows first), a merged caption repeated in every
    //! cell it covers, fields quoted where they hold a comma, quote or line break; lines end
    //! with CR LF.
    static std::string Csv(const PivotLayout& layout);
    //! Tab-separated text for the clipboard: as CSV, with tabs and line breaks inside a field
    //! replaced by spaces and raw numbers (no grouping) for values.
    static std::string TabSeparated(const PivotLayout& layout);
    //! An HTML table: merged headers as rowspan/colspan, totals bold (class "total"), values
    //! right-aligned as formatted; the title, when set, as the caption. Text is escaped.
    static std::string Html(const PivotLayout& layout);

    //! TEXT with &, <, > and " escaped for HTML.
    static std::string HtmlEscape(const std::string& text);
    //! A value as plain digits (whole numbers without a fraction, others to 15 digits), no grouping.
    static std::string RawNumber(double value);
};

} // namespace pivot
