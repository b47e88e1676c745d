#pragma once

#include <QString>

namespace exporting {

//! A message box the print and export actions show: always the critical icon and an OK
//! button.
struct ExportMessage {
    enum class Kind { NoSpreadsheetProgram, Failure };

    Kind kind = Kind::Failure;
    QString title;
    QString text;

    //! Neither a spreadsheet program nor a print preview is available. The wording (and its
    //! spelling) is the one users and their help desks know; the title is the application's.
    static ExportMessage NoSpreadsheetProgram(const QString& applicationTitle)
    {
        return {Kind::NoSpreadsheetProgram, applicationTitle,
            QStringLiteral("Unable to create the Excel.Appliation object!"
                           " This could be for one of the following reasons:\r\r\r\n"
                           "    - Excel is not installed on this system.\r\n"
                           "    - Excel is not registered properly.")};
    }

    //! Any other failure, with its DESCRIPTION.
    static ExportMessage Failure(const QString& description)
    {
        return {Kind::Failure, QStringLiteral("OWC Helper Library"),
            QStringLiteral("Encountered the following error:\n") + description};
    }
};

} // namespace exporting
