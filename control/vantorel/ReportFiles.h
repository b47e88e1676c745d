#pragma once

#include <QString>

#include <functional>

namespace vantorel {

//! The report file pair of the control and the few searches made in its texts. A report is
//! the pivot file N (the pivot definition, for a relational report followed by CR LF, the SQL
//! text, CR LF and the SQL connection string) and, when it is shown as a chart, the chart
//! file: N with "Chart" inserted before its last four characters. Files are Windows-1252
//! text (WindowsAnsi) and are replaced only by a complete, synced copy renamed into place.
class ReportFiles {
public:
    //! The sibling chart file of PIVOTFILE ("Sales.xml" -> "SalesChart.xml"); empty for a name
    //! of fewer than four characters, which never has a chart file.
    static QString ChartFileName(const QString& pivotFile);

    //! Whether REPORTNAME may become part of a file name in the report folder: not empty,
    //! no path separator ("/" or "\"), no "..", no NUL. False with the reason in WHY.
    static bool IsSafeReportName(const QString& reportName, QString* why);

    //! The whole text of PATH, or an empty text when it cannot be read (a missing file).
    static QString ReadText(const QString& path);
    //! Writes TEXT to PATH through a temporary file renamed into place. False with the reason
    //! in ERROR; PATH is then left as it was.
    static bool WriteText(const QString& path, const QString& text, QString* error);
    static bool Exists(const QString& path);

    //! Whether TEXT contains MARKER, case ignored.
    static bool HasMarker(const QString& text, const QString& marker);
    //! Whether CONNECTIONSTRING names one of the relational providers.
    static bool IsRelationalConnection(const QString& connectionString);

    //! The definition part of a pivot file's text: up to and including the closing "</xml>",
    //! without the SQL lines of a relational report; the whole text when it has no closing tag.
    static QString DefinitionPart(const QString& pivotText);
    //! The SQL text and SQL connection string after the definition of a relational report's
    //! pivot text: the last line is the connection, the lines between it and the definition
    //! the SQL. False, and nothing set, when either is missing.
    static bool SplitSqlLines(const QString& pivotText, QString* sql, QString* sqlConnection);
    //! The pivot text of a relational report: TEXT, CR LF, SQL, CR LF, SQLCONNECTION.
    static QString WithSqlLines(const QString& text, const QString& sql, const QString& sqlConnection);

    //! Moves the stored data source of TEXT to the folder DATASOURCEPATH: the value between
    //! "Data Source=" and ";Initial Catalog" is replaced everywhere (case ignored) by the
    //! folder followed by its last path part, but only when a file of that new name exists
    //! (EXISTS; the file system by default). Otherwise, and when TEXT has no such value, TEXT
    //! comes back unchanged. Both "\" and "/" end a path part.
    static QString MoveDataSource(
        const QString& text, const QString& dataSourcePath, const std::function<bool(const QString&)>& exists = {});
};

} // namespace vantorel
