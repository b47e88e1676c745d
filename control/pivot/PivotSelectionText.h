#pragma once

#include "control/pivot/model/PivotLayout.h"

#include <string>

namespace pivot {

//! The cells of a rectangle of a laid-out view as clipboard text. Rows and columns are grid
//! coordinates, inclusive, within range.
class PivotSelectionText {
public:
    //! Tab-separated lines (CR LF): merged captions repeated in every cell, raw numbers for
    //! values, tabs and line breaks inside a cell turned into spaces.
    static std::string TabSeparated(const PivotLayout& layout, int top, int left, int bottom, int right);
    //! An HTML table: a merged header cut by the rectangle keeps the part inside it as
    //! rowspan/colspan; totals bold; values right-aligned as formatted; text escaped.
    //! TabSeparated for the rectangle with its paths: the column header lines above it and the
    //! row header columns before it (the corner where they meet), each cell once.
    static std::string TabSeparatedWithPaths(const PivotLayout& layout, int top, int left, int bottom, int right);
    static std::string Html(const PivotLayout& layout, int top, int left, int bottom, int right);
};

} // namespace pivot
