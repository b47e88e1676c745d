#pragma once

#include "control/export/PrintViewShape.h"

#include <string>

namespace exporting {

//! The rows and columns a printed pivot view repeats on every page: the rows down to the
//! last column header, and the columns of the row headers.
class PrintTitles {
public:
    //! Title rows: the included column fields, one more for the column label (when there
    //! are column fields, or while the label is visible), one for the row captions, one for
    //! a visible title bar, and two for a filter area with field sets (one for an empty one).
    static int RowCount(const PrintViewShape& view);
    //! Title columns: the included row fields; one while there are none and the row label is
    //! visible; otherwise 0.
    static int ColumnCount(const PrintViewShape& view);

    //! "$1:$" and COUNT ("$1:$7"); COUNT is at least 1.
    static std::string RowRange(int count);
    //! "$A:$" and the name of column COUNT ("$A:$B", "$A:$AB"); empty for 0 (no title columns).
    static std::string ColumnRange(int count);
    //! The spreadsheet name of the column numbered NUMBER from 1: A .. Z, AA .. AZ, BA ..,
    //! clamped to the last column a sheet has (XFD, 16,384).
    static std::string ColumnName(int number);
};

} // namespace exporting
