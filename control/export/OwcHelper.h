#pragma once

#include "control/export/ExportMessage.h"
#include "control/export/PrintSource.h"
#include "control/export/SpreadsheetProgram.h"

#include "control/pivot/model/PivotSheetOptions.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <string>

class QPrinter;
class QWidget;

namespace exporting {

//! Prints a view and hands views to the desktop's spreadsheet program. Each action writes
//! what it needs (a workbook with the page set-up, a chart picture) into a private folder
//! of its own under the temporary folder, never to a fixed path, and a workbook handed to
//! the spreadsheet program stays there for it.
//!
//! Page set-up of every printout and workbook: the view's title rows and columns repeated
//! on each page, grid lines, the title bar's caption as centred header, "Page &P of &N" as
//! centred footer, portrait or landscape. A chart prints as its picture with the same
//! footer and orientation (it has no title rows, columns or caption).
//!
//! Failures show a message box (through the Seams) and leave the reason in LastError();
//! ExportDefinition passes over its failures without a box.
class OwcHelper {
public:
    //! What tests replace: where programs are looked up and how they start, the message
    //! box, the printer, and whether a print preview window can be shown.
    struct Seams {
        //! The search path for the spreadsheet program; unset: the process's PATH.
        std::optional<QString> searchPath;
        SpreadsheetProgram::Launcher launcher;
        //! Shows a message; default: a critical QMessageBox with an OK button over PARENT.
        std::function<void(const ExportMessage& message, QWidget* parent)> showMessage;
        //! The printer a direct print goes to; default: the desktop's default printer, or
        //! null when none is set up.
        std::function<std::unique_ptr<QPrinter>()> makePrinter;
        //! Shows the print preview of PRINTER (paints through PAINT); default: a modal
        //! QPrintPreviewDialog. Unset with canPreview false: no preview is possible.
        std::function<void(QPrinter& printer, const std::function<void(QPrinter&)>& paint, QWidget* parent)> preview;
        //! Whether a preview window can be shown; default: a widget application runs.
        std::function<bool()> canPreview;
        //! The folder the private work folders are made in; default: the temporary folder.
        QString workRoot;
    };

    explicit OwcHelper(Seams seams = {});
    ~OwcHelper();

    //! Prints SOURCE on the printer without any window, in LANDSCAPE or portrait. An empty
    //! source prints nothing and succeeds. On failure (no printer, a chart picture that
    //! cannot be drawn) shows the error message and returns false.
    bool Print(const PrintSource& source, bool landscape, QWidget* parent);
    //! The "Print" button and the preview of the print command: writes SOURCE as a workbook
    //! with the page set-up and opens it in the spreadsheet program for the user; without
    //! one, shows the print preview of the same pages. Without either, shows the "Unable to
    //! create" message and returns false; other failures show the error message.
    bool Preview(const PrintSource& source, bool landscape, QWidget* parent);
    //! "Export data to excel": writes the pivot view of SOURCE as a workbook with the page
    //! set-up (the orientation left to the program) and opens it in the spreadsheet program.
    //! A source without a pivot view does nothing. Messages as for Preview.
    bool ExportData(const PrintSource& source, QWidget* parent);
    //! "Export to excel": SAVEREPORT writes DEFINITIONTEXT into the report file as saving the
    //! report does (it may write nothing when the report has no file name); then the pivot's
    //! own export: the view of SOURCE as the workbook "Export.xlsx", opened in the spreadsheet
    //! program. A failing step is passed over (no message box): the next one still runs, and
    //! the result is false with the reasons in LastError().
    bool ExportDefinition(const std::string& definitionText,
        const std::function<bool(const std::string& text, std::string& error)>& saveReport, const PrintSource& source,
        QWidget* parent);

    //! Why the last action failed (empty after a success).
    const std::string& LastError() const { return m_lastError; }
    //! The workbook the last action wrote (empty when it wrote none).
    const QString& LastWorkbook() const { return m_lastWorkbook; }

private:
    bool Fail(QWidget* parent, const std::string& error, bool show = true);
    bool FailNoProgram(QWidget* parent);
    //! Writes SOURCE as a workbook named NAME in a new private folder.
    bool WriteWorkbook(const PrintSource& source, const QString& name,
        pivot::PivotSheetOptions::Orientation orientation, std::string& error);
    bool ChartPicture(const PrintSource& source, QString& pictureFile, QImage& picture, std::string& error);
    QString NewWorkFolder(std::string& error) const;
    bool Paint(const PrintSource& source, QPrinter& printer, std::string& error);

    Seams m_seams;
    std::string m_lastError;
    QString m_lastWorkbook;
};

} // namespace exporting
