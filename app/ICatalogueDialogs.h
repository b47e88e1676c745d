#pragma once

#include <QString>

class QWidget;

//! The New report dialog as the main window runs it: modal; on OK it has
//! made the report window itself and tells the report name and type.
class INewReportDialog {
public:
    virtual ~INewReportDialog() = default;
    //! Runs the dialog; true when it ended with OK.
    virtual bool Run(QWidget* parent) = 0;
    virtual QString ReportName() const = 0;
    virtual int ReportType() const = 0;
};
