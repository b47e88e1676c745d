#pragma once

#include "control/export/PrintViewShape.h"

#include "control/pivot/model/PivotLayout.h"
#include "control/pivot/model/PivotSheetOptions.h"

#include <string>
#include <vector>

namespace exporting {

//! A laid-out pivot view arranged as one printable sheet: the title bar, the filter area and
//! the column label above the grid, an empty row label column left of it when the view has
//! no row headers, so that the print titles (PrintTitles) cover exactly the rows and columns
//! that label the values. The workbook writer and the page painter both read this one
//! arrangement, so the file and the printout show the same pages.
//!
//! The sheet refers to the layout it was made from; the layout must outlive it.
class PrintSheet {
public:
    //! What one sheet cell shows. Merged areas come from the grid's merged headers.
    struct Cell {
        enum class Kind { Empty, Title, Caption, Header, Value };
        Kind kind = Kind::Empty;
        std::string text;
        int anchorRow = 0;
        int anchorColumn = 0;
        int rowSpan = 1;
        int columnSpan = 1;
        bool isTotal = false;
        bool isGrandTotal = false;

        bool IsAnchor(int row, int column) const { return row == anchorRow && column == anchorColumn; }
    };

    //! Arranges LAYOUT, laid out from DEFINITION, for a view of SHAPE whose title bar reads
    //! CAPTION.
    PrintSheet(const pivot::PivotLayout& layout, const pivot::PivotDefinition& definition, const PrintViewShape& shape,
        std::string caption);

    int RowCount() const { return LeadRowCount() + m_layout->RowCount(); }
    int ColumnCount() const { return m_leadColumns + m_layout->ColumnCount(); }
    //! The rows and columns repeated on every page, as PrintTitles counts them for the view.
    int TitleRows() const { return m_titleRows; }
    int TitleColumns() const { return m_titleColumns; }
    const std::string& Caption() const { return m_caption; }

    //! The cell at (ROW, COLUMN), both within range.
    Cell At(int row, int column) const;

    //! The workbook arrangement and page set-up: these rows and columns before the grid, the
    //! print titles, grid lines, ORIENTATION, the caption as centred header and "Page &P of
    //! &N" as centred footer.
    pivot::PivotSheetOptions SheetOptions(pivot::PivotSheetOptions::Orientation orientation) const;

    //! The footer every printed page carries.
    static constexpr const char* kFooter = "Page &P of &N";
    //! TEXT with each & doubled, so a header shows it literally.
    static std::string EscapeCodes(const std::string& text);

private:
    int LeadRowCount() const { return static_cast<int>(m_leadRows.size()); }

    const pivot::PivotLayout* m_layout;
    std::string m_caption;
    std::vector<pivot::PivotSheetOptions::LeadRow> m_leadRows;
    int m_leadColumns = 0;
    int m_titleRows = 0;
    int m_titleColumns = 0;
};

} // namespace exporting
