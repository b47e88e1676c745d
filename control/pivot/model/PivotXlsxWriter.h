#pragma once

#include "control/pivot/model/PivotLayout.h"
#include "control/pivot/model/PivotSheetOptions.h"

#include <string>

namespace pivot {

//! Writes a laid-out pivot view as a one-sheet spreadsheet workbook (xlsx) that keeps the
//! grid: merged header cells, bold tinted total lines, values as numbers with the number
//! format they are shown with, the title above the grid and the headers frozen.
class PivotXlsxWriter {
public:
    //! Writes LAYOUT to PATH. PATH is replaced only by a complete, synced workbook (written
    //! beside it and renamed into place). Throws PivotError, leaving PATH as it was, when
    //! the view does not fit on a worksheet (1,048,576 rows, 16,384 columns) or a write
    //! fails.
    static void Write(const PivotLayout& layout, const std::string& path);
    //! As Write, with the sheet arranged and set up for printing by OPTIONS (rows and empty
    //! columns before the grid, print titles, orientation, grid lines, header and footer).
    static void Write(const PivotLayout& layout, const std::string& path, const PivotSheetOptions& options);
    //! Writes a one-sheet workbook showing the picture file PICTUREPATH (png, jpeg, gif or
    //! bmp) at the top left, set up for printing by OPTIONS (its rows and columns before the
    //! grid do not apply). PATH is replaced the same way; throws PivotError when the picture
    //! cannot be read or a write fails.
    static void WritePicture(const std::string& picturePath, const std::string& path, const PivotSheetOptions& options);
    //! The spreadsheet number format that shows a value the way FORMATTED shows it
    //! ("1,234.50" -> "#,##0.00", "12.5%" -> "0.0%", "$7" -> "\"$\"0").
    static std::string NumberFormatFor(const std::string& formatted);

    static constexpr int kMaxRows = 1048576;
    static constexpr int kMaxColumns = 16384;
};

} // namespace pivot
