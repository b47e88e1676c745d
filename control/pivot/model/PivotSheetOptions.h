#pragma once

#include <string>
#include <vector>

namespace pivot {

//! How PivotXlsxWriter arranges a sheet for printing: rows and empty columns placed before
//! the grid, and the page set-up a spreadsheet program prints with. A default value writes
//! the sheet exactly as the plain export does.
struct PivotSheetOptions {
    enum class Orientation { Default, Portrait, Landscape };

    //! One row placed above the grid: captions from the first column on. A title row is bold
    //! and large.
    struct LeadRow {
        std::vector<std::string> cells;
        bool isTitle = false;
    };

    //! When set, these rows stand above the grid in place of the title and gap row of the
    //! plain export (an empty list puts the grid at the top).
    bool replaceTitle = false;
    std::vector<LeadRow> leadRows;
    //! Empty columns left of the grid.
    int leadColumns = 0;

    //! Rows from the top and columns from the left repeated on every printed page; 0: none.
    int printTitleRows = 0;
    int printTitleColumns = 0;
    Orientation orientation = Orientation::Default;
    bool printGridlines = false;
    //! The centred header and footer, with the page codes &P (page), &N (pages) and && (a
    //! literal ampersand).
    std::string centerHeader;
    std::string centerFooter;
    //! Freeze the grid's headers in the sheet's window (as the plain export does).
    bool freezeHeaders = true;
};

} // namespace pivot
