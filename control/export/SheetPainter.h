#pragma once

#include "control/export/PrintSheet.h"

#include <QImage>
#include <QString>

#include <string>

class QPrinter;

namespace exporting {

//! Prints a PrintSheet (or a chart picture) through Qt's printing with the page set-up a
//! spreadsheet program would use: the sheet's title rows and columns repeated on every page,
//! pages taken down the sheet first and then across, grid lines around every cell, the
//! caption centred in the header and "Page n of N" centred in the footer. The printer's
//! page size, orientation and margins decide what fits on a page.
class SheetPainter {
public:
    //! Paints SHEET onto PRINTER, one printer page per sheet page. Returns false with ERROR
    //! set when the printer does not start (no printer, an output file that cannot be
    //! written).
    static bool PaintSheet(const PrintSheet& sheet, QPrinter& printer, std::string& error);
    //! Paints PICTURE on one page, scaled to the page body keeping its proportions (never
    //! above its own size on a screen-resolution device), under HEADER (page codes, may be
    //! empty) and above FOOTER. Returns false with ERROR set as PaintSheet does.
    static bool PaintPicture(const QImage& picture, const std::string& header, const std::string& footer,
        QPrinter& printer, std::string& error);
    //! The number of pages SHEET takes on PRINTER.
    static int PageCount(const PrintSheet& sheet, QPrinter& printer);
    //! A header or footer code with &P the page number, &N the page count and && one &.
    static QString ExpandCodes(const std::string& code, int page, int pages);
};

} // namespace exporting
